#include "game/bag.h"

namespace game {

namespace {

constexpr int kLetters = 26;

constexpr int bagTotal() {
    int n = 0;
    for (int c : rules::kLetterCounts)
        n += c;
    return n;
}
static_assert(bagTotal() == Bag::kSize);

// The letter of tile number t (1..99): the tiles stand in alphabetical blocks.
int letterOfTile(int t) {
    for (int letter = 0; letter < kLetters; ++letter) {
        if (t <= rules::kLetterCounts[letter])
            return letter;
        t -= rules::kLetterCounts[letter];
    }
    return 0;
}

} // namespace

void Bag::shuffle(const Random &random) {
    order.fill(kEmpty);
    for (int t = 1; t <= kSize; ++t) {
        int place;
        do {
            place = random(1, kSize);
        } while (order[place] != kEmpty);
        order[place] = letterOfTile(t);
    }
}

std::optional<int> Bag::draw() {
    ++drawn;
    if (drawn > kMaxDrawn) {
        drawn = kMaxDrawn;
        return std::nullopt;
    }
    const int letter = order[drawn];
    return letter >= 0 && letter < kLetters ? letter : 0;
}

void Bag::exchange(Rack &rack, const Random &random) {
    for (int k = 1; k <= kRackSlots; ++k)
        std::swap(rack[k], order[random(drawn + 1, kMaxDrawn)]);
}

std::array<int, 26> unseenTiles(const Position &position) {
    std::array<int, 26> unseen = rules::kLetterCounts;
    auto takeOne = [&](int letter) {
        if (letter < 0 || letter >= kLetters)
            return;
        if (unseen[letter] > 0)
            --unseen[letter];
        else if (position.doubleTiles && unseen[kLetters - 1 - letter] > 0)
            --unseen[kLetters - 1 - letter];
    };
    for (const auto &column : position.board)
        for (int v : column)
            takeOne(v);
    for (int k = 1; k <= kRackSlots; ++k)
        takeOne(position.rack[k]);
    return unseen;
}

} // namespace game
