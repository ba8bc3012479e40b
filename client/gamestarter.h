#pragma once

// How the window comes into a game: from the start plan of its command line
// it hosts (its own host listens, and the window joins it over the loopback
// address) or joins another host, and opens the lobby link when the lobby
// started it.

#include "client/startplan.h"

#include <QObject>
#include <QString>
#include <QStringList>

class GameMirror;
class HostLink;
class TServer;

class GameStarter : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = 7772;
    static constexpr quint16 kLobbyPort = 9001;

    GameStarter(GameMirror &mirror, HostLink &link, QObject *parent = nullptr);

    void setArguments(const QStringList &args) { args_ = args; }
    // The host the window runs when it hosts; without one it makes its own
    // when first needed.
    void setServer(TServer *server) { server_ = server; }
    TServer *server() const { return server_; }
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby) {
        gamePort_ = game;
        lobbyPort_ = lobby;
    }
    quint16 gamePort() const { return gamePort_; }
    void setVersion(const QString &version) { version_ = version; }
    QString hostAddress() const { return hostaddress_; }

    // Reads the command line and hosts or joins.
    void processparams();
    void hostpress();
    void joinpress();

signals:
    // A line for the window's chat.
    void notice(const QString &text);
    // A solo start: the window offers the lobby's download.
    void soloStarted();
    // The window hosts (the hosting player may start games and remove
    // people) or only joins.
    void hostingChanged(bool hosting);

private:
    GameMirror &mirror_;
    HostLink &link_;
    QStringList args_;
    TServer *server_ = nullptr;
    QString hostaddress_;
    QString version_;
    quint16 gamePort_ = kGamePort;
    quint16 lobbyPort_ = kLobbyPort;
};
