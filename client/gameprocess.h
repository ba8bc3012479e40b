#pragma once

#include <QStringList>

#include <memory>

class Tabout;
class Tchat;
class Tgameoptions;
class Thelp;
class Tphrases;
class TServer;

// The windows of one running game, created in a fixed order: the main
// window, help, the (hidden) host, about, the game options, the phrase
// editor. The main window reads the command line when it is first shown, and
// keeps its settings and tile sets where AppPaths puts them.
class GameProcess {
public:
    explicit GameProcess(const QStringList &args);
    ~GameProcess();

    Tchat &window() { return *chat_; }
    TServer &server() { return *server_; }
    Tabout &about() { return *about_; }
    Thelp &help() { return *help_; }
    Tgameoptions &gameOptions() { return *gameoptions_; }
    Tphrases &phrases() { return *phrases_; }

private:
    std::unique_ptr<Tchat> chat_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<Tabout> about_;
    std::unique_ptr<Tgameoptions> gameoptions_;
    std::unique_ptr<Tphrases> phrases_;
};
