// The table's slots, the start of a game and a newcomer's catch-up.
#include "game/gametable.h"

#include <algorithm>
#include <chrono>

namespace game {

GameTable::GameTable(const rules::Rules &rules) : rules_(rules) {
    s_.rng.seed(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
}

Events GameTable::flush() {
    Events events;
    events.swap(out_);
    return events;
}

int GameTable::randomInt(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(s_.rng);
}

Position GameTable::positionOf(int seat) const {
    Position p = s_.position;
    p.mover = seat;
    if (isSlot(seat))
        p.rack = s_.seats[size_t(seat)].rack;
    return p;
}

// ---- Slots ------------------------------------------------------------------------

int GameTable::freeSlot() const {
    for (int i = 1; i <= s_.opened; ++i)
        if (!s_.seats[size_t(i)].present)
            return i;
    return s_.opened < kMaxSlot ? s_.opened + 1 : 0;
}

void GameTable::attach(int slot) {
    if (!isSlot(slot))
        return;
    s_.seats[size_t(slot)].present = true;
    s_.opened = std::max(s_.opened, slot);
}

void GameTable::setName(int slot, const QString &name) {
    if (isSlot(slot))
        s_.seats[size_t(slot)].name = name;
}

Events GameTable::leave(int slot) {
    if (!isSlot(slot))
        return {};
    Seat &seat = s_.seats[size_t(slot)];
    seat.present = false;
    seat.name.clear();
    seat.away = false;
    seat.grace = 0;
    seat.token.clear();
    // The turn moves on even when the hosting player is the one gone: a host
    // without a window keeps the game going for the others.
    if (s_.running && (slot == s_.current || s_.current == 0))
        findplayer();
    return flush();
}

Events GameTable::keep(int slot, int seconds) {
    if (!s_.running || seconds <= 0 || slot < 1 || slot > kSeats || !s_.seats[size_t(slot)].present)
        return leave(slot);
    Seat &seat = s_.seats[size_t(slot)];
    seat.away = true;
    seat.grace = seconds;
    send(Audience::everyone(), event::SeatKept{slot, seconds});
    if (slot == s_.current)
        findplayer();
    return flush();
}

Events GameTable::rejoin(int seat) {
    if (seat < 1 || seat > kSeats || !s_.seats[size_t(seat)].away)
        return {};
    s_.seats[size_t(seat)].away = false;
    s_.seats[size_t(seat)].grace = 0;
    if (!s_.running)
        return flush();
    // A game that waited because every seat was away goes on; so does a
    // resumed one whose turn belongs to a seat still away.
    if (s_.current == 0 || s_.seats[size_t(s_.current)].away)
        findplayer();
    else if (s_.current == seat && s_.turnclock == kUntimed)
        s_.turnclock = s_.options.turntime; // a resumed game's turn starts afresh
    return flush();
}

int GameTable::keptSeat(const QString &token, const QString &name) const {
    for (int i = 1; i <= kSeats; ++i) {
        const Seat &seat = s_.seats[size_t(i)];
        if (!seat.present || !seat.away)
            continue;
        if (!token.isEmpty() && seat.token == token)
            return i;
        if (!name.isEmpty() && seat.name == name)
            return i;
    }
    return 0;
}

int GameTable::tokenSeat(const QString &token) const {
    for (int i = 1; i <= kSeats; ++i)
        if (!token.isEmpty() && s_.seats[size_t(i)].present && s_.seats[size_t(i)].token == token)
            return i;
    return 0;
}

void GameTable::setToken(int slot, const QString &token) {
    if (isSlot(slot))
        s_.seats[size_t(slot)].token = token;
}

// ---- The start ----------------------------------------------------------------------

std::array<int, 4> GameTable::quarters() const {
    // Each arrangement turns the seat colours one quarter further.
    std::array<int, 4> q{};
    for (int i = 0; i < 4; ++i)
        q[size_t(i)] = (i + s_.arrangement) % 4 + 1;
    return q;
}

Events GameTable::start(const QString &request, const GameOptions &options) {
    s_.running = true;
    s_.elapsed = 0;
    s_.turnclock = kUntimed;
    s_.position.firstword = true;
    s_.bag.drawn = 0;
    for (int i = 1; i <= kSeats; ++i) {
        Seat &seat = s_.seats[size_t(i)];
        seat.score = 0;
        seat.lastchange.clear();
        seat.boughttiles = false;
        seat.passed = false;
        seat.rack.fill(kEmpty);
    }
    s_.options = options;
    for (int i = 1; i <= kSeats; ++i)
        s_.options.partners = s_.options.partners && s_.seats[size_t(i)].present;
    s_.position.doubleTiles = options.doubletiles;

    send(Audience::everyone(), event::Started{request, s_.options.partners});
    s_.arrangement = randomInt(0, 3);
    const std::array<int, 4> q = quarters();
    s_.position.squares = quarterKinds(q);
    send(Audience::everyone(), event::BoardArranged{q});
    send(Audience::everyone(), event::SquaresDrawn{});

    s_.bag.drawn = 0;
    s_.bag.shuffle([this](int lo, int hi) { return randomInt(lo, hi); });
    for (int i = 1; i <= kSeats; ++i)
        if (s_.seats[size_t(i)].present)
            for (int k = 1; k <= kRackSlots; ++k)
                deal(i, k);
    for (auto &column : s_.position.board)
        column.fill(kEmpty);
    send(Audience::everyone(), event::TilesDrawn{s_.bag.drawn});
    markZorbleSquares(s_.position.squares, options.squarecount);

    s_.elapsed = 0;
    s_.turnclock = kUntimed;
    s_.current = randomInt(1, std::max(1, s_.opened));
    findplayer();
    return flush();
}

void GameTable::deal(int seat, int rackslot) {
    if (!isSlot(seat) || rackslot < 1 || rackslot > kRackSlots)
        return;
    const std::optional<int> letter = s_.bag.draw();
    if (!letter)
        return; // the bag is empty: the rack slot stays as it is
    s_.seats[size_t(seat)].rack[size_t(rackslot)] = *letter;
    if (s_.seats[size_t(seat)].present)
        send(Audience::one(seat), event::TileDealt{rackslot, *letter});
}

// ---- A newcomer during a game -----------------------------------------------------

Events GameTable::catchUp(int slot) {
    if (!s_.running || !isSlot(slot))
        return {};
    send(Audience::one(slot), event::BoardArranged{quarters()});
    for (int x = 0; x < kBoard; ++x)
        for (int y = 0; y < kBoard; ++y)
            if (const int letter = s_.position.board[size_t(x)][size_t(y)]; letter != kEmpty)
                send(Audience::one(slot), event::LetterShown{{x, y, letter}});
    // A player seat that had nobody at the deal gets a full rack now; a
    // watcher's rack holds no empty marks and gets nothing. A player who takes
    // over a seat that still holds tiles is told those tiles, or its window
    // would show an empty rack while the host counts ten.
    for (int k = 1; k <= kRackSlots; ++k) {
        const int letter = s_.seats[size_t(slot)].rack[size_t(k)];
        if (letter == kEmpty)
            deal(slot, k);
        else if (slot <= kSeats && letter >= 0 && letter <= 25)
            send(Audience::one(slot), event::TileDealt{k, letter});
    }
    // The scores and the tile count, or the newcomer would show every total
    // as 0 and a full bag until each seat scores again.
    send(Audience::one(slot), event::TilesDrawn{s_.bag.drawn});
    for (int i = 1; i <= kSeats; ++i) {
        const Seat &seat = s_.seats[size_t(i)];
        send(Audience::one(slot), event::ScoreShown{i, seat.score, seat.lastchange});
    }
    // Seats that sit out, so that a player who comes back to one knows it.
    for (int i = 1; i <= kSeats; ++i)
        if (s_.seats[size_t(i)].present && s_.seats[size_t(i)].watching)
            send(Audience::one(slot), event::WatchChanged{i, true});
    send(Audience::one(slot), event::OptionsShown{s_.options, s_.elapsed});
    send(Audience::one(slot), event::TurnBegan{s_.current});
    // The turn under way goes on with the seconds it has left, not a fresh
    // turn's; a game waiting for its kept seats has none running.
    if (s_.current != 0 && s_.turnclock != kUntimed && s_.turnclock >= 0)
        send(Audience::one(slot), event::ClockShown{s_.turnclock});
    return flush();
}

} // namespace game
