#include "ai/movegen.h"

#include <algorithm>
#include <array>

namespace ai {

namespace {

constexpr int kBoard = rules::kBoard;
using Node = WordGraph::Node;
constexpr Node kNone = WordGraph::kNone;

// The letter on a board square as the rules spell it: -1 for none, and "a"
// for a value that is no letter.
int letterOn(int v) {
    if (v == rules::kEmpty)
        return -1;
    return v >= 0 && v < kLetters ? v : 0;
}

// Bit c set for every c whose second side, 25 - c, is set in the mask.
std::uint32_t otherSides(std::uint32_t mask) {
    // Reverses the 32 bits, then moves the 26 letters back to the bottom.
    mask = ((mask >> 1) & 0x55555555u) | ((mask & 0x55555555u) << 1);
    mask = ((mask >> 2) & 0x33333333u) | ((mask & 0x33333333u) << 2);
    mask = ((mask >> 4) & 0x0F0F0F0Fu) | ((mask & 0x0F0F0F0Fu) << 4);
    mask = ((mask >> 8) & 0x00FF00FFu) | ((mask & 0x00FF00FFu) << 8);
    mask = (mask >> 16) | (mask << 16);
    return mask >> (32 - kLetters);
}

} // namespace

// One run of the generator over one position.
class MoveGenerator::Search {
public:
    Search(const WordGraph &graph, const rules::Rules &rules, const Position &p,
           Clock::time_point deadline, Stats &stats, std::vector<Move> &out)
        : g_(graph), rules_(rules), p_(p), deadline_(deadline), stats_(stats), out_(out) {
        for (int k = 1; k <= rules::kRackSlots; ++k) {
            const int v = p.rack[k];
            if (v < 0 || v >= kLetters)
                continue;
            slots_[v][count_[v]] = k;
            ++count_[v];
            ++rackSize_;
        }
        for (int c = 0; c < kLetters; ++c)
            if (count_[c] > 0)
                fronts_ |= 1u << c;
        updateAvailable();
    }

    void run() {
        if (rackSize_ == 0)
            return;
        if (first_)
            firstWords();
        else
            laterMoves();
    }

private:
    // A tile of the move being built: its square along the line, the letter
    // it shows, its front letter and its side.
    struct Tile {
        int pos = 0;
        int letter = 0;
        int front = 0;
        bool flipped = false;
    };

    // One row or column: its letters (-1 where none), what may be laid on
    // each empty square for the word across it, and the anchors (empty
    // squares next to a letter).
    struct Line {
        std::array<int, kBoard> letter{};
        std::array<std::uint32_t, kBoard> cross{};
        std::array<bool, kBoard> anchor{};
    };

    // ---- The rack ----

    // The letters the tiles left on the rack can show.
    std::uint32_t available() const { return available_; }
    void updateAvailable() {
        available_ = p_.doubleTiles ? fronts_ | otherSides(fronts_) : fronts_;
    }
    // The letter and, with double tiles, the one on its other side.
    std::uint32_t faces(int front) const {
        return 1u << front | (p_.doubleTiles ? 1u << (kLetters - 1 - front) : 0u);
    }

    void take(int front) {
        if (--count_[front] > 0)
            return;
        fronts_ &= ~(1u << front);
        if (!p_.doubleTiles || count_[kLetters - 1 - front] == 0)
            available_ &= ~faces(front);
    }
    void giveBack(int front) {
        if (count_[front]++ > 0)
            return;
        fronts_ |= 1u << front;
        available_ |= faces(front);
    }

    // Calls f(front, flipped) once for each kind of tile on the rack that
    // can show the letter, with that tile taken off the rack meanwhile.
    template <class F> void eachTileFor(int letter, F &&f) {
        if (count_[letter] > 0) {
            take(letter);
            f(letter, false);
            giveBack(letter);
        }
        const int back = kLetters - 1 - letter;
        if (p_.doubleTiles && count_[back] > 0) {
            take(back);
            f(back, true);
            giveBack(back);
        }
    }

