#pragma once

// Every valid move for a rack on a board, with its points.
//
// The search walks the word graph along each row and column from the
// anchors (empty squares next to a letter): the tiles, with the board letters
// on both sides, spell a word of the graph, every tile that touches letters
// across the line spells a word there too (the cross-checks), and the move
// uses a board letter (anything goes for the first word). The points come
// from the walk itself: every letter of the main word earns its square's
// points, and each tile's word across the line brings its board letters'
// points (the cross-score) and the tile's square once more. Nothing is judged
// twice; the tests hold every listed move against the rules.
//
// A move is listed once for each choice of tiles: tiles with the same letter
// are alike, but a letter shown by a tile's front and the same letter shown
// by another tile's second side make two moves (they keep different tiles).
// The walk goes by letters; the choices of tiles for a word it finds are
// listed when it finds it.
//
// The first word of a game may lie anywhere and is then moved onto the
// centre line; wherever it was laid, it ends on the same squares. Only its
// points can depend on where it was laid (with four tiles or fewer, each
// square of the mover's colour counts double), so it is listed once per word
// and direction, laid where it earns the most.

#include "ai/crosschecks.h"
#include "ai/wordgraph.h"
#include "game/position.h"
#include "rules/rules.h"

#include <QList>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace ai {

using Clock = std::chrono::steady_clock;

// What a player knows when it is to move.
using game::Position;

// A move as the generator lists it, in a few bytes: its tiles in one line,
// each with its place along the line, rack slot and side, and its points.
struct Play {
    static constexpr std::uint8_t kFlipped = 0x80;

    std::int16_t score = 0;   // the rules' points, before any Zorble outcome
    std::uint8_t zorbles = 0; // Zorble squares covered where the tiles end up
    std::uint8_t count = 0;   // tiles laid
    std::uint8_t line = 0;    // the column (down) or row of the tiles
    bool down = false;        // in a column; for one tile: its main word is the column's
    bool first = false;       // the first word, which moves onto the centre line
    std::array<std::uint8_t, rules::kRackSlots> along{};     // each tile's place in the line
    std::array<std::uint8_t, rules::kRackSlots> rackslots{}; // its rack slot, | kFlipped

    int x(int i) const { return down ? line : along[i]; }
    int y(int i) const { return down ? along[i] : line; }
    int rackslot(int i) const { return rackslots[i] & ~kFlipped; }
    bool flipped(int i) const { return (rackslots[i] & kFlipped) != 0; }
};

struct Move {
    QList<rules::LaidTile> tiles; // in rack-slot order, on the squares where they are laid
    int score = 0;                // the rules' points, before any Zorble outcome
    int zorbles = 0;              // Zorble squares the move covers where it ends up
    bool first = false;           // the first word, which moves onto the centre line
    QString word;                 // the main word
};

// The tiles of a play with their letters on the squares where the rules put
// them (a first word moved onto the centre line), in rack-slot order.
QList<rules::Placed> placedOf(const Play &play, const rules::Rack &rack);
// The play as a move, with its main word read off the board.
Move moveOf(const Play &play, const Position &position);

// When the search stops short of the end.
struct Limits {
    Clock::time_point deadline = Clock::time_point::max();
    const std::atomic<bool> *cancelled = nullptr; // set by another thread to stop
};

class MoveGenerator {
public:
    struct Stats {
        bool complete = true; // false when the deadline or a cancel cut the search short
    };
    enum class Keep { All, Best };

    // The graph must be built from the same word list that the rules look
    // words up in, and outlive the generator.
    explicit MoveGenerator(const WordGraph &graph) : graph_(graph) {}

    // Every valid move (or with Keep::Best the one with the most points) in
    // the board of `board` for the rack, mover and sides of `position`,
    // appended to `out`. Past the limits the search stops with what it found.
    void generate(const CrossChecks &board, const Position &position, std::vector<Play> &out,
                  Keep keep = Keep::All, const Limits &limits = {});

    // Every valid move in the position, as moves.
    std::vector<Move> generate(const Position &position,
                               Clock::time_point deadline = Clock::time_point::max());

    const Stats &stats() const { return stats_; }

private:
    class Search;

    const WordGraph &graph_;
    Stats stats_;
};

} // namespace ai
