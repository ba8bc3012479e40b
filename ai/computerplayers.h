#pragma once

// The computer players a hosting program runs itself: each is a ZorbleBot in
// this process, connected to the local host like any other client and named
// "Computer N" with the lowest N that no seat and no other of them uses. They
// share one engine. A player that is done (removed from the game, the host
// gone, no seat) is deleted.

#include "ai/choice.h"
#include "ai/engine.h"

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
    // The engine the players think with, for hints too; built when first asked.
    Engine &engine();

    // The next name a player would get.
    QString nextName() const;

signals:
    // A player took a seat (1 to 4).
    void seated(const QString &name, int seat);
    // A player is gone; `why` is empty when the game removed it or ended.
    void gone(const QString &name, const QString &why);

private:
    const GameMirror &table_;
    QString address_ = QStringLiteral("127.0.0.1");
    quint16 port_;
    int pauseMs_;
    std::shared_ptr<Engine> engine_;
    QList<ZorbleBot *> players_;
};

// The hint for the local seat of `mirror`: the move with the most points as
// one line ("GROW down from column 7, row 4 for 18 points"), or nothing
// when no move is left.
std::optional<QString> hintText(const GameMirror &mirror, Engine &engine);

} // namespace ai
