// Runs the program's word list as a player meets it: "zorble --check-word", and a
// host that is killed outright.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port nobody listens on at the moment.
quint16 freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    socklen_t len = sizeof addr;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), len) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program in a folder of its own, with a private TMPDIR and no display.
Outcome checkWords(const QStringList &words, const QByteArray &input, QTemporaryDir &place) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TMPDIR"), place.filePath(QStringLiteral("tmp")));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(place.filePath(QStringLiteral("cwd")));
    p.start(QStringLiteral(ZORBLE_EXE), QStringList{QStringLiteral("--check-word")} + words);
    Outcome r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

class CheckWord : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(place.isValid());
        ASSERT_TRUE(QDir(place.path()).mkpath(QStringLiteral("tmp")));
        ASSERT_TRUE(QDir(place.path()).mkpath(QStringLiteral("cwd")));
    }
    // Nothing may be left behind: no word file in the working folder, none in TMPDIR.
    void TearDown() override {
        EXPECT_TRUE(QDir(place.filePath(QStringLiteral("cwd"))).isEmpty());
        EXPECT_TRUE(QDir(place.filePath(QStringLiteral("tmp"))).isEmpty());
    }
    QTemporaryDir place;
};

TEST_F(CheckWord, AnswersEachWordOfTheCommandLine) {
    const Outcome r = checkWords({QStringLiteral("cat"), QStringLiteral(" Zebra "),
                                  QStringLiteral("qxzvk"), QStringLiteral("a"), QString()},
                                 QByteArray(), place);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("cat: found\n"
                                " Zebra : found\n"
                                "qxzvk: not found\n"
                                "a: not found\n"
                                ": not found\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

TEST_F(CheckWord, ReadsStandardInputWhenGivenNoWords) {
    const Outcome r = checkWords({}, QByteArray("dog\nDOGGED\r\nnotawordzz\n\nlast"), place);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("dog: found\n"
                                "DOGGED: found\n"
                                "notawordzz: not found\n"
                                ": not found\n"
                                "last: found\n"));
}

TEST_F(CheckWord, EmptyInputGivesNoOutput) {
    const Outcome r = checkWords({}, QByteArray(), place);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(CheckWord, NeedsNoTemporaryFolder) {
    // TMPDIR names a plain file: nothing can be made in it, and nothing has to be.
    QFile blocker(place.filePath(QStringLiteral("tmp/blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), blocker.fileName());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(place.filePath(QStringLiteral("cwd")));
    p.start(QStringLiteral(ZORBLE_EXE), {QStringLiteral("--check-word"), QStringLiteral("cat")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(p.readAllStandardOutput(), QByteArray("cat: found\n"));
    EXPECT_TRUE(p.readAllStandardError().isEmpty());
    ASSERT_TRUE(blocker.remove());
}

// A program that is killed cleans up nothing itself: whatever the word list
// needs must go with the process. The host has its word list open once it
// announces its port.
using KilledProgram = CheckWord;
TEST_F(KilledProgram, LeavesNothingInItsTemporaryFolder) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), place.filePath(QStringLiteral("tmp")));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(place.filePath(QStringLiteral("cwd")));
    p.start(QStringLiteral(ZORBLE_EXE),
            {QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(freePort())});
    ASSERT_TRUE(p.waitForStarted(10000));
    for (int waited = 0; waited < 30 && !p.canReadLine() && p.state() == QProcess::Running;
         ++waited)
        p.waitForReadyRead(1000);
    EXPECT_TRUE(p.readLine().startsWith("Zorble host listening on port "))
        << p.readAllStandardError().constData();
    p.kill();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(
        QDir(place.filePath(QStringLiteral("tmp")))
            .entryList({QStringLiteral("zorble-*")}, QDir::AllEntries | QDir::Hidden | QDir::System)
            .isEmpty());
}

} // namespace
