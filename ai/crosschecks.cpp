#include "ai/crosschecks.h"

namespace ai {

namespace {

constexpr int kBoard = rules::kBoard;
using Node = WordGraph::Node;
using Arc = WordGraph::Arc;

// The letter on a board square as the rules spell it: -1 for none, and "a"
// for a value that is no letter.
int letterOn(int v) {
    if (v == rules::kEmpty)
        return -1;
    return v >= 0 && v < kLetters ? v : 0;
}

} // namespace

CrossChecks::CrossChecks(const WordGraph &graph, const rules::Grid &board,
                         const rules::Grid &squares)
    : graph_(&graph) {
    for (const Arc *a = graph.arcs(graph.root());; ++a) {
        if (a->symbol() < kLetters) {
            const bool word = graph.kind() == WordGraph::Kind::Dawg ? a->endsWord() : [&] {
                const Arc *turn = graph.turn(a->target());
                return turn && turn->endsWord();
            }();
            if (word)
                singles_ |= 1u << a->symbol();
        }
        if (a->last())
            break;
    }
    for (int x = 0; x < kBoard; ++x) {
        for (int y = 0; y < kBoard; ++y) {
            Square &s = squares_[x][y];
            s.letter = std::int8_t(letterOn(board[x][y]));
            s.kind = std::uint8_t(squares[x][y] >= 0 && squares[x][y] <= 5 ? squares[x][y] : 0);
            s.fits = {kAllLetters, kAllLetters};
            letters_ += s.letter >= 0;
        }
    }
    for (int x = 0; x < kBoard; ++x)
        for (int y = 0; y < kBoard; ++y)
            if (squares_[x][y].letter < 0)
                for (const int d : {kColumn, kRow})
                    update(x, y, d);
}

void CrossChecks::lay(int x, int y, int letter) {
    Square &s = squares_[x][y];
    if (s.letter >= 0 || letter < 0 || letter >= kLetters)
        return;
    s.letter = std::int8_t(letter);
    ++letters_;
    // The runs through the square in both directions have grown: the empty
    // squares at their ends see other letters now.
    for (const int d : {kColumn, kRow}) {
        const int dx = d == kRow ? 1 : 0;
        const int dy = d == kColumn ? 1 : 0;
        int bx = x - dx;
        int by = y - dy;
        while (bx >= 0 && by >= 0 && squares_[bx][by].letter >= 0) {
            bx -= dx;
            by -= dy;
        }
        if (bx >= 0 && by >= 0)
            update(bx, by, d);
        int ax = x + dx;
        int ay = y + dy;
        while (ax < kBoard && ay < kBoard && squares_[ax][ay].letter >= 0) {
            ax += dx;
            ay += dy;
        }
        if (ax < kBoard && ay < kBoard)
            update(ax, ay, d);
    }
}

void CrossChecks::update(int x, int y, int direction) {
    Square &s = squares_[x][y];
    const int dx = direction == kRow ? 1 : 0;
    const int dy = direction == kColumn ? 1 : 0;
    std::array<int, kBoard> before{};
    std::array<int, kBoard> after{};
    int nb = 0;
    int na = 0;
    std::array<std::uint8_t, 5> points{};
    auto collect = [&](int cx, int cy) {
        const Square &c = squares_[cx][cy];
        for (int seat = 1; seat <= 4; ++seat)
            points[seat] = std::uint8_t(points[seat] + pointsOf(c.kind, seat));
        return c.letter;
    };
    for (int cx = x - dx, cy = y - dy; cx >= 0 && cy >= 0 && squares_[cx][cy].letter >= 0;
         cx -= dx, cy -= dy)
        before[nb++] = collect(cx, cy);
    for (int cx = x + dx, cy = y + dy; cx < kBoard && cy < kBoard && squares_[cx][cy].letter >= 0;
         cx += dx, cy += dy)
        after[na++] = collect(cx, cy);
    s.joins[direction] = nb + na > 0;
    s.fits[direction] = nb + na > 0 ? wordsThrough(before, nb, after, na) : kAllLetters;
    s.points[direction] = points;
}

// The letters c for which before + c + after is a word; `before` and `after`
// run away from the square (before[0] is the nearest letter).
std::uint32_t CrossChecks::wordsThrough(const std::array<int, kBoard> &before, int nb,
                                        const std::array<int, kBoard> &after, int na) const {
    const WordGraph &g = *graph_;
    // Forwards: the letters before the square lead to the node to branch
    // from, and the letters after it follow each branch. A GADDAG holds a
    // DAWG behind its separator: the first letter, the separator, the rest.
    // Backwards (GADDAG only): the letters after the square from the far end
    // lead to the node to branch from, and each branch goes on through the
    // letters before it and the separator. Whichever walks fewer letters
    // for each branch.
    const bool dawg = g.kind() == WordGraph::Kind::Dawg;
    const bool forwards = dawg || (nb > 0 && na <= nb);
    const std::array<int, kBoard> &lead = forwards ? before : after;
    const std::array<int, kBoard> &follow = forwards ? after : before;
    const int nl = forwards ? nb : na;
    const int nf = forwards ? na : nb;
    Node n = g.root();
    for (int i = 0; i < nl; ++i) {
        const Arc *a = g.find(n, lead[nl - 1 - i]);
        if (!a)
            return 0;
        n = a->target();
        if (!dawg && forwards && i == 0) {
            const Arc *turn = g.turn(n);
            if (!turn)
                return 0;
            n = turn->target();
        }
    }
    std::uint32_t mask = 0;
    for (const Arc *a = g.arcs(n);; ++a) {
        if (a->symbol() < kLetters) {
            Node t = a->target();
            bool word = a->endsWord();
            bool alive = true;
            for (int i = 0; i < nf && alive; ++i) {
                const Arc *b = g.find(t, follow[i]);
                alive = b != nullptr;
                if (alive) {
                    t = b->target();
                    word = b->endsWord();
                }
            }
            if (alive && !forwards) {
                const Arc *turn = g.turn(t);
                word = turn && turn->endsWord();
            }
            if (alive && word)
                mask |= 1u << a->symbol();
        }
        if (a->last())
            break;
    }
    return mask;
}

} // namespace ai
