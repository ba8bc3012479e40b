// The host's wire traffic over whole games: `zorble --serve --seed N` and
// four computer players, each behind a small relay that records every byte
// the host sends it and every request it sends. The bytes must match the
// recordings kept beside this test, so that a change inside the host cannot
// alter what goes over the wire. With ZORBLE_RECORD_WIRE set to a folder the
// test writes new recordings there instead of comparing.
#include "ai/zorblebot.h"
#include "tests/support/testclient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Relays one client to the host and keeps what passes both ways.
class Relay {
public:
    Relay(quint16 hostPort, int index, QByteArray &requests)
        : hostPort_(hostPort), index_(index), requests_(requests) {
        listener_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&listener_, &QTcpServer::newConnection, [this] { accept(); });
    }
    quint16 port() const { return listener_.serverPort(); }
    QByteArray fromHost;
    bool hostClosed = false; // every byte the host sent has come

private:
    void accept() {
        client_ = listener_.nextPendingConnection();
        host_ = new QTcpSocket(client_);
        QObject::connect(client_, &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = client_->readAll();
            // The requests of all clients, in the order they went to the host.
            for (const QByteArray &part : bytes.split(char(0xFF)))
                if (!part.isEmpty())
                    requests_ += QByteArray::number(index_) + ' ' + part + '\n';
            host_->write(bytes);
        });
        QObject::connect(host_, &QTcpSocket::readyRead, [this] {
            const QByteArray bytes = host_->readAll();
            fromHost += bytes;
            client_->write(bytes);
        });
        QObject::connect(host_, &QTcpSocket::disconnected, client_, [this] {
            fromHost += host_->readAll();
            hostClosed = true;
            client_->disconnectFromHost();
        });
        QObject::connect(client_, &QTcpSocket::disconnected, host_,
                         &QTcpSocket::disconnectFromHost);
        host_->connectToHost(QHostAddress::LocalHost, hostPort_);
    }

    QTcpServer listener_;
    QTcpSocket *client_ = nullptr;
    QTcpSocket *host_ = nullptr;
    quint16 hostPort_;
    int index_;
    QByteArray &requests_;
};

struct Case {
    const char *name;
    quint32 seed;
    int turntime;
    int squares;
    int playtoscore;
    bool doubletiles;
    bool partners;
};

class Wire : public ::testing::TestWithParam<Case> {};

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_P(Wire, AWholeGameSendsTheRecordedBytes) {
    ensureCoreApp();
    const Case c = GetParam();
    const quint16 port = freePort();
    QProcess host;
    host.start(QStringLiteral(ZORBLE_BINARY),
               {"--serve", "--port", QString::number(port), "--seed", QString::number(c.seed)});
    ASSERT_TRUE(waitUntil([&] { return host.canReadLine(); }, 10000));

    QByteArray requests;
    std::vector<std::unique_ptr<Relay>> relays;
    std::vector<std::unique_ptr<ai::ZorbleBot>> bots;
    for (int i = 1; i <= 4; ++i) {
        relays.push_back(std::make_unique<Relay>(port, i, requests));
        bots.push_back(
            std::make_unique<ai::ZorbleBot>(QStringLiteral("127.0.0.1"), relays.back()->port(),
                                            QStringLiteral("Bot %1").arg(i), ai::Level::Normal, 0));
        // Each takes its slot and is announced before the next connects, so
        // that slots and announcements follow the order.
        ASSERT_TRUE(waitUntil(
            [&] {
                return bots.back()->mirror().seats().name(i) == QStringLiteral("Bot %1").arg(i);
            },
            10000));
        if (i == 1) {
            game::GameOptions o;
            o.turntime = c.turntime;
            o.squarecount = c.squares;
            o.playtoscore = c.playtoscore;
            o.doubletiles = c.doubletiles;
            o.partners = c.partners;
            bots.front()->startGameWhenSeated(4, o);
        }
    }
    ASSERT_TRUE(waitUntil([&] { return !bots.front()->mirror().winners().isEmpty(); }, 240000));
    // The host's last bytes, the end's reason among them, come before it
    // closes the connections.
    host.terminate();
    ASSERT_TRUE(host.waitForFinished(10000));
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(relays.begin(), relays.end(),
                           [](const auto &r) { return r->hostClosed; });
    }));

    const QString stem = QStringLiteral("%1/%2").arg(QStringLiteral(ZORBLE_WIRE_DIR), c.name);
    if (const QByteArray out = qgetenv("ZORBLE_RECORD_WIRE"); !out.isEmpty()) {
        const QString dir = QString::fromLocal8Bit(out);
        QDir().mkpath(dir);
        for (int i = 1; i <= 4; ++i) {
            QFile f(QStringLiteral("%1/%2-slot%3.bin").arg(dir, c.name).arg(i));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(relays[size_t(i - 1)]->fromHost);
        }
        QFile f(QStringLiteral("%1/%2-requests.txt").arg(dir, c.name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(requests);
        GTEST_SKIP() << "recorded into " << dir.toStdString();
    }
    for (int i = 1; i <= 4; ++i) {
        const QByteArray expected = readFile(stem + QStringLiteral("-slot%1.bin").arg(i));
        ASSERT_FALSE(expected.isEmpty());
        const QByteArray &got = relays[size_t(i - 1)]->fromHost;
        // Where the streams part tells more than their sizes.
        qsizetype at = 0;
        while (at < got.size() && at < expected.size() && got[at] == expected[at])
            ++at;
        EXPECT_EQ(got, expected) << "slot " << i << " differs from byte " << at << ": "
                                 << got.mid(at, 80).toStdString() << " instead of "
                                 << expected.mid(at, 80).toStdString();
    }
    EXPECT_EQ(requests, readFile(stem + QStringLiteral("-requests.txt")));
}

INSTANTIATE_TEST_SUITE_P(Games, Wire,
                         ::testing::Values(Case{"plain", 5, 90, 12, 0, false, false},
                                           Case{"partners", 8, 60, 20, 0, true, true},
                                           Case{"playto", 13, 90, 4, 250, false, false}),
                         [](const auto &param) { return std::string(param.param.name); });

} // namespace
