#pragma once

#include <QByteArray>
#include <QObject>

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
class ChatConsole : public QObject {
    Q_OBJECT
public:
    explicit ChatConsole(Tchat &window, int inputFd = 0);

    static bool requested();

private:
    void readInput();

    Tchat &window_;
    int fd_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray carry_;
};
