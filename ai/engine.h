#pragma once

// What a computer player thinks with: the word list and its lookup, the
// rules that judge with that lookup, the word graph built from the same list
// at start-up, and the move generator over them.

#include "ai/movegen.h"
#include "ai/wordgraph.h"
#include "dict/tdictn.h"
#include "rules/rules.h"

#include <QString>

#include <memory>

namespace ai {

class Engine {
public:
    // The DAWG: on this board and these racks it finds moves faster than the
    // GADDAG, builds in a fraction of the time and takes a seventh of the
    // memory (bench/ai measures both).
    static constexpr WordGraph::Kind kDefaultGraph = WordGraph::Kind::Dawg;

    // The program's one built-in word list.
    explicit Engine(WordGraph::Kind kind = kDefaultGraph);
    // The word list at a path (a file of the list's records, or a resource).
    explicit Engine(const QString &wordListPath, WordGraph::Kind kind = kDefaultGraph);

    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // One engine with the built-in list for everybody in this process that
    // asks while another still holds it.
    static std::shared_ptr<Engine> shared();

    bool isOpen() const { return dict_->isOpen(); }
    QString errorMessage() const { return dict_->errorMessage(); }
    const TDictn &dictionary() const { return *dict_; }
    const rules::Rules &rules() const { return rules_; }
    const WordGraph &graph() const { return graph_; }
    MoveGenerator &generator() { return generator_; }
    // Milliseconds it took to build the graph.
    double graphBuildMs() const { return buildMs_; }

private:
    std::shared_ptr<const TDictn> dict_;
    rules::Rules rules_;
    double buildMs_ = 0; // written while graph_ is built
    WordGraph graph_;
    MoveGenerator generator_{graph_, rules_};
};

} // namespace ai
