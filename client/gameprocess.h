#pragma once

#include <QStringList>

#include <memory>

struct AppPaths;
class Tabout;
class Tchat;
class Tdownload;
class Tgameoptions;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;
class Ttallylist;

// The windows of one running game, created in a fixed order: the main
// window, help, the (hidden) host, about, the game options, the spy list,
// the tally list, the phrase editor and the lobby download window. The main window reads the
// command line when it is first shown, and keeps its settings and tile sets where AppPaths puts
// them.
//
// The tally is loaded from its file when the tally list is made and saved
// when the game process ends, which is how every normal end of the program
// goes (File > Exit, a closed connection, SIGINT and SIGTERM).
class GameProcess {
public:
    // paths: where the settings, tile sets and tally are kept.
    GameProcess(const QStringList &args, const AppPaths &paths);
    ~GameProcess();

    Tchat &window() { return *chat_; }
    TServer &server() { return *server_; }
    Tabout &about() { return *about_; }
    Thelp &help() { return *help_; }
    Tgameoptions &gameOptions() { return *gameoptions_; }
    Tphrases &phrases() { return *phrases_; }
    Ttallylist &tally() { return *tally_; }
    Tspylist &spyList() { return *spylist_; }
    Tdownload &download() { return *download_; }

private:
    std::unique_ptr<Tchat> chat_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<Tabout> about_;
    std::unique_ptr<Tgameoptions> gameoptions_;
    std::unique_ptr<Tspylist> spylist_;
    std::unique_ptr<Ttallylist> tally_;
    std::unique_ptr<Tphrases> phrases_;
    std::unique_ptr<Tdownload> download_;
};
