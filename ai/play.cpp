#include "ai/movegen.h"

#include <algorithm>

// What a player knows, and a listed move turned into what the rules and the
// network take.

namespace ai {

namespace {

constexpr int kBoard = rules::kBoard;
constexpr int kTiles = rules::kRackSlots;

} // namespace

QList<rules::Placed> placedOf(const Play &play, const rules::Rack &rack) {
    QList<rules::Placed> out;
    out.reserve(play.count);
    int low = kBoard;
    for (int i = 0; i < play.count; ++i)
        low = std::min(low, int(play.along[i]));
    for (int i = 0; i < play.count; ++i) {
        const int slot = play.rackslot(i);
        const int dealt = slot >= 1 && slot <= kTiles ? rack[slot] : rules::kEmpty;
        const int letter = play.flipped(i) ? rules::flippedletter(dealt) : dealt;
        rules::Placed t{slot, play.x(i), play.y(i), letter};
        if (play.first) {
            // Onto the centre line, the middle tile on the centre square.
            const int along = play.along[i] + rules::kCentre - play.count / 2 - low;
            t.x = play.down ? rules::kCentre : along;
            t.y = play.down ? along : rules::kCentre;
        }
        out.append(t);
    }
    std::sort(out.begin(), out.end(), [](const rules::Placed &a, const rules::Placed &b) {
        return a.rackslot < b.rackslot;
    });
    return out;
}

Move moveOf(const Play &play, const Position &position) {
    Move m;
    m.score = play.score;
    m.zorbles = play.zorbles;
    m.first = play.first;
    std::array<int, kBoard> laid;
    laid.fill(-1);
    for (int i = 0; i < play.count; ++i) {
        m.tiles.append({play.rackslot(i), play.flipped(i), play.x(i), play.y(i)});
        const int dealt = position.rack[play.rackslot(i)];
        laid[play.along[i]] = play.flipped(i) ? rules::flippedletter(dealt) : dealt;
    }
    std::sort(
        m.tiles.begin(), m.tiles.end(),
        [](const rules::LaidTile &a, const rules::LaidTile &b) { return a.rackslot < b.rackslot; });
    // The main word: the run of letters along the line through the tiles.
    auto letterAt = [&](int along) {
        if (laid[along] >= 0)
            return laid[along];
        const int v =
            play.down ? position.board[play.line][along] : position.board[along][play.line];
        return v == rules::kEmpty ? -1 : v;
    };
    int start = play.along[0];
    if (!play.first)
        while (start > 0 && letterAt(start - 1) >= 0)
            --start;
    for (int along = start; along < kBoard && letterAt(along) >= 0; ++along)
        m.word += rules::converttoletter(letterAt(along));
    return m;
}

} // namespace ai
