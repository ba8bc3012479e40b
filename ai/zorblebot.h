#pragma once

// A computer player: follows a game through a HostLink and a GameMirror, as
// the game window does, and plays its seat's turns with the move generator.
//
// After its turn begins it waits a moment, as a person would, then thinks
// (for 2 s at most, a step at a time so that the event loop runs between
// the steps) and sends a move, new tiles (hard level, when no move is left)
// or a pass. When the host refuses its move it passes; it never tries the
// same turn twice.

#include "ai/choice.h"
#include "ai/engine.h"
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "net/protocol.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <random>

namespace ai {

// The move with the most points for the local seat, for a hint; nothing
// when there is none.
std::optional<Move> bestMove(const GameMirror &mirror, Engine &engine);

class ZorbleBot : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = HostLink::kGamePort;
    // A pause drawn from 1 to 3 seconds before each move.
    static constexpr int kHumanePause = -1;
    // The most the thinking itself may take.
    static constexpr int kThinkingMs = 1500;

    // Connects as soon as the event loop runs, so that the signals can be
    // connected first. `pauseMs` is the wait before each move (0 for none).
    ZorbleBot(const QString &host, quint16 port, const QString &name, Level level,
              int pauseMs = kHumanePause, QObject *parent = nullptr);
    // The same with an engine that other players share.
    ZorbleBot(const QString &host, quint16 port, const QString &name, Level level, int pauseMs,
              std::shared_ptr<Engine> engine, QObject *parent = nullptr);
    ~ZorbleBot() override;

    // As the hosting player (slot 1), starts a game with these options once
    // `players` seats are taken; the bot does this once.
    void startGameWhenSeated(int players, const game::GameOptions &options);

    const GameMirror &mirror() const { return mirror_; }
    Level level() const { return level_; }
    QString name() const { return name_; }

signals:
    // The bot is done: the host closed the connection or removed it
    // (`ok`), or it could not connect or take a seat (`why`).
    void finished(bool ok, const QString &why);
    // It played a turn: "WORD N" for a move worth N points, "new tiles", or
    // "pass".
    void played(const QString &what);

private:
    void connectToHost();
    void turnChanged(int seat, bool own);
    void scheduleThinking();
    void think();
    // Takes the next step of the thinking begun in turn `turn`, and acts
    // on its decision after the last.
    void thinkOn(int turn);
    void play(const Move &move);
    void passTurn();
    void maybeStartGame();
    void finish(bool ok, const QString &why);

    QString host_;
    quint16 port_;
    QString name_;
    Level level_;
    int pauseMs_;
    std::shared_ptr<Engine> engine_;
    GameMirror mirror_;
    HostLink link_{mirror_};
    QTimer pause_;    // the wait before thinking
    QTimer watchdog_; // passes when an answer to what was sent never comes
    std::mt19937 rng_;
    std::unique_ptr<Thinking> thinking_; // the turn being thought through
    int turn_ = 0;                       // turns begun, so that a late timer knows its turn
    bool acted_ = false;                 // something was sent for this turn
    bool bought_ = false;                // new tiles bought this game
    bool done_ = false;
    int startPlayers_ = 0;
    game::GameOptions startOptions_;
};

} // namespace ai
