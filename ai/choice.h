#pragma once

// What a computer player does with the moves it found, by level:
//  - easy: any move from the lower-scoring half;
//  - normal: the move with the most points;
//  - hard: ranks the moves by their worth (the points to expect once a
//    Zorble square's outcome is drawn, plus what the tiles it keeps are
//    worth), then plays the best few out against the opponents until its
//    time is up (see Simulation) and takes the best on average. New tiles
//    when no move is left.
// Without a move (or new tiles) the player passes. The chosen move is judged
// by the rules before it is played.

#include "ai/movegen.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <random>
#include <vector>

namespace ai {

class Engine;

enum class Level { Easy, Normal, Hard };

// "easy", "normal", "hard".
std::optional<Level> levelNamed(const QString &name);
QString nameOf(Level level);

struct Decision {
    enum class Action { Play, Exchange, Pass };
    Action action = Action::Pass;
    Move move;           // the move to play
    int simulations = 0; // hard: the games played out to choose it
};

// The turn beyond the board and the rack.
struct Turn {
    int tilesLeft = 0;          // tiles still in the bag
    bool mayExchange = false;   // new tiles can still be bought
    std::vector<int> opponents; // the other players' seats, in the order they play next
    Clock::time_point deadline = Clock::time_point::max(); // for all the thinking
};

// Chooses among the moves found without looking ahead: the index of the
// move, nothing when there is none.
std::optional<std::size_t> choose(Level level, const Position &position,
                                  const std::vector<Play> &plays, const Turn &turn,
                                  std::mt19937 &rng);

// Thinks a turn through: finds the moves, chooses by level (hard simulates
// until the deadline) and judges the choice by the rules. Stops early, with
// what it has, when `cancelled` is set.
Decision decide(Level level, const Position &position, const Turn &turn, const Engine &engine,
                std::mt19937 &rng, const std::atomic<bool> *cancelled = nullptr);

// The move with the most points, judged by the rules; nothing when there is
// none.
std::optional<Move> bestMove(const Position &position, const Engine &engine,
                             const Limits &limits = {});

// The points a move brings on average: a Zorble square's outcome is plus 20,
// minus 20 or double with equal chances, a third of the points more.
double expectedPoints(const Play &play);

// What the tiles a player keeps are worth for its next turns, in points: a
// mix of vowels and consonants near two to three, no letter many times over,
// no tile that is hard to place; with double tiles a tile that can show a
// vowel or a consonant keeps both open. 0 at best, less otherwise.
double keptTilesWorth(const std::array<int, 26> &kept, bool doubleTiles);

// The front letters a player keeps after the play.
std::array<int, 26> keptTiles(const rules::Rack &rack, const Play &play);

// The worth of a play before looking ahead: its expected points and, while
// tiles are left to draw, half what the kept tiles are worth.
double worthNow(const Position &position, const Play &play, int tilesLeft);

} // namespace ai
