// The looking back at games:
// - the analysis of a recorded game's first 40 turns (the best move for each
//   rack and the points given away), on one thread (the baseline) and on
//   two; the word graph is built before the timing;
// - the Game History window opening a games folder of 200 records: listing
//   them and showing the newest at its end, against reading the 200 files'
//   bytes (the baseline).
//   QT_QPA_PLATFORM=offscreen history_bench
#include "ai/analysis.h"
#include "client/pictures.h"
#include "client/recordview.h"
#include "record/reader.h"
#include "record/recorder.h"
#include "record/turnposition.h"
#include "tests/game/tableprobe.h"
#include "windows/gamehistory.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The record of a seeded game of four players who each lay the generator's
// move of the fewest tiles and then the most points (else exchange, else
// pass), so that the game lasts long enough, cut after `turns` turns (all when
// 0); the first seed whose game is long enough.
QByteArray recordedGame(int turns) {
    const auto engine = ai::Engine::shared();
    for (quint32 seed = 1; seed < 50; ++seed) {
        TableProbe probe([&](const QString &w) { return engine->dictionary().FindWord(w); });
        record::Recorder recorder;
        QStringList lines;
        int seen = 0;
        probe.observe = [&](const game::Events &events, const TableProbe::State &after) {
            for (const QString &line : recorder.feed(events, after)) {
                if (turns > 0 && seen == turns)
                    return;
                for (const char *turn : {"move ", "exchange ", "pass ", "timeout "})
                    seen += line.startsWith(QLatin1String(turn));
                lines << line;
            }
        };
        probe.st.rng.seed(seed);
        for (int slot = 1; slot <= 4; ++slot) {
            probe.connect(slot);
            probe.seat(slot).name = QStringLiteral("Bot %1").arg(slot);
        }
        probe.run([](auto &t) { return t.start(QStringLiteral("Bot 1"), game::kDefaultOptions); });
        for (int turn = 0; turn < 400 && probe.gamerunning(); ++turn) {
            const int seat = probe.currentplayer();
            const std::vector<ai::Move> moves =
                engine->generator().generate(probe.table.positionOf(seat));
            const auto best = std::min_element(moves.begin(), moves.end(),
                                               [](const ai::Move &a, const ai::Move &b) {
                                                   return std::pair(a.tiles.size(), -a.score) <
                                                          std::pair(b.tiles.size(), -b.score);
                                               });
            if (best != moves.end())
                probe.run([&](auto &t) { return t.move(seat, best->tiles); });
            else if (!probe.seat(seat).boughttiles &&
                     probe.tilesdrawn() <= game::Bag::kExchangeLimit)
                probe.run([&](auto &t) { return t.exchange(seat, QString::number(seat)); });
            else
                probe.run([&](auto &t) { return t.pass(seat, QString::number(seat)); });
        }
        if (seen >= turns)
            return (lines.join(u'\n') + u'\n').toUtf8();
    }
    return {};
}

void analyseOn(benchmark::State &state) {
    const int threads = int(state.range(0));
    const auto engine = ai::Engine::shared();
    const record::ReadResult r = record::read(recordedGame(40));
    if (!r.game || r.game->turns() != 40) {
        state.SkipWithError("no 40-turn record");
        return;
    }
    std::vector<ai::TurnQuestion> questions;
    for (const record::RecordedTurn &t : record::recordedTurns(*r.game))
        questions.push_back({t.position, t.played});
    for (auto _ : state)
        benchmark::DoNotOptimize(ai::analyse(*engine, questions, threads));
    state.counters["turns"] = double(questions.size());
}

struct Folder {
    QTemporaryDir dir;
    Folder() {
        const QByteArray game = recordedGame(0);
        for (int i = 0; i < 200; ++i) {
            QFile f(dir.filePath(QStringLiteral("2026-12-%1_1200%2_Bot_1_Bot_2.zrec")
                                     .arg(i / 60 + 1, 2, 10, QLatin1Char('0'))
                                     .arg(i % 60, 2, 10, QLatin1Char('0'))));
            f.open(QIODevice::WriteOnly);
            f.write(game);
        }
    }
};

Folder &folder() {
    static Folder f;
    return f;
}

void BM_ReadTheFilesBaseline(benchmark::State &state) {
    const QString path = folder().dir.path();
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const QString &name : QDir(path).entryList(QDir::Files)) {
            QFile f(QDir(path).filePath(name));
            f.open(QIODevice::ReadOnly);
            bytes += f.readAll().size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_OpenHistoryFolder(benchmark::State &state) {
    const QString path = folder().dir.path();
    // The window looks for the best move of the turn shown on a worker; the
    // word graph it needs is built before the timing.
    const auto engine = ai::Engine::shared();
    const ClassicPictures pictures;
    for (auto _ : state) {
        GameHistory history;
        auto *view = new RecordView(&pictures);
        history.setBoardView(view, [view](const game::Grid &board, const game::Grid &squares,
                                          const QList<QPoint> &framed, const QString &rack) {
            view->showTurn(board, squares, framed, rack);
        });
        history.setFolder(path);
        history.list()->setCurrentRow(0);
        history.show();
        QCoreApplication::processEvents();
        if (!history.hasGame() || history.list()->count() != 200)
            state.SkipWithError("the folder did not open");
    }
}

} // namespace

BENCHMARK(analyseOn)
    ->Name("BM_Analyse40Turns/threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ReadTheFilesBaseline)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenHistoryFolder)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
