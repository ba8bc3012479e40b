// Whole games over TCP: four clients, each following the game through the
// client core, play against a host that uses the built-in word list, with
// moves found from the mirror's rack by a small search over real words of
// that list. Every message each client receives is checked against the
// message sequences of the protocol, and the totals each mirror shows
// against the sum of the posted turn scores.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "tests/engine/gameclient.h"
#include "tests/game/tableprobe.h"
#include "tests/support/testclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace fullgame;

namespace {

class FullGame : public ::testing::Test {
protected:
    struct AppFirst {
        AppFirst() { ensureCoreApp(); }
    } app;
    TServer host; // the real word list
    TDictn dict;
    WordList words{dict, 7};
    std::array<Player, 5> players; // seats 1..4
    bool partners = false;

    void SetUp() override {
        ASSERT_TRUE(host.dictionaryOpen());
        ASSERT_TRUE(dict.isOpen());
        ASSERT_GT(words.words.size(), 1000);
        host.listen(0);
        for (int i = 1; i <= 4; ++i) {
            ASSERT_EQ(players[i].join(host.port(), QStringLiteral("P%1").arg(i)), i);
        }
    }

    // The expected total of a seat from the turn scores and exchanges seen.
    int expectedTotal(const Player &pl, int seat) const {
        auto get = [](const std::map<int, int> &m, int k) {
            const auto it = m.find(k);
            return it == m.end() ? 0 : it->second;
        };
        const int partner = (seat + 1) % 4 + 1;
        int total = get(pl.turnsum, seat) - get(pl.exchanges, seat);
        if (partners)
            total += get(pl.turnsum, partner) - get(pl.exchanges, partner);
        return total;
    }

    // Answers the turn of a seat: a move if one is found, else new tiles
    // once, else a pass. `badFirst` sends a move apart from the board first.
    bool act(Player &pl, bool badFirst) {
        ++pl.acted;
        const GameMirror &m = pl.mirror;
        if (badFirst && m.composer().shownLetter(0, 18) == kEmpty &&
            m.composer().shownLetter(1, 18) == kEmpty) {
            bool anyLetter = false;
            for (const auto &column : m.board())
                for (int v : column)
                    anyLetter = anyLetter || v != kEmpty;
            if (anyLetter) {
                pl.sendMove({{1, false, 0, 18}, {2, false, 1, 18}});
                return true; // answered with a refusal, and then the turn goes on
            }
        }
        if (const auto move = findMove(m, words)) {
            pl.sendMove(*move);
        } else if (!pl.bought &&
                   m.tilesLeft() >= game::Bag::kMaxDrawn - game::Bag::kExchangeLimit) {
            pl.bought = true;
            pl.send(proto::client::newtiles(pl.seat));
        } else {
            pl.send(proto::client::pass(pl.seat));
        }
        return false;
    }

    // Plays until every client has seen the end. `skipTurn` names a seat
    // that lets its first turn run out; `refuseFirst` a seat that first sends
    // a move the host must refuse.
    void play(const game::GameOptions &options, int skipTurn = 0, int refuseFirst = 0,
              int timeoutMs = 90000) {
        partners = options.partners;
        players[1].send(proto::client::startgame(QStringLiteral("P1"), options));
        QElapsedTimer clock;
        clock.start();
        std::array<bool, 5> skipped{};
        std::array<bool, 5> refusedOnce{};
        for (;;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            bool allOver = true;
            for (int i = 1; i <= 4; ++i)
                allOver = allOver && players[i].over;
            if (allOver)
                break;
            ASSERT_LT(clock.elapsed(), timeoutMs) << "game did not end";
            for (int i = 1; i <= 4; ++i) {
                Player &pl = players[i];
                if (!pl.due())
                    continue;
                if (i == skipTurn && !skipped[i]) {
                    skipped[i] = true;
                    ++pl.acted; // let the clock run out
                    continue;
                }
                if (act(pl, i == refuseFirst && !refusedOnce[i]))
                    refusedOnce[i] = true;
            }
        }
        // A moment for anything sent after the end to arrive.
        spin(50);
    }

