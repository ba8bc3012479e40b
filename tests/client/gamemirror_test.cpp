#include "client/startplan.h"
#include "clientcore/gamemirror.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

TEST(StartPlan, CommandLineContract) {
    const StartPlan solo = planStart({});
    EXPECT_EQ(solo.mode, StartPlan::Solo);
    EXPECT_EQ(solo.playername, "You");
    EXPECT_EQ(solo.hostaddress, "127.0.0.1");
    EXPECT_FALSE(solo.openLobby);
    EXPECT_EQ(solo.loadingLine, "Loading Solo Game..Please wait.");

    for (const QStringList &args : {QStringList{"Alice"}, QStringList{"Alice", "10.0.0.1"}}) {
        const StartPlan idle = planStart(args);
        EXPECT_EQ(idle.mode, StartPlan::Idle);
        EXPECT_FALSE(idle.openLobby);
        EXPECT_EQ(idle.loadingLine, "Loading Multi-player Game.. Please Wait.");
    }

    EXPECT_EQ(planStart({"Alice", "x", "true"}).mode, StartPlan::Host);
    // Only the exact word hosts.
    for (const char *role : {"True", "TRUE", "yes", "", "true "})
        EXPECT_EQ(planStart({"Alice", "x", role}).mode, StartPlan::Join) << role;

    // Arguments after the third are ignored.
    const StartPlan extra = planStart({"Bob", "192.168.1.20", "false", "more", "true"});
    EXPECT_EQ(extra.mode, StartPlan::Join);
    EXPECT_EQ(extra.hostaddress, "192.168.1.20");
    EXPECT_TRUE(extra.openLobby);
}

TEST(StartPlan, NameAndAddressAreCutToTwentyCharacters) {
    const StartPlan p =
        planStart({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "host.example.org.very.long", "x"});
    EXPECT_EQ(p.playername, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(p.hostaddress, "host.example.org.ver");
}

TEST(GameMirror, LoginBytesEndInTwoTerminators) {
    EXPECT_EQ(proto::frameRequest(proto::request::login(3, "2.1.1", "Alice")),
              QByteArray("CMD_logininfo+3+2.1.1+Alice\xFF\xFF"));
    GameMirror m;
    m.handle(proto::toclient::SendLoginInfo{3});
    EXPECT_EQ(m.localSeat(), 3);
    EXPECT_TRUE(m.loggedIn());
}

struct Recorded {
    QStringList lines;
    QStringList sounds;
    int own = 0;
    int lost = 0;
};

void record(GameMirror &m, Recorded &r) {
    QObject::connect(&m, &GameMirror::chatLine,
                     [&r](int seat, const QString &text, quint32 colour) {
                         EXPECT_EQ(colour, 0x008000u);
                         r.lines << QString::number(seat) + '+' + text;
                     });
    QObject::connect(&m, &GameMirror::soundRequested, [&r](const QString &s) { r.sounds << s; });
    QObject::connect(&m, &GameMirror::ownSeatAnnounced, [&r](int) { ++r.own; });
    QObject::connect(&m, &GameMirror::ownSeatLost, [&r] { ++r.lost; });
}

TEST(GameMirror, SeatsAreAnnouncedAndFreed) {
    GameMirror m;
    Recorded r;
    record(m, r);
    m.handle(proto::toclient::SendLoginInfo{2});

    m.handle(proto::toclient::NewPlayerInfo{{1, "Bob"}});
    m.handle(proto::toclient::NewPlayerInfo{{2, "Alice"}});
    m.handle(proto::toclient::NewPlayerInfo{{6, "Carol"}});
    EXPECT_EQ(m.seats().name(1), "Bob");
    EXPECT_EQ(m.seats().name(2), "Alice");
    EXPECT_EQ(m.seats().name(3), "<Waiting>");
    EXPECT_EQ(r.lines, QStringList({"0+Bob is Connected.", "0+You are Connected.",
                                    "0+Carol is Connected.", "0+Carol is spying."}));
    EXPECT_EQ(r.sounds, QStringList({"entered", "entered", "entered"}));
    EXPECT_EQ(r.own, 1);

    r.lines.clear();
    m.handle(proto::toclient::PlayerDisconnected{{1, "Bob"}});
    m.handle(proto::toclient::PlayerDisconnected{{3, "Nobody"}}); // a free seat: no line
    EXPECT_EQ(m.seats().name(1), "<Waiting>");
    EXPECT_EQ(r.lines, QStringList({"0+Bob disconnected."}));
    EXPECT_EQ(r.lost, 0);
    EXPECT_TRUE(m.loggedIn());

    m.handle(proto::toclient::PlayerDisconnected{{2, "Alice"}});
    EXPECT_EQ(r.lost, 1);
    EXPECT_FALSE(m.loggedIn());
}

TEST(GameMirror, OwnWatcherSeatIsSpying) {
    GameMirror m;
    Recorded r;
    record(m, r);
    m.handle(proto::toclient::SendLoginInfo{5});
    m.handle(proto::toclient::NewPlayerInfo{{5, "Dave"}});
    EXPECT_EQ(r.lines, QStringList({"0+You are Connected.", "0+You are spying."}));
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(m.seats().name(seat), "<Waiting>");
}

} // namespace
