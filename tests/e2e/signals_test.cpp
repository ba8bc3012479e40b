// Signals that come as soon as main runs: SIGTERM ends the window cleanly,
// and SIGUSR1 has the state written once there is a game to write. Nothing
// can catch a signal before main; main's first act is to catch them, so each
// signal is sent that many milliseconds after the program catches SIGTERM.
// The program has a tally from an earlier run to read while it starts.
#include "tests/e2e/program.h"

#include "tally/tallystore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

bool catchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

TEST(EarlySignals, SigtermEndsTheWindowAndSigusr1HasTheStateWritten) {
    using Clock = std::chrono::steady_clock;
    for (const int sig : {SIGTERM, SIGUSR1}) {
        for (const int delayMs : {0, 20, 50}) {
            SCOPED_TRACE((sig == SIGTERM ? "SIGTERM after " : "SIGUSR1 after ") +
                         std::to_string(delayMs) + " ms");
            QTemporaryDir dir;
            const QString state = dir.filePath(QStringLiteral("state.json"));
            const QString program = dir.filePath(QStringLiteral("zorble"));
            ASSERT_TRUE(QFile::copy(QStringLiteral(ZORBLE_BIN), program));
            ASSERT_TRUE(TallyStore().saveFile(dir.filePath(QStringLiteral("zorbletally.tld"))));
            // Joining a host that is not there: the window stays open.
            Game game({"Alice", "127.0.0.1", "false"}, false, {}, state, program);
            ASSERT_TRUE(game.proc.waitForStarted());
            const auto until = Clock::now() + std::chrono::seconds(20);
            while (!catchesSigterm(game.proc.processId()) && Clock::now() < until)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            const auto due = Clock::now() + std::chrono::milliseconds(delayMs);
            while (Clock::now() < due) {
            }
            game.signal(sig);
            if (sig == SIGUSR1) {
                EXPECT_TRUE(waitUntil([&] { return QFile::exists(state); }, 20000));
                EXPECT_EQ(game.proc.state(), QProcess::Running);
                game.signal(SIGTERM);
            }
            ASSERT_TRUE(
                waitUntil([&] { return game.proc.state() == QProcess::NotRunning; }, 20000));
            EXPECT_EQ(game.proc.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(game.proc.exitCode(), 0);
        }
    }
}

} // namespace