    void push(int pos, int letter, int front, bool flipped) {
        laid_[depth_++] = {pos, letter, front, flipped};
    }

    bool stopped() {
        if (stop_)
            return true;
        if ((++ticks_ & 1023) == 0 && Clock::now() >= deadline_) {
            stop_ = true;
            stats_.complete = false;
        }
        return stop_;
    }

    // ---- Words on the board ----

    Node walk(Node n, int letter) const { return n == kNone ? kNone : g_.child(n, letter); }

    // The letters c for which before + c + after is a word; `before` and
    // `after` run away from the square (before[0] is the nearest letter).
    std::uint32_t wordsThrough(const std::array<int, kBoard> &before, int nb,
                               const std::array<int, kBoard> &after, int na) const {
        std::uint32_t mask = 0;
        if (g_.kind() == WordGraph::Kind::Dawg) {
            Node n = g_.root();
            for (int i = nb - 1; i >= 0; --i)
                n = walk(n, before[i]);
            if (n == kNone)
                return 0;
            for (std::uint32_t m = g_.symbols(n) & kAllLetters; m; m &= m - 1) {
                const int c = __builtin_ctz(m);
                Node t = g_.child(n, c);
                for (int i = 0; i < na; ++i)
                    t = walk(t, after[i]);
                if (t != kNone && g_.terminal(t))
                    mask |= 1u << c;
            }
            return mask;
        }
        // The whole word backwards: the letters after the square from the
        // far end, the square, the letters before it, the separator.
        Node n = g_.root();
        for (int i = na - 1; i >= 0; --i)
            n = walk(n, after[i]);
        if (n == kNone)
            return 0;
        for (std::uint32_t m = g_.symbols(n) & kAllLetters; m; m &= m - 1) {
            const int c = __builtin_ctz(m);
            Node t = g_.child(n, c);
            for (int i = 0; i < nb; ++i)
                t = walk(t, before[i]);
            t = walk(t, kSeparator);
            if (t != kNone && g_.terminal(t))
                mask |= 1u << c;
        }
        return mask;
    }

    // For every empty square, the letters that make a word with the board
    // letters above and below it (column) and left and right of it (row),
    // and whether there are any such letters at all.
    void crossWords() {
        std::uint32_t single = 0;
        for (int c = 0; c < kLetters; ++c)
            if (g_.contains(std::string(1, static_cast<char>(c))))
                single |= 1u << c;
        for (int x = 0; x < kBoard; ++x) {
            for (int y = 0; y < kBoard; ++y) {
                Square &s = sq_[x][y];
                s.letter = letterOn(p_.board[x][y]);
            }
        }
        for (int x = 0; x < kBoard; ++x) {
            for (int y = 0; y < kBoard; ++y) {
                Square &s = sq_[x][y];
                if (s.letter >= 0)
                    continue;
                for (const bool column : {true, false}) {
                    std::array<int, kBoard> before{};
                    std::array<int, kBoard> after{};
                    int nb = 0;
                    int na = 0;
                    auto at = [&](int i) { return column ? letterAt(x, i) : letterAt(i, y); };
                    const int own = column ? y : x;
                    for (int i = own - 1; i >= 0 && at(i) >= 0; --i)
                        before[nb++] = at(i);
                    for (int i = own + 1; i < kBoard && at(i) >= 0; ++i)
                        after[na++] = at(i);
                    const bool has = nb + na > 0;
                    const std::uint32_t words = has ? wordsThrough(before, nb, after, na) : single;
                    (column ? s.hasColumn : s.hasRow) = has;
                    (column ? s.column : s.row) = words;
                }
            }
        }
    }

    int letterAt(int x, int y) const { return sq_[x][y].letter; }

    // ---- Moves after the first ----

