// The ini file shared with the lobby: how it reads, which lines a write
// touches, and what happens to odd, unreadable and unwritable files.

#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct Write {
    const char *section;
    const char *key;
    QString value;
};

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

ino_t inodeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QStringList entriesOf(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

std::string show(const std::optional<QString> &v) {
    return v ? '"' + v->toStdString() + '"' : std::string("(missing)");
}

} // namespace

TEST(IniRead, NamesMatchWithoutCaseBlanksDoNotCountAndValuesAreRaw) {
    const IniFile ini = IniFile::fromBytes("; written by the lobby\n"
                                           "Orphan=before any section\n"
                                           "[Lobby]\n"
                                           "Name=Anna\n"
                                           "  [ zorble ]  \n"
                                           "  TOP   =   12 \t \n"
                                           "phrase1=Wow, WTG!\n"
                                           "Phrase2 = a=b ; \"not\" a comment\n"
                                           ";Width=1\n"
                                           "  #Height=2\n"
                                           "junk without an equals sign\n"
                                           "Empty=\n"
                                           "top=99\n"
                                           "[Zorble]\n"
                                           "Tiles=in the second section of that name\n");
    struct Case {
        const char *section;
        const char *key;
        std::optional<QString> expected;
    };
    for (const Case &c : {
             Case{"Zorble", "Top", "12"},
             Case{"ZORBLE", "top", "12"},
             Case{" Zorble\t", " Top ", "12"},
             Case{"Zorble", "Phrase1", "Wow, WTG!"},
             Case{"Zorble", "Phrase2", "a=b ; \"not\" a comment"},
             Case{"Zorble", "Empty", ""},
             Case{"Zorble", "Width", std::nullopt},
             Case{"Zorble", "Height", std::nullopt},
             Case{"Zorble", "junk without an equals sign", std::nullopt},
             Case{"Zorble", "Tiles", std::nullopt},
             Case{"Zorble", "Name", std::nullopt},
             Case{"Lobby", "Name", "Anna"},
             Case{"Lobby", "Top", std::nullopt},
             Case{"", "Orphan", std::nullopt},
             Case{"Nowhere", "Top", std::nullopt},
         }) {
        const auto got = ini.value(QString::fromUtf8(c.section), QString::fromUtf8(c.key));
        EXPECT_EQ(got, c.expected) << c.section << "/" << c.key << ": " << show(got);
    }
}

