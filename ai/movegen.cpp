#include "ai/movegen.h"

#include <algorithm>

namespace ai {

namespace {

constexpr int kBoard = rules::kBoard;
constexpr int kTiles = rules::kRackSlots;
using Node = WordGraph::Node;
using Arc = WordGraph::Arc;

int otherSide(int letter) {
    return kLetters - 1 - letter;
}

} // namespace

// One run of the generator over one position.
class MoveGenerator::Search {
public:
    Search(const WordGraph &graph, const CrossChecks &board, const Position &p,
           std::vector<Play> &out, Keep keep, const Limits &limits, Stats &stats)
        : g_(graph), board_(board), p_(p), out_(out), best_(keep == Keep::Best), limits_(limits),
          stats_(stats), dawg_(graph.kind() == WordGraph::Kind::Dawg) {
        const bool both = p.doubleTiles;
        for (int c = 0; c < kLetters; ++c) {
            group_[c] = both ? std::min(c, otherSide(c)) : c;
            groupBits_[c] = both ? (1u << c | 1u << otherSide(c)) : 1u << c;
        }
        for (int k = 1; k <= kTiles; ++k) {
            const int v = p.rack[k];
            if (v < 0 || v >= kLetters)
                continue;
            slots_[v][fronts_[v]++] = std::uint8_t(k);
            ++count_[group_[v]];
            ++rackSize_;
        }
        for (int c = 0; c < kLetters; ++c)
            if (count_[group_[c]] > 0)
                avail_ |= groupBits_[c];
    }

    void run() {
        if (rackSize_ == 0 || p_.mover < 1 || p_.mover > 4)
            return;
        if (p_.firstWord()) {
            firstWords();
        } else {
            singleTiles();
            for (const bool down : {true, false})
                for (int i = 0; i < kBoard && !stop_; ++i)
                    lineMoves(down, i);
        }
        if (best_ && haveBest_)
            out_.push_back(best_play_);
    }

private:
    // One row or column as the walk reads it.
    struct Line {
        std::array<int, kBoard> letter{};         // -1 where empty
        std::array<std::uint32_t, kBoard> fits{}; // letters a tile may show there
        std::array<int, kBoard> points{};         // the square's points for the mover
        std::array<int, kBoard> cross{};          // a tile's word across the line: its points
        std::array<int, kBoard> zorble{};         // 1 on a Zorble square
        std::array<bool, kBoard> anchor{};
        std::array<int, kBoard + 1> pointsBefore{}; // sums of points and zorble up to a place
        std::array<int, kBoard + 1> zorblesBefore{};
    };

    // ---- The rack, by letters ----
    //
    // With double tiles a tile shows a letter or its other side, so the two
    // letters of a pair draw on one count.

    void take(int c) {
        const int gr = group_[c];
        if (--count_[gr] == 0)
            avail_ &= ~groupBits_[gr];
    }
    void giveBack(int c) {
        const int gr = group_[c];
        if (count_[gr]++ == 0)
            avail_ |= groupBits_[gr];
    }
    void push(int pos, int c) {
        at_[depth_] = pos;
        letter_[depth_] = c;
        ++depth_;
    }

    // Asks for the nodes the walk may go to from n by the letters of m before
    // it goes to the first of them: the graph is larger than the processor's
    // caches, and the waits overlap.
    void prefetch(Node n, std::uint32_t m) const {
        for (const Arc *a = g_.arcs(n);; ++a) {
            if ((m >> a->symbol()) & 1)
                __builtin_prefetch(g_.arcs(a->target()));
            if (a->last())
                break;
        }
    }

    bool stopped() {
        if (stop_)
            return true;
        if ((++ticks_ & 1023) == 0 &&
            (Clock::now() >= limits_.deadline ||
             (limits_.cancelled && limits_.cancelled->load(std::memory_order_relaxed)))) {
            stop_ = true;
            stats_.complete = false;
        }
        return stop_;
    }

