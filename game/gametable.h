#pragma once

// The host's game without any socket: the seats and their racks and scores,
// the board, the bag, the turn order, the clocks and the end of a game. It
// takes typed commands and answers each with the events it caused, in order;
// the host turns those into messages. With the same seed and the same
// commands a table plays the same game again.

#include "game/bag.h"
#include "game/events.h"
#include "game/options.h"
#include "game/position.h"

#include <QString>

#include <array>
#include <random>

namespace game {

class GameTable {
public:
    static constexpr int kUntimed = -1000; // the turn clock while no turn is timed

    // One of slots 1..9. Only seats 1..4 play; a watcher's slot has a name.
    struct Seat {
        QString name;             // at most 20 characters; empty when free
        bool present = false;     // somebody holds the slot
        Rack rack{};              // rack slots 1..10: letter 0..25, kEmpty empty
        int score = 0;            // total in the current game
        int bonus = 0;            // Zorble outcome of the last accepted move, 0..3
        QString lastchange;       // the last change of score as shown: "+N", "-10" or empty
        bool watching = false;    // sits out: keeps its place, gets no turn
        bool boughttiles = false; // exchanged its rack in this game
        bool passed = false;      // passed on its last turn
        // The player's connection ended during a game and the seat is kept
        // for it: its turns are passed over as if it were watching.
        bool away = false;
        int grace = 0; // seconds of the kept seat's grace period left
        QString token; // gives the seat back to its player; empty when none
    };

    // Everything a game is: enough to stop and go on later.
    struct State {
        std::array<Seat, kMaxSlot + 1> seats{}; // slots 1..9
        GameOptions options;
        bool running = false;
        int opened = 0;      // the highest slot taken so far
        int current = 0;     // the seat whose turn it is, 0 when none
        int arrangement = 0; // rotation of the seat colours, 0..3
        int elapsed = 0;     // seconds since the game started
        int turnclock = kUntimed;
        Position position; // the board, the square kinds and the flags
        Bag bag;
        std::mt19937 rng; // draws the bag's order, the first seat and Zorble outcomes
        QString gameId;   // names this game to the rejoin tokens of its seats
    };

    // The rules must outlive the table.
    explicit GameTable(const rules::Rules &rules);

    // Restarts the random source from a fixed seed, so a game can be replayed.
    void seed(quint32 value) { s_.rng.seed(value); }

    // ---- Slots ----
    // The slot a newcomer gets: the lowest free one among those opened so
    // far, else the next one; 0 when all nine are taken.
    int freeSlot() const;
    // Somebody takes a slot, or gives it up. A seat given up during a game
    // passes the turn on when it held it.
    void attach(int slot);
    Events leave(int slot);
    void setName(int slot, const QString &name);
    // What a newcomer to a running game is told: the board, its rack, the
    // tiles left, every seat's score, the seats that sit out, the options with
    // the game clock, whose turn it is and what is left of that turn.
    Events catchUp(int slot);
    // A seat's player lost the connection during a game: the seat, with its
    // rack, score and flags, is kept for `seconds` and its turns are passed
    // over. Outside a game, or with no grace, the seat is given up as by leave.
    Events keep(int slot, int seconds);
    // The kept seat's player is back.
    Events rejoin(int seat);
    // The kept seat whose token or (when `name` is not empty) name matches;
    // 0 when none.
    int keptSeat(const QString &token, const QString &name = {}) const;
    // The seat, kept or not, whose token this is; 0 when none.
    int tokenSeat(const QString &token) const;
    void setToken(int slot, const QString &token);
    void setGameId(const QString &id) { s_.gameId = id; }

    // ---- Requests; the host has checked that the sender holds the seat ----
    // `request` is the hosting player's start request as it came; the
    // clients are told it again.
    Events start(const QString &request, const GameOptions &options);
    Events move(int seat, const QList<LaidTile> &tiles);
    Events exchange(int seat, const QString &seatField);
    Events pass(int seat, const QString &seatField);
    // A seat sits out or plays again. The last seat that plays cannot sit out.
    Events watch(int seat, bool sitOut);
    // One second of the game clock.
    Events tick();
    // Hands the turn on to the next seat that can play, as after a move;
    // the rack of the seat that had it is refilled first.
    Events nextTurn();

    // ---- State ----
    const State &state() const { return s_; }
    void restore(const State &state) { s_ = state; }
    const Seat &seat(int slot) const { return s_.seats[size_t(slot)]; }
    bool running() const { return s_.running; }
    int current() const { return s_.current; }
    // The seat's rack in the game's position, with the seat to move.
    Position positionOf(int seat) const;
    // The partner of seats 1..4: 3, 4, 1, 2.
    static int partnerOf(int seat) { return (seat + 1) % kSeats + 1; }

private:
    void send(Audience to, Event event) { out_.push_back({to, std::move(event)}); }
    Events flush();
    int randomInt(int lo, int hi);
    std::array<int, 4> quarters() const;
    void deal(int seat, int rackslot);
    void findplayer();
    void endturn(const rules::Verdict &move);
    bool checkforwin();
    bool sitsOut(const Seat &seat) const { return seat.watching || seat.away; }
    void findwinner();

    const rules::Rules &rules_;
    State s_;
    Events out_;
};

} // namespace game
