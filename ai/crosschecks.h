#pragma once

// The board as the move generator reads it: the letters, and for every empty
// square and each direction through it the letters that make a word with the
// board letters there (the cross-check), and the points those board letters
// bring to a word laid through the square, for each seat (the cross-score).
//
// They are worked out once for a position. Laying tiles updates only what
// changes: the squares at both ends of every run of letters the tiles join.

#include "ai/wordgraph.h"
#include "rules/rules.h"

#include <array>
#include <cstdint>

namespace ai {

class CrossChecks {
public:
    // The two directions of a run through a square.
    static constexpr int kColumn = 0;
    static constexpr int kRow = 1;

    struct Square {
        std::int8_t letter = -1; // 0..25, or -1 for none
        std::uint8_t kind = 0;   // the square's kind: centre 0, seat colour 1..4, Zorble 5
        // Per direction: letters above and below (column) or left and right
        // (row), the letters that fit between them, and the points of those
        // board letters for each seat 1..4 (index 0 unused).
        std::array<bool, 2> joins{};
        std::array<std::uint32_t, 2> fits{};
        std::array<std::array<std::uint8_t, 5>, 2> points{};

        bool anchor() const { return letter < 0 && (joins[0] || joins[1]); }
    };

    CrossChecks(const WordGraph &graph, const rules::Grid &board, const rules::Grid &squares);

    const WordGraph &graph() const { return *graph_; }
    const Square &at(int x, int y) const { return squares_[x][y]; }
    bool empty() const { return letters_ == 0; }
    // The letters that are a word on their own (none in the built-in list).
    std::uint32_t singles() const { return singles_; }
    // The points of a square for a seat: 10 in its colour, else 5.
    static int pointsOf(int kind, int seat) { return kind == seat ? 10 : 5; }

    // Lays a letter on an empty square and updates the squares it changes.
    void lay(int x, int y, int letter);

private:
    void update(int x, int y, int direction);
    std::uint32_t wordsThrough(const std::array<int, rules::kBoard> &before, int nb,
                               const std::array<int, rules::kBoard> &after, int na) const;

    const WordGraph *graph_;
    std::array<std::array<Square, rules::kBoard>, rules::kBoard> squares_{};
    std::uint32_t singles_ = 0;
    int letters_ = 0;
};

} // namespace ai
