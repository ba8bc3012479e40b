#pragma once

// Positions for the move generator's tests and benchmarks: those met in games
// played here, turn by turn, and boards filled with random letters.
#include "ai/movegen.h"

#include <functional>
#include <random>
#include <vector>

namespace aitest {

// The square kinds of a game as the client core colours them: the seat
// colours' quarters in one of four arrangements (0..3), the centre, and
// `zorbles` Zorble squares (0, 4, 8, ..., 20).
rules::Grid squaresOf(int arrangement, int zorbles);

struct GameSetup {
    int seats = 2;
    bool doubleTiles = false;
};

using Turn = std::function<void(const ai::Position &, const std::vector<ai::Move> &)>;

// Plays `games` games with the generator on the rules: each turn the mover
// draws up to ten tiles from a bag with the game's letter counts and plays
// the best move half the time and any move otherwise, until the tiles run out
// or everybody passes. The choice does not depend on the order in which the
// generator lists the moves. Each turn's position, the mover's rack included, goes
// to `turn` with the moves the generator found in it.
void playGames(ai::MoveGenerator &generator, const rules::Rules &rules, std::mt19937 &rng,
               int games, const GameSetup &setup, const Turn &turn);

// The positions of every turn of such games.
std::vector<ai::Position> playedPositions(ai::MoveGenerator &generator, const rules::Rules &rules,
                                          std::mt19937 &rng, int games, const GameSetup &setup);

// A board holding random letters (not words), in scattered squares and in
// runs, on a random colouring, with a random rack of 1 to `maxTiles` tiles.
// One in twenty is empty, for a first word.
ai::Position randomFill(std::mt19937 &rng, bool doubleTiles, int maxTiles = 10);

// A rack of ten tiles from the game's letter counts.
rules::Rack randomRack(std::mt19937 &rng, int tiles = 10);

} // namespace aitest
