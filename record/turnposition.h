#pragma once

// A recorded turn as its player saw it: the board before it and the rack
// the record holds, so that its choice can be held against the best move.

#include "record/reader.h"

#include <optional>

namespace record {

struct RecordedTurn {
    int turn = 0;            // from 1
    int entry = 0;           // its index in the game's entries
    game::Position position; // mover, board, squares; the rack when known
    bool rackKnown = false;
    // What the turn earned by the rules, before any Zorble outcome: a move's
    // points, -10 for new tiles, 0 for a pass or a time-out.
    int played = 0;
};

// Every turn of the game, in order.
QList<RecordedTurn> recordedTurns(const Game &game);

// A move's points before its Zorble outcome (plus 20, minus 20, doubled).
int pointsBeforeOutcome(int points, int bonus);

} // namespace record