    void checkPlayers() {
        for (int i = 1; i <= 4; ++i) {
            Player &pl = players[i];
            pl.verifyMirror(); // after the last message too
            SCOPED_TRACE(QStringLiteral("seat %1: %2").arg(i).arg(pl.tokens).toStdString());
            EXPECT_TRUE(pl.problems.isEmpty()) << pl.problems.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(gameGrammar().match(pl.tokens).hasMatch());
            for (int s = 1; s <= 4; ++s) {
                const int shown = pl.mirror.seats().score(s);
                EXPECT_EQ(shown, expectedTotal(pl, s)) << "seat " << s;
                EXPECT_EQ(host.table().seat(s).score, shown) << "seat " << s;
            }
            // The winners hold the best total.
            int best = 0;
            for (int s = 1; s <= 4; ++s)
                best = std::max(best, host.table().seat(s).score);
            QList<int> expected;
            for (int s = 1; s <= 4; ++s)
                if (host.table().seat(s).score == best)
                    expected << s;
            EXPECT_EQ(pl.mirror.winners(), expected);
            // Each seat's board is the same as everybody else's.
            EXPECT_EQ(pl.mirror.board(), players[1].mirror.board());
        }
        EXPECT_FALSE(host.gameRunning());
    }

    int count(int seat, QChar token) const { return int(players[seat].tokens.count(token)); }
};

TEST_F(FullGame, FourPlayersUntilNobodyCanMove) {
    host.seed(20261207);
    game::GameOptions o;
    o.turntime = 60;
    o.squarecount = 20;
    play(o, 0, 2);
    checkPlayers();
    EXPECT_GT(count(1, QLatin1Char('p')), 10); // a real game was played
    EXPECT_EQ(count(2, QLatin1Char('I')), 1);  // the refused attempt
    EXPECT_EQ(count(1, QLatin1Char('I')), 0);  // told to the mover only
    EXPECT_TRUE(players[1].tokens.endsWith(QStringLiteral("WO")) ||
                players[1].tokens.endsWith(QStringLiteral("WE")));
}

TEST_F(FullGame, PartnersPlayToAScoreWithATimeOut) {
    host.seed(7);
    game::GameOptions o;
    o.turntime = 3;
    o.squarecount = 8;
    o.playtoscore = 150;
    o.partners = true;
    o.doubletiles = true;
    play(o, 3, 0);
    checkPlayers();
    EXPECT_EQ(count(1, QLatin1Char('T')), 1);
    EXPECT_TRUE(players[2].tokens.endsWith(QStringLiteral("GW")));
    for (int s = 1; s <= 2; ++s)
        EXPECT_EQ(host.table().seat(s).score, host.table().seat(s + 2).score);
    EXPECT_GT(std::max(host.table().seat(1).score, host.table().seat(2).score), 150);
}

TEST_F(FullGame, EveryonePassesWhileOneSitsOut) {
    host.seed(99);
    players[4].send(proto::client::justwatch(4, true));
    ASSERT_TRUE(waitUntil([&] { return players[1].mirror.seats().watching(4); }));
    game::GameOptions o;
    o.turntime = 60;
    // Seats 1..3 pass whenever their turn comes.
    players[1].send(proto::client::startgame(QStringLiteral("P1"), o));
    partners = false;
    QElapsedTimer clock;
    clock.start();
    while (!(players[1].over && players[2].over && players[3].over && players[4].over)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (int i = 1; i <= 4; ++i) {
            Player &pl = players[i];
            if (pl.due()) {
                ++pl.acted;
                pl.send(proto::client::pass(pl.seat));
            }
        }
        ASSERT_LT(clock.elapsed(), 20000);
    }
    checkPlayers();
    EXPECT_EQ(players[4].turns, 0); // the seat that sits out gets no turn
    EXPECT_TRUE(players[4].tokens.endsWith(QStringLiteral("WE")));
    EXPECT_EQ(players[1].mirror.winners(), (QList<int>{1, 2, 3, 4}));
}

} // namespace

