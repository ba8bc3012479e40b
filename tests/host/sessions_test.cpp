// Real TCP clients on loopback log in, chat and leave against an in-process host,
// all of them over IPv4, then all over IPv6: the host takes both alike.
#include "host/gamepublisher.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace {

class SessionsBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApp(); }

    void SetUp() override {
        host = std::make_unique<TServer>();
        host->listen(0);
        port = host->port();
    }
    void TearDown() override {
        clients.clear();
        host.reset();
    }

    TestClient &add() {
        clients.push_back(std::make_unique<TestClient>());
        clients.back()->setAddress(address);
        return *clients.back();
    }
    TestClient &join(const QString &name) {
        TestClient &c = add();
        EXPECT_NE(c.join(port, name), 0) << name.toStdString();
        return c;
    }
    // Lets the host handle whatever is in flight.
    void settle() { spin(60); }
    // From now on the flood control sees each line come a penalty after the
    // one before, the fastest pace it lets through: a burst is relayed whole.
    void pace() {
        host->setFloodClock(
            [t = FloodControl::Clock::now()]() mutable { return t += FloodControl::kPenalty; });
    }

    std::unique_ptr<TServer> host;
    std::vector<std::unique_ptr<TestClient>> clients;
    quint16 port = 0;
    QHostAddress address{QHostAddress::LocalHost}; // where the clients find the host
};

// The same sessions with clients of either family.
class Sessions : public SessionsBase, public ::testing::WithParamInterface<const char *> {
protected:
    void SetUp() override {
        address = QHostAddress(QString::fromLatin1(GetParam()));
        SessionsBase::SetUp();
    }
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Families, Sessions, ::testing::Values("127.0.0.1", "::1"),
                         [](const auto &family) {
                             return std::string(family.param[0] == ':' ? "IPv6" : "IPv4");
                         });

TEST_P(Sessions, SlotsAreGivenLowestFirstAndReused) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &c = join("Cy");
    EXPECT_EQ(a.slot(), 1);
    EXPECT_EQ(b.slot(), 2);
    EXPECT_EQ(c.slot(), 3);
    b.close();
    EXPECT_FALSE(a.waitFor("CMD_playerdisconnected+2+Bob").isEmpty());
    TestClient &d = join("Di");
    EXPECT_EQ(d.slot(), 2);
    EXPECT_EQ(host->table().state().opened, 3);
    EXPECT_EQ(host->table().seat(2).name, "Di");
}

TEST_P(Sessions, NewcomerHearsAboutItselfThenEveryOtherSlot) {
    join("Ann");
    TestClient &b = join("Bob");
    join("Cy");
    b.close();
    clients[0]->waitFor("CMD_playerdisconnected+2+");
    // Slot 2 is free again but lies below the highest slot opened.
    TestClient &d = add();
    ASSERT_TRUE(d.connectTo(port));
    EXPECT_EQ(d.waitFor("CMD_sendlogininfo+"), "CMD_sendlogininfo+2");
    d.sendRaw(QByteArray("CMD_logininfo+2+2.1.1+Dee+Dee\xFF\xFF"));
    QStringList got;
    QString line;
    while (got.size() < 3 && d.next(line))
        got << line;
    EXPECT_EQ(got, (QStringList{"CMD_newplayerinfo+2+Dee+Dee", "CMD_existingplayers+1+Ann",
                                "CMD_existingplayers+3+Cy"}));
    // Everybody else heard of the newcomer too.
    EXPECT_FALSE(clients[0]->waitFor("CMD_newplayerinfo+2+Dee+Dee").isEmpty());

    // An empty name is listed for a free slot.
    clients[2]->close();
    clients[0]->waitFor("CMD_playerdisconnected+3+Cy");
    TestClient &e = add();
    ASSERT_TRUE(e.connectTo(port));
    EXPECT_EQ(e.waitFor("CMD_sendlogininfo+"), "CMD_sendlogininfo+3");
    e.send("CMD_logininfo+3+2.1.1+Eve");
    EXPECT_FALSE(e.waitFor("CMD_newplayerinfo+3+Eve").isEmpty());
    EXPECT_EQ(e.waitFor("CMD_existingplayers+2"), "CMD_existingplayers+2+Dee+Dee");
}

