#include "settings/apppaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <unistd.h>

namespace {

// The XDG variable when it names an absolute path, else home + fallback.
QString xdgFolder(const QString &variable, const QString &home, const QString &fallback) {
    if (!variable.isEmpty() && QDir::isAbsolutePath(variable))
        return QDir::cleanPath(variable);
    return QDir::cleanPath(home + QLatin1Char('/') + fallback);
}

} // namespace

AppPaths AppPaths::decide(const Surroundings &s) {
    AppPaths paths;
    const QDir exe(s.executableFolder);
    if (s.executableFolderWritable && s.executableFolderOwned && !s.installed) {
        paths.settingsFile = exe.filePath(QStringLiteral("vornlobby.ini"));
        paths.tileFolder = exe.filePath(QStringLiteral("zorbletiles"));
        paths.tallyFile = exe.filePath(QStringLiteral("zorbletally.tld"));
        paths.rejoinFile = exe.filePath(QStringLiteral("zorblerejoin.txt"));
        paths.saveFile = exe.filePath(QStringLiteral("zorblegame.sav"));
        // The lobby's installer goes into the program's folder itself.
        paths.downloadFolder = QDir::cleanPath(s.executableFolder);
        paths.besideExecutable = true;
        return paths;
    }
    const QDir config(xdgFolder(s.xdgConfigHome, s.home, QStringLiteral(".config")) +
                      QStringLiteral("/zorble"));
    const QDir data(xdgFolder(s.xdgDataHome, s.home, QStringLiteral(".local/share")) +
                    QStringLiteral("/zorble"));
    paths.settingsFile = config.filePath(QStringLiteral("vornlobby.ini"));
    paths.tileFolder = data.filePath(QStringLiteral("zorbletiles"));
    paths.tallyFile = data.filePath(QStringLiteral("zorbletally.tld"));
    paths.rejoinFile = data.filePath(QStringLiteral("zorblerejoin.txt"));
    paths.saveFile = data.filePath(QStringLiteral("zorblegame.sav"));
    paths.downloadFolder = data.filePath(QStringLiteral("downloads"));
    // An installed game (in .../bin) finds the sets it came with in
    // .../share/zorble/zorbletiles; any other keeps them beside itself.
    if (!s.executableFolder.isEmpty())
        paths.sharedTileFolder =
            QDir::cleanPath(exe.filePath(s.installed ? QStringLiteral("../share/zorble/zorbletiles")
                                                     : QStringLiteral("zorbletiles")));
    return paths;
}

QString AppPaths::gamesFolder() const {
    return tallyFile.isEmpty() ? QString()
                               : QFileInfo(tallyFile).dir().filePath(QStringLiteral("games"));
}

AppPaths AppPaths::locate(const QString &executableFolder) {
    Surroundings s;
    s.executableFolder = executableFolder;
    s.installed =
        !executableFolder.isEmpty() &&
        QFileInfo(QDir(executableFolder).filePath(QStringLiteral("../share/zorble"))).isDir();
    s.executableFolderOwned = QFileInfo(executableFolder).ownerId() == ::geteuid();
    // No probe file where none will be written: an installed prefix belongs
    // to the package manager, even when root could write there.
    s.executableFolderWritable =
        !s.installed && s.executableFolderOwned && canCreateFilesIn(executableFolder);
    s.home = qEnvironmentVariable("HOME");
    if (s.home.isEmpty())
        s.home = QDir::homePath();
    s.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    s.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");

    const AppPaths paths = decide(s);
    if (!paths.besideExecutable) {
        QDir().mkpath(QFileInfo(paths.settingsFile).path());
        QDir().mkpath(paths.tileFolder);
        QDir().mkpath(paths.downloadFolder);
    }
    return paths;
}

bool canCreateFilesIn(const QString &folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zorble-probe-XXXXXX")));
    return probe.open(); // removed again when probe goes
}
