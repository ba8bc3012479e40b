#pragma once

// Where the program's files live, decided in this one place.
//
// The settings file (shared with the lobby), the tile sets, the tally file and
// the downloads live in the executable's folder when files can be created
// there, as the lobby expects. Otherwise they go to the user's own folders,
// after the XDG base-directory rules:
//
//   settings   $XDG_CONFIG_HOME/zorble/vornlobby.ini   (default ~/.config)
//   tile sets  $XDG_DATA_HOME/zorble/zorbletiles       (default ~/.local/share)
//   tally      $XDG_DATA_HOME/zorble/zorbletally.tld
//   downloads  $XDG_DATA_HOME/zorble/downloads
//
// An XDG variable that is unset, empty or not an absolute path is ignored, as
// those rules say.

#include <QString>

struct AppPaths {
    QString settingsFile;
    QString tileFolder;
    QString tallyFile;
    QString downloadFolder;
    // The tile sets installed with the game, read only; empty when the game
    // runs from a writable folder, which holds its sets itself.
    QString sharedTileFolder;
    bool besideExecutable = false;

    // What the decision rests on.
    struct Surroundings {
        QString executableFolder;
        bool executableFolderWritable = false;
        QString home;
        QString xdgConfigHome; // as the environment holds them, maybe empty
        QString xdgDataHome;
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