TEST_P(Sessions, TenthConnectionIsRefusedAndTheOthersHearNothing) {
    for (int i = 1; i <= 9; ++i)
        join(QStringLiteral("P%1").arg(i));
    settle();
    for (auto &c : clients)
        c->drain();
    TestClient &tenth = add();
    // The host may answer and close before the test client sees itself
    // connected, so only the answer and the close are checked.
    tenth.connectTo(port, 500);
    EXPECT_EQ(tenth.waitFor("CMD_"), "CMD_full+");
    EXPECT_TRUE(tenth.waitClosed());
    settle();
    for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(clients[i]->drain().isEmpty());
        EXPECT_TRUE(clients[i]->isOpen());
    }
    EXPECT_EQ(host->table().state().opened, 9);
}

TEST_P(Sessions, OtherVersionIsToldButStillLogsIn) {
    join("Host");
    TestClient &old = add();
    EXPECT_EQ(old.join(port, "Oldie", "2.0.9"), 2);
    EXPECT_FALSE(old.waitFor("CMD_wrongversion+").isEmpty());
    EXPECT_EQ(clients[0]->waitFor("CMD_havewrongversion+"), "CMD_havewrongversion+Oldie");
    EXPECT_EQ(host->table().seat(2).name, "Oldie");
    // And takes part like everybody else.
    old.send("CMD_chat+2+hi|clRed");
    EXPECT_EQ(clients[0]->waitFor("CMD_chat+"), "CMD_chat+2+Oldie chats: hi|clRed");
}

TEST_P(Sessions, RelaysKeepTextWithPlusSignsWhole) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &w = add();
    for (int i = 3; i <= 5; ++i)
        join(QStringLiteral("P%1").arg(i)); // slot 5 is a watcher
    (void)w;
    a.send("CMD_chat+1+1+1=2 + more|$00112233");
    const QString expected = "CMD_chat+1+Ann chats: 1+1=2 + more|$00112233";
    EXPECT_EQ(b.waitFor("CMD_chat+"), expected);
    EXPECT_EQ(clients.back()->waitFor("CMD_chat+"), expected); // watchers hear it
    EXPECT_EQ(a.waitFor("CMD_chat+"), expected);               // and the speaker
    b.send("CMD_action+2+waves + smiles|clBlue");
    EXPECT_EQ(a.waitFor("CMD_action+"), "CMD_action+2+Bob waves + smiles|clBlue");
    b.send("CMD_playasound+2+wave7+");
    EXPECT_EQ(a.waitFor("CMD_playasound+"), "CMD_playasound+2+wave7+");
}

TEST_P(Sessions, OnlyTheHostingPlayerRemovesSomebody) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &c = join("Cy");
    b.send("CMD_kickhim+2+3+");
    b.send("CMD_kickhim+1+3+"); // pretends to be the hosting player
    settle();
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(a.countStartingWith("CMD_playerdisconnected"), 0);
    a.send("CMD_kickhim+1+3+");
    EXPECT_TRUE(c.waitClosed());
    EXPECT_EQ(a.waitFor("CMD_playerdisconnected+"), "CMD_playerdisconnected+3+Cy");
    EXPECT_EQ(b.waitFor("CMD_playerdisconnected+"), "CMD_playerdisconnected+3+Cy");
    EXPECT_FALSE(host->table().seat(3).present);
    EXPECT_TRUE(host->table().seat(3).name.isEmpty());
}