    // ---- Moves after the first ----

    // Moves of one tile. The rules try its column first and then its row:
    // the move stands when the word in one of them is in the list and the
    // word in the other is too, or is the tile alone.
    void singleTiles() {
        const int mover = p_.mover;
        for (int x = 0; x < kBoard; ++x) {
            for (int y = 0; y < kBoard; ++y) {
                const CrossChecks::Square &s = board_.at(x, y);
                if (!s.anchor())
                    continue;
                const bool inColumn = s.joins[CrossChecks::kColumn];
                const bool inRow = s.joins[CrossChecks::kRow];
                const std::uint32_t column = s.fits[CrossChecks::kColumn];
                const std::uint32_t row = s.fits[CrossChecks::kRow];
                const std::uint32_t downOk = (inColumn ? column : board_.singles()) & row;
                const std::uint32_t acrossOk = (inRow ? row : board_.singles()) & column;
                const int own = CrossChecks::pointsOf(s.kind, mover);
                const int columnPoints = s.points[CrossChecks::kColumn][mover];
                const int rowPoints = s.points[CrossChecks::kRow][mover];
                for (std::uint32_t m = (downOk | acrossOk) & avail_; m; m &= m - 1) {
                    const int c = __builtin_ctz(m);
                    const bool down = (downOk >> c) & 1;
                    const int score = down ? own + columnPoints + (inRow ? rowPoints + own : 0)
                                           : own + rowPoints + (inColumn ? columnPoints + own : 0);
                    depth_ = 0;
                    push(down ? y : x, c);
                    down_ = down;
                    index_ = down ? x : y;
                    found(score, s.kind == rules::kZorbleSquare, false);
                }
            }
        }
        depth_ = 0;
    }

    void lineMoves(bool down, int index) {
        down_ = down;
        index_ = index;
        const int mover = p_.mover;
        const int across = down ? CrossChecks::kRow : CrossChecks::kColumn;
        bool anyAnchor = false;
        for (int pos = 0; pos < kBoard; ++pos) {
            const CrossChecks::Square &s = down ? board_.at(index, pos) : board_.at(pos, index);
            const int own = CrossChecks::pointsOf(s.kind, mover);
            line_.letter[pos] = s.letter;
            line_.fits[pos] = s.letter >= 0 ? 0 : s.fits[across];
            line_.points[pos] = own;
            line_.cross[pos] = s.joins[across] ? s.points[across][mover] + own : 0;
            line_.zorble[pos] = s.kind == rules::kZorbleSquare;
            line_.anchor[pos] = s.anchor();
            line_.pointsBefore[pos + 1] = line_.pointsBefore[pos] + own;
            line_.zorblesBefore[pos + 1] = line_.zorblesBefore[pos] + line_.zorble[pos];
            anyAnchor = anyAnchor || line_.anchor[pos];
        }
        if (!anyAnchor)
            return;
        for (int a = 0; a < kBoard && !stop_; ++a) {
            if (!line_.anchor[a])
                continue;
            anchor_ = a;
            depth_ = 0;
            if (dawg_)
                fromAnchor(a);
            else
                fromEndOfRun(a);
        }
    }

    // GADDAG: a word through the anchor takes in the board letters right of
    // it too; the walk starts at the last of them, so that they narrow it
    // down before any tile is tried, and comes back to the anchor.
    void fromEndOfRun(int a) {
        int end = a;
        while (end + 1 < kBoard && line_.letter[end + 1] >= 0)
            ++end;
        rightFrom_ = end + 1;
        Node n = g_.root();
        int main = 0;
        for (int pos = end; pos > a; --pos) {
            const Arc *arc = g_.find(n, line_.letter[pos]);
            if (!arc)
                return;
            n = arc->target();
            main += line_.points[pos];
        }
        goLeft(a, n, main, 0, 0);
    }

