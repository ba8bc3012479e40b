// The headless host as a real process: zorble --serve.
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>

#include <csignal>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

class Serve : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApp(); }

    // Starts the host and waits for its announcement.
    bool start(QProcess &p, quint16 port) {
        p.start(QStringLiteral(ZORBLE_BINARY),
                {QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(port)});
        return p.waitForStarted() &&
               waitUntil([&] { return p.canReadLine() || p.state() == QProcess::NotRunning; },
                         10000) &&
               p.readLine().trimmed() ==
                   QStringLiteral("Zorble host listening on port %1").arg(port);
    }
};

} // namespace

TEST_F(Serve, HostsWithoutAWindowAndStopsCleanlyOnSignals) {
    for (int sig : {SIGTERM, SIGINT}) {
        const quint16 port = freePort();
        QProcess host;
        ASSERT_TRUE(start(host, port)) << host.readAllStandardError().toStdString();
        TestClient first, second;
        EXPECT_EQ(first.join(port, QStringLiteral("Ann")), 1); // the hosting player's slot
        EXPECT_EQ(second.join(port, QStringLiteral("Bob")), 2);
        second.send(QStringLiteral("CMD_chat+2+hello|clRed"));
        EXPECT_EQ(first.waitFor(QStringLiteral("CMD_chat+")),
                  QStringLiteral("CMD_chat+2+Bob chats: hello|clRed"));
        ::kill(static_cast<pid_t>(host.processId()), sig);
        ASSERT_TRUE(waitUntil([&] { return host.state() == QProcess::NotRunning; }, 10000));
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(host.exitCode(), 0);
        EXPECT_TRUE(first.waitClosed());
    }
}

TEST_F(Serve, TakenPortIsAClearErrorWithStatusOne) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::Any, 0));
    QProcess host;
    host.start(QStringLiteral(ZORBLE_BINARY), {QStringLiteral("--serve"), QStringLiteral("--port"),
                                               QString::number(holder.serverPort())});
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_EQ(host.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(host.readAllStandardError());
    EXPECT_TRUE(err.contains(QString::number(holder.serverPort()))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("in use"))) << err.toStdString();
    EXPECT_TRUE(host.readAllStandardOutput().isEmpty());
}

TEST_F(Serve, BadArgumentsAreRefused) {
    QProcess host;
    host.start(QStringLiteral(ZORBLE_BINARY),
               {QStringLiteral("--serve"), QStringLiteral("--port"), QStringLiteral("seventy")});
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_NE(host.exitCode(), 0);
    EXPECT_FALSE(host.readAllStandardError().isEmpty());
}