TEST_P(Sessions, LeavingIsAnnouncedOnceAlthoughClosedIsReportedTwice) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    b.close();
    EXPECT_FALSE(a.waitFor("CMD_playerdisconnected+2+Bob").isEmpty());
    settle();
    EXPECT_EQ(a.countStartingWith("CMD_playerdisconnected"), 1);
    EXPECT_FALSE(host->table().seat(2).present);
}

TEST_P(Sessions, WatchingAndPlayingAgain) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &c = join("Cy");
    b.send("CMD_justwatch+2+1");
    EXPECT_EQ(c.waitFor("CMD_justwatching+"), "CMD_justwatching+2+1");
    EXPECT_TRUE(host->table().seat(2).watching);
    // A player may not switch somebody else; the hosting player may.
    c.send("CMD_justwatch+2+2");
    settle();
    EXPECT_TRUE(host->table().seat(2).watching);
    a.send("CMD_justwatch+3+1");
    EXPECT_EQ(b.waitFor("CMD_justwatching+3"), "CMD_justwatching+3+1");
    // The last active player cannot sit out.
    a.send("CMD_justwatch+1+1");
    settle();
    EXPECT_FALSE(host->table().seat(1).watching);
    EXPECT_EQ(b.countStartingWith("CMD_justwatching+1"), 0);
    b.send("CMD_justwatch+2+2");
    EXPECT_FALSE(a.waitFor("CMD_justwatching+2+2").isEmpty());
    EXPECT_FALSE(host->table().seat(2).watching);
}

TEST_P(Sessions, NewcomerInheritsTheSeatsWatchingFlagSilently) {
    join("Ann");
    TestClient &b = join("Bob");
    b.send("CMD_justwatch+2+1");
    clients[0]->waitFor("CMD_justwatching+2+1");
    b.close();
    clients[0]->waitFor("CMD_playerdisconnected+2");
    TestClient &c = join("Cy");
    EXPECT_EQ(c.slot(), 2);
    settle();
    EXPECT_TRUE(host->table().seat(2).watching);
    EXPECT_EQ(c.countStartingWith("CMD_justwatching"), 0);
}

TEST_P(Sessions, RequestsForAnotherSeatAreIgnored) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    const int droppedBefore = host->droppedRequests();
    b.send("CMD_chat+1+I am Ann|clRed");     // speaks for seat 1
    b.send("CMD_logininfo+1+2.1.1+Mallory"); // renames slot 1
    b.send("CMD_action+1+fakes|clRed");
    b.send("CMD_playasound+1+wave1+");
    b.send("CMD_startgame+Bob+60+4+0+0+n+n+"); // only the hosting player starts
    b.send("CMD_pass+1");
    b.send("CMD_chat+2+honest|clRed");
    EXPECT_EQ(a.waitFor("CMD_chat+"), "CMD_chat+2+Bob chats: honest|clRed");
    EXPECT_EQ(a.countStartingWith("CMD_chat+1"), 0);
    EXPECT_EQ(a.countStartingWith("CMD_action"), 0);
    EXPECT_EQ(a.countStartingWith("CMD_playasound"), 0);
    EXPECT_EQ(a.countStartingWith("CMD_startgame"), 0);
    EXPECT_EQ(host->table().seat(1).name, "Ann");
    EXPECT_EQ(host->droppedRequests() - droppedBefore, 6);
}

TEST_P(Sessions, MalformedNumbersAreDroppedAndTheNextMessageIsHandled) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    b.send("CMD_chat+two+hello|clRed");
    b.send("CMD_kickhim+x+1+");
    b.send("CMD_justwatch+9+1");
    b.send("CMD_justwatch+2+7");
    b.send("CMD_logininfo+zz+2.1.1+X");
    b.send("CMD_nosuchthing+1");
    b.send("no command at all");
    b.send("");
    b.send("CMD_chat+2+still here|clRed");
    EXPECT_EQ(a.waitFor("CMD_chat+"), "CMD_chat+2+Bob chats: still here|clRed");
    EXPECT_TRUE(b.isOpen());
    EXPECT_EQ(host->table().seat(2).name, "Bob");
    EXPECT_FALSE(host->table().seat(2).watching);
}

