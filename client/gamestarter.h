#pragma once

// How the window comes into a game: from the start plan of its command line
// it hosts (its own host listens, and the window joins it over the loopback
// address) or joins another host, and opens the lobby link when the lobby
// started it. A join from the Join dialog comes with its connection made;
// an invitation link alone on the command line starts a solo game and asks
// for the Join dialog.

#include "client/startplan.h"
#include "clientcore/joinaddress.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class GameMirror;
namespace game {
class SaveFile;
struct SavedGame;
} // namespace game
class Reconnector;
class HostLink;
class TServer;
class TSock;

class GameStarter : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = 7772;
    static constexpr quint16 kLobbyPort = 9001;

    GameStarter(GameMirror &mirror, HostLink &link, QObject *parent = nullptr);
    ~GameStarter() override;

    void setArguments(const QStringList &args) { args_ = args; }
    // The host the window runs when it hosts; without one it makes its own
    // when first needed.
    void setServer(TServer *server) { server_ = server; }
    TServer *server() const { return server_; }
    // Where the host it makes writes its game records; none when empty.
    void setRecordFolder(const QString &folder) { recordFolder_ = folder; }
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby) {
        gamePort_ = game;
        lobbyPort_ = lobby;
    }
    quint16 gamePort() const { return gamePort_; }
    void setVersion(const QString &version) { version_ = version; }
    // Where the host's rejoin tokens are kept; none are kept without it.
    void setRejoinFile(const QString &path) { rejoinFile_ = path; }
    // Where the window's own host saves its game after every turn; a game
    // found there when the window hosts again is offered to resume.
    void setSaveFile(const QString &path) { saveFile_ = path; }
    QString hostAddress() const { return hostaddress_; }
    // The name set with Options > Your Name: a solo game is played under it
    // once it is set (empty: "You", as the start plan says).
    void setOwnName(const QString &name) { ownName_ = name; }
    // A join from the Join dialog: the connection is made and the host's
    // first message waits in it. The window plays there as `name`.
    void setJoin(const QString &name, const join::Address &address,
                 std::unique_ptr<TSock> connection);
    // Whether a solo start offers the lobby download (not when the game
    // starts again under a new name, or to follow an invitation).
    void setOfferLobby(bool on) { offerLobby_ = on; }

    // Reads the command line and hosts or joins.
    void processparams();
    void hostpress();
    void joinpress();
    // The connection to the host ended. A joining window whose seat the host
    // keeps tries again until the seat would be given up, and returns true;
    // otherwise the window closes. A host that closed on purpose is not
    // tried again.
    bool connectionLost();
    bool reconnecting() const;

signals:
    // A line for the window's chat.
    void notice(const QString &text);
    // A solo start: the window offers the lobby's download.
    void soloStarted();
    // The window hosts (the hosting player may start games and remove
    // people) or only joins.
    void hostingChanged(bool hosting);
    // The window tried to reach its host again until the seat would be
    // given up, in vain.
    void reconnectFailed();
    // The window plays at the game at `address`.
    void joining(const join::Address &address);
    // An invitation link came on the command line: the player confirms it
    // in the Join dialog.
    void invitationGiven(const QString &link);

private:
    void keepToken(const QString &gameId, const QString &token);
    void tryAgain();
    // Joins the window's own host, once it knows whether it resumes a game.
    // With a token, that seat of the resumed game is taken back.
    void askToResume(const game::SaveFile &save, const game::SavedGame &saved);
    // Listens on the game port and joins the own host, with the token of a
    // resumed seat when there is one.
    void hostGame(const QString &ownToken = {});
    void joinOwnHost(const QString &token = {});
    void presentToken(const QString &address);
    void connectFailed();

    GameMirror &mirror_;
    HostLink &link_;
    QStringList args_;
    TServer *server_ = nullptr;
    QString recordFolder_;
    QString hostaddress_;
    QString version_;
    QString rejoinFile_;
    QString saveFile_;
    Reconnector *reconnector_;
    QString joinedAddress_; // the host whose tokens the window keeps
    quint16 gamePort_ = kGamePort;
    quint16 lobbyPort_ = kLobbyPort;
    QString ownName_;
    std::unique_ptr<TSock> joining_; // the connection a join from the dialog made
    bool offerLobby_ = true;
};
