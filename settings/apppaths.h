#pragma once

// Where the program's files live, decided in this one place.
//
// A game run from a folder of the user's own (a build tree, an unpacked
// archive) keeps the settings file (shared with the lobby), the tile sets,
// the tally file and the downloaded installer in the executable's folder,
// as the lobby expects, when files can be created there. An installed game
// (the executable's ../share/zorble exists), a game in a folder the user does
// not own, or one that cannot write beside itself uses the user's own
// folders instead, after the XDG base-directory rules:
//
//   settings   $XDG_CONFIG_HOME/zorble/vornlobby.ini   (default ~/.config)
//   tile sets  $XDG_DATA_HOME/zorble/zorbletiles       (default ~/.local/share)
//   tally      $XDG_DATA_HOME/zorble/zorbletally.tld
//   downloads  $XDG_DATA_HOME/zorble/downloads
//   records    $XDG_DATA_HOME/zorble/games
//   rejoin     $XDG_DATA_HOME/zorble/zorblerejoin.txt  (the client's rejoin tokens)
//   save       $XDG_DATA_HOME/zorble/zorblegame.sav    (the host's running game)
//
// An XDG variable that is unset, empty or not an absolute path is ignored, as
// those rules say. Root is no exception: an installed game run as root writes
// nothing under its prefix, which belongs to the package manager.

#include <QString>

struct AppPaths {
    QString settingsFile;
    QString tileFolder;
    QString tallyFile;
    QString downloadFolder;
    QString rejoinFile; // the tokens that give a kept seat back, per host
    QString saveFile;   // the hosted game, saved after every turn
    // The tile sets that came with the game, read only: an installed game's
    // ../share/zorble/zorbletiles, or the zorbletiles folder beside an
    // executable that keeps its files elsewhere. Empty when the game's files
    // live beside the executable, whose tile folder is then its own.
    QString sharedTileFolder;
    bool besideExecutable = false;

    // The host's game records: games/ beside the tally file.
    QString gamesFolder() const;

    // What the decision rests on.
    struct Surroundings {
        QString executableFolder;
        bool executableFolderWritable = false;
        QString home;
        QString xdgConfigHome; // as the environment holds them, maybe empty
        QString xdgDataHome;
        bool installed = false;            // ../share/zorble exists
        bool executableFolderOwned = true; // by the user the program runs as
    };

    // The decision alone, without looking at the disk.
    static AppPaths decide(const Surroundings &s);

    // The paths for this process, with the executable's folder as given (the
    // program passes QCoreApplication::applicationDirPath()), $HOME and the
    // XDG variables. When the user's folders are chosen, they are created;
    // should that fail, writing the files there fails later with the reason.
    static AppPaths locate(const QString &executableFolder);

    bool operator==(const AppPaths &) const = default;
};

// Whether a new file can be made in the folder: tries to create one and
// removes it again. Asking for permissions would not do: root passes any
// permission check, yet cannot write on a read-only file system.
bool canCreateFilesIn(const QString &folder);
