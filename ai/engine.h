#pragma once

// What a computer player thinks with: the word list and its lookup, the
// rules that judge with that lookup, and the word graph built from the same
// list at start-up. All of it is read-only once built, so players on other
// threads share one engine; each search has a MoveGenerator of its own.

#include "ai/movegen.h"
#include "ai/wordgraph.h"
#include "dict/tdictn.h"
#include "rules/rules.h"

#include <QString>

#include <memory>

namespace ai {

class Engine {
public:
    // The GADDAG: on this board and these racks it finds moves in about half
    // the time the DAWG takes, for seven times the memory (bench/ai measures
    // both).
    static constexpr WordGraph::Kind kDefaultGraph = WordGraph::Kind::Gaddag;

    // The program's one built-in word list.
    explicit Engine(WordGraph::Kind kind = kDefaultGraph);
    // The word list at a path (a file of the list's records, or a resource).
    explicit Engine(const QString &wordListPath, WordGraph::Kind kind = kDefaultGraph);

    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // One engine with the built-in list for everybody in this process that
    // asks while another still holds it. Any thread may ask; the first
    // builds it while the others wait.
    static std::shared_ptr<Engine> shared();

    bool isOpen() const { return dict_->isOpen(); }
    QString errorMessage() const { return dict_->errorMessage(); }
    const TDictn &dictionary() const { return *dict_; }
    const rules::Rules &rules() const { return rules_; }
    const WordGraph &graph() const { return graph_; }
    // A generator for the thread that asks; others make their own over graph().
    MoveGenerator &generator() { return generator_; }
    // Milliseconds it took to build the graph.
    double graphBuildMs() const { return buildMs_; }

private:
    std::shared_ptr<const TDictn> dict_;
    rules::Rules rules_;
    double buildMs_ = 0; // written while graph_ is built
    WordGraph graph_;
    MoveGenerator generator_{graph_};
};

} // namespace ai
