#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

namespace {

constexpr quint16 kGamePort = 7772;

// Another test or game may still hold the port for a moment.
bool waitForFreePort(quint16 port, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, port))
            return true;
        spin(100);
    }
    return false;
}

// The program with its chat console on: chat lines come out on stdout and
// lines written to stdin are sent as chat.
class Game {
public:
    explicit Game(const QStringList &args, bool guard = false, const QString &runtimeDir = {}) {
        ensureCoreApp();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ZORBLE_CHAT_CONSOLE", "1");
        if (guard)
            env.remove("ZORBLE_NO_INSTANCE_GUARD");
        else
            env.insert("ZORBLE_NO_INSTANCE_GUARD", "1");
        if (!runtimeDir.isEmpty())
            env.insert("XDG_RUNTIME_DIR", runtimeDir);
        proc.setProcessEnvironment(env);
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&proc, &QProcess::readyReadStandardOutput,
                         [this] { out += QString::fromUtf8(proc.readAllStandardOutput()); });
        proc.start(ZORBLE_BIN, args);
    }
    ~Game() {
        if (proc.state() != QProcess::NotRunning) {
            proc.kill();
            proc.waitForFinished(5000);
        }
    }
    bool waitForLine(const QString &line, int timeoutMs = 10000) {
        return waitUntil([&] { return out.split('\n').contains(line); }, timeoutMs);
    }
    bool terminate(int timeoutMs = 10000) {
        ::kill(static_cast<pid_t>(proc.processId()), SIGTERM);
        return waitUntil([&] { return proc.state() == QProcess::NotRunning; }, timeoutMs);
    }

    QProcess proc;
    QString out;
};

TEST(EndToEnd, HostLogsInChatsBothWaysAndClosesOnSigterm) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game alice({"Alice", "x", "true"});
    ASSERT_TRUE(alice.waitForLine("0+You are Connected.")) << alice.out.toStdString();

    // The host already has Alice in seat 1 when Bob arrives.
    TestClient bob;
    ASSERT_EQ(bob.join(kGamePort, "Bob"), 2);
    EXPECT_EQ(bob.waitFor("CMD_existingplayers+"), "CMD_existingplayers+1+Alice");
    ASSERT_TRUE(alice.waitForLine("0+Bob is Connected.")) << alice.out.toStdString();

    bob.send("CMD_chat+2+hi Alice|clBlack");
    EXPECT_TRUE(alice.waitForLine("2+Bob chats: hi Alice")) << alice.out.toStdString();

    alice.proc.write("hello Bob\n");
    EXPECT_TRUE(bob.waitFor("CMD_chat+1+Alice chats: hello Bob").startsWith("CMD_chat+1+"));
    alice.proc.write("/me waves\n");
    EXPECT_TRUE(bob.waitFor("CMD_action+1+Alice waves").startsWith("CMD_action+1+"));

    ASSERT_TRUE(alice.terminate());
    EXPECT_EQ(alice.proc.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(alice.proc.exitCode(), 0);
    EXPECT_TRUE(bob.waitClosed());
}

TEST(EndToEnd, ASecondStartHandsOverToTheFirst) {
    ensureCoreApp();
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    // Two arguments: the window stays idle and opens no port.
    Game first({"Alice", "x"}, true, runtime.path());
    ASSERT_TRUE(first.waitForLine("0+Loading Multi-player Game.. Please Wait."))
        << first.out.toStdString();

    Game second({"Alice", "x"}, true, runtime.path());
    ASSERT_TRUE(waitUntil([&] { return second.proc.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.proc.exitCode(), 0);
    EXPECT_TRUE(second.out.isEmpty()); // it never made a window
    EXPECT_EQ(first.proc.state(), QProcess::Running);

    ASSERT_TRUE(first.terminate());
    EXPECT_EQ(first.proc.exitCode(), 0);

    // With the first gone, the next start runs normally.
    Game third({"Alice", "x"}, true, runtime.path());
    EXPECT_TRUE(third.waitForLine("0+Loading Multi-player Game.. Please Wait."));
    EXPECT_TRUE(third.terminate());
}

} // namespace
