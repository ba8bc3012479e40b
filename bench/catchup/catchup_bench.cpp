// A newcomer's catch-up on a full board: the host sends the board colours,
// 361 letters, ten rack tiles, the settings and the turn in one burst. Timed
// from the burst's write until the game window has handled the turn and
// painted its board. Baseline: the same bytes read off a bare socket until
// the last message end.
//   QT_QPA_PLATFORM=offscreen ZORBLE_NO_INSTANCE_GUARD=1 catchup_bench
#include "client/tchat.h"
#include "net/protocol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QByteArray catchUpBurst() {
    QByteArray bytes;
    auto add = [&](const QString &m) { bytes += proto::encode(m); };
    add(proto::host::arrangeboard({2, 3, 4, 1}));
    for (int x = 0; x < 19; ++x)
        for (int y = 0; y < 19; ++y)
            add(proto::host::showboard(x, y, (x * 19 + y) % 26));
    for (int k = 1; k <= 10; ++k)
        add(proto::host::atile(k, k));
    add(proto::host::gamesettings({{90, 20, 30, 0, false, false}, 600}));
    add(proto::host::nextplayer(1));
    return bytes;
}

bool waitUntil(const std::function<bool()> &cond) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// A window logged in to seat 4 of a host that is this program.
struct Newcomer {
    QTcpServer server;
    QTcpSocket *peer = nullptr;
    std::unique_ptr<Tchat> window = std::make_unique<Tchat>();
    QTcpServer lobby;

    Newcomer() {
        server.listen(QHostAddress::LocalHost, 0);
        lobby.listen(QHostAddress::LocalHost, 0);
        window->setPorts(server.serverPort(), lobby.serverPort());
        window->setArguments({"Dan", "127.0.0.1", "false"});
        window->show();
        waitUntil([&] { return server.hasPendingConnections(); });
        peer = server.nextPendingConnection();
        QByteArray login;
        for (const QString &m :
             {proto::host::sendlogininfo(4), proto::host::newplayerinfo(4, "Dan"),
              proto::host::existingplayers(1, "Ann"), proto::host::existingplayers(2, "Bob"),
              proto::host::existingplayers(3, "Cat")})
            login += proto::encode(m);
        peer->write(login);
        waitUntil([&] { return window->mirror().seats().name(3) == "Cat"; });
    }
};

void BM_CatchUpToPaintedBoard(benchmark::State &state) {
    const QByteArray burst = catchUpBurst();
    for (auto _ : state) {
        state.PauseTiming();
        Newcomer n;
        QWidget *board = n.window->findChild<QWidget *>(QStringLiteral("board"));
        state.ResumeTiming();
        n.peer->write(burst);
        n.peer->flush();
        if (!waitUntil([&] { return n.window->mirror().currentPlayer() == 1; }))
            state.SkipWithError("the turn never came");
        board->repaint();
    }
}

void BM_BareSocketBaseline(benchmark::State &state) {
    const QByteArray burst = catchUpBurst();
    for (auto _ : state) {
        state.PauseTiming();
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        waitUntil([&] { return server.hasPendingConnections(); });
        QTcpSocket *peer = server.nextPendingConnection();
        waitUntil([&] { return client.state() == QAbstractSocket::ConnectedState; });
        QByteArray got;
        state.ResumeTiming();
        peer->write(burst);
        peer->flush();
        waitUntil([&] {
            got += client.readAll();
            return got.size() == burst.size();
        });
    }
}

} // namespace

BENCHMARK(BM_BareSocketBaseline)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CatchUpToPaintedBoard)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
