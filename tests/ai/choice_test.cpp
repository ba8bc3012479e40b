// How each level chooses among the moves found, and what it does without one.
#include "ai/choice.h"
#include "ai/engine.h"
#include "tests/ai/positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace {

using ai::Decision;
using ai::Level;
using ai::Move;

Move move(int score, int zorbles = 0, int slot = 1) {
    Move m;
    m.score = score;
    m.zorbles = zorbles;
    m.tiles.append({slot, false, 5, 5});
    m.word = QString::number(score);
    return m;
}

ai::Position withRack(const char *letters) {
    ai::Position p;
    for (int i = 0; letters[i]; ++i)
        p.rack[i + 1] = letters[i] - 'a';
    return p;
}

TEST(Levels, ChooseByTheirOwnRule) {
    const ai::Position p = withRack("abcdef");
    // Normal goes for the points; hard for the points to expect, and a Zorble
    // square's outcome adds a third on average (27 -> 36).
    const std::vector<Move> moves = {move(30, 0, 1), move(27, 1, 2), move(12, 0, 3)};
    std::mt19937 rng(1);
    const ai::Turn lastTiles{0, false};
    EXPECT_EQ(ai::choose(Level::Normal, p, moves, lastTiles, rng).move.score, 30);
    EXPECT_EQ(ai::choose(Level::Hard, p, moves, lastTiles, rng).move.score, 27);

    // Easy takes any of the lower-scoring half, and not always the same.
    std::vector<Move> six;
    for (int s : {60, 10, 50, 20, 40, 30})
        six.push_back(move(s));
    std::set<int> taken;
    for (int i = 0; i < 200; ++i) {
        const Decision d = ai::choose(Level::Easy, p, six, lastTiles, rng);
        ASSERT_EQ(d.action, Decision::Action::Play);
        taken.insert(d.move.score);
    }
    EXPECT_EQ(taken, (std::set<int>{10, 20, 30}));
}

TEST(Levels, WithoutAMoveOnlyHardBuysNewTilesAndOnlyWhenAllowed) {
    const ai::Position p = withRack("qqqq");
    std::mt19937 rng(1);
    const struct {
        Level level;
        bool mayExchange;
        Decision::Action action;
    } cases[] = {
        {Level::Hard, true, Decision::Action::Exchange},
        {Level::Hard, false, Decision::Action::Pass},
        {Level::Normal, true, Decision::Action::Pass},
        {Level::Easy, true, Decision::Action::Pass},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ai::choose(c.level, p, {}, {50, c.mayExchange}, rng).action, c.action)
            << ai::nameOf(c.level).toStdString() << " " << c.mayExchange;
}

TEST(KeptTiles, AMixOfVowelsAndConsonantsWithoutRepeatsIsWorthMore) {
    auto worth = [](const char *letters, bool doubleTiles) {
        std::array<int, 26> kept{};
        for (int i = 0; letters[i]; ++i)
            ++kept[letters[i] - 'a'];
        return ai::keptTilesWorth(kept, doubleTiles);
    };
    const struct {
        const char *better;
        const char *worse;
        bool doubleTiles;
    } cases[] = {
        {"aerst", "bcdfg", false}, // too few vowels
        {"aerst", "aeiou", false}, // too many
        {"enst", "ennt", false},   // a letter twice
        {"quen", "qten", false},   // a q without a u
        {"vrst", "bcst", true},    // v and r can show e and i
    };
    for (const auto &c : cases)
        EXPECT_GT(worth(c.better, c.doubleTiles), worth(c.worse, c.doubleTiles))
            << c.better << " against " << c.worse;
}

bool sameTiles(const Move &a, const Move &b) {
    return std::equal(a.tiles.begin(), a.tiles.end(), b.tiles.begin(), b.tiles.end(),
                      [](const rules::LaidTile &s, const rules::LaidTile &t) {
                          return s.rackslot == t.rackslot && s.flipped == t.flipped && s.x == t.x &&
                                 s.y == t.y;
                      });
}

// Hard thinks ahead within its deadline and plays one of the moves found;
// with time for little more than finding them, it still plays one.
TEST(Levels, HardPlaysAMoveItFoundWithinItsDeadline) {
    ai::Engine engine;
    std::mt19937 rng(8);
    const auto positions =
        aitest::playedPositions(engine.generator(), engine.rules(), rng, 1, {2, false});
    ASSERT_GT(positions.size(), 12u);
    ai::Position p = positions[10];
    p.rack = aitest::randomRack(rng);
    const auto before = ai::Clock::now();
    const std::vector<Move> found = engine.generator().generate(p);
    const auto once = ai::Clock::now() - before;
    ASSERT_GT(found.size(), 10u);
    for (const auto allowed : {ai::Clock::duration(std::chrono::seconds(2)), once * 3 / 2}) {
        const auto start = ai::Clock::now();
        const auto deadline = start + allowed;
        const Decision d = ai::decide(Level::Hard, p, {60, true, deadline}, engine.generator(),
                                      engine.rules(), rng);
        EXPECT_LT(ai::Clock::now() - start, std::chrono::seconds(2));
        ASSERT_EQ(d.action, Decision::Action::Play);
        const bool listed = std::any_of(found.begin(), found.end(), [&](const Move &m) {
            return sameTiles(m, d.move) && m.score == d.move.score;
        });
        EXPECT_TRUE(listed) << d.move.word.toStdString();
    }

    // Thought through a step at a time, as a player in a window's program
    // thinks, so that events are handled between the steps: normal decides
    // in the one step that finds the moves, hard takes one more step for
    // each move it looks ahead from.
    for (const Level level : {Level::Normal, Level::Hard}) {
        ai::Thinking thinking(level, p, {60, true, ai::Clock::time_point::max()},
                              engine.generator(), engine.rules(), rng);
        int steps = 1;
        while (thinking.step())
            ++steps;
        EXPECT_EQ(steps, level == Level::Hard ? 7 : 1);
        EXPECT_EQ(thinking.decision().action, Decision::Action::Play);
    }
}

} // namespace
