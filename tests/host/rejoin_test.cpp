// A seated player whose connection ends during a game: the host keeps the
// seat, and a later connection takes it back with its token or, when the
// hosting player allows it, by its name. Real TCP clients on loopback.
#include "host/tserver.h"
#include "net/messages.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class Rejoin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApp(); }

    void SetUp() override {
        host = std::make_unique<TServer>();
        host->listen(0);
        for (const char *name : {"Ann", "Bob", "Cy", "Di"}) {
            clients.push_back(std::make_unique<TestClient>());
            clients.back()->asksForToken = true;
            ASSERT_NE(clients.back()->join(host->port(), QString::fromLatin1(name)), 0);
        }
        clients[0]->send("CMD_startgame+Ann+600+4+0+0+n+n+");
        ASSERT_FALSE(clients[1]->waitFor("CMD_nextplayer+").isEmpty());
        // The token of the game, given at its start after the login's.
        token =
            clients[1]->lines().filter("CMD_rejointoken+").last().section(QLatin1Char('+'), 2, 2);
        ASSERT_TRUE(proto::isToken(token));
        clients[1]->close();
        ASSERT_EQ(clients[0]->waitFor("CMD_seatkept+"), "CMD_seatkept+2+180");
    }

    // A new connection that presents `token` (when not empty) before logging
    // in as `name`; the slot it ends in.
    int comeBack(const QString &name, const QString &presented) {
        clients.push_back(std::make_unique<TestClient>());
        TestClient &c = *clients.back();
        if (!c.connectTo(host->port()))
            return 0;
        int slot = c.waitFor("CMD_sendlogininfo+").mid(18).toInt();
        c.send("CMD_rejoin+" + presented);
        for (;;) {
            c.sendRaw(QStringLiteral("CMD_logininfo+%1+2.1.1+%2").arg(slot).arg(name).toUtf8() +
                      "\xFF\xFF");
            QString line;
            while (c.next(line) && !line.startsWith("CMD_sendlogininfo+") &&
                   !line.startsWith(QStringLiteral("CMD_newplayerinfo+%1+").arg(slot))) {
            }
            if (!line.startsWith("CMD_sendlogininfo+"))
                return line.isEmpty() ? 0 : slot;
            slot = line.mid(18).toInt(); // moved to the kept seat: log in there
        }
    }

    std::unique_ptr<TServer> host;
    std::vector<std::unique_ptr<TestClient>> clients;
    QString token;
};

TEST_F(Rejoin, KeptSeatIsNotAnnouncedAsLeftAndItsTurnIsPassedOver) {
    const game::GameTable::Seat &seat = host->table().seat(2);
    EXPECT_TRUE(seat.present && seat.away);
    EXPECT_EQ(seat.name, "Bob");
    spin(100);
    EXPECT_EQ(clients[0]->countStartingWith("CMD_playerdisconnected"), 0);
    // Seat 2 may have held the first turn when its connection ended.
    const int turnsOfSeat2 = clients[0]->countStartingWith("CMD_nextplayer+2");
    // Two players pass (a third pass would end the game, as the kept seat
    // counts as sitting out); seat 2 never gets the turn.
    for (int i = 0; i < 2; ++i) {
        const int current = host->table().current();
        ASSERT_TRUE(current == 1 || current == 3 || current == 4) << current;
        clients[size_t(current - 1)]->send(QStringLiteral("CMD_pass+%1").arg(current));
        ASSERT_TRUE(waitUntil([&] { return host->table().current() != current; }));
    }
    EXPECT_TRUE(host->gameRunning());
    EXPECT_EQ(clients[0]->countStartingWith("CMD_nextplayer+2"), turnsOfSeat2);
}

