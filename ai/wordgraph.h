#pragma once

// The word list as a graph of letters, for the move generator.
//
// Two shapes are built from the same words:
//  - a DAWG: a path from the root spells a word from its first letter on;
//  - a GADDAG: for every word w and every split 1 <= i <= |w| a path spells
//    the first i letters backwards, then the separator, then the rest, so a
//    word can be grown from any of its letters, first to the left and then
//    to the right.
// Both are minimal: nodes with the same arcs are one node. The graph is one
// array of 32-bit arcs; a node is the index of its first arc, and its arcs
// follow up to the one marked last: the separator first, so that the turn of
// a GADDAG is found at once, then the letters in order. An arc
// holds its symbol, whether a word ends with it, whether it is its node's
// last, and the node it leads to. Node 0 stands for "no arcs": its one arc
// carries a symbol no search asks for.
//
// The graph only guides the search. The word list's own lookup stays the
// judge of the move a player sends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDictn;

namespace ai {

inline constexpr int kLetters = 26;
inline constexpr int kSeparator = 26; // GADDAG only: the turn from the left part to the right
inline constexpr std::uint32_t kAllLetters = (1u << kLetters) - 1;

// A word as letter indexes 0..25, one byte each.
using Letters = std::string;

class WordGraph {
public:
    enum class Kind { Dawg, Gaddag };
    using Node = std::uint32_t;
    static constexpr Node kLeaf = 0;

    struct Arc {
        std::uint32_t bits = 0;

        int symbol() const { return int(bits & kSymbolMask); }
        bool endsWord() const { return (bits & kEndsWord) != 0; }
        bool last() const { return (bits & kLast) != 0; }
        Node target() const { return bits >> kTargetShift; }
    };

    // The words of the list that tiles can spell, in the list's order: each
    // record read as the lookup reads it (case ignored, spaces around it
    // dropped) and kept when it is made of the letters a to z only.
    static std::vector<Letters> wordsOf(const TDictn &dict);

    // Builds the graph of the words, in any order; duplicates and words of
    // more than 14 letters are skipped.
    static WordGraph build(Kind kind, std::vector<Letters> words);
    // Builds the graph of the list, read a piece at a time: a sorted list
    // goes straight into the graph without a copy of its words in memory.
    static WordGraph build(Kind kind, const TDictn &dict);

    WordGraph();

    Kind kind() const { return kind_; }
    Node root() const { return root_; }
    // The arcs of n, up to the one marked last.
    const Arc *arcs(Node n) const { return arcs_.data() + n; }
    // The separator's arc of n, or nullptr.
    const Arc *turn(Node n) const {
        const Arc *a = arcs(n);
        return a->symbol() == kSeparator ? a : nullptr;
    }
    // The arc of n for the symbol, or nullptr.
    const Arc *find(Node n, int symbol) const {
        const Arc *a = arcs(n);
        if (symbol == kSeparator || a->symbol() == kSeparator) {
            if (symbol == kSeparator)
                return turn(n);
            if (a->last())
                return nullptr;
            ++a;
        }
        for (;; ++a) {
            if (a->symbol() >= symbol)
                return a->symbol() == symbol ? a : nullptr;
            if (a->last())
                return nullptr;
        }
    }

    // Whether the word is in the graph.
    bool contains(std::string_view word) const;

    std::size_t nodeCount() const;
    std::size_t arcCount() const { return arcs_.size() - 1; }
    // Bytes the graph takes in memory. (A GADDAG's array keeps room beyond
    // its end that was never written, and so takes none.)
    std::size_t bytes() const { return arcs_.size() * sizeof(Arc); }

private:
    static constexpr std::uint32_t kSymbolMask = 31;
    static constexpr std::uint32_t kEndsWord = 32;
    static constexpr std::uint32_t kLast = 64;
    static constexpr int kTargetShift = 7;
    static constexpr std::uint32_t kNoSymbol = kSymbolMask; // node 0's arc

    class Builder;
    static WordGraph gaddagOf(WordGraph dawg);

    Kind kind_ = Kind::Dawg;
    Node root_ = kLeaf;
    std::vector<Arc> arcs_;
};

} // namespace ai
