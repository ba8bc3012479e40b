// The client without a window: a HostLink and its GameMirror log in to a
// real `zorble --serve`, play a move and follow the game to its end, as a
// computer player would.
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "net/protocol.h"
#include "tests/support/testclient.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Two-letter words that a rack of ten tiles very likely spells.
const char *const kShortWords[] = {"at", "an", "in", "on", "it", "is", "as", "to", "no",
                                   "so", "do", "go", "he", "me", "we", "be", "of", "or",
                                   "up", "us", "my", "by", "ah", "ai", "ad", "ae", "ta"};

// Rack rackSlots that spell the word, or nothing.
QList<int> spell(const GameMirror &m, const QString &word) {
    QList<int> rackSlots;
    for (QChar c : word) {
        int found = 0;
        for (int k = 1; k <= 10 && !found; ++k)
            if (m.rackLetter(k) == c.unicode() - u'a' && !rackSlots.contains(k))
                found = k;
        if (!found)
            return {};
        rackSlots << found;
    }
    return rackSlots;
}

TEST(HostLink, ReportsAConnectionThatCannotBeMade) {
    ensureCoreApp();
    GameMirror mirror;
    HostLink link(mirror);
    QSignalSpy failed(&link, &HostLink::connectFailed);
    QSignalSpy closed(&link, &HostLink::connectionClosed);
    link.connectToHost(QStringLiteral("127.0.0.1"), freePort()); // nobody listens there
    EXPECT_TRUE(waitUntil([&] { return failed.size() > 0; }));
    spin(100);
    EXPECT_EQ(failed.size(), 1);
    EXPECT_EQ(closed.size(), 0);
}

TEST(HostLink, FollowsAWholeGameAgainstARealHost) {
    ensureCoreApp();
    const quint16 port = freePort();
    QProcess host;
    host.start(QStringLiteral(ZORBLE_BINARY),
               {QStringLiteral("--serve"), QStringLiteral("--port"), QString::number(port),
                QStringLiteral("--seed"), QStringLiteral("11")});
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return host.canReadLine(); }, 10000));

    GameMirror mirror;
    HostLink link(mirror);
    QStringList lines;
    QObject::connect(&mirror, &GameMirror::chatLine,
                     [&](int, const QString &text, quint32) { lines << text; });
    mirror.setPlayerName(QStringLiteral("Bot"));
    link.setLogin(QStringLiteral("Bot"));
    link.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(waitUntil([&] { return mirror.seats().name(1) == QStringLiteral("Bot"); }));
    EXPECT_EQ(mirror.localSeat(), 1);

    game::GameOptions options;
    options.turntime = 60;
    link.send(proto::request::start(QStringLiteral("Bot"), options));
    ASSERT_TRUE(waitUntil([&] { return mirror.ownTurn() && mirror.rackLetter(10) != 100; }));
    EXPECT_TRUE(mirror.gameRunning());
    EXPECT_EQ(mirror.options().turntime, 60);
    EXPECT_EQ(mirror.tilesLeft(), 88);

    QString word;
    QList<int> rackSlots;
    for (const char *w : kShortWords) {
        rackSlots = spell(mirror, QString::fromLatin1(w));
        if (!rackSlots.isEmpty()) {
            word = QString::fromLatin1(w);
            break;
        }
    }
    ASSERT_FALSE(word.isEmpty()) << "the rack spells none of the short words";
    const int first = mirror.rackLetter(rackSlots[0]);
    const int second = mirror.rackLetter(rackSlots[1]);
    ASSERT_TRUE(mirror.composer().layTile(rackSlots[0], 2, 3));
    ASSERT_TRUE(mirror.composer().layTile(rackSlots[1], 3, 3));
    EXPECT_FALSE(
        mirror.composer().layTile(rackSlots[1], 4, 3)); // a tile lies in one place at a time
    link.send(proto::request::move(1, mirror.composer().laidTiles()));

    // The first word moves onto the centre row and becomes the board's.
    ASSERT_TRUE(waitUntil([&] { return mirror.seats().score(1) > 0; }));
    ASSERT_TRUE(waitUntil([&] { return mirror.newest(9, 9); }));
    EXPECT_EQ(mirror.composer().shownLetter(8, 9), first);
    EXPECT_EQ(mirror.composer().shownLetter(9, 9), second);
    EXPECT_EQ(mirror.composer().shownLetter(2, 3), 100);
    EXPECT_TRUE(mirror.composer().laidTiles().isEmpty());
    EXPECT_TRUE(lines.contains(QStringLiteral("*Bot: ") + word.toUpper() + QStringLiteral(" +") +
                               QString::number(mirror.seats().score(1)) +
                               QStringLiteral(" points.*")));

    // Alone at the table, a pass leaves no seat that has not passed holding a
    // tile: the game ends with the only seat winning.
    ASSERT_TRUE(waitUntil([&] { return mirror.ownTurn(); }));
    link.send(proto::request::pass(1));
    ASSERT_TRUE(waitUntil([&] { return !mirror.winners().isEmpty(); }));
    EXPECT_EQ(mirror.winners(), QList<int>{1});
    // The reason comes in a message of its own, after the winner's.
    EXPECT_TRUE(waitUntil([&] { return mirror.reason() == "No More tiles, Game Over!"; }))
        << mirror.reason().toStdString();
    EXPECT_FALSE(mirror.gameRunning());

    link.close();
    host.terminate();
    EXPECT_TRUE(host.waitForFinished(5000));
}

