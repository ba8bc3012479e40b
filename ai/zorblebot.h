#pragma once

// A computer player: follows a game through a HostLink and a GameMirror, as
// the game window does, and plays its seat's turns with the move generator.
//
// When its turn begins it starts thinking on a worker thread (see Thinker),
// for its thinking time at most, and waits a moment, as a person would; once
// both are over it sends a move, new tiles (hard level, when no move is
// left) or a pass. When the host refuses its move it passes; it never tries
// the same turn twice.

#include "ai/choice.h"
#include "ai/engine.h"
#include "ai/thinker.h"
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "net/protocol.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace ai {

// The other players' seats in the mirror's game, in the order they play
// after the local seat: seats taken and not sitting out.
std::vector<int> opponentsOf(const GameMirror &mirror);

class ZorbleBot : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = HostLink::kGamePort;
    // A pause drawn from 1 to 3 seconds before each move.
    static constexpr int kHumanePause = -1;
    // The most the thinking itself may take, unless set otherwise; the hard
    // level takes all of it.
    static constexpr int kThinkingMs = 1000;

    // Connects as soon as the event loop runs, so that the signals can be
    // connected first. `pauseMs` is the wait before each move (0 for none).
    // The engine is the process's shared one, built on a worker.
    ZorbleBot(const QString &host, quint16 port, const QString &name, Level level,
              int pauseMs = kHumanePause, QObject *parent = nullptr);
    // The same with an engine that other players share (null: the process's
    // shared engine, built on a worker when first needed).
    ZorbleBot(const QString &host, quint16 port, const QString &name, Level level, int pauseMs,
              std::shared_ptr<Engine> engine, QObject *parent = nullptr);
    ~ZorbleBot() override;

    // As the hosting player (slot 1), starts a game with these options once
    // `players` seats are taken; the bot does this once.
    void startGameWhenSeated(int players, const game::GameOptions &options);

    // Takes the kept seat this token gives back, with its rack and score.
    void setRejoinToken(const QString &token) { link_.setRejoinToken(token); }
    // Asks the host for rejoin tokens, as a window does.
    void setWantsRejoin(bool on) { link_.setWantsRejoin(on); }
    // How long it may think about a turn, in milliseconds.
    void setThinkingTime(int ms) { thinkingMs_ = ms; }

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
    // Starts thinking about the own turn and the pause before acting.
    void startTurn();
    // Acts on the decision once the pause is over too.
    void maybeAct();
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
    QTimer pause_;    // the wait before acting
    QTimer watchdog_; // passes when an answer to what was sent never comes
    std::mt19937 rng_;
    Thinker thinker_;
    int thinkingMs_ = kThinkingMs;
    std::optional<Decision> decision_; // for the own turn, once thought through
    bool acted_ = false;               // something was sent for this turn
    bool bought_ = false;              // new tiles bought this game
    bool done_ = false;
    int startPlayers_ = 0;
    game::GameOptions startOptions_;
};

} // namespace ai