    void laterMoves() {
        crossWords();
        singleTiles();
        for (const bool down : {true, false})
            for (int i = 0; i < kBoard && !stop_; ++i)
                lineMoves(down, i);
    }

    // Moves of one tile. The rules try its column first and then its row:
    // the move stands when the word in one of them is in the list and the
    // word in the other is too, or is the tile alone.
    void singleTiles() {
        const std::uint32_t avail = available();
        for (int x = 0; x < kBoard && !stop_; ++x) {
            for (int y = 0; y < kBoard; ++y) {
                const Square &s = sq_[x][y];
                if (s.letter >= 0 || !(s.hasColumn || s.hasRow))
                    continue;
                const std::uint32_t downOk = s.column & (s.hasRow ? s.row : kAllLetters);
                const std::uint32_t acrossOk = s.row & (s.hasColumn ? s.column : kAllLetters);
                for (std::uint32_t m = (downOk | acrossOk) & avail; m; m &= m - 1) {
                    const int c = __builtin_ctz(m);
                    eachTileFor(c, [&](int front, bool flipped) {
                        depth_ = 0;
                        push(y, c, front, flipped);
                        down_ = true;
                        index_ = x;
                        offer();
                    });
                }
            }
        }
        depth_ = 0;
    }

    void lineMoves(bool down, int index) {
        down_ = down;
        index_ = index;
        bool anyAnchor = false;
        for (int pos = 0; pos < kBoard; ++pos) {
            const int x = down ? index : pos;
            const int y = down ? pos : index;
            const Square &s = sq_[x][y];
            line_.letter[pos] = s.letter;
            const bool hasCross = down ? s.hasRow : s.hasColumn;
            line_.cross[pos] =
                s.letter >= 0 ? 0 : (hasCross ? (down ? s.row : s.column) : kAllLetters);
            const bool anchor = s.letter < 0 && (s.hasRow || s.hasColumn);
            line_.anchor[pos] = anchor;
            anyAnchor = anyAnchor || anchor;
        }
        if (!anyAnchor)
            return;
        for (int a = 0; a < kBoard && !stop_; ++a) {
            if (!line_.anchor[a])
                continue;
            anchor_ = a;
            depth_ = 0;
            if (g_.kind() == WordGraph::Kind::Gaddag)
                goLeft(a, g_.root());
            else
                fromAnchor(a);
        }
    }

    int lineLetter(int pos) const { return line_.letter[pos]; }

    // DAWG: the part left of the anchor is either the board letters there,
    // or tiles on the empty squares before it that are no anchors (so that
    // the anchor is the move's first), tried for every prefix of the graph;
    // then the word is extended to the right from the anchor on.
    void fromAnchor(int a) {
        if (a > 0 && lineLetter(a - 1) >= 0) {
            int start = a - 1;
            while (start > 0 && lineLetter(start - 1) >= 0)
                --start;
            Node n = g_.root();
            for (int pos = start; pos < a && n != kNone; ++pos)
                n = g_.child(n, lineLetter(pos));
            if (n != kNone)
                extendRight(a, n);
            return;
        }
        int limit = 0;
        for (int pos = a - 1; pos >= 0 && lineLetter(pos) < 0 && !line_.anchor[pos]; --pos)
            ++limit;
        leftPart(g_.root(), limit);
    }

    void leftPart(Node n, int limit) {
        if (stopped())
            return;
        // The prefix so far lies just before the anchor; the word goes on
        // when a tile fits on the anchor.
        if (g_.symbols(n) & line_.cross[anchor_] & available()) {
            for (int i = 0; i < depth_; ++i)
                laid_[i].pos = anchor_ - depth_ + i;
            extendRight(anchor_, n);
        }
        if (limit == 0)
            return;
        for (std::uint32_t m = g_.symbols(n) & available(); m; m &= m - 1) {
            const int c = __builtin_ctz(m);
            const Node next = g_.child(n, c);
            eachTileFor(c, [&](int front, bool flipped) {
                push(0, c, front, flipped);
                leftPart(next, limit - 1);
                --depth_;
            });
        }
    }

