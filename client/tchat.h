#pragma once

#include "framing.h"
#include "gamemirror.h"
#include "instanceguard.h"
#include "tsock.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>

class BoardArea;
class ChatPanel;
class QAction;
class QMenu;
class SeatTable;
class StatusPanel;
class Tabout;
class Thelp;
class TServer;

// The game window: connects to a host (its own, when it hosts), logs in and
// hands every message from the host to its handler. Closing it ends the game.
class Tchat : public QMainWindow {
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = 7772;
    static constexpr quint16 kLobbyPort = 9001;
    static constexpr int kDefaultWidth = 866;
    static constexpr int kDefaultHeight = 650;
    static constexpr int kNarrowestScreen = 801;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // Wiring done once, before the window is first shown.
    void setArguments(const QStringList &args) { args_ = args; }
    void setServer(TServer *server) { server_ = server; }
    void setAbout(Tabout *about) { about_ = about; }
    void setHelp(Thelp *help) { help_ = help; }
    // Tests move the connections to free ports; the game uses the fixed ones.
    void setPorts(quint16 game, quint16 lobby) {
        gamePort_ = game;
        lobbyPort_ = lobby;
    }

    GameMirror &mirror() { return mirror_; }
    ChatPanel *chat() const { return chat_; }
    const GameMirror &mirror() const { return mirror_; }
    // The version text sent at login: the About window's version label.
    QString versionText() const;
    bool isClosing() const { return closing_; }
    // Messages taken off the queue and handed to the dispatcher so far.
    int dispatchedCount() const { return dispatched_; }

    // Shows the panel that asks for a larger screen when the width is below
    // the narrowest the layout fits.
    void checkScreenWidth(int width);
    // Restores and raises the window (a second start of the program asks for it).
    void bringToFront();

    // Command line, hosting and joining.
    void processparams();
    void hostpress();
    void joinpress();

signals:
    // The window has closed; the program ends with it.
    void closed();
    // A line went to the chat view ("selector+text").
    void chatLineShown(const QString &line);
    // A message line is about to be handled (tests watch the order).
    void dispatching(const QString &line);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    using Handler = void (Tchat::*)(const QString &payload);
    struct Command {
        const char *name;
        Handler handler; // nullptr: handled by a part of the window not built yet
    };
    static const Command kCommands[];

    // A queued line, or the mark that one of the sockets closed.
    struct Queued {
        QString line;
        bool socketClosed = false;
    };

    void buildMenus();
    void buildPanel();
    void addlinetochat(const QString &line, quint32 colour);
    void sendToHost(const QString &message);
    void systemLine(const QString &text);
    // Drops the message being handled, with one line on stderr.
    void malformed(const char *why);
    void showMessage(const QString &text);

    // Inbound path.
    void sockRead(TSock *sender);
    void sockInfo(TSock *sender, TSocketInfo kind, const QString &text);
    void Timer1Timer();
    void dispatch(const QString &line);

    // Handlers.
    void sendloginfo(const QString &payload);
    void chatrecieved(const QString &payload);
    void newplayerinfo(const QString &payload);
    void playerdisconnected(const QString &payload);
    void havewrongversion(const QString &payload);
    void wrongversion(const QString &payload);
    void full(const QString &payload);
    void playasound(const QString &payload);
    void invalid(const QString &payload);
    void playergotscore(const QString &payload);
    void gametimeup(const QString &payload);
    void nomoretiles(const QString &payload);
    void everyonepassed(const QString &payload);
    void already(const QString &payload);
    void notenough(const QString &payload);
    void setReason(const QString &text);

    // User actions.
    void button_startClick();
    void Exit1Click();
    void Image4Click();
    void seatChanged(int seat);

    RunningMark running_;
    GameMirror mirror_;
    TSock sock;
    TSock Sock11;
    FrameSplitter sockCarry_;
    FrameSplitter lobbyCarry_;
    std::deque<Queued> receivedlist;
    QTimer Timer1;
    bool handling_ = false;
    bool closing_ = false;
    bool shown_ = false;
    int dispatched_ = 0;
    QString current_; // the line being handled

    QStringList args_;
    TServer *server_ = nullptr;
    Tabout *about_ = nullptr;
    Thelp *help_ = nullptr;
    quint16 gamePort_ = kGamePort;
    quint16 lobbyPort_ = kLobbyPort;

    QWidget *panel_ = nullptr;
    BoardArea *boardArea_ = nullptr;
    SeatTable *seatTable_ = nullptr;
    StatusPanel *status_ = nullptr;
    ChatPanel *chat_ = nullptr;
    QMenu *fileMenu_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    QMenu *optionsMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QAction *StartGame1 = nullptr;
    QAction *Exit1 = nullptr;
};
