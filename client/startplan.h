#pragma once

#include <QString>
#include <QStringList>

// How the command line starts the game window.
struct StartPlan {
    enum Mode { Solo, Host, Join, Idle };
    Mode mode = Idle;
    QString playername;  // at most 20 characters
    QString hostaddress; // at most 20 characters
    bool openLobby = false;
    QString loadingLine; // the chat line written before anything connects
};

// Reads the arguments that follow the program name: none is a solo game,
// three or more are name, address and role ("true" hosts, anything else
// joins), one or two leave the window idle.
StartPlan planStart(const QStringList &args);
