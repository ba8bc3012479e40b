#include "ai/engine.h"

#include <chrono>

namespace ai {

namespace {

WordGraph buildTimed(const TDictn &dict, WordGraph::Kind kind, double &ms) {
    const auto start = std::chrono::steady_clock::now();
    WordGraph g = WordGraph::build(kind, WordGraph::wordsOf(dict));
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
    static std::weak_ptr<Engine> current;
    std::shared_ptr<Engine> engine = current.lock();
    if (!engine) {
        engine = std::make_shared<Engine>();
        current = engine;
    }
    return engine;
}

} // namespace ai