    // DAWG: the part left of the anchor is either the board letters there,
    // or tiles on the empty squares before it that are no anchors (so that
    // the anchor is the move's first), tried for every prefix of the graph;
    // then the word is extended to the right from the anchor on.
    void fromAnchor(int a) {
        if (a > 0 && line_.letter[a - 1] >= 0) {
            int start = a - 1;
            while (start > 0 && line_.letter[start - 1] >= 0)
                --start;
            Node n = g_.root();
            for (int pos = start; pos < a; ++pos) {
                const Arc *arc = g_.find(n, line_.letter[pos]);
                if (!arc)
                    return;
                n = arc->target();
            }
            extendRight(a, n, false, line_.pointsBefore[a] - line_.pointsBefore[start], 0, 0);
            return;
        }
        int limit = 0;
        for (int pos = a - 1; pos >= 0 && line_.letter[pos] < 0 && !line_.anchor[pos]; --pos)
            ++limit;
        leftPart(g_.root(), std::min(limit, rackSize_ - 1));
    }

    void leftPart(Node n, int limit) {
        if (stopped())
            return;
        // The prefix so far lies just before the anchor; no tile there has
        // a word across it.
        const int k = depth_;
        for (int i = 0; i < k; ++i)
            at_[i] = anchor_ - k + i;
        extendRight(anchor_, n, false,
                    line_.pointsBefore[anchor_] - line_.pointsBefore[anchor_ - k], 0,
                    line_.zorblesBefore[anchor_] - line_.zorblesBefore[anchor_ - k]);
        if (limit == 0)
            return;
        for (const Arc *a = g_.arcs(n);; ++a) {
            const int c = a->symbol();
            if (c < kLetters && ((avail_ >> c) & 1)) {
                take(c);
                push(0, c);
                leftPart(a->target(), limit - 1);
                --depth_;
                giveBack(c);
            }
            if (a->last())
                break;
        }
    }

    // Both graphs: goes on to the right from `pos` with the word so far at
    // node n (`ends`: it is a word); the move may end where the word can.
    // `main` and `cross` are the points of the main word so far and of the
    // words across it, `zorbles` the Zorble squares covered.
    void extendRight(int pos, Node n, bool ends, int main, int cross, int zorbles) {
        if (stopped())
            return;
        if (pos < kBoard && line_.letter[pos] >= 0) {
            if (const Arc *arc = g_.find(n, line_.letter[pos]))
                extendRight(pos + 1, arc->target(), arc->endsWord(), main + line_.points[pos],
                            cross, zorbles);
            return;
        }
        if (ends && pos > anchor_ && depth_ >= 2)
            found(main + cross, zorbles, false);
        if (pos == kBoard)
            return;
        const std::uint32_t m = line_.fits[pos] & avail_;
        if (m == 0)
            return;
        const int points = line_.points[pos];
        const int across = line_.cross[pos];
        const int z = line_.zorble[pos];
        prefetch(n, m);
        for (const Arc *a = g_.arcs(n);; ++a) {
            const int c = a->symbol();
            if (c < kLetters && ((m >> c) & 1)) {
                take(c);
                push(pos, c);
                extendRight(pos + 1, a->target(), a->endsWord(), main + points, cross + across,
                            zorbles + z);
                --depth_;
                giveBack(c);
            }
            if (a->last())
                break;
        }
    }

    // GADDAG: grows the word from the anchor to the left, through board
    // letters and over empty squares that are no anchors, then turns at the
    // separator and grows it to the right.
    void goLeft(int pos, Node n, int main, int cross, int zorbles) {
        if (stopped())
            return;
        if (line_.letter[pos] >= 0) {
            if (const Arc *arc = g_.find(n, line_.letter[pos]))
                afterLeft(pos, arc->target(), main + line_.points[pos], cross, zorbles);
            return;
        }
        if (pos != anchor_ && line_.anchor[pos])
            return;
        const std::uint32_t m = line_.fits[pos] & avail_;
        if (m == 0)
            return;
        prefetch(n, m);
        for (const Arc *a = g_.arcs(n);; ++a) {
            const int c = a->symbol();
            if (c < kLetters && ((m >> c) & 1)) {
                take(c);
                push(pos, c);
                afterLeft(pos, a->target(), main + line_.points[pos], cross + line_.cross[pos],
                          zorbles + line_.zorble[pos]);
                --depth_;
                giveBack(c);
            }
            if (a->last())
                break;
        }
    }