TEST(IniWrite, ChangesOnlyTheLinesOfTheKeysWritten) {
    struct Case {
        const char *what;
        QByteArray before;
        std::vector<Write> writes;
        QByteArray after;
    };
    const std::vector<Case> cases = {
        {"the lobby's file: a changed key keeps its spelling and spacing, a new one follows "
         "the last key of its section",
         "; vornlobby settings\n"
         "[Lobby]\n"
         "Server = play.example.org\n"
         "\n"
         "  [ZORBLE]\n"
         "\tTOP =  12 \n"
         "Tiles=classic\n"
         "# the lobby's note about the game\n"
         "\n"
         "\n"
         "[Buddies]\n"
         "Anna=1\n",
         {{"Zorble", "Top", "40"}, {"zorble", "Textcolor", "clBlack"}},
         "; vornlobby settings\n"
         "[Lobby]\n"
         "Server = play.example.org\n"
         "\n"
         "  [ZORBLE]\n"
         "\tTOP =  40\n"
         "Tiles=classic\n"
         "Textcolor=clBlack\n"
         "# the lobby's note about the game\n"
         "\n"
         "\n"
         "[Buddies]\n"
         "Anna=1\n"},
        {"a new section goes to the end, after a blank line",
         "[Lobby]\nName=Anna\n",
         {{"Zorble", "Top", "3"}, {"Zorble", "Left", "4"}},
         "[Lobby]\nName=Anna\n\n[Zorble]\nTop=3\nLeft=4\n"},
        {"an empty file", "", {{"Zorble", "Top", "3"}}, "[Zorble]\nTop=3\n"},
        {"CRLF stays CRLF, and a missing last line ending stays missing",
         "[Lobby]\r\nName=Anna\r\n[Zorble]\r\nTop=1",
         {{"Zorble", "Left", "3"}, {"Zorble", "Top", "2"}, {"New", "Key", "v"}},
         "[Lobby]\r\nName=Anna\r\n[Zorble]\r\nTop=2\r\nLeft=3\r\n\r\n[New]\r\nKey=v"},
        {"only the first of repeated keys and sections is written",
         "[Zorble]\nTop=1\nTop=2\n[zorble]\nTop=3\n",
         {{"Zorble", "Top", "9"}},
         "[Zorble]\nTop=9\nTop=2\n[zorble]\nTop=3\n"},
        {"a section without keys gets the key right after its name",
         "[Zorble]\n\n[Other]\nX=1\n",
         {{"Zorble", "Top", "3"}},
         "[Zorble]\nTop=3\n\n[Other]\nX=1\n"},
        {"an unchanged value leaves the line as it is",
         "[Zorble]\nTop =  3  \n",
         {{"Zorble", "Top", "3"}},
         "[Zorble]\nTop =  3  \n"},
        {"blanks around a written value are dropped, as on reading",
         "[Zorble]\nPhrase1=x\n",
         {{"Zorble", "Phrase1", "  Wow, WTG!  "}},
         "[Zorble]\nPhrase1=Wow, WTG!\n"},
        {"a byte-order mark does not hide the first section",
         "\xEF\xBB\xBF[Zorble]\nTop=1\n",
         {{"Zorble", "Top", "2"}},
         "\xEF\xBB\xBF[Zorble]\nTop=2\n"},
        {"a Latin-1 file is written in Latin-1",
         "[Lobby]\nName=Ren\xE9\n",
         {{"Lobby", "Name", QStringLiteral("Zo\u00EB")}},
         "[Lobby]\nName=Zo\xEB\n"},
        {"a UTF-8 file is written in UTF-8",
         "[Lobby]\nName=Ren\xC3\xA9\n",
         {{"Lobby", "Name", QStringLiteral("Zo\u00EB")}},
         "[Lobby]\nName=Zo\xC3\xAB\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        IniFile ini = IniFile::fromBytes(c.before);
        for (const Write &w : c.writes)
            EXPECT_TRUE(
                ini.setValue(QString::fromUtf8(w.section), QString::fromUtf8(w.key), w.value));
        EXPECT_EQ(ini.toBytes(), c.after);
        const IniFile reread = IniFile::fromBytes(ini.toBytes());
        for (const Write &w : c.writes)
            EXPECT_EQ(reread.value(QString::fromUtf8(w.section), QString::fromUtf8(w.key)),
                      w.value.trimmed())
                << w.key;
    }
}

TEST(IniWrite, RefusesNamesAndValuesThatWouldReadBackAsSomethingElse) {
    const QByteArray before = "[Zorble]\nTop=1\n";
    for (const Write &w : {Write{"", "Top", "2"}, Write{"  ", "Top", "2"}, Write{"Zorble", "", "2"},
                           Write{"Zorble", "To=p", "2"}, Write{"Zorble", "[Top", "2"},
                           Write{"Zorble", ";Top", "2"}, Write{"Zorble", "#Top", "2"},
                           Write{"Zorble", "Top", "two\nlines"}, Write{"Zorble", "Top", "a\rb"},
                           Write{"Zor\nble", "Top", "2"}, Write{"Zorble", "T\nop", "2"}}) {
        IniFile ini = IniFile::fromBytes(before);
        EXPECT_FALSE(ini.setValue(QString::fromUtf8(w.section), QString::fromUtf8(w.key), w.value))
            << w.section << "/" << w.key << "=" << w.value.toStdString();
        EXPECT_EQ(ini.toBytes(), before);
        EXPECT_FALSE(ini.hasPendingChanges());
    }
}

// Whatever the bytes, a write appends the section and key, leaves the bytes
// before them alone, and reads back.
TEST(IniWrite, OddContentNeverBreaksTheFile) {
    std::mt19937 rng(7);
    QByteArray binary(64 * 1024, Qt::Uninitialized);
    for (char &c : binary)
        c = char(rng());
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    for (const Case &c : {
             Case{"binary", binary},
             Case{"one huge line", QByteArray(IniFile::kMaxBytes, 'x')},
             Case{"keys without a section", "Top=1\nLeft=2"},
             Case{"nul bytes", QByteArray("[Lob\0by]\nA=\0\n\0", 14)},
             Case{"brackets alone", "[\n]\n[]\n[[]]"},
             Case{"an unclosed section name", "[Zorble\nTop=1\n"},
             Case{"carriage returns only", "\r\r\r"},
             Case{"a DOS end-of-file mark", "[Lobby]\nA=1\n\x1A"},
         }) {
        SCOPED_TRACE(c.what);
        IniFile ini = IniFile::fromBytes(c.bytes);
        EXPECT_FALSE(ini.value(u"Zorble", u"Top").has_value());
        ASSERT_TRUE(ini.setValue(u"Zorble", u"Top", u"7"));
        const QByteArray out = ini.toBytes();
        EXPECT_TRUE(out.startsWith(c.bytes));
        EXPECT_EQ(IniFile::fromBytes(out).value(u"Zorble", u"Top"), QStringLiteral("7"));
    }
}

class IniOnDisk : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("vornlobby.ini"));

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
};