TEST_P(Sessions, OverlongLineClosesOnlyThatConnection) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &c = join("Cy");
    b.sendRaw(QByteArray(TServer::kMaxLine + 1, 'A'));
    EXPECT_TRUE(b.waitClosed());
    EXPECT_EQ(a.waitFor("CMD_playerdisconnected+"), "CMD_playerdisconnected+2+Bob");
    c.send("CMD_chat+3+fine|clRed");
    EXPECT_EQ(a.waitFor("CMD_chat+"), "CMD_chat+3+Cy chats: fine|clRed");
    // A long line that does end in time is fine.
    const QString longText(TServer::kMaxLine - 100, QLatin1Char('z'));
    c.send("CMD_chat+3+" + longText);
    EXPECT_EQ(a.waitFor("CMD_chat+").size(),
              QString("CMD_chat+3+Cy chats: ").size() + longText.size());
}

TEST_P(Sessions, BurstOfRequestsIsHandledInArrivalOrder) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    pace();
    QByteArray burst;
    for (int i = 0; i < 500; ++i)
        burst += QStringLiteral("CMD_chat+2+%1|clRed").arg(i).toUtf8() + '\xFF';
    b.sendRaw(burst);
    ASSERT_TRUE(waitUntil([&] { return a.countStartingWith("CMD_chat+") == 500; }, 10000));
    QStringList chats;
    for (const QString &l : a.lines())
        if (l.startsWith("CMD_chat+"))
            chats << l;
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(chats[i], QStringLiteral("CMD_chat+2+Bob chats: %1|clRed").arg(i));
}

TEST_P(Sessions, TurnMovesOnWhenTheHostingPlayerLeavesOnItsTurn) {
    host->setGrace(0); // the seat is given up at once
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    join("Cy");
    a.send("CMD_startgame+Ann+600+4+0+0+n+n+");
    // Whoever starts passes until the hosting player's turn comes.
    int current = b.waitFor("CMD_nextplayer+").mid(15).toInt();
    for (int guard = 0; current != 1 && guard < 3; ++guard) {
        ASSERT_TRUE(current == 2 || current == 3);
        clients[current - 1]->send(QStringLiteral("CMD_pass+%1").arg(current));
        current = b.waitFor("CMD_nextplayer+").mid(15).toInt();
    }
    ASSERT_EQ(current, 1);
    a.close();
    EXPECT_FALSE(b.waitFor("CMD_playerdisconnected+1+Ann").isEmpty());
    EXPECT_EQ(b.waitFor("CMD_nextplayer+"), "CMD_nextplayer+2");
    EXPECT_EQ(host->table().current(), 2);
}

// The record published on the local network follows the table: each step
// is told, and the record then reads seats, watchers and the game.
TEST_P(Sessions, ThePublishedRecordFollowsTheTable) {
    int told = 0;
    QObject::connect(host.get(), &TServer::tableChanged, [&told] { ++told; });
    const auto after = [&](const char *step, const dnssd::GameRecord &expected) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(waitUntil([&] { return told > 0; }));
        told = 0;
        EXPECT_EQ(tableRecord(*host), expected);
    };
    const QString v = QString::fromLatin1(proto::kVersion);
    for (const char *name : {"Ann", "Bob", "Cy", "Dan"})
        join(name);
    after("four players", {v, "Ann", 4, 0, 0, false});
    join("Eve");
    after("a watcher", {v, "Ann", 4, 0, 1, false});
    clients[0]->send("CMD_startgame+Ann+600+4+0+0+n+n+");
    after("the game starts", {v, "Ann", 4, 0, 1, true});
    // Everybody passes in turn, which ends the game.
    for (int turn = 0; turn < 4; ++turn) {
        const int seat = clients[1]->waitFor("CMD_nextplayer+").mid(15).toInt();
        ASSERT_TRUE(seat >= 1 && seat <= 4);
        clients[size_t(seat - 1)]->send(QStringLiteral("CMD_pass+%1").arg(seat));
    }
    after("the game ends", {v, "Ann", 4, 0, 1, false});
    clients[0]->close();
    after("the host player leaves", {v, "", 3, 1, 1, false});
}

