#pragma once

// Holds the turns of a game against the best move the generator finds for
// each: the move with the most points the rules accept, and the points the
// player gave away by choosing otherwise. The positions are searched on
// worker threads of their own that share the engine, which is read-only.

#include "ai/engine.h"
#include "ai/movegen.h"

#include <optional>
#include <vector>

namespace ai {

struct TurnQuestion {
    game::Position position; // with the rack the player held
    int played = 0;          // what the turn earned by the rules
};

struct TurnAnswer {
    std::optional<Move> best; // none when no move was possible
    int givenAway = 0;        // the best move's points less what was played, at least 0
};

// One answer per question, in order, found on up to `threads` threads.
std::vector<TurnAnswer> analyse(const Engine &engine, const std::vector<TurnQuestion> &questions,
                                int threads);

} // namespace ai
