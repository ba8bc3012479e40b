#pragma once

// The hard level's look ahead: the best few moves by their worth now are
// played out in games of two turns more, as many as the time allows. Each
// round draws the opponents' racks and the bag from the tiles the player has
// not seen; for every move still in the running the opponents then play
// their best replies in turn, and the player its best next move from its
// rack filled up from the bag. A move's outcome in a round is its expected
// points, minus the opponents', plus those of the next move; all moves in
// the running meet the same draw, so their outcomes differ by their own
// doing. The move with the best mean outcome is chosen. Now and then the
// worse half drops out, so that the rest get more rounds.

#include "ai/choice.h"
#include "ai/crosschecks.h"
#include "ai/movegen.h"

#include <cstddef>
#include <random>
#include <vector>

namespace ai {

class Simulation {
public:
    // The moves to choose among are `plays`, found in `position` on `board`.
    // All of them must outlive the simulation.
    Simulation(const WordGraph &graph, const Position &position, const CrossChecks &board,
               const std::vector<Play> &plays, const Turn &turn);

    // The moves that are played out, best first: indexes in `plays`.
    std::vector<std::size_t> candidates() const;
    // Plays rounds until the limits; the index in `plays` of the move with
    // the best mean outcome (the best by its worth now before any round).
    std::size_t run(std::mt19937 &rng, const Limits &limits);
    // Rounds played to the end.
    int rounds() const { return rounds_; }

private:
    struct Candidate {
        std::size_t index = 0;
        double now = 0;   // worth before looking ahead
        double total = 0; // outcomes of the rounds so far
    };
    struct Draw {
        std::vector<rules::Rack> racks; // the opponents'
        std::vector<int> bag;           // the rest, in the order it is drawn
    };

    Draw draw(std::mt19937 &rng) const;
    // The outcome of one candidate in one draw; false when the limits cut it short.
    bool playOut(const Candidate &c, const Draw &d, const Limits &limits, double &outcome);

    const Position &position_;
    const CrossChecks &board_;
    const std::vector<Play> &plays_;
    Turn turn_;
    MoveGenerator generator_;
    std::vector<Candidate> running_;
    std::vector<int> unseen_; // one entry per tile
    std::vector<Play> scratch_;
    int rounds_ = 0;
};

} // namespace ai
