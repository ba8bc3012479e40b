#include "net/tsock.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <memory>

namespace {

// Records every report of a socket as "Kind: text".
struct Reports {
    QStringList lines;
    void attach(TSock &s) {
        s.OnInfo = [this](TSock *, TSocketInfo kind, const QString &msg) {
            lines << socketInfoName(kind) + QStringLiteral(": ") + msg;
        };
    }
    bool has(const QString &line) const { return lines.contains(line); }
};

class TSockTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureCoreApp(); }

    // A listener on a free port whose accepted connections are kept here.
    void listen() {
        listener.setPortName(QStringLiteral("0"));
        listener.OnAccept = [this](TSock *l) {
            TSock *c = nullptr;
            if (l->Accept(c))
                accepted.push_back(c);
        };
        listener.setListen(true);
        port = listener.localPort();
        ASSERT_NE(port, 0);
    }

    TSock listener;
    std::vector<TSock *> accepted;
    quint16 port = 0;
};

} // namespace

TEST_F(TSockTest, ConnectSendAndReceiveWithReportsInOrder) {
    listen();
    TSock client;
    Reports reports;
    reports.attach(client);
    bool connected = false;
    client.OnConnect = [&](TSock *) { connected = true; };
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(port));
    EXPECT_FALSE(client.Open()); // completes later
    ASSERT_TRUE(waitUntil([&] { return connected && accepted.size() == 1; }));
    EXPECT_EQ(reports.lines, (QStringList{"Lookup: Lookup Of Port " + QString::number(port),
                                          "Lookup: Lookup Of Host 127.0.0.1",
                                          "Connect: Non-Blocking Socket Connected"}));
    // Open again changes nothing and answers the connected flag.
    reports.lines.clear();
    EXPECT_TRUE(client.Open());
    EXPECT_TRUE(reports.lines.isEmpty());

    TSock *server = accepted[0];
    Reports serverReports;
    serverReports.attach(*server);
    QList<int> counts;
    server->OnRead = [&](TSock *, int count) { counts << count; };
    client.Send(QByteArray("abc\0\xFF", 5));
    EXPECT_TRUE(reports.has("Send: Non-Blocking Outgoing Data"));
    ASSERT_TRUE(waitUntil([&] { return !counts.isEmpty(); }));
    EXPECT_EQ(serverReports.lines.first(), "Receive: Non-Blocking Incoming Data");
    // The count is the whole buffer, so it grows while nobody takes the bytes.
    client.Send("de");
    ASSERT_TRUE(waitUntil([&] { return server->inboundSize() == 7; }));
    EXPECT_EQ(counts.last(), 7);
    EXPECT_EQ(server->Receive(2), "ab");
    EXPECT_EQ(server->Receive(), QByteArray("c\0\xFF"
                                            "de",
                                            5));
    EXPECT_EQ(server->HostName(), "127.0.0.1");
}

TEST_F(TSockTest, AcceptedConnectionReportsItsSettingsAndTheListenerItsWork) {
    Reports listenerReports;
    listenerReports.attach(listener);
    listen();
    EXPECT_EQ(listenerReports.lines,
              (QStringList{"Lookup: Lookup Of Port 0", "Listen: Listening Started"}));
    QStringList copied;
    listener.OnInfo = [&](TSock *s, TSocketInfo kind, const QString &msg) {
        copied << (s == &listener ? "listener " : "connection ") + socketInfoName(kind) + ": " +
                      msg;
    };
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    // The accepted object inherited the handler, and reports the two settings
    // changes before the listener reports the new structure.
    EXPECT_EQ(copied,
              (QStringList{"connection Lookup: Setting PortName While Connected Has No Effect",
                           "connection Lookup: Setting HostName While Connected Has No Effect",
                           "listener Accept: Created New TSock Structure"}));
    EXPECT_TRUE(accepted[0]->Connected());
    EXPECT_EQ(accepted[0]->parent(), &listener);
}

