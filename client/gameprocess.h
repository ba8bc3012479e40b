#pragma once

#include <QStringList>

#include <memory>

class Tabout;
class Tchat;
class Thelp;
class TServer;
class Ttallylist;

// The windows of one running game, created in a fixed order: the main
// window, help, the (hidden) host, about, the tally list. The main window
// reads the command line when it is first shown.
//
// The tally is loaded from its file when the tally list is made and saved
// when the game process ends, which is how every normal end of the program
// goes (File > Exit, a closed connection, SIGINT and SIGTERM).
class GameProcess {
public:
    // tallyFile: where the tally is kept; AppPaths decides it.
    GameProcess(const QStringList &args, const QString &tallyFile);
    ~GameProcess();

    Tchat &window() { return *chat_; }
    TServer &server() { return *server_; }
    Tabout &about() { return *about_; }
    Thelp &help() { return *help_; }
    Ttallylist &tally() { return *tally_; }

private:
    std::unique_ptr<Tchat> chat_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<Tabout> about_;
    std::unique_ptr<Ttallylist> tally_;
};
