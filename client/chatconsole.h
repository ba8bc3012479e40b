#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QSocketNotifier;
class Tchat;

// Connects the chat column to the process's standard streams, for scripts
// and for playing from a terminal: every chat line the window shows is also
// written to standard output ("selector+text"), and every line read from
// standard input is sent as if typed into the entry line and confirmed with
// Enter. Some lines act as the window's buttons and menus instead: "/start"
// starts a game with the values the Game Options window holds, "/pass"
// passes the turn, "/newtiles" buys new tiles, "/hint" is Options > Show
// Hint and "/computer LEVEL [PAUSE_MS]" is File > Add Computer Player (with
// the computer players' wait before each move). Turned on with
// ZORBLE_CHAT_CONSOLE=1.
//
// Lines read before the host has announced the own seat wait, in order, and
// go out once it has: typed into the entry line then, they would do nothing.
// Meanwhile nothing more is read.
class ChatConsole : public QObject {
    Q_OBJECT
public:
    explicit ChatConsole(Tchat &window, int inputFd = 0);

    static bool requested();

private:
    void readInput();
    // Acts on the lines read so far, once the chat can send them.
    void actOnLines();
    void act(const QString &line);

    Tchat &window_;
    int fd_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray carry_;
    QStringList waiting_; // complete lines not yet acted on
    bool ended_ = false;  // the input reached its end
};