TEST(HostLink, ABacklogThatTakesLongIsHandledInOrderWithTheEventLoopRunningBetween) {
    ensureCoreApp();
    QTcpServer host;
    ASSERT_TRUE(host.listen(QHostAddress::LocalHost, 0));
    GameMirror mirror;
    HostLink link(mirror);
    link.connectToHost(QStringLiteral("127.0.0.1"), host.serverPort());
    ASSERT_TRUE(waitUntil([&] { return host.hasPendingConnections(); }));
    QTcpSocket *peer = host.nextPendingConnection();

    // Every line takes a millisecond to handle; the burst arrives in one read.
    constexpr int kLines = 200;
    QStringList seen;
    QObject::connect(&link, &HostLink::dispatching, [&](const QString &line) {
        seen << line;
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 1) {
        }
    });
    int ticksWhileHandling = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!seen.isEmpty() && seen.size() < kLines)
            ++ticksWhileHandling;
    });
    ticker.start();

    QByteArray burst;
    QStringList sent;
    for (int i = 0; i < kLines; ++i) {
        sent << QStringLiteral("no command %1").arg(i);
        burst += sent.last().toUtf8() + '\xFF';
    }
    peer->write(burst);
    peer->flush();
    ASSERT_TRUE(waitUntil([&] { return seen.size() == kLines; }));
    EXPECT_EQ(seen, sent);
    EXPECT_GE(ticksWhileHandling, 1);
    link.close();
}

// A host that stops answering without closing (a dead route, a frozen
// program): the link takes the connection as lost once a host that promised
// keep-alives by giving a token has been silent too long, and never on the
// silence of a host that gives none.
TEST(HostLink, ASilentHostThatGaveATokenIsTakenAsLost) {
    ensureCoreApp();
    struct Case {
        bool token;
        int aliveEveryMs; // 0: silent after the game's start
        bool lost;
    };
    for (const Case c : {Case{true, 0, true}, Case{true, 50, false}, Case{false, 0, false}}) {
        SCOPED_TRACE(testing::Message() << c.token << " " << c.aliveEveryMs);
        QTcpServer host;
        ASSERT_TRUE(host.listen(QHostAddress::LocalHost, 0));
        GameMirror mirror;
        HostLink link(mirror);
        link.setSilenceLimit(300);
        QSignalSpy closed(&link, &HostLink::connectionClosed);
        link.connectToHost(QStringLiteral("127.0.0.1"), host.serverPort());
        ASSERT_TRUE(waitUntil([&] { return host.hasPendingConnections(); }));
        QTcpSocket *peer = host.nextPendingConnection();
        QStringList lines = {proto::host::sendlogininfo(1),
                             proto::host::gamesettings({{60, 0, 0, 0, false, false}, 5})};
        if (c.token)
            lines << proto::host::rejointoken(QString(32, 'a'), QString(32, 'b'), 180);
        for (const QString &line : lines)
            peer->write(proto::encode(line));
        QTimer alive;
        QObject::connect(&alive, &QTimer::timeout,
                         [&] { peer->write(proto::encode(proto::host::keepalive())); });
        if (c.aliveEveryMs > 0)
            alive.start(c.aliveEveryMs);
        ASSERT_TRUE(waitUntil([&] { return mirror.gameRunning(); }));
        spin(1000);
        EXPECT_EQ(closed.size(), c.lost ? 1 : 0);
        EXPECT_EQ(link.connected(), !c.lost);
    }
}

} // namespace
