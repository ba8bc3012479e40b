#pragma once

// The word list as a graph of letters, for the move generator.
//
// Two shapes are built from the same words:
//  - a DAWG: a path from the root spells a word from its first letter on;
//  - a GADDAG: for every word w and every split 1 <= i <= |w| a path spells
//    the first i letters backwards, then the separator, then the rest, so a
//    word can be grown from any of its letters, first to the left and then
//    to the right.
// Both are minimal automata: equal futures share one node. Nodes are numbers;
// a node's outgoing symbols are a bit mask, and its children lie side by side
// in one array in the order of their symbols.
//
// The graph only guides the search. The word list's own lookup stays the
// judge of every move.

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
    static constexpr Node kNone = 0xFFFFFFFFu;

    // The words of the list that tiles can spell, in the list's order: each
    // record read as the lookup reads it (case ignored, spaces around it
    // dropped) and kept when it is made of the letters a to z only.
    static std::vector<Letters> wordsOf(const TDictn &dict);

    // Builds the graph of the words; they must be sorted as the list sorts
    // them (a word before every longer word it begins). Duplicates are
    // skipped.
    static WordGraph build(Kind kind, const std::vector<Letters> &words);

    WordGraph() = default;

    Kind kind() const { return kind_; }
    Node root() const { return root_; }
    // The node reached from n by the symbol, or kNone.
    Node child(Node n, int symbol) const {
        const std::uint32_t mask = nodes_[n].mask;
        const std::uint32_t bit = 1u << symbol;
        if (!(mask & bit))
            return kNone;
        return children_[nodes_[n].first + bitCount(mask & (bit - 1))];
    }
    // The symbols that leave n (bit 26 is the separator).
    std::uint32_t symbols(Node n) const { return nodes_[n].mask & kSymbolBits; }
    // Whether a word ends at n (in a GADDAG only after the separator).
    bool terminal(Node n) const { return (nodes_[n].mask & kTerminalBit) != 0; }

    // Whether the word is in the graph.
    bool contains(std::string_view word) const;

    std::size_t nodeCount() const { return nodes_.size(); }
    std::size_t edgeCount() const { return children_.size(); }
    // Bytes the graph takes in memory.
    std::size_t bytes() const {
        return nodes_.capacity() * sizeof(Packed) + children_.capacity() * sizeof(Node);
    }

private:
    // Counts set bits without relying on a processor instruction for it.
    static std::uint32_t bitCount(std::uint32_t v) {
        v = v - ((v >> 1) & 0x55555555u);
        v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
        return (((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24;
    }

    static constexpr std::uint32_t kSymbolBits = (1u << (kLetters + 1)) - 1;
    static constexpr std::uint32_t kTerminalBit = 1u << 31;

    struct Packed {
        std::uint32_t mask = 0;  // symbols that leave the node, and kTerminalBit
        std::uint32_t first = 0; // index of its first child in children_
    };
    class Builder;

    Kind kind_ = Kind::Dawg;
    Node root_ = 0;
    std::vector<Packed> nodes_;
    std::vector<Node> children_;
};

} // namespace ai
