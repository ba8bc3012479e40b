// A window comes back to the seat its host kept for it, on a full board: it
// presents its token, is moved to the seat and caught up (board, rack, options,
// turn). Timed from the window's connection to its painted board, against a
// newcomer without a token that watches the same game. The host's save of a
// turn is timed against a plain write of the same bytes.
//   QT_QPA_PLATFORM=offscreen ZORBLE_NO_INSTANCE_GUARD=1 rejoin_bench
#include "client/tchat.h"
#include "clientcore/rejointokens.h"
#include "game/savedgame.h"
#include "host/tserver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QString kToken(32, QLatin1Char('b'));

game::GameTable::State fullBoard() {
    game::GameTable::State s;
    s.running = true;
    s.opened = 4;
    s.current = 1;
    s.options = {90, 12, 0, 0, false, false};
    s.gameId = QString(32, QLatin1Char('d'));
    for (int i = 1; i <= 4; ++i) {
        game::GameTable::Seat &seat = s.seats[size_t(i)];
        seat.present = true;
        seat.name = QStringLiteral("Player %1").arg(i);
        seat.score = 100 * i;
        for (int k = 1; k <= game::kRackSlots; ++k)
            seat.rack[size_t(k)] = (i + k) % 26;
    }
    s.seats[2].away = true;
    s.seats[2].grace = 180;
    s.seats[2].token = kToken;
    for (int x = 0; x < game::kBoard; ++x)
        for (int y = 0; y < game::kBoard; ++y)
            s.position.board[size_t(x)][size_t(y)] = (x * game::kBoard + y) % 26;
    s.position.squares = game::quarterKinds({1, 2, 3, 4});
    s.position.firstword = false;
    s.bag.drawn = 60;
    return s;
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

// Times one window joining a host with the kept seat: with the seat's token
// it comes back to seat 2, without it watches from slot 5.
void joinFullBoard(benchmark::State &state, bool withToken) {
    QTemporaryDir dir;
    for (auto _ : state) {
        state.PauseTiming();
        TServer host([](const QString &) { return true; });
        host.listen(0);
        host.restore(fullBoard());
        QTcpServer lobby;
        lobby.listen(QHostAddress::LocalHost, 0);
        AppPaths paths;
        paths.settingsFile = dir.filePath("vornlobby.ini");
        paths.rejoinFile = dir.filePath(withToken ? "tokens.txt" : "none.txt");
        if (withToken)
            RejoinTokens(paths.rejoinFile)
                .store("127.0.0.1", host.port(), {QString(32, QLatin1Char('d')), kToken});
        auto window = std::make_unique<Tchat>();
        window->setPaths(paths);
        window->setPorts(host.port(), lobby.serverPort());
        window->setArguments({"Bob", "127.0.0.1", "false"});
        QWidget *board = window->findChild<QWidget *>(QStringLiteral("board"));
        const int seat = withToken ? 2 : 5;
        state.ResumeTiming();
        window->show();
        if (!waitUntil([&] {
                return window->mirror().localSeat() == seat &&
                       window->mirror().currentPlayer() == 1 &&
                       window->mirror().letterAt(game::kBoard - 1, game::kBoard - 1) !=
                           game::kEmpty;
            })) {
            state.SkipWithError("the catch-up never came");
            break;
        }
        board->repaint();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_NewcomerCatchUpBaseline(benchmark::State &state) {
    joinFullBoard(state, false);
}

void BM_RejoinCatchUpToPaintedBoard(benchmark::State &state) {
    joinFullBoard(state, true);
}

void BM_PlainWriteBaseline(benchmark::State &state) {
    QTemporaryDir dir;
    const QByteArray bytes = game::encodeSave(fullBoard(), QDateTime::currentDateTimeUtc());
    for (auto _ : state) {
        QFile file(dir.filePath("plain"));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
}

void BM_SaveATurn(benchmark::State &state) {
    QTemporaryDir dir;
    const game::SaveFile save(dir.filePath("game.sav"));
    const game::GameTable::State s = fullBoard();
    for (auto _ : state)
        if (!save.write(s))
            state.SkipWithError("the save could not be written");
}

} // namespace

// Medians of repeated runs: bench/rejoin/ratios.sh divides each by its baseline.
BENCHMARK(BM_NewcomerCatchUpBaseline)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RejoinCatchUpToPaintedBoard)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PlainWriteBaseline)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveATurn)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