    void afterLeft(int pos, Node n, int main, int cross, int zorbles) {
        if (pos > 0 && line_.letter[pos - 1] >= 0) {
            goLeft(pos - 1, n, main, cross,
                   zorbles); // a board letter before the word belongs to it
            return;
        }
        if (const Arc *turn = g_.turn(n))
            extendRight(rightFrom_, turn->target(), turn->endsWord(), main, cross, zorbles);
        // On to an empty square on the left, unless it is another anchor
        // (the move is found from there).
        if (pos > 0 && avail_ && !line_.anchor[pos - 1])
            goLeft(pos - 1, n, main, cross, zorbles);
    }

    // ---- The first word ----

    void firstWords() {
        // For each length and direction, where a word earns the most: the
        // most squares of the mover's colour; and the Zorble squares it
        // covers once moved onto the centre line.
        const int longest = std::min(rackSize_, rules::kMaxWordLength);
        for (const bool down : {true, false}) {
            for (int n = 1; n <= longest; ++n) {
                Spot &best = spots_[down][n];
                int most = -1;
                for (int line = 0; line < kBoard; ++line) {
                    for (int start = 0; start + n <= kBoard; ++start) {
                        int own = 0;
                        for (int i = 0; i < n; ++i) {
                            const int x = down ? line : start + i;
                            const int y = down ? start + i : line;
                            own += board_.at(x, y).kind == p_.mover;
                        }
                        if (own > most) {
                            most = own;
                            best = {line, start, own, 0};
                        }
                    }
                }
                for (int i = 0; i < n; ++i) {
                    const int along = rules::kCentre - n / 2 + i;
                    const CrossChecks::Square &s =
                        down ? board_.at(rules::kCentre, along) : board_.at(along, rules::kCentre);
                    best.zorbles += s.kind == rules::kZorbleSquare;
                }
            }
        }
        depth_ = 0;
        spell(g_.root(), longest);
    }

    // Spells every word the rack can, letter by letter: from its first in a
    // DAWG, from its last backwards in a GADDAG.
    void spell(Node n, int longest) {
        if (stopped() || depth_ == longest)
            return;
        for (const Arc *a = g_.arcs(n);; ++a) {
            const int c = a->symbol();
            if (c < kLetters && ((avail_ >> c) & 1)) {
                take(c);
                push(0, c);
                bool word = a->endsWord();
                if (!dawg_) {
                    const Arc *turn = g_.turn(a->target());
                    word = turn && turn->endsWord();
                }
                if (word)
                    layFirst();
                spell(a->target(), longest);
                --depth_;
                giveBack(c);
            }
            if (a->last())
                break;
        }
    }

    // Lays the spelt word where it earns the most, down and across. A single
    // tile is tried in its column first, so it makes one move only.
    void layFirst() {
        const int n = depth_;
        for (const bool down : {true, false}) {
            if (!down && n == 1)
                break;
            const Spot &s = spots_[down][n];
            for (int i = 0; i < n; ++i)
                at_[i] = s.start + (dawg_ ? i : n - 1 - i);
            down_ = down;
            index_ = s.line;
            found(n > 4 ? 5 * n + 20 : 5 * n + 5 * s.own, s.zorbles, true);
        }
    }

    // ---- A move found ----

