#include "tests/client/joinedwindow.h"

#include "clientcore/gamemirror.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <random>
#include <string>

namespace {

TEST(TchatInbound, PartialMessagesOfBothSocketsAreJoinedSeparately) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.host.sendRaw("CMD_chat+1+from ho");
    j.lobby.sendRaw("CMD_chat+0+from lob");
    spin(50);
    j.host.sendRaw("st|clBlack\xFF");
    j.lobby.sendRaw("by|clBlack\xFF");
    ASSERT_TRUE(waitUntil([&] {
        return chatText(*j.window).contains("from host") &&
               chatText(*j.window).contains("from lobby");
    })) << chatText(*j.window).toStdString();
}

TEST(TchatInbound, AnEndlessMessageIsThrownAwayAndReadingGoesOn) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    testing::internal::CaptureStderr();
    j.host.sendRaw(QByteArray(100 * 1024, 'x'));
    spin(100);
    j.host.send({"", "CMD_newplayerinfo+4+Zed"});
    const bool seen =
        waitUntil([&] { return label(*j.window, "label_playername4")->text() == "Zed"; });
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(seen);
    EXPECT_NE(err.find("without a message end"), std::string::npos) << err;
    EXPECT_EQ(j.closed, 0);
}

TEST(TchatInbound, AHostileHostNeitherStallsTheWindowNorEndsTheConnection) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    // Chat lines longer than a message may be, without spaces; then garbage:
    // random bytes, unknown commands, and known ones that do not decode.
    QByteArray flood;
    for (int length : {9000, 60000, 60000, 300000})
        flood += "CMD_chat+2+Eve chats: " + QByteArray(length, 'x') + "|clRed\xFF";
    std::mt19937 rng(7);
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    for (char &c : noise)
        c = char(rng());
    flood += noise + '\xFF';
    for (int i = 0; i < 1000; ++i)
        flood += "CMD_nosuchthing+" + QByteArray::number(i) +
                 "\xFF"
                 "CMD_newplayerinfo+x+Eve\xFF";

    QElapsedTimer clock;
    qint64 shownAt = -1;
    QObject::connect(j.window.get(), &Tchat::chatLineShown, [&](const QString &line) {
        if (line.contains("still here") && shownAt < 0)
            shownAt = clock.elapsed();
    });
    // The longest the event loop went without running a 10 ms timer.
    qint64 longestGap = 0, lastTick = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });

    testing::internal::CaptureStderr();
    clock.start();
    ticker.start();
    j.host.sendRaw(flood);
    j.host.send({"CMD_chat+2+Bob chats: still here|clBlack"});
    const bool shown = waitUntil([&] { return shownAt >= 0; }, 10000);
    ticker.stop();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(shown);
    EXPECT_LT(shownAt, 1000);
    EXPECT_LT(longestGap, 500);
    EXPECT_TRUE(chatText(*j.window).contains("Bob chats: still here"));
    EXPECT_FALSE(chatText(*j.window).contains(QString(100, 'x'))); // every long line was dropped

    // One line on stderr for each long line, and at most one for each other message.
    const QStringList lines = QString::fromStdString(err).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter("without a message end").size(), 4) << err.substr(0, 2000);
    EXPECT_LE(lines.size(), 4 + noise.count('\xFF') + 1 + 2000);

    spin(50);
    EXPECT_TRUE(j.host.connected());
    EXPECT_EQ(j.closed, 0);
}

// Numbers at the ends of an int, or just past what a table holds: each such
// message is refused with a line on stderr, and nothing it says is used.
TEST(TchatInbound, NumbersOutOfRangeAreRefusedNotUsed) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.host.send({"CMD_gamesettings+60+4+10+30+200+n+n"});
    ASSERT_TRUE(waitUntil([&] { return j.window->mirror().options().turntime == 60; }));
    const QList<QByteArray> hostile{"CMD_chat+2147483647+Eve chats: x|clRed",
                                    "CMD_action+2147483643+Eve x",
                                    "CMD_chat+10+Eve chats: x",
                                    "CMD_chat+-2147483648+Eve chats: x",
                                    "CMD_playasound+2147483647+wave1+",
                                    "CMD_playasound+0+wave1+",
                                    "CMD_gamesettings+-2147483648+4+10+30+200+n+n",
                                    "CMD_gamesettings+60+4+10+2147483647+200+n+n",
                                    "CMD_startgame+Eve+2147483647+4+0+0+n+n++n",
                                    "CMD_startgame+Eve+60+4+-1+0+n+n++n",
                                    "CMD_tilecount+2147483647",
                                    "CMD_postscore+1+1+0+2147483647+5+3+5+word+",
                                    "CMD_postscore+1+1+0+5+5+3+-2147483648+word+",
                                    "CMD_newtiles+1+-2147483648+3+0"};
    testing::internal::CaptureStderr();
    j.host.send(hostile);
    j.host.send({"CMD_chat+2+Bob chats: still here|clBlack"});
    const bool shown = waitUntil([&] { return chatText(*j.window).contains("still here"); });
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(shown);
    EXPECT_EQ(QString::fromStdString(err).count("dropped a message from the host"), hostile.size())
        << err;
    EXPECT_FALSE(chatText(*j.window).contains(" x")) << chatText(*j.window).toStdString();
    const GameMirror &m = j.window->mirror();
    EXPECT_EQ(m.options().turntime, 60);
    EXPECT_EQ(m.elapsed(), 30);
    EXPECT_EQ(m.tilesLeft(), 100);
    EXPECT_EQ(m.seats().score(1) + m.seats().score(3), 0);
    EXPECT_EQ(j.closed, 0);
}

} // namespace
