// Computer players as programs: two `zorble --bot` play a game on
// `zorble --serve`, one of them starting it, and end when the host closes;
// and two computer players that a hosting program seats itself play a game
// with it and a protocol player.
#include "dict/tdictn.h"
#include "tests/e2e/program.h"
#include "tests/engine/gameclient.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

TEST(EndToEndBots, TwoBotsPlayAGameAndEndWhenTheHostCloses) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game host({"--serve", "--seed", "12"});
    ASSERT_TRUE(host.waitForLine("Zorble host listening on port 7772"));
    // Hard thinks for all its time: a tenth of a second here.
    Game first(
        {"--bot", "Hal", "--level", "hard", "--pause", "0", "--think", "100", "--start", "2"});
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

TEST(EndToEndBots, AHostingProgramSeatsTwoComputerPlayersThatPlayAWholeGame) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game ann({"Ann", "x", "true"});
    ASSERT_TRUE(ann.waitForLine("0+You are Connected.")) << ann.out.toStdString();
    // File > Add Computer Player, without the pause before each move.
    ann.proc.write("/computer normal 0\n/computer hard 0\n");
    ASSERT_TRUE(ann.waitForLine("0+Computer 2 is Connected.", 20000)) << ann.out.toStdString();

    TDictn dict;
    const fullgame::WordList words(dict, 7);
    fullgame::Player cat;
    ASSERT_EQ(cat.join(kGamePort, "Cat"), 4);
    // The names of the seats taken before come after the own seat.
    ASSERT_TRUE(waitUntil([&] {
        return cat.mirror.seats().name(2) == "Computer 1" &&
               cat.mirror.seats().name(3) == "Computer 2";
    }));

    ann.proc.write("/start\n");
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sincePass;
    sincePass.start();
    while (!cat.over) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_LT(clock.elapsed(), 90000) << "game did not end";
        cat.playIfDue(words);
        // The hosting program passes; again while its turn stays, in case
        // it read the console before the turn's message.
        if (cat.mirror.gameRunning() && cat.mirror.currentPlayer() == 1 &&
            sincePass.elapsed() > 300) {
            sincePass.restart();
            ann.proc.write("/pass\n");
        }
    }
    EXPECT_TRUE(cat.problems.isEmpty()) << cat.problems.join('\n').toStdString();
    for (int seat : {2, 3})
        EXPECT_GT(cat.turnsum[seat], 100) << "seat " << seat << " laid words";
    ASSERT_TRUE(ann.terminate());
    const QString errors = QString::fromUtf8(ann.proc.readAllStandardError());
    EXPECT_FALSE(errors.contains("refused")) << errors.toStdString();
}

} // namespace
