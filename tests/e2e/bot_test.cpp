// Computer players as programs: two `zorble --bot` play a game on
// `zorble --serve`, one of them starting it, and end when the host closes.
#include "tests/e2e/program.h"

#include <gtest/gtest.h>

namespace {

TEST(EndToEndBots, TwoBotsPlayAGameAndEndWhenTheHostCloses) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game host({"--serve", "--seed", "12"});
    ASSERT_TRUE(host.waitForLine("Zorble host listening on port 7772"));
    Game first({"--bot", "Hal", "--level", "hard", "--pause", "0", "--start", "2"});
    ASSERT_TRUE(first.waitForLine("Zorble bot Hal (hard) in slot 1"));
    Game second({"--bot", "Norm", "--pause", "0"});
    ASSERT_TRUE(second.waitForLine("Zorble bot Norm (normal) in slot 2"));
    for (Game *bot : {&first, &second})
        ASSERT_TRUE(waitUntil([&] { return bot->out.contains("Game over: Hal "); }, 60000))
            << bot->out.toStdString();
    EXPECT_GT(first.out.count("Hal: "), 3);
    EXPECT_GT(second.out.count("Norm: "), 3);
    ASSERT_TRUE(host.terminate());
    for (Game *bot : {&first, &second}) {
        ASSERT_TRUE(waitUntil([&] { return bot->proc.state() == QProcess::NotRunning; }));
        EXPECT_EQ(bot->proc.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(bot->proc.exitCode(), 0);
    }
}

} // namespace