TEST_F(TSockTest, ListeningStatesAndTheirReports) {
    Reports reports;
    reports.attach(listener);
    listen();
    listener.setListen(true);
    EXPECT_EQ(reports.lines.last(), "Listen: Listening Already Running");
    reports.lines.clear();
    listener.setListen(false);
    EXPECT_EQ(reports.lines, (QStringList{"Close: Socket Closed", "Listen: Listening Stopped"}));
    EXPECT_FALSE(listener.hasSocket());

    // A port that is taken cannot be bound.
    TSock first, second;
    first.setPortName("0");
    first.setListen(true);
    second.setPortName(QString::number(first.localPort()));
    EXPECT_THROW(
        {
            try {
                second.setListen(true);
            } catch (const ESockException &e) {
                EXPECT_EQ(e.message(), "Listen - Error Binding Socket");
                throw;
            }
        },
        ESockException);
    EXPECT_FALSE(second.Listen());

    TSock udp;
    udp.setSocketType(stDatagram);
    EXPECT_THROW(udp.setListen(true), ESockException);
    EXPECT_THROW(first.setSocketType(stDatagram), ESockException);
}

TEST_F(TSockTest, RefusedConnectionGivesOnlyTheErrorReport) {
    // Find a port nobody listens on.
    quint16 freePort;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        freePort = probe.serverPort();
    }
    TSock client;
    Reports reports;
    reports.attach(client);
    bool connected = false, disconnected = false;
    client.OnConnect = [&](TSock *) { connected = true; };
    client.OnDisconnect = [&](TSock *) { disconnected = true; };
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(freePort));
    client.Open();
    ASSERT_TRUE(waitUntil([&] { return reports.lines.size() == 3; }));
    spin(50);
    EXPECT_EQ(reports.lines.last(), "Error: Error #10061 (WSAECONNREFUSED)");
    EXPECT_EQ(reports.lines.size(), 3);
    EXPECT_FALSE(connected);
    EXPECT_FALSE(disconnected);
    EXPECT_FALSE(reports.has("Close: Socket Closed"));
}

TEST_F(TSockTest, PeerCloseGivesDisconnectThenSocketClosedAndKeepsUnreadBytes) {
    listen();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    TSock *conn = accepted[0];
    QStringList events;
    conn->OnRead = [](TSock *, int) {};
    conn->OnDisconnect = [&](TSock *) { events << "OnDisconnect"; };
    conn->OnInfo = [&](TSock *, TSocketInfo, const QString &msg) {
        if (msg == "Socket Closed")
            events << msg;
    };
    peer.write("last words\xFF");
    peer.flush();
    peer.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (QStringList{"OnDisconnect", "Socket Closed"}));
    // Bytes that came before the close can still be taken; then it is over.
    EXPECT_EQ(conn->Receive(), "last words\xFF");
    EXPECT_THROW(conn->Receive(), ESockException);
    // Close twice reports twice.
    conn->Close();
    EXPECT_EQ(events.count("Socket Closed"), 2);
    EXPECT_THROW(conn->Send("x"), ESockException);
}

TEST_F(TSockTest, PausedConnectionTakesNothingUntilItResumes) {
    listen();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    TSock *conn = accepted[0];
    QStringList events;
    conn->OnRead = [&](TSock *c, int) { events << "read " + QString::fromLatin1(c->Receive()); };
    conn->OnInfo = [&](TSock *, TSocketInfo, const QString &msg) {
        if (msg == "Socket Closed")
            events << msg;
    };
    conn->setReadPaused(true);
    peer.write("held");
    peer.flush();
    peer.disconnectFromHost();
    spin(100);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(conn->inboundSize(), 0);
    EXPECT_TRUE(conn->hasSocket());
    // The bytes, then the end, in the order they came.
    conn->setReadPaused(false);
    ASSERT_TRUE(waitUntil([&] { return events.contains("Socket Closed"); }));
    EXPECT_EQ(events.first(), "read held");
    EXPECT_EQ(events.count("Socket Closed"), 1);
}

