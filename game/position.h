#pragma once

// One position of a game as a player sees it when it is to move: the letters
// on the board, the square kinds, the mover's rack and the flags that change
// what a move may be. The host judges moves in it, the client mirrors it, the
// preview judges the tiles laid in it, and the move generator searches it.

#include "rules/rules.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace game {

using rules::Grid;
using rules::kBoard;
using rules::kEmpty;
using rules::kRackSlots;
using rules::LaidTile;
using rules::Rack;

inline constexpr int kSeats = 4;      // player seats 1..4
inline constexpr int kMaxSlot = 9;    // watchers take slots 5..9
inline constexpr int kCentreKind = 0; // square kind of the centre square

inline bool isSeat(int n) {
    return n >= 1 && n <= kSeats;
}
inline bool isSlot(int n) {
    return n >= 1 && n <= kMaxSlot;
}

// A letter on a square, as the host announces it.
struct BoardLetter {
    int x = 0;
    int y = 0;
    int letter = 0;
    bool operator==(const BoardLetter &) const = default;
};

struct Position {
    Grid board{};             // letters 0..25, kEmpty where there is none
    Grid squares{};           // the centre 0, seat colours 1..4, Zorble squares 5
    Rack rack{};              // slots 1..10: a letter 0..25, or kEmpty
    int mover = 1;            // the seat to move, 1..4
    bool doubleTiles = false; // tiles may be laid on their second side
    bool firstword = true;    // the first word of the game is still to be laid

    // An empty board and rack; the first word is to come.
    Position();
    bool firstWord() const { return firstword; }
    // Whether no letter lies on the board.
    bool boardEmpty() const;
};

// A square as players name it: its column A..S from the left and its row
// 1..19 from the top, "K1".
QString squareName(int x, int y);

// The square kinds of a board whose quarters (top left, bottom left, top
// right, bottom right) have these seat colours, with the centre square.
Grid quarterKinds(const std::array<int, 4> &quarters);
// Marks the Zorble squares of a game with `count` of them (4, 8, 12, 16 or
// 20; any other count marks none).
void markZorbleSquares(Grid &squares, int count);

// Reads the tiles laid in the position against its rack and judges them as
// the host does; nothing when the tiles could not have come from a client.
std::optional<rules::Verdict> judgeMove(const rules::Rules &rules, const Position &position,
                                        const QList<LaidTile> &tiles);

} // namespace game
