#pragma once

#include <QStringList>

#include <memory>

class Tabout;
class Tchat;
class Thelp;
class TServer;

// The windows of one running game, created in a fixed order: the main
// window, help, the (hidden) host, about. The main window reads the command
// line when it is first shown.
class GameProcess {
public:
    explicit GameProcess(const QStringList &args);
    ~GameProcess();

    Tchat &window() { return *chat_; }
    TServer &server() { return *server_; }
    Tabout &about() { return *about_; }
    Thelp &help() { return *help_; }

private:
    std::unique_ptr<Tchat> chat_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<Tabout> about_;
};