TEST_F(TSockTest, ResetConnectionIsReportedAndClosed) {
    listen();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    TSock *conn = accepted[0];
    Reports reports;
    reports.attach(*conn);
    bool disconnected = false;
    conn->OnDisconnect = [&](TSock *) { disconnected = true; };
    // Unread data in the peer's buffer makes its close a reset.
    conn->Send("unread");
    ASSERT_TRUE(waitUntil([&] { return peer.bytesAvailable() > 0 || peer.waitForReadyRead(10); }));
    peer.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ::linger lg{1, 0};
    ::setsockopt(static_cast<int>(peer.socketDescriptor()), SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    peer.abort();
    ASSERT_TRUE(waitUntil([&] { return reports.has("Close: Socket Closed"); }));
    EXPECT_TRUE(reports.has("Error: Error #10054 (WSAECONNRESET)"));
    EXPECT_LT(reports.lines.indexOf("Error: Error #10054 (WSAECONNRESET)"),
              reports.lines.indexOf("Close: Socket Closed"));
    EXPECT_FALSE(disconnected);
    EXPECT_FALSE(conn->hasSocket());
}

// A peer that vanishes without closing must not hold its connection for ever:
// both ends of every connection probe it, or wait for it to acknowledge what
// was sent, and give up after about 90 s.
TEST_F(TSockTest, EveryConnectionProbesAPeerThatFallsSilent) {
    listen();
    TSock client;
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(port));
    client.Open();
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    const TSock *const sides[] = {&client, accepted[0]};
    for (const TSock *s : sides) {
        SCOPED_TRACE(s == &client ? "connecting side" : "accepted side");
        const auto option = [s](int level, int name) {
            int value = -1;
            socklen_t len = sizeof value;
            EXPECT_EQ(::getsockopt(s->descriptor(), level, name, &value, &len), 0);
            return value;
        };
        EXPECT_EQ(option(SOL_SOCKET, SO_KEEPALIVE), 1);
        EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPIDLE), 60);
        EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPINTVL), 10);
        EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPCNT), 3);
        // Sent data left unacknowledged stops the probes; it is given up on as soon.
        EXPECT_EQ(option(IPPROTO_TCP, TCP_USER_TIMEOUT), 90000);
    }
}

TEST_F(TSockTest, PortAndHostNamesAreResolvedOnce) {
    TSock s;
    s.setPortName("no-such-service-zorble");
    EXPECT_THROW(s.Open(), ESockException);
    try {
        s.Open();
    } catch (const ESockException &e) {
        EXPECT_EQ(e.message(), "Port Lookup - Could Not Find Service Entry");
    }

    listen();
    TSock::clearHostCache();
    const int before = TSock::hostLookups();
    for (int i = 0; i < 2; ++i) {
        TSock c;
        Reports reports;
        reports.attach(c);
        c.setHostName(i == 0 ? "localhost" : "LOCALHOST");
        c.setPortName(QString::number(port));
        bool connected = false;
        c.OnConnect = [&](TSock *) { connected = true; };
        c.Open();
        EXPECT_TRUE(waitUntil([&] { return connected; }));
    }
    EXPECT_EQ(TSock::hostLookups() - before, 1); // the second one came from the cache
    // A dotted address is never looked up by name.
    TSock d;
    d.setHostName("127.0.0.1");
    d.setPortName(QString::number(port));
    d.Open();
    EXPECT_EQ(TSock::hostLookups() - before, 1);

    TSock nowhere;
    nowhere.setHostName("no-such-host.invalid");
    nowhere.setPortName("7772");
    EXPECT_THROW(nowhere.Open(), ESockException);
}

TEST_F(TSockTest, OperationsOnTheWrongKindOfObjectRaise) {
    TSock idle;
    EXPECT_THROW(idle.Send("x"), ESockException);
    EXPECT_THROW(idle.Receive(), ESockException);
    EXPECT_THROW(
        {
            TSock *n = nullptr;
            idle.Accept(n);
        },
        ESockException);
    listen();
    EXPECT_THROW(listener.Send("x"), ESockException);
    EXPECT_THROW(listener.Receive(), ESockException);
    TSock blocking;
    blocking.setBlocking(true);
    EXPECT_THROW(blocking.Open(), ESockException);
}

TEST_F(TSockTest, FailingInfoHandlerBecomesErrorHere) {
    TSock s;
    s.OnInfo = [](TSock *, TSocketInfo, const QString &) { throw std::runtime_error("boom"); };
    s.setPortName("0");
    try {
        s.setListen(true);
        FAIL() << "no error raised";
    } catch (const ESockException &e) {
        EXPECT_EQ(e.message(), "Error here");
    }
}

