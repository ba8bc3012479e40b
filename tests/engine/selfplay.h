#pragma once

// A game played inside one process, for tests and benchmarks that need real
// mid-game boards: a game table, reached through TableProbe, and a
// GameMirror for each seat that takes the host's messages to that seat as a
// client takes them. On its turn a seat lays the first move the search finds
// on its mirror and submits what the mirror names, or passes.
#include "tests/engine/gameclient.h"
#include "tests/game/tableprobe.h"

#include <array>
#include <memory>

class SelfPlay {
public:
    static constexpr int kSeats = 2; // Ann in seat 1, Bob in seat 2

    SelfPlay(const rules::WordLookup &lookup, const fullgame::WordList &words);

    // Starts a game with the random source seeded, the options as the
    // hosting player's request writes them ("Ann+90+12+0+0+y+n+").
    void start(quint32 seed, const QString &options);
    bool running() const { return probe_.table.running(); }
    int mover() const { return probe_.table.current(); }
    GameMirror &mirror(int seat) { return *mirrors_.at(seat); }
    // The rules the table judges moves by.
    const rules::Rules &rules() const { return probe_.rules; }
    TableProbe &probe() { return probe_; }

    // A request from a seat's connection; the host's answers reach the mirrors.
    void request(int seat, const QString &line);
    // The seat to move lays its move, or passes. False once the game is over.
    bool playTurn();
    // Hands every message the host has sent to `seat` so far to another
    // mirror, logged in to that seat first.
    void replay(int seat, GameMirror &into) const;

private:
    void deliver();

    TableProbe probe_;
    const fullgame::WordList &words_;
    std::array<std::unique_ptr<GameMirror>, kSeats + 1> mirrors_;
    qsizetype delivered_ = 0;
};
