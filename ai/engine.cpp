#include "ai/engine.h"

#include <chrono>
#include <mutex>

namespace ai {

namespace {

WordGraph buildTimed(const TDictn &dict, WordGraph::Kind kind, double &ms) {
    const auto start = std::chrono::steady_clock::now();
    WordGraph g = WordGraph::build(kind, dict);
    ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return g;
}

} // namespace

Engine::Engine(WordGraph::Kind kind)
    : rules_([this](const QString &word) { return dict_.FindWord(word); }),
      graph_(buildTimed(dict_, kind, buildMs_)) {}

Engine::Engine(const QString &wordListPath, WordGraph::Kind kind)
    : dict_(wordListPath), rules_([this](const QString &word) { return dict_.FindWord(word); }),
      graph_(buildTimed(dict_, kind, buildMs_)) {}

std::shared_ptr<Engine> Engine::shared() {
    static std::mutex building;
    static std::weak_ptr<Engine> current;
    const std::lock_guard<std::mutex> lock(building);
    std::shared_ptr<Engine> engine = current.lock();
    if (!engine) {
        engine = std::make_shared<Engine>();
        current = engine;
    }
    return engine;
}

} // namespace ai
