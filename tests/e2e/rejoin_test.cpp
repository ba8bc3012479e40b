// A window whose connection ends during a game, with real programs: the host
// keeps its seat and passes its turns over; the window started again (or its
// own reconnect loop) takes the seat back with its token; a third program
// with the same name but no token only watches.
#include "dict/tdictn.h"
#include "tests/e2e/program.h"
#include "tests/engine/gameclient.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include <sys/socket.h>

namespace {

QJsonObject stateOf(Game &game, const QString &path) {
    QFile::remove(path);
    game.signal(SIGUSR1);
    QJsonObject state;
    waitUntil(
        [&] {
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            state = QJsonDocument::fromJson(f.readAll()).object();
            return !state.isEmpty();
        },
        10000);
    return state;
}

// A state's rack as JSON text, for a failure's message.
std::string rackOf(const QJsonObject &state) {
    return QJsonDocument(state["rack"].toArray()).toJson(QJsonDocument::Compact).toStdString();
}

// Cat and Dan lay words or pass when their turn comes; the programs pass
// from their consoles. Runs until `done` holds.
struct Table {
    std::array<fullgame::Player, 2> players;
    fullgame::WordList words;
    QList<Game *> programs; // the programs in seats 1, 2, ...; null when gone

    explicit Table(const TDictn &dict) : words(dict, 7) {}
    const GameMirror &seen() const { return players[0].mirror; }

    bool playUntil(const std::function<bool()> &done, int timeoutMs = 30000) {
        QElapsedTimer clock;
        clock.start();
        int passedTurn = -1;
        QElapsedTimer sincePass;
        sincePass.start();
        while (!done()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (clock.elapsed() > timeoutMs)
                return false;
            for (fullgame::Player &p : players)
                p.playIfDue(words);
            const int mover = seen().gameRunning() ? seen().currentPlayer() : 0;
            const int turns = int(players[0].lines.filter("CMD_nextplayer+").size());
            // A program may read its console before the turn's message: it
            // passes again while the turn stays.
            if (mover >= 1 && mover <= programs.size() && programs[mover - 1] &&
                (turns != passedTurn || sincePass.elapsed() > 1000)) {
                passedTurn = turns;
                sincePass.restart();
                programs[mover - 1]->proc.write("/pass\n");
            }
        }
        return true;
    }
};

TEST(EndToEndRejoin, AKilledWindowStartedAgainTakesItsSeatBack) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;
    const QString bobState = dir.filePath("bob.json");
    Game ann({"Ann", "x", "true"});
    ASSERT_TRUE(ann.waitForLine("0+You are Connected.")) << ann.out.toStdString();
    auto bob = std::make_unique<Game>(QStringList{"Bob", "127.0.0.1", "false"}, false, QString(),
                                      bobState);
    ASSERT_TRUE(bob->waitForLine("0+You are Connected.")) << bob->out.toStdString();

    TDictn dict;
    Table table(dict);
    ASSERT_EQ(table.players[0].join(kGamePort, "Cat"), 3);
    ASSERT_EQ(table.players[1].join(kGamePort, "Dan"), 4);
    table.programs = {&ann, bob.get()};
    ann.proc.write("/start\n");
    // Play until it is Bob's turn.
    ASSERT_TRUE(table.playUntil(
        [&] { return table.seen().gameRunning() && table.seen().currentPlayer() == 2; }));
    table.programs[1] = nullptr;
    // Bob's window may still be reading its tiles when the others see its
    // turn: its state counts once the window has heard of the turn too.
    QJsonObject before;
    ASSERT_TRUE(waitUntil(
        [&] {
            before = stateOf(*bob, bobState);
            return before["ownturn"].toBool();
        },
        10000));
    ASSERT_EQ(before["localseat"].toInt(), 2);

    // Killed in the middle of its turn: the game goes on without it.
    const QString program = bob->home.filePath("zorble");
    bob->signal(SIGKILL);
    ASSERT_TRUE(ann.waitForLine("0+Bob has lost the connection; the seat is kept for 3:00."))
        << ann.out.toStdString();
    const int turnsBefore = int(table.players[0].lines.filter("CMD_nextplayer+").size());
    const qsizetype bobsTurns = table.players[0].lines.filter("CMD_nextplayer+2").size();
    ASSERT_TRUE(table.playUntil([&] {
        return int(table.players[0].lines.filter("CMD_nextplayer+").size()) >= turnsBefore + 4;
    }));
    EXPECT_EQ(table.players[0].lines.filter("CMD_nextplayer+2").size(), bobsTurns);
    EXPECT_EQ(table.seen().seats().name(2), "Bob");

    // The same name without a token only watches.
    TestClient stranger;
    EXPECT_EQ(stranger.join(kGamePort, "Bob"), 5);

    // Started again from the same place, it presents its token.
    Game again({"Bob", "127.0.0.1", "false"}, false, {}, bobState, program);
    ASSERT_TRUE(table.playUntil([&] { return again.out.contains("0+You are Connected."); }))
        << again.out.toStdString();
    // Its turn comes round again; it does not pass it before its state is read.
    ASSERT_TRUE(table.playUntil([&] { return table.seen().currentPlayer() == 2; }))
        << again.out.toStdString() << "\n"
        << table.players[0].lines.join('\n').right(1500).toStdString();
    // The window hears of the turn a moment after the others may.
    QJsonObject after;
    EXPECT_TRUE(waitUntil(
        [&] {
            after = stateOf(again, bobState);
            return after["ownturn"].toBool();
        },
        5000));
    EXPECT_EQ(after["localseat"].toInt(), 2);
    const QJsonArray seats = after["seats"].toArray();
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(seats[seat - 1].toObject()["name"].toString(), table.seen().seats().name(seat));
    // Its rack as it was, less nothing: it had no move since.
    EXPECT_EQ(after["rack"].toArray(), before["rack"].toArray())
        << rackOf(after) << " after, before " << rackOf(before);
    QStringList board;
    for (int y = 0; y < game::kBoard; ++y) {
        QString row;
        for (int x = 0; x < game::kBoard; ++x)
            row += table.seen().letterAt(x, y) == game::kEmpty
                       ? QChar('.')
                       : QChar(u'a' + table.seen().letterAt(x, y));
        board << row;
    }
    QStringList rows;
    for (const QJsonValue &row : after["board"].toArray())
        rows << row.toString();
    EXPECT_EQ(rows, board);
    ASSERT_TRUE(again.terminate());
    ASSERT_TRUE(ann.terminate());
}

