// Move generation with scores on 300 mid-game boards (20 to 70 letters laid,
// from games played here) with a fresh rack, single- and double-sided, with
// the DAWG the computer player uses and with the GADDAG; each position is
// timed on its own (the cross-checks worked out, then every move listed), and
// median, 99th percentile, maximum and the cost per listed move are reported,
// with racks of ten tiles and of their first seven. Times are the thread's
// processor time, so that other programs on a shared machine do not count. Baselines in the same
// run: the rules judging each listed move once, as the host judges a move sent to it; the same
// generator handing out its moves as Move objects. Also the cross-checks alone, a hard player's
// simulations in a turn, the time to build each graph and its memory, and the peak memory of the
// whole run.
//
// scripts/ai-bench-compare.sh runs this next to the generator of an earlier
// commit on the same boards.
#include "ai/choice.h"
#include "ai/engine.h"
#include "ai/zorblebot.h"
#include "tests/ai/positions.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>

namespace {

using ai::WordGraph;
using Kind = WordGraph::Kind;
using Keep = ai::MoveGenerator::Keep;

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
    ai::Engine &e = engine(ai::Engine::kDefaultGraph);
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

// The position with the first `tiles` tiles of its rack.
ai::Position withTiles(ai::Position p, int tiles) {
    for (int k = tiles + 1; k <= rules::kRackSlots; ++k)
        p.rack[k] = rules::kEmpty;
    return p;
}

// The processor time this thread has taken, in milliseconds: the machine
// the figures come from is shared, and other programs' time does not count.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void report(benchmark::State &state, std::vector<double> laps, double moves) {
    double total = 0;
    for (double lap : laps)
        total += lap;
    std::sort(laps.begin(), laps.end());
    state.counters["median_ms"] = laps[laps.size() / 2];
    state.counters["p99_ms"] = laps[laps.size() * 99 / 100];
    state.counters["max_ms"] = laps.back();
    state.counters["moves"] = moves / double(laps.size());
    state.counters["us_per_move"] = moves > 0 ? total * 1000.0 / moves : 0.0;
}

// Every move listed with its points (or only the best), the cross-checks
// worked out first; one list in memory at a time.
void BM_Generate(benchmark::State &state, Kind kind, bool doubleTiles, int tiles, Keep keep) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(kind);
    ai::MoveGenerator generator(e.graph());
    std::vector<ai::Play> plays;
    std::vector<double> laps;
    double moves = 0;
    for (auto _ : state) {
        for (const ai::Position &full : positions) {
            const ai::Position p = withTiles(full, tiles);
            plays.clear();
            const double start = cpuMs();
            const ai::CrossChecks board(e.graph(), p.board, p.squares);
            generator.generate(board, p, plays, keep);
            laps.push_back(cpuMs() - start);
            moves += double(plays.size());
            benchmark::DoNotOptimize(plays.data());
        }
    }
    report(state, laps, moves);
    if (keep == Keep::Best) {
        double total = 0;
        for (double lap : laps)
            total += lap;
        state.counters["mean_ms"] = total / double(laps.size());
    }
}

constexpr Keep kAll = Keep::All;
constexpr Kind kGaddag = Kind::Gaddag;
constexpr Kind kDawg = Kind::Dawg;
BENCHMARK_CAPTURE(BM_Generate, GaddagSingleSided, kGaddag, false, 10, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagDoubleSided, kGaddag, true, 10, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagSingleSided7Tiles, kGaddag, false, 7, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagDoubleSided7Tiles, kGaddag, true, 7, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, DawgSingleSided, kDawg, false, 10, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, DawgDoubleSided, kDawg, true, 10, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, DawgSingleSided7Tiles, kDawg, false, 7, kAll)->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagSingleSidedBestOnly, kGaddag, false, 10, Keep::Best)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagSingleSided7TilesBestOnly, kGaddag, false, 7, Keep::Best)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Generate, GaddagDoubleSidedBestOnly, kGaddag, true, 10, Keep::Best)
    ->Iterations(1);

// The same moves handed out as Move objects (tiles in a list, the word as
// text), as the generator of an earlier commit hands out its moves.
void BM_GenerateAsMoves(benchmark::State &state, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(ai::Engine::kDefaultGraph);
    std::vector<double> laps;
    double moves = 0;
    for (auto _ : state) {
        for (const ai::Position &p : positions) {
            const double start = cpuMs();
            const std::vector<ai::Move> found = e.generator().generate(p);
            laps.push_back(cpuMs() - start);
            moves += double(found.size());
            benchmark::DoNotOptimize(found.data());
        }
    }
    report(state, laps, moves);
}
BENCHMARK_CAPTURE(BM_GenerateAsMoves, SingleSided, false)->Iterations(1);
BENCHMARK_CAPTURE(BM_GenerateAsMoves, DoubleSided, true)->Iterations(1);

