// After the grace period the hosting player may put a computer player in a
// kept seat: it takes the seat over with its rack and score and plays it to
// the end.
#include "ai/zorblebot.h"
#include "host/tserver.h"
#include "net/messages.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class KeptSeatChoice : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApp(); }

    // Ann hosts, Bob plays until he has scored, then his connection ends and
    // the one-second grace period runs out.
    void SetUp() override {
        host.setGrace(1);
        host.listen(0);
        ann = std::make_unique<ai::ZorbleBot>("127.0.0.1", host.port(), "Ann", ai::Level::Normal,
                                              300);
        bob =
            std::make_unique<ai::ZorbleBot>("127.0.0.1", host.port(), "Bob", ai::Level::Normal, 0);
        ann->startGameWhenSeated(2, {45, 4, 0, 0, false, false});
        ASSERT_TRUE(waitUntil([&] { return host.table().seat(2).score > 0; }, 15000));
        bob.reset();
        ASSERT_TRUE(waitUntil(
            [&] { return host.table().seat(2).away && host.table().seat(2).grace == 0; }, 5000));
        ASSERT_TRUE(host.gameRunning());
    }

    TServer host;
    std::unique_ptr<ai::ZorbleBot> ann;
    std::unique_ptr<ai::ZorbleBot> bob;
};

TEST_F(KeptSeatChoice, AComputerPlayerPlaysTheSeatToTheEndWithoutARefusedMove) {
    const game::GameTable::Seat kept = host.table().seat(2);
    const QString token = host.handOver(2); // Bob's bot never asked for one
    ASSERT_TRUE(proto::isToken(token));
    ai::ZorbleBot computer("127.0.0.1", host.port(), "Computer 1", ai::Level::Normal, 0);
    computer.setRejoinToken(token);
    int refused = 0;
    int played = 0;
    QObject::connect(&computer.mirror(), &GameMirror::moveRefused, [&] { ++refused; });
    QObject::connect(&computer, &ai::ZorbleBot::played, [&] { ++played; });
    // It sits down in the kept seat with the rack and score Bob left.
    EXPECT_TRUE(waitUntil(
        [&] {
            return computer.mirror().localSeat() == 2 &&
                   computer.mirror().position().rack == kept.rack;
        },
        5000));
    EXPECT_EQ(host.table().seat(2).score, kept.score);
    EXPECT_FALSE(host.table().seat(2).away);

    ASSERT_TRUE(waitUntil([&] { return !host.gameRunning(); }, 60000));
    EXPECT_EQ(refused, 0);
    EXPECT_GT(played, 0);
    EXPECT_EQ(host.table().seat(2).name, "Computer 1");
    EXPECT_FALSE(ann->mirror().winners().isEmpty());
}

} // namespace
