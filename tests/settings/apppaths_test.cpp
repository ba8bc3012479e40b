// Where the program's files live: the decision, the probe that feeds it, and
// the per-user folders it creates.

#include "settings/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <unistd.h>

TEST(AppPaths, ExecutableFolderWhenOwnWritableAndNotInstalledElseTheXdgFolders) {
    struct Case {
        const char *what;
        AppPaths::Surroundings in;
        AppPaths expected;
    };
    const QString home = QStringLiteral("/home/anna");
    const QString xdgHome = QStringLiteral("/home/anna/.local/share/zorble/");
    const QString installedSets = QStringLiteral("/usr/share/zorble/zorbletiles");
    // in: folder, writable, home, XDG config, XDG data, installed, owned
    const std::vector<Case> cases = {
        {"own writable folder",
         {"/opt/zorble/", true, home, "/x/config", "/x/data", false, true},
         {"/opt/zorble/vornlobby.ini", "/opt/zorble/zorbletiles", "/opt/zorble/zorbletally.tld",
          "/opt/zorble", "/opt/zorble/zorblerejoin.txt", "/opt/zorble/zorblegame.sav", "", true}},
        {"installed, XDG folders set",
         {"/usr/bin", false, home, "/x/config/", "/x/data", true, false},
         {"/x/config/zorble/vornlobby.ini", "/x/data/zorble/zorbletiles",
          "/x/data/zorble/zorbletally.tld", "/x/data/zorble/downloads",
          "/x/data/zorble/zorblerejoin.txt", "/x/data/zorble/zorblegame.sav", installedSets,
          false}},
        {"installed and writable, as for root; relative XDG folders are ignored",
         {"/usr/bin", true, home, "cfg", "./data", true, true},
         {"/home/anna/.config/zorble/vornlobby.ini", xdgHome + "zorbletiles",
          xdgHome + "zorbletally.tld", xdgHome + "downloads", xdgHome + "zorblerejoin.txt",
          xdgHome + "zorblegame.sav", installedSets, false}},
        {"writable folder of another user",
         {"/srv/games", true, home, "", "", false, false},
         {"/home/anna/.config/zorble/vornlobby.ini", xdgHome + "zorbletiles",
          xdgHome + "zorbletally.tld", xdgHome + "downloads", xdgHome + "zorblerejoin.txt",
          xdgHome + "zorblegame.sav", "/srv/games/zorbletiles", false}},
    };
    for (const Case &c : cases) {
        const AppPaths got = AppPaths::decide(c.in);
        EXPECT_EQ(got, c.expected)
            << c.what << ": " << got.settingsFile.toStdString() << " "
            << got.tileFolder.toStdString() << " " << got.tallyFile.toStdString() << " "
            << got.downloadFolder.toStdString() << " " << got.sharedTileFolder.toStdString();
    }
}

namespace {

// Sets an environment variable for the scope of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

} // namespace

// Tests run as root, who passes every permission check: the folders where
// writing fails here fail for anybody (/proc takes no new files).
TEST(AppPaths, FallsBackWhenNoFileCanBeCreatedBesideTheExecutable) {
    if (!QFileInfo(QStringLiteral("/proc/self")).exists())
        GTEST_SKIP() << "needs /proc";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plainFile = dir.filePath(QStringLiteral("a-file"));
    ASSERT_TRUE(QFile(plainFile).open(QIODevice::WriteOnly));

    struct Case {
        QString folder;
        bool writable;
    };
    for (const Case &c : {Case{dir.path(), true}, Case{QStringLiteral("/proc"), false},
                          Case{dir.filePath(QStringLiteral("missing")), false},
                          Case{plainFile, false}, Case{QString(), false}})
        EXPECT_EQ(canCreateFilesIn(c.folder), c.writable) << c.folder.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("a-file")});

    const ScopedEnv home("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
    const ScopedEnv config("XDG_CONFIG_HOME",
                           QFile::encodeName(dir.filePath(QStringLiteral("cfg"))));
    const ScopedEnv data("XDG_DATA_HOME", QByteArray());

    const AppPaths fallback = AppPaths::locate(QStringLiteral("/proc"));
    EXPECT_FALSE(fallback.besideExecutable);
    EXPECT_EQ(fallback.settingsFile, dir.filePath(QStringLiteral("cfg/zorble/vornlobby.ini")));
    EXPECT_EQ(fallback.tallyFile,
              dir.filePath(QStringLiteral("home/.local/share/zorble/zorbletally.tld")));
    for (const QString &folder :
         {QFileInfo(fallback.settingsFile).path(), fallback.tileFolder, fallback.downloadFolder})
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();

    const AppPaths beside = AppPaths::locate(dir.path());
    EXPECT_TRUE(beside.besideExecutable);
    EXPECT_EQ(beside.settingsFile, dir.filePath(QStringLiteral("vornlobby.ini")));
}

// An installed prefix, and a folder of another user, hold none of the files,
// though root could write to both.
TEST(AppPaths, AnInstalledPrefixOrAnotherUsersFolderIsLeftAlone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ScopedEnv home("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
    const ScopedEnv config("XDG_CONFIG_HOME", QByteArray());
    const ScopedEnv data("XDG_DATA_HOME", QByteArray());
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("usr/share/zorble"))));

    const AppPaths installed = AppPaths::locate(bin);
    EXPECT_FALSE(installed.besideExecutable);
    EXPECT_EQ(installed.tallyFile,
              dir.filePath(QStringLiteral("home/.local/share/zorble/zorbletally.tld")));
    EXPECT_EQ(installed.sharedTileFolder,
              dir.filePath(QStringLiteral("usr/share/zorble/zorbletiles")));

    // Giving a folder away needs root, with the user "nobody" known (in a
    // user namespace it may not be).
    const QString foreign = dir.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(foreign));
    constexpr uid_t kNobody = 65534;
    if (::chown(QFile::encodeName(foreign).constData(), kNobody, kNobody) != 0)
        GTEST_SKIP() << "cannot give a folder to user " << kNobody << ": " << std::strerror(errno);
    const AppPaths other = AppPaths::locate(foreign);
    EXPECT_FALSE(other.besideExecutable);
    EXPECT_EQ(other.sharedTileFolder, foreign + QStringLiteral("/zorbletiles"));
}