    // Both graphs: goes on to the right from `pos` with the word so far at
    // node n; the move may end where the word can.
    void extendRight(int pos, Node n) {
        if (stopped())
            return;
        if (pos == kBoard || lineLetter(pos) < 0) {
            if (pos > anchor_ && depth_ >= 2 && g_.terminal(n))
                offer();
            if (pos == kBoard)
                return;
        } else {
            const Node next = g_.child(n, lineLetter(pos));
            if (next != kNone)
                extendRight(pos + 1, next);
            return;
        }
        for (std::uint32_t m = g_.symbols(n) & line_.cross[pos] & available(); m; m &= m - 1) {
            const int c = __builtin_ctz(m);
            const Node next = g_.child(n, c);
            eachTileFor(c, [&](int front, bool flipped) {
                push(pos, c, front, flipped);
                extendRight(pos + 1, next);
                --depth_;
            });
        }
    }

    // GADDAG: grows the word from the anchor to the left, through board
    // letters and over empty squares that are no anchors, then turns at the
    // separator and grows it to the right.
    void goLeft(int pos, Node n) {
        if (stopped())
            return;
        if (lineLetter(pos) >= 0) {
            const Node next = g_.child(n, lineLetter(pos));
            if (next != kNone)
                afterLeft(pos, next);
            return;
        }
        if (pos != anchor_ && line_.anchor[pos])
            return;
        for (std::uint32_t m = g_.symbols(n) & line_.cross[pos] & available(); m; m &= m - 1) {
            const int c = __builtin_ctz(m);
            const Node next = g_.child(n, c);
            eachTileFor(c, [&](int front, bool flipped) {
                push(pos, c, front, flipped);
                afterLeft(pos, next);
                --depth_;
            });
        }
    }

    void afterLeft(int pos, Node n) {
        if (pos > 0 && lineLetter(pos - 1) >= 0) {
            goLeft(pos - 1, n); // a board letter before the word belongs to it
            return;
        }
        const Node turn = g_.child(n, kSeparator);
        if (turn != kNone)
            extendRight(anchor_ + 1, turn);
        if (pos > 0)
            goLeft(pos - 1, n);
    }

    // ---- The first word ----

    void firstWords() {
        // For each length and direction, where a word earns the most: the
        // most squares of the mover's colour.
        for (const bool down : {true, false}) {
            for (int n = 1; n <= std::min(rackSize_, rules::kMaxWordLength); ++n) {
                Spot &best = spots_[down ? 1 : 0][n];
                int most = -1;
                for (int line = 0; line < kBoard; ++line) {
                    for (int start = 0; start + n <= kBoard; ++start) {
                        int own = 0;
                        for (int i = 0; i < n; ++i) {
                            const int x = down ? line : start + i;
                            const int y = down ? start + i : line;
                            own += p_.squares[x][y] == p_.mover;
                        }
                        if (own > most) {
                            most = own;
                            best = {line, start};
                        }
                    }
                }
            }
        }
        depth_ = 0;
        spell(g_.root());
    }

    // Spells every word the rack can, letter by letter: from its first in a
    // DAWG, from its last backwards in a GADDAG.
    void spell(Node n) {
        if (stopped() || depth_ == std::min(rackSize_, rules::kMaxWordLength))
            return;
        const bool gaddag = g_.kind() == WordGraph::Kind::Gaddag;
        for (std::uint32_t m = g_.symbols(n) & available(); m; m &= m - 1) {
            const int c = __builtin_ctz(m);
            const Node next = g_.child(n, c);
            eachTileFor(c, [&](int front, bool flipped) {
                push(0, c, front, flipped);
                const Node end = gaddag ? g_.child(next, kSeparator) : next;
                if (end != kNone && g_.terminal(end)) {
                    if (gaddag)
                        std::reverse(laid_.begin(), laid_.begin() + depth_);
                    layFirst();
                    if (gaddag)
                        std::reverse(laid_.begin(), laid_.begin() + depth_);
                }
                spell(next);
                --depth_;
            });
        }
    }

