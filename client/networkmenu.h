#pragma once

// The window's ways to play with others:
//  - Options > Your Name: the name used to host and join, asked for the
//    first time a player joins or invites;
//  - File > Join a Game: the Join dialog with the games found on the local
//    network and a field for an address; the join is tried before the
//    current game is left, and a failure leaves that game as it was;
//  - File > Copy Invitation: a zorble:// link to the game on the clipboard.
// It also publishes the window's own hosted game on the local network.

#include "clientcore/joinaddress.h"
#include "clientcore/joiner.h"
#include "settings/playersettings.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ChatView;
class GameBrowser;
class GameMirror;
class GamePublisher;
class JoinDialog;
class NameDialog;
class QAction;
class QMenu;
class QWidget;
class TServer;
class TSock;

class NetworkMenu : public QObject {
    Q_OBJECT
public:
    // `systemLine` shows a line in the window's chat view; the dialogs are
    // the window's.
    NetworkMenu(const GameMirror &mirror, std::function<void(const QString &)> systemLine,
                QWidget *window);
    ~NetworkMenu() override;

    // Invitation links clicked in the chat view open the Join dialog.
    void openLinksFrom(ChatView *view);
    // Adds "Join a Game..." and "Copy Invitation" to the File menu, and
    // "Your Name..." to the Options menu.
    void addToFileMenu(QMenu *fileMenu);
    void addToOptionsMenu(QMenu *optionsMenu);

    // The name and the recent hosts as the settings file holds them; a
    // change goes out with playerChanged, to be written.
    void setPlayer(const PlayerSettings &player);
    // The name set with Your Name; empty while none is.
    QString playerName() const;
    QStringList recentHosts() const { return settings_.recentHosts; }
    // The port of an address given without one.
    void setDefaultPort(quint16 port) { defaultPort_ = port; }

    // The window hosts on `port`: the game is published on the local
    // network (the publisher goes with the server), and invitations name
    // this machine.
    void hosting(TServer &server, quint16 port);
    // The window plays at another machine's game.
    void joinedTo(const join::Address &address);

    void showJoinDialog();
    // The Join dialog with an invitation link filled in, for the player to
    // confirm.
    void openLink(const QString &link);
    void copyInvitation();
    void showNameDialog();

    // After joinReady: moves the join's connection into `to`.
    void takeConnection(TSock &to);

    JoinDialog *joinDialog();
    NameDialog *nameDialog();
    GamePublisher *publisher() const;
    // The Join dialog as the state file shows it.
    QJsonObject joinState() const;
    // The invitation for this window's game, empty when it has none.
    QString invitation() const;

signals:
    // A host gave a slot: leave the current game and take the connection
    // (takeConnection) to play at `address` as `name`.
    void joinReady(const QString &name, const join::Address &address);
    // The name changed while this window hosts a game nobody else joined:
    // the game may start again under the new name.
    void restartRequested();
    // The name or the recent hosts changed.
    void playerChanged(const PlayerSettings &player);

private:
    // Runs `then` once a name is set, asking for one first when needed.
    void withName(std::function<void()> then);
    void present(JoinDialog *dialog);
    void showGames();
    void joinGame(const QString &key);
    void joinAddress(const QString &text);
    void joined();

    const GameMirror &mirror_;
    std::function<void(const QString &)> systemLine_;
    QWidget *window_;
    PlayerSettings settings_;
    Joiner joiner_;
    bool typed_ = false; // the join under way was typed (a recent host)
    GameBrowser *browser_ = nullptr;
    QPointer<GamePublisher> publisher_;
    quint16 ownPort_ = 0;
    quint16 defaultPort_ = join::kDefaultPort;
    bool hosting_ = false;
    join::Address joinedTo_;
    QPointer<JoinDialog> joinDialog_;
    QPointer<NameDialog> nameDialog_;
    QAction *JoinGame1 = nullptr;
    QAction *CopyInvitation1 = nullptr;
    QAction *YourName1 = nullptr;
};
