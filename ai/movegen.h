#pragma once

// Every valid move for a rack on a board.
//
// The word graph proposes the moves: tiles in one row or column that, with
// the board letters on both sides, spell a word of the graph, where every
// tile that touches letters across the line spells a word there too, and
// that use a board letter (anything goes for the first word). Then every
// proposal is judged and scored by the rules, exactly as the host judges a
// move sent to it, with the word list's own lookup. A proposal the rules
// refuse is dropped and counted; there should never be one.
//
// A move is listed once for each choice of tiles: tiles with the same letter
// are alike, but a letter shown by a tile's front and the same letter shown
// by another tile's second side make two moves (they keep different tiles).
//
// The first word of a game may lie anywhere and is then moved onto the
// centre line; wherever it was laid, it ends on the same squares. Only its
// points can depend on where it was laid (with four tiles or fewer, each
// square of the mover's colour counts double), so it is listed once per word
// and direction, laid where it earns the most.

#include "ai/wordgraph.h"
#include "game/position.h"
#include "rules/rules.h"

#include <QList>
#include <QString>

#include <chrono>
#include <vector>

namespace ai {

using Clock = std::chrono::steady_clock;

// What a player knows when it is to move.
using game::Position;

struct Move {
    QList<rules::LaidTile> tiles; // in rack-slot order, on the squares where they are laid
    int score = 0;                // the rules' points, before any Zorble outcome
    int zorbles = 0;              // Zorble squares the move covers where it ends up
    bool first = false;           // the first word, which moves onto the centre line
    QString word;                 // the main word
};

class MoveGenerator {
public:
    struct Stats {
        int proposed = 0;     // moves the graph proposed
        int refused = 0;      // proposals the rules refused (never expected)
        bool complete = true; // false when the deadline cut the search short
    };

    // The graph must be built from the same word list that the rules look
    // words up in. Both must outlive the generator.
    MoveGenerator(const WordGraph &graph, const rules::Rules &rules)
        : graph_(graph), rules_(rules) {}

    // Every valid move in the position. Past the deadline the search stops
    // and returns what it found so far (stats().complete tells).
    std::vector<Move> generate(const Position &position,
                               Clock::time_point deadline = Clock::time_point::max());

    const Stats &stats() const { return stats_; }

private:
    class Search;

    const WordGraph &graph_;
    const rules::Rules &rules_;
    Stats stats_;
};

} // namespace ai
