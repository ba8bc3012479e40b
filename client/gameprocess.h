#pragma once

#include "settings/apppaths.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class Tabout;
class Tchat;
class Tdownload;
class Tgameoptions;
class Thelp;
class Tphrases;
class TServer;
class TSock;
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
//
// A join from the Join dialog leaves the current game as File > Exit does
// and goes on in a new main window with a new (idle) host; the other
// windows stay. So does a solo game that starts again under a new name.
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

    // Called with the main window now and with every one that replaces it,
    // to connect what lives outside it (the console, the program's end).
    void setWindowHook(std::function<void(Tchat &)> hook);
    // The port the window hosts on and joins (--port); 7772 unless given.
    void setGamePort(quint16 port);

private:
    void makeWindow();
    // Closes the main window and its host once control is back in the
    // event loop, and shows a new one, prepared by `prepare`.
    void replaceWindow(std::function<void(Tchat &)> prepare);

    AppPaths paths_;
    std::function<void(Tchat &)> hook_;
    QObject context_;               // runs the replacement from the event loop
    std::unique_ptr<TSock> joined_; // a join's connection on its way to the new window
    bool replacing_ = false;
    quint16 gamePort_ = 7772;
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
