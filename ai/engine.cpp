#include "ai/engine.h"

#include <chrono>
#include <mutex>

namespace ai {

namespace {

// The engine everybody shares, and the lock for making it. Both are set up
// before anything runs and gone only after everything else, the worker
// threads that may ask for the engine included.
std::mutex sharedLock;
std::weak_ptr<Engine> sharedEngine;

WordGraph buildTimed(const TDictn &dict, WordGraph::Kind kind, double &ms) {
    const auto start = std::chrono::steady_clock::now();
    WordGraph g = WordGraph::build(kind, dict);
    ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return g;
}

} // namespace

Engine::Engine(WordGraph::Kind kind)
    : dict_(TDictn::shared()),
      rules_([list = dict_.get()](const QString &word) { return list->FindWord(word); }),
      graph_(buildTimed(*dict_, kind, buildMs_)) {}

Engine::Engine(const QString &wordListPath, WordGraph::Kind kind)
    : dict_(std::make_shared<const TDictn>(wordListPath)),
      rules_([list = dict_.get()](const QString &word) { return list->FindWord(word); }),
      graph_(buildTimed(*dict_, kind, buildMs_)) {}

std::shared_ptr<Engine> Engine::shared() {
    const std::lock_guard<std::mutex> lock(sharedLock);
    std::shared_ptr<Engine> engine = sharedEngine.lock();
    if (!engine) {
        engine = std::make_shared<Engine>();
        sharedEngine = engine;
    }
    return engine;
}

} // namespace ai
