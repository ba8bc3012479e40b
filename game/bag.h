#pragma once

// The bag of 99 lettered tiles: shuffled at the start of a game, drawn from
// one at a time, and the tiles a player has not seen.

#include "game/position.h"

#include <array>
#include <functional>
#include <optional>

namespace game {

struct Bag {
    static constexpr int kSize = 99;          // tiles in the bag
    static constexpr int kMaxDrawn = 98;      // the last tile is never drawn
    static constexpr int kExchangeLimit = 86; // no exchange once more tiles are drawn

    // Draws a number from lo to hi, both included.
    using Random = std::function<int(int lo, int hi)>;

    // Puts the tiles, in alphabetical blocks, into a random order.
    void shuffle(const Random &random);
    // Takes the next tile; nothing when the bag is empty.
    std::optional<int> draw();
    // Swaps each tile of a rack with a random undrawn tile; the count drawn
    // stays as it is.
    void exchange(Rack &rack, const Random &random);

    int left() const { return kMaxDrawn - drawn; }
    bool canExchange() const { return drawn <= kExchangeLimit; }

    std::array<int, kSize + 1> order{}; // the tiles in draw order, places 1..99
    int drawn = 0;                      // the next draw takes place drawn + 1
};

// The tiles a player has not seen: the bag's letters less the letters on the
// board and on the player's rack. In a game with double-sided tiles a letter
// that is used up counts against its other side.
std::array<int, 26> unseenTiles(const Position &position);

} // namespace game