namespace {

// How a connection that has just sent its login goes away.
enum class Leave {
    Close,             // an ordinary close
    Reset,             // SO_LINGER 0: the close is a reset
    OverlongThenClose, // a line too long for the host, then a close
    HalfClose,         // stops sending, keeps the socket open
    Mixed,             // each of the above in turn
};

class Ghosts : public SessionsBase, public ::testing::WithParamInterface<Leave> {
protected:
    void leave(TestClient &c, Leave how) {
        QTcpSocket &sock = c.socket();
        const int fd = static_cast<int>(sock.socketDescriptor());
        switch (how) {
        case Leave::Close:
        case Leave::OverlongThenClose:
            sock.abort();
            break;
        case Leave::Reset: {
            const ::linger lg{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
            sock.abort();
            break;
        }
        case Leave::HalfClose:
            ::shutdown(fd, SHUT_WR);
            break;
        case Leave::Mixed:
            break;
        }
    }
};

std::string leaveName(const ::testing::TestParamInfo<Leave> &param) {
    const char *const names[] = {"Close", "Reset", "OverlongThenClose", "HalfClose", "Mixed"};
    return names[static_cast<int>(param.param)];
}

} // namespace

// A connection that logs in and is gone at once must not keep its slot: its
// login is handled before its end, and nothing is sent to it once it is gone.
TEST_P(Ghosts, LeaveNoSlotTakenAndNobodyListed) {
    testing::internal::CaptureStderr();
    TestClient &a = join("Host");
    const Leave kinds[] = {Leave::Close, Leave::Reset, Leave::OverlongThenClose, Leave::HalfClose};
    for (int i = 0; i < 8; ++i) {
        const Leave how = GetParam() == Leave::Mixed ? kinds[i % 4] : GetParam();
        TestClient &g = add();
        ASSERT_TRUE(g.connectTo(port));
        const QString hello = g.waitFor("CMD_sendlogininfo+");
        ASSERT_FALSE(hello.isEmpty());
        // The name ends with its own 0xFF, as a client's login does.
        QByteArray bytes =
            QStringLiteral("CMD_logininfo+%1+2.1.1+Ghost%2").arg(hello.mid(18)).arg(i).toUtf8() +
            "\xFF\xFF";
        if (how == Leave::OverlongThenClose)
            bytes += QByteArray(TServer::kMaxLine + 1, 'x');
        g.sendRaw(bytes);
        ASSERT_EQ(g.socket().bytesToWrite(), 0);
        leave(g, how);
    }
    ASSERT_TRUE(waitUntil([&] { return a.countStartingWith("CMD_playerdisconnected+") == 8; }));
    settle();
    QStringList taken;
    for (int slot = 2; slot <= TServer::kSlots; ++slot)
        if (host->table().seat(slot).present || !host->table().seat(slot).name.isEmpty())
            taken << QStringLiteral("%1 %2").arg(slot).arg(host->table().seat(slot).name);
    EXPECT_TRUE(taken.isEmpty()) << taken.join(", ").toStdString();
    // Every ghost announced as come is announced as gone.
    QStringList came, went;
    for (const QString &l : a.lines()) {
        const QString name = l.section('+', 2);
        if (l.startsWith("CMD_newplayerinfo+") && name.startsWith("Ghost"))
            came << name;
        else if (l.startsWith("CMD_playerdisconnected+") && !name.isEmpty())
            went << name;
    }
    came.sort();
    went.sort();
    EXPECT_EQ(came.join(' ').toStdString(), went.join(' ').toStdString());

    TestClient &c = add();
    EXPECT_EQ(c.join(port, "Newcomer"), 2);
    settle();
    for (const QString &l : c.lines())
        EXPECT_FALSE(l.startsWith("CMD_existingplayers+") && l.contains("Ghost"))
            << l.toStdString();
    EXPECT_EQ(c.countStartingWith("CMD_existingplayers+1+Host"), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("Not Connected"), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(Sessions, Ghosts,
                         ::testing::Values(Leave::Close, Leave::Reset, Leave::OverlongThenClose,
                                           Leave::HalfClose, Leave::Mixed),
                         leaveName);

// Connections take turns: a chat line queued behind nothing of its own is
// relayed while another connection's burst, read at the same time, is still
// being handled, and the burst keeps its order.
TEST_P(Sessions, ABurstDoesNotHoldBackAnotherConnectionsChat) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    TestClient &c = join("Cy");
    settle();
    pace();
    constexpr int kBurst = 1000; // within one read of the host
    QByteArray burst;
    for (int i = 0; i < kBurst; ++i)
        burst += QStringLiteral("CMD_chat+2+%1|clRed").arg(i).toUtf8() + '\xFF';
    ASSERT_LT(burst.size(), 32 * 1024);
    b.sendRaw(burst);
    c.send("CMD_chat+3+probe|clRed");
    ASSERT_TRUE(waitUntil([&] { return a.countStartingWith("CMD_chat+") == kBurst + 1; }));
    QStringList fromBob;
    qsizetype probeAt = -1;
    for (const QString &l : a.lines()) {
        if (l.startsWith("CMD_chat+2+"))
            fromBob << l;
        else if (l == "CMD_chat+3+Cy chats: probe|clRed")
            probeAt = fromBob.size();
    }
    EXPECT_GE(probeAt, 0);
    EXPECT_LT(probeAt, kBurst - 1);
    ASSERT_EQ(fromBob.size(), kBurst);
    for (int i = 0; i < kBurst; ++i)
        ASSERT_EQ(fromBob[i], QStringLiteral("CMD_chat+2+Bob chats: %1|clRed").arg(i));
}

// Flood control: a burst of ten passes; a flood is cut, and its sender told
// once; a flood that goes on for longer than the limit ends the connection.
TEST_P(Sessions, AFloodIsCutAndALongOneDisconnected) {
    TestClient &a = join("Ann");
    TestClient &b = join("Bob");
    settle();
    auto now = FloodControl::Clock::now();
    host->setFloodClock([&now] { return now; });
    auto send = [&](const QString &what, int n) {
        QByteArray lines;
        for (int i = 0; i < n; ++i)
            lines += proto::client::chat(2, what + QString::number(i), "clRed").toUtf8() + '\xFF';
        b.sendRaw(lines);
        settle();
    };
    const QString warning = proto::host::notice(FloodControl::kWarning);
    send("burst", 10);
    EXPECT_EQ(a.countStartingWith("CMD_chat+2+Bob chats: burst"), 10);
    send("flood", 200);
    const int relayed = a.countStartingWith("CMD_chat+2+Bob chats: flood");
    EXPECT_GT(relayed, 0);
    EXPECT_LT(relayed, 200);
    EXPECT_EQ(a.lines().filter("flood199").size(), 0);
    EXPECT_EQ(b.lines().count(warning), 1);
    EXPECT_EQ(a.lines().count(warning), 0);

    // On and on at twice the pace let through, for longer than the limit.
    testing::internal::CaptureStderr();
    const int twiceThePace = int(2 * (1s / FloodControl::kPenalty));
    for (auto start = now; now - start <= FloodControl::kLongestFlood + 1s && b.isOpen();) {
        now += 1s;
        send("more", twiceThePace);
    }
    EXPECT_TRUE(b.waitClosed());
    EXPECT_FALSE(a.waitFor("CMD_playerdisconnected+2+Bob").isEmpty());
    EXPECT_EQ(b.lines().count(warning), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("slot 2 flooded"), std::string::npos);
}