// Baseline: each listed move read and judged once, as the host does it.
void BM_JudgeEveryMove(benchmark::State &state, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(ai::Engine::kDefaultGraph);
    std::vector<double> laps;
    double moves = 0;
    for (auto _ : state) {
        for (const ai::Position &p : positions) {
            const std::vector<ai::Move> listed = e.generator().generate(p);
            const double start = cpuMs();
            int valid = 0;
            for (const ai::Move &m : listed) {
                const auto placed = rules::Rules::readMove(p.board, p.rack, m.tiles);
                valid += e.rules().judge(p.board, p.squares, p.mover, *placed, false).valid;
            }
            laps.push_back(cpuMs() - start);
            moves += valid;
        }
    }
    report(state, laps, moves);
}
BENCHMARK_CAPTURE(BM_JudgeEveryMove, SingleSided, false)->Iterations(1);
BENCHMARK_CAPTURE(BM_JudgeEveryMove, DoubleSided, true)->Iterations(1);

// The cross-checks and cross-scores of a board worked out from scratch, and
// brought up to date after the best move was laid.
void BM_CrossChecks(benchmark::State &state, bool incremental) {
    const auto &positions = midGame(false);
    ai::Engine &e = engine(ai::Engine::kDefaultGraph);
    std::vector<double> laps;
    std::vector<ai::Play> best;
    for (auto _ : state) {
        for (const ai::Position &p : positions) {
            ai::CrossChecks board(e.graph(), p.board, p.squares);
            best.clear();
            e.generator().generate(board, p, best, Keep::Best);
            if (best.empty())
                continue;
            const double start = cpuMs();
            if (incremental) {
                for (const rules::Placed &t : ai::placedOf(best.front(), p.rack))
                    board.lay(t.x, t.y, t.letter);
            } else {
                rules::Grid after = p.board;
                for (const rules::Placed &t : ai::placedOf(best.front(), p.rack))
                    after[t.x][t.y] = t.letter;
                board = ai::CrossChecks(e.graph(), after, p.squares);
            }
            laps.push_back(cpuMs() - start);
            benchmark::DoNotOptimize(&board);
        }
    }
    report(state, laps, 0);
    state.counters.erase("moves");
    state.counters.erase("us_per_move");
}
BENCHMARK_CAPTURE(BM_CrossChecks, FromScratch, false)->Unit(benchmark::kMicrosecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_CrossChecks, LayingAMove, true)->Unit(benchmark::kMicrosecond)->Iterations(1);

// A hard player's turn with the default thinking time, on the first 20
// boards: the games it plays out in that time.
void BM_HardTurn(benchmark::State &state, bool doubleTiles) {
    const auto &positions = midGame(doubleTiles);
    ai::Engine &e = engine(ai::Engine::kDefaultGraph);
    std::mt19937 rng(7);
    std::vector<double> rounds;
    for (auto _ : state) {
        for (std::size_t i = 0; i < 20; ++i) {
            ai::Turn turn;
            turn.tilesLeft = 40;
            turn.mayExchange = true;
            turn.deadline =
                ai::Clock::now() + std::chrono::milliseconds(ai::ZorbleBot::kThinkingMs);
            const ai::Decision d = ai::decide(ai::Level::Hard, positions[i], turn, e, rng);
            rounds.push_back(d.simulations);
        }
    }
    std::sort(rounds.begin(), rounds.end());
    state.counters["rounds_median"] = rounds[rounds.size() / 2];
    state.counters["rounds_min"] = rounds.front();
}
BENCHMARK_CAPTURE(BM_HardTurn, SingleSided, false)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_HardTurn, DoubleSided, true)->Unit(benchmark::kSecond)->Iterations(1);

// Building a graph from the list, and the memory it takes.
void BM_BuildGraph(benchmark::State &state, Kind kind) {
    const TDictn dict;
    std::size_t bytes = 0;
    std::size_t nodes = 0;
    std::size_t arcs = 0;
    for (auto _ : state) {
        const WordGraph g = WordGraph::build(kind, dict);
        bytes = g.bytes();
        nodes = g.nodeCount();
        arcs = g.arcCount();
    }
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["nodes"] = double(nodes);
    state.counters["arcs"] = double(arcs);
    state.counters["words"] = double(dict.recordCount());
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

// The peak memory of the run so far.
void BM_PeakMemory(benchmark::State &state) {
    for (auto _ : state) {
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            state.counters["peak_MiB"] = std::stod(line.substr(6)) / 1024.0;
}
BENCHMARK(BM_PeakMemory)->Iterations(1);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
