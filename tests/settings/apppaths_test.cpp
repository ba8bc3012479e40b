// Where the program's files live: the decision, the probe that feeds it, and
// the per-user folders it creates.

#include "settings/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AppPaths, ExecutableFolderWhenWritableElseTheXdgFolders) {
    struct Case {
        const char *what;
        AppPaths::Surroundings in;
        AppPaths expected;
    };
    const QString home = QStringLiteral("/home/anna");
    const std::vector<Case> cases = {
        {"writable executable folder",
         {"/opt/zorble/", true, home, "/x/config", "/x/data"},
         {"/opt/zorble/vornlobby.ini", "/opt/zorble/zorbletiles", "/opt/zorble/zorbletally.tld",
          "/opt/zorble/downloads", "", true}},
        {"XDG folders set",
         {"/usr/bin", false, home, "/x/config/", "/x/data"},
         {"/x/config/zorble/vornlobby.ini", "/x/data/zorble/zorbletiles",
          "/x/data/zorble/zorbletally.tld", "/x/data/zorble/downloads",
          "/usr/share/zorble/zorbletiles", false}},
        {"XDG folders unset",
         {"/usr/bin", false, home, "", ""},
         {"/home/anna/.config/zorble/vornlobby.ini", "/home/anna/.local/share/zorble/zorbletiles",
          "/home/anna/.local/share/zorble/zorbletally.tld",
          "/home/anna/.local/share/zorble/downloads", "/usr/share/zorble/zorbletiles", false}},
        {"relative XDG folders are ignored",
         {"/usr/bin", false, home, "cfg", "./data"},
         {"/home/anna/.config/zorble/vornlobby.ini", "/home/anna/.local/share/zorble/zorbletiles",
          "/home/anna/.local/share/zorble/zorbletally.tld",
          "/home/anna/.local/share/zorble/downloads", "/usr/share/zorble/zorbletiles", false}},
    };
    for (const Case &c : cases) {
        const AppPaths got = AppPaths::decide(c.in);
        EXPECT_EQ(got, c.expected)
            << c.what << ": " << got.settingsFile.toStdString() << " "
            << got.tileFolder.toStdString() << " " << got.tallyFile.toStdString() << " "
            << got.downloadFolder.toStdString();
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
