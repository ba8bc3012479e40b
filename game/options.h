#pragma once

// The six options of a game, as the hosting player chooses them in the Game
// Options window and as the start of a game carries them over the wire.

namespace game {

struct GameOptions {
    int turntime = 0;    // seconds per turn
    int squarecount = 0; // Zorble squares: 4, 8, 12, 16 or 20; any other count places none
    int gametime = 0;    // minutes, 0 = no limit
    int playtoscore = 0; // a total above it ends the game, 0 = none
    bool doubletiles = false;
    bool partners = false; // seats 1 and 3 against 2 and 4, one total each

    bool operator==(const GameOptions &) const = default;
};

// The hosting player's choices for seats whose player lost the connection:
// how long such a seat is kept (0: given up at once) and whether a login
// without the seat's token takes it back by the name alone.
struct HostOptions {
    static constexpr int kMaxGrace = 3600;
    int grace = 180; // seconds
    bool rejoinByName = false;

    bool operator==(const HostOptions &) const = default;
};

// What the Game Options window offers before anything was chosen.
inline constexpr GameOptions kDefaultOptions{90, 12, 0, 0, false, false};

} // namespace game
