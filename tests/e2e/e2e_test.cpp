#include "tests/e2e/program.h"
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
