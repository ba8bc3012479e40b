// A seat kept for a player whose connection ended: its turns are passed
// over, newcomers get other slots, the grace period counts down, and the
// seat goes back to its player.
#include "tests/game/tableprobe.h"

#include <gtest/gtest.h>

namespace {

class KeptSeat : public ::testing::Test {
protected:
    TableProbe p{[](const QString &) { return false; }};

    void start(int seats) {
        for (int i = 1; i <= seats; ++i)
            p.connect(i);
        p.startgame(QStringLiteral("Host+60+4+0+0+n+n+"));
        ASSERT_TRUE(p.gamerunning());
    }
    void keep(int seat, int seconds) {
        p.run([&](auto &t) { return t.keep(seat, seconds); });
    }
    // The seats whose turns begin as each turn runs out.
    QList<int> turnsAfterTimeouts(int timeouts) {
        QList<int> order;
        for (int i = 0; i < timeouts && p.gamerunning(); ++i) {
            p.tick(61);
            order << p.currentplayer();
        }
        return order;
    }
};

TEST_F(KeptSeat, ItsTurnsArePassedOverAndItKeepsRackAndScore) {
    start(3);
    p.currentplayer() = 2;
    p.seat(2).score = 37;
    const auto rack = p.seat(2).rack;
    p.clear();
    keep(2, 180);
    EXPECT_EQ(p.to(1).first(), QStringLiteral("CMD_seatkept+2+180"));
    EXPECT_EQ(p.currentplayer(), 3); // the turn it held moves on at once
    EXPECT_EQ(turnsAfterTimeouts(3), (QList<int>{1, 3, 1}));
    EXPECT_EQ(p.seat(2).score, 37);
    EXPECT_EQ(p.seat(2).rack, rack);
    EXPECT_EQ(p.seat(2).name, p.table.seat(2).name);
    // A newcomer gets the next slot, never the kept one.
    EXPECT_EQ(p.table.freeSlot(), 4);
}

TEST_F(KeptSeat, GracePeriodCountsDownOnce) {
    start(2);
    keep(2, 3);
    p.clear();
    p.tick(5);
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_seatkept")),
              (QStringList{QStringLiteral("CMD_seatkept+2+0")}));
    EXPECT_TRUE(p.seat(2).away); // the hosting player decides what becomes of it
    EXPECT_TRUE(p.gamerunning());
}

TEST_F(KeptSeat, WithEveryoneAwayTheGameWaitsUntilOneComesBack) {
    start(2);
    keep(1, 60);
    keep(2, 60);
    EXPECT_TRUE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), 0);
    p.tick(10); // no turn runs out while nobody can take it
    EXPECT_TRUE(p.gamerunning());
    p.run([](auto &t) { return t.rejoin(2); });
    EXPECT_EQ(p.currentplayer(), 2);
    EXPECT_FALSE(p.seat(2).away);
}

TEST_F(KeptSeat, TheGameWaitsForAnAwaySeatThatHoldsTheLastTiles) {
    // The bag is empty, seat 1 has laid its last tile, seat 2 holds one: the
    // game cannot go on without seat 2, and does not end while it may return.
    start(2);
    p.tilesdrawn() = 98;
    p.setRack(1, QString());
    p.setRack(2, QStringLiteral("c"));
    keep(1, 60);
    keep(2, 60);
    p.run([](auto &t) { return t.rejoin(1); });
    EXPECT_TRUE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), 0);
    p.run([](auto &t) { return t.rejoin(2); });
    EXPECT_EQ(p.currentplayer(), 2);
}

TEST_F(KeptSeat, WithoutGraceOrGameTheSeatIsGivenUp) {
    struct Case {
        bool running;
        int seconds;
    };
    for (const Case c : {Case{true, 0}, Case{false, 180}}) {
        SCOPED_TRACE(c.running);
        TableProbe q{[](const QString &) { return false; }};
        q.connect(1);
        q.connect(2);
        q.seat(2).name = QStringLiteral("Bob");
        if (c.running)
            q.startgame(QStringLiteral("Host+60+4+0+0+n+n+"));
        q.run([&](auto &t) { return t.keep(2, c.seconds); });
        EXPECT_FALSE(q.seat(2).present);
        EXPECT_FALSE(q.seat(2).away);
        EXPECT_TRUE(q.startingWith(1, QStringLiteral("CMD_seatkept")).isEmpty());
    }
}

TEST_F(KeptSeat, OnlyAKeptSeatIsFoundByTokenOrName) {
    start(3);
    for (int i = 1; i <= 3; ++i) {
        p.seat(i).name = QStringLiteral("Player%1").arg(i);
        p.seat(i).token = QString(32, QChar(u'0' + i));
    }
    keep(2, 60);
    p.table.restore(p.st);
    EXPECT_EQ(p.table.keptSeat(QString(32, u'2')), 2);
    EXPECT_EQ(p.table.keptSeat(QString(32, u'3')), 0); // seat 3 is still here
    EXPECT_EQ(p.table.keptSeat({}, QStringLiteral("Player2")), 2);
    EXPECT_EQ(p.table.keptSeat({}, QStringLiteral("player2")), 0); // names match exactly
    EXPECT_EQ(p.table.keptSeat({}), 0);
}

} // namespace
