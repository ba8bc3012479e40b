// How each level chooses among the moves found, and what it does without one.
#include "ai/choice.h"
#include "ai/engine.h"
#include "tests/ai/positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>

namespace {

using ai::Decision;
using ai::Level;
using ai::Move;
using ai::Play;

Play play(int score, int zorbles = 0, int slot = 1) {
    Play p;
    p.score = std::int16_t(score);
    p.zorbles = std::uint8_t(zorbles);
    p.count = 1;
    p.rackslots[0] = std::uint8_t(slot);
    return p;
}

ai::Turn turn(int tilesLeft, bool mayExchange,
              ai::Clock::time_point deadline = ai::Clock::time_point::max()) {
    ai::Turn t;
    t.tilesLeft = tilesLeft;
    t.mayExchange = mayExchange;
    t.deadline = deadline;
    return t;
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
    const std::vector<Play> plays = {play(30, 0, 1), play(27, 1, 2), play(12, 0, 3)};
    std::mt19937 rng(1);
    const ai::Turn lastTiles;
    EXPECT_EQ(ai::choose(Level::Normal, p, plays, lastTiles, rng), 0u);
    EXPECT_EQ(ai::choose(Level::Hard, p, plays, lastTiles, rng), 1u);
    EXPECT_EQ(ai::choose(Level::Normal, p, {}, lastTiles, rng), std::nullopt);

    // Easy takes any of the lower-scoring half, and not always the same.
    std::vector<Play> six;
    for (int s : {60, 10, 50, 20, 40, 30})
        six.push_back(play(s));
    std::set<int> taken;
    for (int i = 0; i < 200; ++i)
        taken.insert(six[*ai::choose(Level::Easy, p, six, lastTiles, rng)].score);
    EXPECT_EQ(taken, (std::set<int>{10, 20, 30}));
}

class Thought : public ::testing::Test {
protected:
    static void SetUpTestSuite() { engine_ = std::make_unique<ai::Engine>(); }
    static void TearDownTestSuite() { engine_.reset(); }
    static std::unique_ptr<ai::Engine> engine_;
};
std::unique_ptr<ai::Engine> Thought::engine_;

TEST_F(Thought, WithoutAMoveOnlyHardBuysNewTilesAndOnlyWhenAllowed) {
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
        EXPECT_EQ(ai::decide(c.level, p, turn(50, c.mayExchange), *engine_, rng).action, c.action)
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

// Every level plays one of the moves found; hard plays games out while its
// time lasts, and with time for little more than finding the moves it still
// plays one.
TEST_F(Thought, EveryLevelPlaysAMoveItFoundWithinItsTime) {
    std::mt19937 rng(8);
    const auto positions =
        aitest::playedPositions(engine_->generator(), engine_->rules(), rng, 1, {2, false});
    ASSERT_GT(positions.size(), 12u);
    ai::Position p = positions[10];
    p.rack = aitest::randomRack(rng);
    const auto before = ai::Clock::now();
    const std::vector<Move> found = engine_->generator().generate(p);
    const auto once = ai::Clock::now() - before;
    ASSERT_GT(found.size(), 10u);
    const struct {
        Level level;
        ai::Clock::duration allowed;
        bool simulates;
    } cases[] = {
        {Level::Easy, std::chrono::seconds(1), false},
        {Level::Normal, std::chrono::seconds(1), false},
        {Level::Hard, std::chrono::milliseconds(300), true},
        {Level::Hard, once * 3 / 2, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(ai::nameOf(c.level).toStdString());
        const auto start = ai::Clock::now();
        const Decision d = ai::decide(c.level, p, turn(60, true, start + c.allowed), *engine_, rng);
        EXPECT_LT(ai::Clock::now() - start, c.allowed + std::chrono::milliseconds(200));
        ASSERT_EQ(d.action, Decision::Action::Play);
        EXPECT_EQ(d.simulations > 0, c.simulates);
        const bool listed = std::any_of(found.begin(), found.end(), [&](const Move &m) {
            return sameTiles(m, d.move) && m.score == d.move.score && m.word == d.move.word;
        });
        EXPECT_TRUE(listed) << d.move.word.toStdString();
    }
}

} // namespace