// Relays every connection made to it to the host. It can cut them all with a
// TCP reset, or stop forwarding on them (a dead route: the connections stay
// open and what is sent on them is lost); later connections are relayed.
class Proxy {
public:
    Proxy(quint16 listenPort, quint16 hostPort) : hostPort_(hostPort) {
        listener_.listen(QHostAddress::Any, listenPort);
        QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
            QTcpSocket *client = listener_.nextPendingConnection();
            auto *host = new QTcpSocket(client);
            auto relaying = std::make_shared<bool>(true);
            auto relay = [relaying](QTcpSocket *from, QTcpSocket *to) {
                const QByteArray bytes = from->readAll();
                if (*relaying)
                    to->write(bytes);
            };
            QObject::connect(client, &QTcpSocket::readyRead, [=] { relay(client, host); });
            QObject::connect(host, &QTcpSocket::readyRead, [=] { relay(host, client); });
            QObject::connect(host, &QTcpSocket::disconnected, client, [client, relaying] {
                if (*relaying)
                    client->disconnectFromHost();
            });
            host->connectToHost(QHostAddress::LocalHost, hostPort_);
            clients_.append({client, relaying});
            ++accepted;
        });
    }
    bool listening() const { return listener_.isListening(); }
    void resetAll() {
        for (const auto &[c, relaying] : clients_) {
            const ::linger lg{1, 0};
            const int fd = static_cast<int>(c->socketDescriptor());
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
            c->findChild<QTcpSocket *>()->abort();
            c->abort();
        }
        clients_.clear();
    }
    void stopForwarding() {
        for (const auto &[c, relaying] : clients_)
            *relaying = false;
        clients_.clear();
    }
    int accepted = 0;

private:
    QTcpServer listener_;
    quint16 hostPort_;
    QList<std::pair<QTcpSocket *, std::shared_ptr<bool>>> clients_;
};

enum class Cut { Reset, Silence };

class WindowCutOff : public ::testing::TestWithParam<Cut> {};

// The window notices a reset at once, and a connection on which the host's
// keep-alives stop coming after its silence limit (20 s); either way it comes
// back through the proxy to its seat, with its rack and board, and no dialog.
TEST_P(WindowCutOff, ReconnectsByItselfToItsSeat) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;
    const QString program = dir.filePath("zorble");
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZORBLE_BIN), program));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 hostPort = probe.serverPort();
    probe.close();
    QProcess host;
    host.start(program, {"--serve", "--port", QString::number(hostPort)});
    ASSERT_TRUE(waitUntil([&] { return host.canReadLine(); }, 10000));
    Proxy proxy(kGamePort, hostPort);
    ASSERT_TRUE(proxy.listening());

    fullgame::Player ann;
    ASSERT_EQ(ann.join(hostPort, "Ann"), 1);
    const QString bobState = dir.filePath("bob.json");
    Game bob({"Bob", "127.0.0.1", "false"}, false, {}, bobState);
    ASSERT_TRUE(bob.waitForLine("0+You are Connected.")) << bob.out.toStdString();
    ann.link.send(proto::request::start("Ann", {300, 4, 0, 0, false, false}));
    ASSERT_TRUE(
        waitUntil([&] { return bob.out.contains("0+Game Started!") || ann.mirror.gameRunning(); }));
    spin(500); // the game's token has come
    const QJsonObject before = stateOf(bob, bobState);
    ASSERT_EQ(before["localseat"].toInt(), 2);

    if (GetParam() == Cut::Reset) {
        proxy.resetAll();
        EXPECT_TRUE(bob.waitForLine("0+Reconnecting…")) << bob.out.toStdString();
        EXPECT_TRUE(waitUntil([&] { return !ann.lines.filter("CMD_seatkept+2+").isEmpty(); }));
    } else {
        proxy.stopForwarding();
        EXPECT_TRUE(bob.waitForLine("0+Reconnecting…", 40000)) << bob.out.toStdString();
    }
    EXPECT_TRUE(bob.waitForLine("0+Reconnected.", 20000)) << bob.out.toStdString();
    EXPECT_GE(proxy.accepted, 2);
    const QJsonObject after = stateOf(bob, bobState);
    EXPECT_EQ(after["localseat"].toInt(), 2);
    EXPECT_EQ(after["rack"].toArray(), before["rack"].toArray())
        << rackOf(after) << " after, before " << rackOf(before);
    EXPECT_EQ(after["board"], before["board"]);
    EXPECT_EQ(bob.proc.state(), QProcess::Running);
    host.kill();
    host.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(EndToEndRejoin, WindowCutOff, ::testing::Values(Cut::Reset, Cut::Silence),
                         [](const ::testing::TestParamInfo<Cut> &cut) {
                             return std::string(cut.param == Cut::Reset ? "ByAReset"
                                                                        : "ByADeadRoute");
                         });

} // namespace