TEST_F(IniOnDisk, BatchedWritesKeepWhatAnotherProgramWroteMeanwhile) {
    IniFile ini(path);
    ASSERT_TRUE(ini.load()) << ini.errorString().toStdString();
    EXPECT_FALSE(ini.value(u"Zorble", u"Top").has_value());
    EXPECT_FALSE(QFile::exists(path));

    // The lobby writes its file while the game holds the changes back.
    const QByteArray lobby = "[Lobby]\r\nServer = play.example.org\r\n; buddies below\r\n";
    EXPECT_TRUE(ini.setValue(u"Zorble", u"Phrase1", u"Wow, WTG!"));
    writeFile(path, lobby);
    EXPECT_TRUE(ini.setValue(u"Zorble", u"Top", u"3"));
    EXPECT_TRUE(ini.setValue(u"Zorble", u"Top", u"5"));
    ASSERT_TRUE(ini.save()) << ini.errorString().toStdString();
    EXPECT_FALSE(ini.hasPendingChanges());

    EXPECT_EQ(readFile(path), lobby + "\r\n[Zorble]\r\nPhrase1=Wow, WTG!\r\nTop=5\r\n");
    EXPECT_EQ(ini.value(u"Lobby", u"Server"), QStringLiteral("play.example.org"));
    IniFile again(path);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.value(u"zorble", u"phrase1"), QStringLiteral("Wow, WTG!"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("vornlobby.ini")});

    // Writing the values the file already holds does not replace the file.
    const ino_t inode = inodeOf(path);
    EXPECT_TRUE(again.setValue(u"Zorble", u"Top", u"5"));
    EXPECT_TRUE(again.save());
    EXPECT_EQ(inodeOf(path), inode);
    EXPECT_TRUE(again.setValue(u"Zorble", u"Top", u"6"));
    EXPECT_TRUE(again.save());
    EXPECT_NE(inodeOf(path), inode);
}

// Files that cannot be read load as empty, and are then left alone by save().
TEST_F(IniOnDisk, UnreadableFilesAreReportedAndNotOverwritten) {
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString big = dir.filePath(QStringLiteral("big.ini"));
    const QByteArray bigBytes = "[Zorble]\nTop=1\n" + QByteArray(IniFile::kMaxBytes, '\n');
    writeFile(big, bigBytes);
    const QString zero = dir.filePath(QStringLiteral("zero"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));

    for (const QString &target : {folder, pipe, big, zero}) {
        SCOPED_TRACE(target.toStdString());
        IniFile ini(target);
        EXPECT_FALSE(ini.load());
        EXPECT_FALSE(ini.errorString().isEmpty());
        EXPECT_FALSE(ini.value(u"Zorble", u"Top").has_value());
        EXPECT_TRUE(ini.setValue(u"Zorble", u"Top", u"2"));
        EXPECT_FALSE(ini.save());
        EXPECT_TRUE(ini.errorString().contains(target)) << ini.errorString().toStdString();
        EXPECT_TRUE(ini.hasPendingChanges());
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QFileInfo(pipe).isFile(), false);
    EXPECT_TRUE(QFileInfo(pipe).exists());
    EXPECT_EQ(readFile(big), bigBytes);
}

namespace {

// Lowers the largest file this process may write, as a full disk would stop a
// write halfway; the signal such a write raises is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace

TEST_F(IniOnDisk, FailedWriteIsReportedAndLeavesTheOldFile) {
    const QByteArray old = "[Lobby]\nName=Anna\n[Zorble]\nTop=1\n";
    writeFile(path, old);
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    ASSERT_TRUE(ini.setValue(u"Zorble", u"Top", u"2"));
    ASSERT_TRUE(ini.setValue(u"Zorble", u"Phrase1", QString(8000, u'w')));
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok());
        EXPECT_FALSE(ini.save());
    }
    // The reason is the system's, not a bare "Unknown error".
    EXPECT_TRUE(ini.errorString().contains(path) &&
                ini.errorString().contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << ini.errorString().toStdString();
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("vornlobby.ini")});
    EXPECT_TRUE(ini.hasPendingChanges());

    // With room again, the same changes are written.
    ASSERT_TRUE(ini.save()) << ini.errorString().toStdString();
    IniFile again(path);
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.value(u"Zorble", u"Top"), QStringLiteral("2"));
    EXPECT_EQ(again.value(u"Lobby", u"Name"), QStringLiteral("Anna"));

    // A folder that does not exist cannot take the file either.
    IniFile nowhere(dir.filePath(QStringLiteral("missing/vornlobby.ini")));
    ASSERT_TRUE(nowhere.load());
    ASSERT_TRUE(nowhere.setValue(u"Zorble", u"Top", u"2"));
    EXPECT_FALSE(nowhere.save());
    EXPECT_FALSE(nowhere.errorString().isEmpty());
}
