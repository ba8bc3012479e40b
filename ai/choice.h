#pragma once

// What a computer player does with the moves it found, by level:
//  - easy: any move from the lower-scoring half;
//  - normal: the move with the most points;
//  - hard: the move worth the most: the points to expect once a Zorble
//    square's outcome is drawn, plus what the tiles it keeps are worth; for
//    its best few it looks one turn ahead, at the best move it would have
//    next on the board so changed, with its rack filled up from the tiles it
//    has not seen. New tiles when no move is left.
// Without a move (or new tiles) the player passes.

#include "ai/movegen.h"

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace ai {

enum class Level { Easy, Normal, Hard };

// "easy", "normal", "hard".
std::optional<Level> levelNamed(const QString &name);
QString nameOf(Level level);

struct Decision {
    enum class Action { Play, Exchange, Pass };
    Action action = Action::Pass;
    Move move; // the move to play
};

// The turn beyond the board and the rack.
struct Turn {
    int tilesLeft = 0;                                     // tiles still in the bag
    bool mayExchange = false;                              // new tiles can still be bought
    Clock::time_point deadline = Clock::time_point::max(); // for all the thinking
};

// Chooses among the moves found, without looking ahead.
Decision choose(Level level, const Position &position, const std::vector<Move> &moves,
                const Turn &turn, std::mt19937 &rng);

// A turn thought through a step at a time, so that a program with a window
// handles its events between the steps: the first step finds the moves and
// chooses; at the hard level each further step looks one turn ahead from one
// of its best few, while the deadline allows.
class Thinking {
public:
    // The generator, the rules and the random source must outlive it.
    Thinking(Level level, const Position &position, const Turn &turn, MoveGenerator &generator,
             const rules::Rules &rules, std::mt19937 &rng);
    Thinking(const Thinking &) = delete;
    Thinking &operator=(const Thinking &) = delete;

    // Takes the next step; false once the decision is made.
    bool step();
    // The decision, once step() returned false.
    const Decision &decision() const { return decision_; }

private:
    void firstStep();
    void lookAhead();
    void finish();

    Level level_;
    Position position_;
    Turn turn_;
    MoveGenerator &generator_;
    const rules::Rules &rules_;
    std::mt19937 &rng_;
    bool started_ = false;
    bool done_ = false;
    std::vector<Move> moves_;
    Decision decision_;
    std::vector<std::pair<double, std::size_t>> ranked_; // worth now, index in moves_
    std::size_t next_ = 0;                               // the next of ranked_ to look at
    std::vector<int> pool_;                              // the unseen tiles, one per tile
    std::optional<std::size_t> chosen_;
    double best_ = 0;
};

// Thinks a turn through in one go.
Decision decide(Level level, const Position &position, const Turn &turn, MoveGenerator &generator,
                const rules::Rules &rules, std::mt19937 &rng);

// The points a move brings on average: a Zorble square's outcome is plus 20,
// minus 20 or double with equal chances, a third of the points more.
double expectedPoints(const Move &move);

// What the tiles a player keeps are worth for its next turns, in points: a
// mix of vowels and consonants near two to three, no letter many times over,
// no tile that is hard to place; with double tiles a tile that can show a
// vowel or a consonant keeps both open. 0 at best, less otherwise.
double keptTilesWorth(const std::array<int, 26> &kept, bool doubleTiles);

// The front letters a player keeps after the move.
std::array<int, 26> keptTiles(const Position &position, const Move &move);

} // namespace ai