    // Lays the spelt word where it earns the most, down and across. A single
    // tile is tried in its column first, so it makes one move only.
    void layFirst() {
        for (const bool down : {true, false}) {
            if (!down && depth_ == 1)
                break;
            const Spot &s = spots_[down ? 1 : 0][depth_];
            for (int i = 0; i < depth_; ++i)
                laid_[i].pos = s.start + i;
            down_ = down;
            index_ = s.line;
            offer();
        }
    }

    // ---- A move found ----

    // Hands the tiles to the rules as the host would get them; keeps the
    // move when they accept it.
    void offer() {
        ++stats_.proposed;
        // Each tile takes the next rack slot that holds its front letter;
        // the rules want the tiles in rack-slot order.
        std::array<int, kLetters> used{};
        std::array<int, rules::kRackSlots + 1> bySlot;
        bySlot.fill(-1);
        for (int i = 0; i < depth_; ++i) {
            const int front = laid_[i].front;
            bySlot[slots_[front][used[front]++]] = i;
        }
        QList<rules::Placed> &placed = placed_;
        placed.clear();
        Move move;
        move.tiles.reserve(depth_);
        for (int slot = 1; slot <= rules::kRackSlots; ++slot) {
            if (bySlot[slot] < 0)
                continue;
            const Tile &t = laid_[bySlot[slot]];
            const int x = down_ ? index_ : t.pos;
            const int y = down_ ? t.pos : index_;
            placed.append({slot, x, y, t.letter});
            move.tiles.append({slot, t.flipped, x, y});
        }
        const rules::Verdict v = rules_.judge(p_.board, p_.squares, p_.mover, placed, first_);
        if (!v.valid) {
            ++stats_.refused;
            return;
        }
        move.score = v.score;
        move.zorbles = v.zorbles;
        move.first = v.first;
        move.word = v.word;
        out_.push_back(std::move(move));
    }

    struct Square {
        int letter = -1;
        bool hasColumn = false;   // letters above or below
        bool hasRow = false;      // letters left or right
        std::uint32_t column = 0; // letters that make a word in the column
        std::uint32_t row = 0;    // letters that make a word in the row
    };
    struct Spot {
        int line = 0;
        int start = 0;
    };

    const WordGraph &g_;
    const rules::Rules &rules_;
    const Position &p_;
    Clock::time_point deadline_;
    Stats &stats_;
    std::vector<Move> &out_;

    std::array<int, kLetters> count_{};
    std::array<std::array<int, rules::kRackSlots>, kLetters> slots_{};
    std::uint32_t fronts_ = 0;    // front letters of the tiles left on the rack
    std::uint32_t available_ = 0; // the letters they can show
    bool first_ = p_.firstWord();
    int rackSize_ = 0;

    std::array<std::array<Square, kBoard>, kBoard> sq_{};
    std::array<std::array<Spot, rules::kMaxWordLength + 1>, 2> spots_{};
    Line line_;
    bool down_ = false;
    int index_ = 0;
    int anchor_ = 0;
    std::array<Tile, rules::kRackSlots> laid_{};
    QList<rules::Placed> placed_; // the tiles of the move offered, for the rules
    int depth_ = 0;
    bool stop_ = false;
    unsigned ticks_ = 0;
};

std::vector<Move> MoveGenerator::generate(const Position &position, Clock::time_point deadline) {
    stats_ = {};
    std::vector<Move> moves;
    Search(graph_, rules_, position, deadline, stats_, moves).run();
    return moves;
}

} // namespace ai