TEST_F(TSockTest, PeerThatStopsReadingIsDroppedPastTheOutboundLimit) {
    listen();
    QTcpSocket peer;
    peer.setReadBufferSize(1);
    peer.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1; }));
    TSock *conn = accepted[0];
    conn->setMaxOutbound(64 * 1024);
    Reports reports;
    reports.attach(*conn);
    const QByteArray chunk(16 * 1024, 'x');
    for (int i = 0; i < 2000 && conn->hasSocket(); ++i) {
        conn->Send(chunk);
        spin(0);
    }
    EXPECT_TRUE(waitUntil([&] { return !conn->hasSocket(); }));
    EXPECT_TRUE(reports.has("Close: Socket Closed"));
}

TEST(WsaErrors, NamesAndCodes) {
    EXPECT_EQ(wsaErrorName(10061), "WSAECONNREFUSED");
    EXPECT_EQ(wsaErrorName(10035), "WSAEWOULDBLOCK");
    EXPECT_EQ(wsaErrorName(11001), "WSAHOST_NOT_FOUND");
    EXPECT_EQ(wsaErrorName(10005), "UNKNOWN ERROR");
    EXPECT_EQ(wsaErrorName(10072), "UNKNOWN ERROR");
    EXPECT_EQ(wsaCodeFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(wsaCodeFromErrno(ECONNRESET), 10054);
    // What a connection whose peer stopped answering keep-alive probes reports.
    EXPECT_EQ(wsaErrorName(wsaCodeFromErrno(ETIMEDOUT)), "WSAETIMEDOUT");
    EXPECT_EQ(wsaCodeFromErrno(EADDRINUSE), 10048);
    EXPECT_EQ(socketInfoName(siError), "Error");
    EXPECT_EQ(socketInfoName(siLookup), "Lookup");
}

// One listener takes both families; an IPv4 peer is named in dotted form, as
// an IPv4-only listener named it, and an IPv6 peer by its IPv6 address.
TEST_F(TSockTest, OneListenerTakesPeersOfBothFamilies) {
    listen();
    const struct {
        const char *connectTo;
        const char *peerShownAs;
    } cases[] = {{"127.0.0.1", "127.0.0.1"}, {"::1", "::1"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.connectTo);
        TSock client;
        bool connected = false;
        client.OnConnect = [&](TSock *) { connected = true; };
        client.setHostName(QString::fromLatin1(c.connectTo));
        client.setPortName(QString::number(port));
        client.Open();
        const size_t before = accepted.size();
        ASSERT_TRUE(waitUntil([&] { return connected && accepted.size() == before + 1; }));
        EXPECT_EQ(accepted.back()->HostName(), QString::fromLatin1(c.peerShownAs));
        client.Send("hi");
        ASSERT_TRUE(waitUntil([&] { return accepted.back()->inboundSize() == 2; }));
    }
}

// A connection handed to another object keeps its unread bytes and its peer;
// the object it left says nothing more about it.
TEST_F(TSockTest, TakeOverMovesTheConnectionWithItsUnreadBytes) {
    listen();
    TSock first;
    Reports firstReports;
    first.setHostName(QStringLiteral("::1"));
    first.setPortName(QString::number(port));
    first.Open();
    ASSERT_TRUE(waitUntil([&] { return accepted.size() == 1 && first.Connected(); }));
    accepted[0]->Send("hello");
    ASSERT_TRUE(waitUntil([&] { return first.inboundSize() == 5; }));
    firstReports.attach(first);

    TSock second;
    QByteArray read;
    second.OnRead = [&](TSock *s, int) { read += s->Receive(); };
    second.takeOver(first);
    EXPECT_FALSE(first.hasSocket());
    EXPECT_TRUE(second.Connected());
    EXPECT_EQ(second.Receive(), "hello");
    accepted[0]->Send("more");
    second.Send("back");
    ASSERT_TRUE(waitUntil([&] { return read == "more" && accepted[0]->inboundSize() == 4; }));
    EXPECT_TRUE(firstReports.lines.isEmpty());
    EXPECT_THROW(second.takeOver(first), ESockException);
}