namespace {

TEST_F(FullGame, NewcomerCatchesUpAndALeavingTurnMovesOn) {
    host.seed(5);
    host.setGrace(0); // a seat left during the game is given up at once
    // Seat 4 leaves before the game, so it gets no tiles at the deal.
    players[4].close();
    ASSERT_TRUE(waitUntil([&] { return players[1].mirror.seats().name(4) == SeatList::kWaiting; }));
    game::GameOptions o;
    o.turntime = 60;
    o.squarecount = 4;
    o.gametime = 10;
    o.doubletiles = true;
    players[1].send(proto::client::startgame(QStringLiteral("P1"), o));

    ASSERT_TRUE(waitUntil([&] { return players[1].mirror.currentPlayer() != 0; }));
    const int first = players[1].mirror.currentPlayer();
    ASSERT_GE(first, 1);
    ASSERT_LE(first, 3);
    act(players[first], false);
    ASSERT_TRUE(waitUntil([&] {
        return players[1].tokens.contains(QLatin1Char('w')) &&
               players[1].mirror.currentPlayer() != first;
    }));
    const int second = players[1].mirror.currentPlayer();
    EXPECT_EQ(second, first % 3 + 1); // seat 4 has nobody and is passed over

    // A newcomer takes seat 4 and is caught up on the game.
    TestClient newcomer;
    ASSERT_EQ(newcomer.join(host.port(), QStringLiteral("Late")), 4);
    ASSERT_TRUE(waitUntil(
        [&] { return newcomer.countStartingWith(QStringLiteral("CMD_nextplayer+")) == 1; }));
    QStringList caughtUp;
    for (const QString &l : newcomer.lines())
        if (!l.startsWith(QStringLiteral("CMD_sendlogininfo")) &&
            !l.startsWith(QStringLiteral("CMD_newplayerinfo")) &&
            !l.startsWith(QStringLiteral("CMD_existingplayers")) &&
            !l.startsWith(QStringLiteral("CMD_rejointoken")))
            caughtUp << l;
    QString tokens;
    for (const QString &l : caughtUp)
        tokens += l.startsWith(QStringLiteral("CMD_showboard+"))      ? QLatin1Char('b')
                  : l.startsWith(QStringLiteral("CMD_gamesettings+")) ? QLatin1Char('g')
                                                                      : tokenOf(l);
    const int laid = int(players[first].sent.size());
    // Then the tiles drawn, the four seats' totals, and what is left of the turn.
    EXPECT_EQ(tokens, QStringLiteral("A") + QString(laid, QLatin1Char('b')) +
                          QString(10, QLatin1Char('a')) + QStringLiteral("cssssgNt"));
    Board seen{};
    for (auto &column : seen)
        column.fill(kEmpty);
    for (const QString &l : caughtUp) {
        if (l.startsWith(QStringLiteral("CMD_showboard+"))) {
            const auto b = proto::parseBoardLetter(l.mid(14));
            ASSERT_TRUE(b);
            seen[b->x][b->y] = b->letter;
        }
    }
    EXPECT_EQ(seen, players[1].mirror.board());
    const auto settings = proto::parseGameSettings(
        caughtUp.filter(QStringLiteral("CMD_gamesettings+")).value(0).mid(17));
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->options.turntime, 60);
    EXPECT_EQ(settings->options.squarecount, 4);
    EXPECT_EQ(settings->options.gametime, 10);
    EXPECT_GE(settings->elapsed, 0);
    EXPECT_LT(settings->elapsed, 30);
    EXPECT_EQ(settings->options.playtoscore, 0);
    EXPECT_TRUE(settings->options.doubletiles);
    EXPECT_FALSE(settings->options.partners);
    EXPECT_EQ(caughtUp.value(caughtUp.size() - 2), QStringLiteral("CMD_nextplayer+%1").arg(second));

    // The seat holding the turn leaves: the others hear of it, then the next
    // connected seat gets the turn.
    const int other = second == 1 ? 2 : 1;
    const int before = int(players[other].lines.size());
    players[second].close();
    const int third = second % 4 + 1;
    ASSERT_TRUE(waitUntil([&] {
        return players[other].lines.contains(QStringLiteral("CMD_nextplayer+%1").arg(third));
    }));
    const QStringList after = players[other].lines.mid(before);
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(after[0].startsWith(QStringLiteral("CMD_playerdisconnected+%1+").arg(second)));
    EXPECT_TRUE(after[1].startsWith(QStringLiteral("CMD_tilecount+")));
    EXPECT_EQ(after[2], QStringLiteral("CMD_nextplayer+%1").arg(third));
}

} // namespace