TEST_F(Rejoin, TheTokenGivesTheSeatBackWithItsRack) {
    const auto rack = host->table().seat(2).rack;
    ASSERT_EQ(comeBack("Bob", token), 2);
    TestClient &back = *clients.back();
    EXPECT_FALSE(host->table().seat(2).away);
    EXPECT_FALSE(clients[0]->waitFor("CMD_newplayerinfo+2+Bob").isEmpty());
    // The catch-up tells the rack as the host holds it.
    ASSERT_FALSE(back.waitFor("CMD_nextplayer+").isEmpty());
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(back.countStartingWith(QStringLiteral("CMD_atile+%1+%2").arg(k).arg(rack[k])), 1)
            << k;
    // A fresh token for the seat; the old one gives nothing any more.
    const QStringList given = back.lines().filter("CMD_rejointoken+");
    ASSERT_EQ(given.size(), 1);
    const QString fresh = given.front().section(QLatin1Char('+'), 2, 2);
    EXPECT_TRUE(proto::isToken(fresh));
    EXPECT_NE(fresh, token);
}

TEST_F(Rejoin, WithoutTokenTheSameNameGetsTheSeatOnlyWhenAllowed) {
    struct Case {
        bool byName;
        QString presented;
        int slot;
    };
    const QString stranger(32, QLatin1Char('a'));
    for (const Case &c : {Case{false, {}, 5}, Case{false, stranger, 5}, Case{true, {}, 2}}) {
        SCOPED_TRACE(c.byName);
        host->setRejoinByName(c.byName);
        const int slot = comeBack("Bob", c.presented);
        EXPECT_EQ(slot, c.slot);
        EXPECT_EQ(host->table().seat(2).away, c.slot != 2);
        clients.back()->close();
        // Gone again: the kept seat is kept once more, a watcher's slot is free.
        ASSERT_TRUE(waitUntil([&] {
            return c.slot == 2 ? host->table().seat(2).away : !host->table().seat(c.slot).present;
        }));
    }
}

TEST_F(Rejoin, TheTokenTakesTheSeatOverFromAConnectionThatWentSilent) {
    // Cy's connection is open but answers no more; Cy comes back on another.
    // The token of the game comes after the one of the login.
    TestClient &cy = *clients[2];
    ASSERT_TRUE(waitUntil([&] { return cy.countStartingWith("CMD_rejointoken+") == 2; }));
    const QString cyToken =
        cy.lines().filter("CMD_rejointoken+").last().section(QLatin1Char('+'), 2, 2);
    ASSERT_EQ(comeBack("Cy", cyToken), 3);
    EXPECT_TRUE(cy.waitClosed());
    spin(100);
    EXPECT_TRUE(host->table().seat(3).present);
    EXPECT_FALSE(host->table().seat(3).away);
    EXPECT_EQ(clients[0]->countStartingWith("CMD_playerdisconnected"), 0);
}

TEST_F(Rejoin, OnlyTheHostingPlayerFreesAKeptSeatForTheNextNewcomer) {
    clients[2]->send("CMD_freeseat+2");
    ASSERT_TRUE(waitUntil([&] { return host->droppedRequests() == 1; }));
    EXPECT_TRUE(host->table().seat(2).away);
    clients[0]->send("CMD_freeseat+2");
    EXPECT_FALSE(clients[2]->waitFor("CMD_playerdisconnected+2+Bob").isEmpty());
    EXPECT_FALSE(host->table().seat(2).present);
    // The seat is an ordinary free one again: a newcomer takes it.
    EXPECT_EQ(comeBack("Eve", {}), 2);
}

TEST_F(Rejoin, TheEndOfTheGameGivesKeptSeatsUp) {
    // Everyone left passes twice in a row: the game ends.
    for (int i = 0; i < 6 && host->gameRunning(); ++i) {
        const int current = host->table().current();
        ASSERT_TRUE(current == 1 || current == 3 || current == 4) << current;
        clients[size_t(current - 1)]->send(QStringLiteral("CMD_pass+%1").arg(current));
        ASSERT_TRUE(
            waitUntil([&] { return !host->gameRunning() || host->table().current() != current; }));
    }
    ASSERT_FALSE(host->gameRunning());
    EXPECT_FALSE(clients[0]->waitFor("CMD_playerdisconnected+2+Bob").isEmpty());
    EXPECT_FALSE(host->table().seat(2).present);
}

} // namespace
