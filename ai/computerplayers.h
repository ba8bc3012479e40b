#pragma once

// The computer players a hosting program runs itself: each is a ZorbleBot in
// this process, connected to the local host like any other client and named
// "Computer N" with the lowest N that no seat and no other of them uses. They
// share one engine, built on a worker thread. A player that is done (removed
// from the game, the host gone, no seat) is deleted; what it was thinking
// about is dropped. Hints are found on a worker thread too.

#include "ai/choice.h"
#include "ai/engine.h"
#include "ai/thinker.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class GameMirror;

namespace ai {

class ZorbleBot;

class ComputerPlayers : public QObject {
    Q_OBJECT
public:
    // `table` is the hosting window's own mirror: it tells which names the
    // seats hold.
    ComputerPlayers(const GameMirror &table, QObject *parent = nullptr);
    ~ComputerPlayers() override;

    // The host the players connect to, and their wait before each move
    // (ZorbleBot::kHumanePause, or milliseconds).
    void setHost(const QString &address, quint16 port);
    void setPause(int pauseMs) { pauseMs_ = pauseMs; }

    // Starts a player of `level`; its name. With a seat's rejoin token it
    // takes that kept seat over.
    QString add(Level level, const QString &token = {});
    int count() const { return int(players_.size()); }
    // Players that have not yet been given a slot.
    int arriving() const;
    // How long a player may think about a turn, in milliseconds.
    void setThinkingTime(int ms) { thinkingMs_ = ms; }

    // Looks for a hint for the local seat of the table; hintFound() brings it.
    void findHint();

    // The next name a player would get.
    QString nextName() const;

signals:
    // A player took a seat (1 to 4).
    void seated(const QString &name, int seat);
    // A player is gone; `why` is empty when the game removed it or ended.
    void gone(const QString &name, const QString &why);
    // The hint asked for: its line, or nothing when no move is left.
    void hintFound(const std::optional<QString> &line);

private:
    const GameMirror &table_;
    QString address_ = QStringLiteral("127.0.0.1");
    quint16 port_;
    int pauseMs_;
    int thinkingMs_;
    Thinker hints_;     // finds the hints, and has the engine ready
    Position hintFrom_; // the position of the hint asked for
    QList<ZorbleBot *> players_;
};

// A hint as one line: the move's word, where it goes and its points ("GROW
// down from column 7, row 4 for 18 points"), for the move in `position`.
QString hintText(const Position &position, const Move &move);

} // namespace ai