    // Lists the move once for each choice of tiles that shows its letters.
    void found(int score, int zorbles, bool first) {
        if (best_ && haveBest_ && score <= best_play_.score)
            return;
        Play play;
        play.score = std::int16_t(score);
        play.zorbles = std::uint8_t(zorbles);
        play.count = std::uint8_t(depth_);
        play.line = std::uint8_t(index_);
        play.down = down_;
        play.first = first;
        // The tiles along the line, in order (the walk lays them nearly so).
        for (int i = 0; i < depth_; ++i) {
            int j = i;
            for (; j > 0 && play.along[j - 1] > at_[i]; --j) {
                play.along[j] = play.along[j - 1];
                sorted_[j] = sorted_[j - 1];
            }
            play.along[j] = std::uint8_t(at_[i]);
            sorted_[j] = letter_[i];
        }
        assign(play, 0);
    }

    // Each tile takes the next rack slot that holds its front letter. True
    // once a choice was listed (Keep::Best wants one only).
    bool assign(Play &play, int i) {
        if (i == play.count) {
            if (best_) {
                best_play_ = play;
                haveBest_ = true;
            } else {
                out_.push_back(play);
            }
            return true;
        }
        const int c = sorted_[i];
        bool listed = false;
        if (used_[c] < fronts_[c]) {
            play.rackslots[i] = slots_[c][used_[c]++];
            listed = assign(play, i + 1);
            --used_[c];
            if (best_ && listed)
                return true;
        }
        const int back = otherSide(c);
        if (p_.doubleTiles && used_[back] < fronts_[back]) {
            play.rackslots[i] = std::uint8_t(slots_[back][used_[back]++] | Play::kFlipped);
            listed = assign(play, i + 1) || listed;
            --used_[back];
        }
        return listed;
    }

    struct Spot {
        int line = 0;
        int start = 0;
        int own = 0;     // squares of the mover's colour
        int zorbles = 0; // Zorble squares once on the centre line
    };

    const WordGraph &g_;
    const CrossChecks &board_;
    const Position &p_;
    std::vector<Play> &out_;
    const bool best_;
    const Limits &limits_;
    Stats &stats_;
    const bool dawg_;

    std::array<int, kLetters> group_{};               // the count a letter draws on
    std::array<std::uint32_t, kLetters> groupBits_{}; // the letters of that count
    std::array<int, kLetters> count_{};               // tiles left, by group
    std::array<int, kLetters> fronts_{};              // tiles by front letter
    std::array<std::array<std::uint8_t, kTiles>, kLetters> slots_{};
    std::uint32_t avail_ = 0; // the letters the tiles left can show
    int rackSize_ = 0;

    Line line_;
    bool down_ = false;
    int index_ = 0;
    int anchor_ = 0;
    int rightFrom_ = 0;                // GADDAG: where the word goes on after the separator
    std::array<int, kTiles> at_{};     // the walk's tiles: place along the line
    std::array<int, kTiles> letter_{}; // and letter
    int depth_ = 0;
    std::array<int, kTiles> sorted_{}; // letters in line order, for assign()
    std::array<int, kLetters> used_{}; // tiles of each front letter taken by assign()
    std::array<std::array<Spot, rules::kMaxWordLength + 1>, 2> spots_{};
    Play best_play_;
    bool haveBest_ = false;
    bool stop_ = false;
    unsigned ticks_ = 0;
};

void MoveGenerator::generate(const CrossChecks &board, const Position &position,
                             std::vector<Play> &out, Keep keep, const Limits &limits) {
    stats_ = {};
    Search(graph_, board, position, out, keep, limits, stats_).run();
}

std::vector<Move> MoveGenerator::generate(const Position &position, Clock::time_point deadline) {
    const CrossChecks board(graph_, position.board, position.squares);
    std::vector<Play> plays;
    generate(board, position, plays, Keep::All, {deadline, nullptr});
    std::vector<Move> moves;
    moves.reserve(plays.size());
    for (const Play &p : plays)
        moves.push_back(moveOf(p, position));
    return moves;
}

} // namespace ai
