// The tally store: recording games, following and deleting opponents, and
// its compressed file with its faults.

#include "tally/lzrw1.h"
#include "tally/tallystore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Columns 1..8 of a row, as numbers.
using Figures = std::array<int, 8>;

Figures figures(const TallyStore &store, int row) {
    Figures f{};
    for (int c = 1; c <= 8; ++c)
        f[size_t(c - 1)] = store.cell(c, row).toInt();
    return f;
}

TEST(TallyStore, AddgameCreditsEachOutcome) {
    struct Case {
        const char *what;
        QStringList followed;
        QStringList players;
        QString winner;
        int ownGames, ownWins;
        // Figures of each followed opponent after the game, in follow order.
        std::vector<Figures> expected;
    };
    const Case cases[] = {
        {"the opponent won", {"Bob"}, {"Bob"}, "Bob", 1, 0, {{1, 1, 0, 0, 1, 1, 0, 0}}},
        {"the player won", {"Bob"}, {"Bob"}, "addtomine", 1, 1, {{1, 0, 1, 0, 1, 0, 1, 0}}},
        {"a third player won", {"Bob"}, {"Bob", "Carl"}, "Carl", 1, 0, {{1, 0, 0, 1, 1, 0, 0, 1}}},
        {"a followed opponent not in the game",
         {"Bob", "Dan"},
         {"Bob"},
         "Bob",
         1,
         0,
         {{1, 1, 0, 0, 1, 1, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}}},
        {"nobody in the game is followed", {}, {"Carl"}, "addtomine", 1, 1, {}},
        // Found without regard to case, but only the exact name wins.
        {"a name in other letters", {"Bob"}, {"bob"}, "bob", 1, 0, {{1, 0, 0, 1, 1, 0, 0, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TallyStore store;
        for (const QString &name : c.followed)
            ASSERT_TRUE(store.follow(name));
        store.addgame(c.winner, c.players);
        EXPECT_EQ(store.cell(TallyStore::Games, 0).toInt(), c.ownGames);
        EXPECT_EQ(store.cell(TallyStore::HisWins, 0).toInt(), c.ownWins);
        EXPECT_EQ(store.names(), c.followed);
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(figures(store, int(i) + 1), c.expected[i])
                << c.followed[qsizetype(i)].toStdString();
    }
}

TEST(TallyStore, FollowsEachNameOnceWhateverItsLetterCase) {
    TallyStore store;
    EXPECT_TRUE(store.follow("Bob"));
    EXPECT_FALSE(store.follow("BOB"));
    EXPECT_FALSE(store.follow("two\r\nlines"));
    EXPECT_EQ(store.names(), QStringList({"Bob"}));
    EXPECT_EQ(store.indexOf("bOB"), 0);
}

TEST(TallyStore, DeletingTheFirstOfThreeMovesTheOthersUp) {
    TallyStore store;
    for (const char *name : {"Ann", "Bob", "Cid"})
        store.follow(name);
    store.addgame("Bob", {"Bob"});
    store.addgame("Cid", {"Cid"});
    store.addgame("Cid", {"Cid"});

    store.moverow(1);
    EXPECT_EQ(store.names(), QStringList({"Bob", "Cid"}));
    EXPECT_EQ(figures(store, 1), (Figures{1, 1, 0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(figures(store, 2), (Figures{2, 2, 0, 0, 2, 2, 0, 0}));
    store.moverow(0); // the own row stays
    EXPECT_EQ(store.RowCount(), 3);
    EXPECT_EQ(store.cell(TallyStore::Games, 0), "3");
}

TEST(TallyStore, ResetLeavesTheOwnRowAtZero) {
    TallyStore store;
    store.follow("Bob");
    store.addgame("addtomine", {"Bob"});
    store.reset();
    EXPECT_EQ(store.RowCount(), 1);
    EXPECT_EQ(figures(store, 0), Figures{});
}

// ---- The file -------------------------------------------------------------------

class TallyFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("zorbletally.tld");
    QString aside = path + ".damaged";

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    static void write(const QString &file, const QByteArray &data) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(data), data.size());
    }
    static QByteArray read(const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QByteArray pack(const QByteArray &text) {
        QByteArray copy = text;
        QBuffer in(&copy);
        in.open(QIODevice::ReadOnly);
        QByteArray packed;
        QBuffer out(&packed);
        out.open(QIODevice::WriteOnly);
        Tlzrw1 codec;
        codec.setCompressMode(Fast);
        codec.CompressStream(in, text.size(), out);
        return packed;
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::System); }

    // A tally with two opponents and a few games.
    static TallyStore sample() {
        TallyStore store;
        store.follow("Bob");
        store.follow("Zoë");
        store.addgame("Bob", {"Bob", "Zoë"});
        store.addgame("addtomine", {"Zoë"});
        return store;
    }
};

TEST_F(TallyFile, AReloadKeepsTheTotalsAndZeroesTheSessionColumns) {
    ASSERT_TRUE(sample().saveFile(path));
    TallyStore loaded;
    loaded.follow("Someone");
    EXPECT_EQ(loaded.loadFile(path).status, TallyStore::LoadResult::Loaded);
    EXPECT_EQ(loaded.names(), QStringList({"Bob", "Zoë"}));
    EXPECT_EQ(figures(loaded, 0), (Figures{2, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(figures(loaded, 1), (Figures{1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(figures(loaded, 2), (Figures{2, 0, 1, 1, 0, 0, 0, 0}));
}

TEST_F(TallyFile, TheToolReadsTheTextColumnByColumnWithCrLf) {
    TallyStore store;
    store.follow("Zoë");
    store.addgame("Zoë", {"Zoë"});
    ASSERT_TRUE(store.saveFile(path));

    QProcess tool;
    tool.start(QStringLiteral(LZRW1_TOOL), {"decompress", path, dir.filePath("tally.txt")});
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QByteArray expected = "9\r\n2\r\n"
                                "0\r\nZo\xC3\xAB\r\n" // names
                                "1\r\n1\r\n"          // games
                                "0\r\n1\r\n"          // his wins
                                "0\r\n0\r\n0\r\n0\r\n"
                                "0\r\n1\r\n0\r\n1\r\n" // this run
                                "0\r\n0\r\n0\r\n0\r\n";
    EXPECT_EQ(read(dir.filePath("tally.txt")), expected);
}

TEST_F(TallyFile, ADamagedFileIsMovedAsideAndTheTallyStartsEmpty) {
    QByteArray good;
    {
        ASSERT_TRUE(sample().saveFile(path));
        good = read(path);
    }
    QByteArray wrongId = good;
    wrongId[3] = 'X';
    const QByteArray grid = "9\r\n2\r\n0\r\nBob\r\n" + QByteArray("0\r\n").repeated(16);
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"a truncated file", good.left(good.size() - 3)},
        {"a wrong identifier", wrongId},
        {"a grid that is short of lines", pack(grid.left(grid.size() - 3))},
        {"a grid with lines to spare", pack(grid + "0\r\n")},
        {"a row count of 0", pack("9\r\n0\r\n")},
        {"a row count above 10,000", pack("9\r\n10001\r\n" + QByteArray("0\r\n").repeated(90009))},
        {"a column count of 8", pack("8\r\n2\r\n0\r\nBob\r\n" + QByteArray("0\r\n").repeated(14))},
        {"a counter that is no number",
         pack("9\r\n2\r\n0\r\nBob\r\n0\r\nfive\r\n" + QByteArray("0\r\n").repeated(14))},
        {"an empty file", QByteArray()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write(path, c.bytes);
        write(aside, "an older damaged file");
        TallyStore store;
        const TallyStore::LoadResult result = store.loadFile(path);
        EXPECT_EQ(result.status, TallyStore::LoadResult::Damaged);
        EXPECT_TRUE(result.message.contains(path)) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(aside)) << result.message.toStdString();
        EXPECT_EQ(store.RowCount(), 1);
        EXPECT_EQ(figures(store, 0), Figures{});
        EXPECT_EQ(read(aside), c.bytes);
        EXPECT_FALSE(QFile::exists(path));

        // The empty tally is saved as a new file; the damaged one stays.
        ASSERT_TRUE(store.saveFile(path));
        EXPECT_EQ(read(aside), c.bytes);
        EXPECT_EQ(files(), QStringList({"zorbletally.tld", "zorbletally.tld.damaged"}));
    }
}

TEST_F(TallyFile, APipeOrADeviceInPlaceOfTheFileIsNeitherReadNorWrittenOver) {
    for (const bool pipe : {true, false}) {
        SCOPED_TRACE(pipe ? "pipe" : "link to /dev/zero");
        QFile::remove(path);
        ASSERT_TRUE(pipe ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                         : QFile::link(QStringLiteral("/dev/zero"), path));
        TallyStore store;
        const TallyStore::LoadResult result = store.loadFile(path);
        EXPECT_EQ(result.status, TallyStore::LoadResult::Kept);
        EXPECT_TRUE(result.message.contains(path + " is not a regular file"))
            << result.message.toStdString();
        QString error;
        EXPECT_FALSE(store.saveFile(path, &error));
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_TRUE(pipe ? S_ISFIFO(info.st_mode) : S_ISCHR(info.st_mode));
    }
}

// A link that leads nowhere reads as no tally; saving then makes the tally a
// file of its own in the link's place, and nothing where the link led.
TEST_F(TallyFile, ADanglingLinkIsReplacedByTheTallyItself) {
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("zorbletally.tld"));
    ASSERT_TRUE(QFile::link(target, path));
    TallyStore store;
    EXPECT_EQ(store.loadFile(path).status, TallyStore::LoadResult::Absent);
    store = sample();
    ASSERT_TRUE(store.saveFile(path));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    TallyStore again;
    EXPECT_EQ(again.loadFile(path).status, TallyStore::LoadResult::Loaded);
    EXPECT_EQ(again.names(), sample().names());
    EXPECT_EQ(files(), QStringList({"zorbletally.tld"}));
}

TEST_F(TallyFile, ASaveWhereNoFileCanBeMadeFailsAndTellsWhy) {
    // Nobody, root included, makes files in /proc.
    const QString unwritable = QStringLiteral("/proc/zorbletally.tld");
    TallyStore store = sample();
    QString error;
    EXPECT_FALSE(store.saveFile(unwritable, &error));
    EXPECT_TRUE(error.contains(unwritable)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
    // The tally itself is untouched and saves elsewhere.
    ASSERT_TRUE(store.saveFile(path));
    TallyStore loaded;
    loaded.loadFile(path);
    EXPECT_EQ(loaded.names(), store.names());
}

TEST_F(TallyFile, ASaveThatFailsHalfWayLeavesTheOldFile) {
    ASSERT_TRUE(sample().saveFile(path));
    const QByteArray old = read(path);

    // The system lets no file grow past 4 KB. A file of about 6 KB still
    // fits Qt's write buffer and fails only when that is flushed; one of
    // about 33 KB fails while it is being written.
    struct Case {
        const char *what;
        int opponents;
    };
    const Case cases[] = {{"failing at the flush", 600}, {"failing while writing", 3000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TallyStore big = sample();
        for (int i = 0; i < c.opponents; ++i)
            ASSERT_TRUE(big.follow(QString::number(i * 7919 + 104729, 36) + QString::number(i)));
        big.addgame("addtomine", big.names());

        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool ok = big.saveFile(path, &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(ok);
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_EQ(read(path), old);
        EXPECT_EQ(files(), QStringList({"zorbletally.tld"})); // no temporary file left
        // Without the limit the same tally is saved, and is as large as said.
        EXPECT_TRUE(big.saveFile(path));
        EXPECT_GT(read(path).size(), 4096);
        ASSERT_TRUE(sample().saveFile(path));
    }
}

} // namespace
