// Full move generation on mid-game boards (20 to 70 letters laid, from games
// played here) with a fresh ten-tile rack, single- and double-sided, with the
// DAWG the computer player uses and with the GADDAG; the time of each position
// is taken on its own, and median, 99th percentile and maximum are reported.
// Baseline in the same run: the rules judging the same moves once each, as
// the host judges a move sent to it. Also the time to build each graph and
// its memory, against loading the word list itself.
#include "ai/choice.h"
#include "ai/engine.h"
#include "ai/zorblebot.h"
#include "tests/ai/positions.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using ai::WordGraph;
using Kind = WordGraph::Kind;

constexpr int kPositions = 300;

ai::Engine &engine(Kind kind) {
    static std::unique_ptr<ai::Engine> dawg;
    static std::unique_ptr<ai::Engine> gaddag;
    std::unique_ptr<ai::Engine> &e = kind == Kind::Dawg ? dawg : gaddag;
    if (!e)
        e = std::make_unique<ai::Engine>(kind);
    return *e;
}

int lettersOn(const ai::Position &p) {
    int n = 0;
    for (const auto &column : p.board)
        for (int v : column)
            n += v != rules::kEmpty;
    return n;
}

// The same boards for every benchmark: turns of seeded games with 20 to 70
// letters on the board, each with a new rack of ten tiles.
const std::vector<ai::Position> &midGame(bool doubleTiles) {
    static std::vector<ai::Position> boards[2];
    std::vector<ai::Position> &out = boards[doubleTiles];
    if (!out.empty())
        return out;
    ai::Engine &e = engine(Kind::Dawg);
    std::mt19937 rng(1234);
    while (int(out.size()) < kPositions) {
        aitest::playGames(e.generator(), e.rules(), rng, 1, {int(rng() % 3) + 2, false},
                          [&](const ai::Position &p, const std::vector<ai::Move> &) {
                              const int n = lettersOn(p);
                              if (n < 20 || n > 70 || int(out.size()) >= kPositions)
                                  return;
                              ai::Position q = p;
                              q.rack = aitest::randomRack(rng);
                              q.doubleTiles = doubleTiles;
                              out.push_back(q);
                          });
    }
    return out;
}

double ms(ai::Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(benchmark::State &state, std::vector<double> laps, double moves) {
    std::sort(laps.begin(), laps.end());
    state.counters["median_ms"] = laps[laps.size() / 2];
    state.counters["p99_ms"] = laps[laps.size() * 99 / 100];
    state.counters["max_ms"] = laps.back();
    state.counters["moves"] = moves / double(laps.size());
}

void BM_Generate(benchmark::State &state, Kind kind, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(kind);
    std::vector<double> laps;
    double moves = 0;
    for (auto _ : state) {
        for (const ai::Position &p : positions) {
            const auto start = ai::Clock::now();
            const std::vector<ai::Move> found = e.generator().generate(p);
            laps.push_back(ms(ai::Clock::now() - start));
            moves += double(found.size());
            benchmark::DoNotOptimize(found.data());
        }
    }
    report(state, laps, moves);
}

// Baseline: each listed move read and judged once, as the host does it.
void BM_JudgeEveryMove(benchmark::State &state, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(Kind::Dawg);
    std::vector<std::vector<ai::Move>> listed;
    for (const ai::Position &p : positions)
        listed.push_back(e.generator().generate(p));
    std::vector<double> laps;
    double moves = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const ai::Position &p = positions[i];
            const auto start = ai::Clock::now();
            int valid = 0;
            for (const ai::Move &m : listed[i]) {
                const auto placed = rules::Rules::readMove(p.board, p.rack, m.tiles);
                valid += e.rules().judge(p.board, p.squares, p.mover, *placed, false).valid;
            }
            laps.push_back(ms(ai::Clock::now() - start));
            moves += valid;
        }
    }
    report(state, laps, moves);
}

BENCHMARK_CAPTURE(BM_Generate, DawgSingleSided, Kind::Dawg, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagSingleSided, Kind::Gaddag, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_JudgeEveryMove, SingleSided, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, DawgDoubleSided, Kind::Dawg, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagDoubleSided, Kind::Gaddag, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_JudgeEveryMove, DoubleSided, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A computer player's whole turn: finding the moves and choosing one by
// level (hard looks one turn ahead among its best few), a step at a time.
// In a window's program the event loop runs between the steps, so the
// longest step is what the window waits at most. The same positions as
// above; BM_Generate is the baseline.
void BM_Decide(benchmark::State &state, ai::Level level, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(Kind::Dawg);
    std::mt19937 rng(7);
    std::vector<double> laps;
    std::vector<double> steps;
    double played = 0;
    for (auto _ : state) {
        for (const ai::Position &p : positions) {
            const auto start = ai::Clock::now();
            const ai::Turn turn{40, true,
                                start + std::chrono::milliseconds(ai::ZorbleBot::kThinkingMs)};
            ai::Thinking thinking(level, p, turn, e.generator(), e.rules(), rng);
            for (bool more = true; more;) {
                const auto stepStart = ai::Clock::now();
                more = thinking.step();
                steps.push_back(ms(ai::Clock::now() - stepStart));
            }
            laps.push_back(ms(ai::Clock::now() - start));
            played += thinking.decision().action == ai::Decision::Action::Play;
        }
    }
    report(state, laps, played);
    state.counters.erase("moves");
    state.counters["played"] = played / double(laps.size());
    std::sort(steps.begin(), steps.end());
    state.counters["step_p99_ms"] = steps[steps.size() * 99 / 100];
    state.counters["step_max_ms"] = steps.back();
}
BENCHMARK_CAPTURE(BM_Decide, NormalSingleSided, ai::Level::Normal, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Decide, HardSingleSided, ai::Level::Hard, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Decide, NormalDoubleSided, ai::Level::Normal, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Decide, HardDoubleSided, ai::Level::Hard, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Building a graph from the list, and the memory it takes.
void BM_BuildGraph(benchmark::State &state, Kind kind) {
    const TDictn dict;
    std::size_t bytes = 0;
    std::size_t nodes = 0;
    for (auto _ : state) {
        const WordGraph g = WordGraph::build(kind, WordGraph::wordsOf(dict));
        bytes = g.bytes();
        nodes = g.nodeCount();
    }
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["nodes"] = double(nodes);
    state.counters["list_MB"] = double(dict.recordCount() * TDictn::RecordSize) / 1e6;
}
BENCHMARK_CAPTURE(BM_BuildGraph, Dawg, Kind::Dawg)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK_CAPTURE(BM_BuildGraph, Gaddag, Kind::Gaddag)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3);

// Baseline: opening the word list, as every program that looks words up does.
void BM_OpenWordList(benchmark::State &state) {
    for (auto _ : state) {
        const TDictn dict;
        benchmark::DoNotOptimize(dict.recordCount());
    }
}
BENCHMARK(BM_OpenWordList)->Unit(benchmark::kMillisecond)->Repetitions(3);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
