#pragma once

// A game played inside one process, for tests and benchmarks that need real
// mid-game boards: the host's engine, reached through EngineProbe, and a
// GameMirror for each seat that takes the host's messages to that seat as a
// client takes them. On its turn a seat lays the first move the search finds
// on its mirror and submits what the mirror names, or passes.
#include "tests/engine/engineprobe.h"
#include "tests/engine/gameclient.h"

#include <array>
#include <memory>

class SelfPlay {
public:
    static constexpr int kSeats = 2; // Ann in seat 1, Bob in seat 2

    SelfPlay(const rules::WordLookup &lookup, const fullgame::WordList &words);

    // Starts a game with the random source seeded, the options as the
    // hosting player's request writes them ("Ann+90+12+0+0+y+n+").
    void start(quint32 seed, const QString &options);
    bool running() const { return host_.gameRunning(); }
    int mover() const { return host_.currentPlayer(); }
    GameMirror &mirror(int seat) { return *mirrors_.at(seat); }
    TServer &host() { return host_; }
    EngineProbe &probe() { return probe_; }

    // A request from a seat's connection; the host's answers reach the mirrors.
    void request(int seat, const QString &line);
    // The seat to move lays its move, or passes. False once the game is over.
    bool playTurn();
    // Hands every message the host has sent to `seat` so far to another
    // mirror, logged in to that seat first.
    void replay(int seat, GameMirror &into) const;

private:
    void deliver();

    TServer host_;
    EngineProbe probe_{host_};
    const fullgame::WordList &words_;
    std::array<std::unique_ptr<GameMirror>, kSeats + 1> mirrors_;
    qsizetype delivered_ = 0;
};
