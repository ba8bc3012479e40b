// FindWord over listed and unlisted words, against a std::unordered_set of the same list.
//
// The allocation counter counts global operator new calls made during the timed lookups;
// the lookup itself should make none.
#include "bench/dict/lookupwords.h"
#include "dict/tdictn.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> allocations{0};
}

void *operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr std::size_t sampleSize = 1 << 16;

const LookupWords &words() {
    static const LookupWords w(sampleSize);
    return w;
}

void lookups(benchmark::State &state, const std::vector<std::string> &sample, bool expected) {
    const TDictn dict;
    if (!dict.isOpen() || sample.empty()) {
        state.SkipWithError("word list not available");
        return;
    }
    const std::vector<QString> queries = toQStrings(sample);
    std::size_t i = 0;
    long long wrong = 0;
    const long long before = allocations.load();
    for (auto _ : state) {
        const bool hit = dict.FindWord(queries[i]);
        wrong += hit != expected;
        benchmark::DoNotOptimize(hit);
        i = (i + 1) & (sampleSize - 1);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["allocs_per_lookup"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations()));
    state.counters["wrong"] = static_cast<double>(wrong);
}

void hashLookups(benchmark::State &state, const std::vector<std::string> &sample, bool expected) {
    const std::unordered_set<std::string> set(words().all.begin(), words().all.end());
    if (set.empty()) {
        state.SkipWithError("word list not available");
        return;
    }
    std::size_t i = 0;
    long long wrong = 0;
    for (auto _ : state) {
        const bool hit = set.count(sample[i]) > 0;
        wrong += hit != expected;
        benchmark::DoNotOptimize(hit);
        i = (i + 1) & (sampleSize - 1);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["wrong"] = static_cast<double>(wrong);
}

void BM_FindWord_Found(benchmark::State &state) {
    lookups(state, words().found, true);
}
void BM_FindWord_NotFound(benchmark::State &state) {
    lookups(state, words().notFound, false);
}
void BM_UnorderedSet_Found(benchmark::State &state) {
    hashLookups(state, words().found, true);
}
void BM_UnorderedSet_NotFound(benchmark::State &state) {
    hashLookups(state, words().notFound, false);
}

BENCHMARK(BM_FindWord_Found);
BENCHMARK(BM_FindWord_NotFound);
BENCHMARK(BM_UnorderedSet_Found);
BENCHMARK(BM_UnorderedSet_NotFound);

} // namespace

BENCHMARK_MAIN();
