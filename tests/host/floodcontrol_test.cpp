// Flood control on its own clock: when a flood ends, and what a slower
// sender may still send.
#include "host/floodcontrol.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;
using Verdict = FloodControl::Verdict;

// The verdicts of lines sent one after the other at `now`, until one is dropped.
std::vector<Verdict> untilDropped(FloodControl &flood, FloodControl::Clock::time_point now) {
    std::vector<Verdict> verdicts;
    do
        verdicts.push_back(flood.take(now));
    while (verdicts.back() == Verdict::Pass && verdicts.size() < 1000);
    return verdicts;
}

TEST(FloodControl, AFloodEndsOnceTheClockHasRunDownAndTheNextIsToldAgain) {
    FloodControl flood;
    auto now = FloodControl::Clock::now();
    const std::vector<Verdict> first = untilDropped(flood, now);
    ASSERT_GT(first.size(), 10u); // a burst of ten passes whole
    EXPECT_EQ(first.back(), Verdict::DropAndTell);
    EXPECT_EQ(flood.take(now), Verdict::Drop);

    // Half the allowance later, the flood goes on: lines pass again, but the
    // next one dropped is not told.
    now += FloodControl::kAllowance / 2;
    const std::vector<Verdict> later = untilDropped(flood, now);
    EXPECT_GT(later.size(), 1u);
    EXPECT_EQ(later.back(), Verdict::Drop);

    // Once the clock has run down, a new flood is told again.
    now += FloodControl::kAllowance + 1ms;
    EXPECT_EQ(untilDropped(flood, now), first);
}

TEST(FloodControl, ASenderAtThePaceItAllowsIsNeverCut) {
    FloodControl flood;
    auto now = FloodControl::Clock::now();
    for (int i = 0; i < 10000; ++i, now += FloodControl::kPenalty)
        ASSERT_EQ(flood.take(now), Verdict::Pass) << i;
}

} // namespace
