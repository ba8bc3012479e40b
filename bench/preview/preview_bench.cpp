// How long the game window takes to bring its move preview up to date after
// a tile is laid on a mid-game board: the mirror lays the tile and signals,
// the window reads and judges the move and sets the preview's text. Two
// baselines measured in the same run: laying the same tile on a mirror
// without a window, and the host reading and judging the same move.
//   QT_QPA_PLATFORM=offscreen bench_preview

#include "client/tchat.h"
#include "dict/tdictn.h"
#include "tests/engine/selfplay.h"

#include <QApplication>
#include <QLabel>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

// A game played until at least 30 letters lie on the board and the seat to
// move has a move of two tiles or more.
struct MidGame {
    TDictn dict;
    fullgame::WordList words{dict, 7};
    SelfPlay game{[this](const QString &w) { return dict.FindWord(w); }, words};
    int seat = 0;
    QList<game::LaidTile> move;

    MidGame() {
        game.start(5, QStringLiteral("Ann+90+12+0+0+n+n+"));
        while (game.running()) {
            seat = game.mover();
            int letters = 0;
            for (int x = 0; x < 19; ++x)
                for (int y = 0; y < 19; ++y)
                    letters += game.mirror(seat).composer().shownLetter(x, y) != game::kEmpty;
            const auto found = fullgame::findMove(game.mirror(seat), words);
            if (letters >= 30 && found && found->size() >= 2) {
                move = *found;
                std::fprintf(stderr, "board of %d letters, a move of %d tiles\n", letters,
                             int(move.size()));
                return;
            }
            game.playTurn();
        }
    }
    // Lays every tile of the move but the last.
    void layAllButLast(GameMirror &m) const {
        for (qsizetype i = 0; i + 1 < move.size(); ++i)
            m.composer().layTile(move[i].rackslot, move[i].x, move[i].y);
    }
};

MidGame &midGame() {
    static MidGame g;
    return g;
}

// Times laying the move's last tile; taking it back again is not timed.
template <class After> void timeLastTile(benchmark::State &state, GameMirror &m, After after) {
    const MidGame &g = midGame();
    g.layAllButLast(m);
    const game::LaidTile last = g.move.last();
    for (auto _ : state) {
        const auto start = Clock::now();
        m.composer().layTile(last.rackslot, last.x, last.y);
        after();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        m.composer().takeBack(last.x, last.y);
    }
}

// Baseline: the mirror alone lays the tile.
void BM_LayTileWithoutWindow(benchmark::State &state) {
    MidGame &g = midGame();
    GameMirror m;
    g.game.replay(g.seat, m);
    timeLastTile(state, m, [] {});
}

// Baseline: the host reads and judges the whole move.
void BM_HostJudgesTheMove(benchmark::State &state) {
    MidGame &g = midGame();
    const QList<game::LaidTile> &laid = g.move;
    TableProbe &p = g.game.probe();
    const rules::Rules &rules = g.game.rules();
    for (auto _ : state) {
        const auto tiles = rules::Rules::readMove(p.boardGrid(), p.seat(g.seat).rack, laid);
        rules::Verdict v = rules.judge(p.boardGrid(), p.squaresGrid(), g.seat, *tiles, false);
        benchmark::DoNotOptimize(v);
    }
}

// The window: the tile laid, the preview brought up to date.
void BM_LayTileWithPreview(benchmark::State &state) {
    MidGame &g = midGame();
    Tchat w;
    g.game.replay(g.seat, w.mirror());
    auto *label = w.findChild<QLabel *>(QStringLiteral("label_preview"));
    QString shown;
    timeLastTile(state, w.mirror(), [&] { shown = label->text(); });
    state.SetLabel(shown.toStdString());
    if (!shown.startsWith(QStringLiteral("preview: ")))
        state.SkipWithError("the preview shows no word");
}

} // namespace

BENCHMARK(BM_LayTileWithoutWindow)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HostJudgesTheMove)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayTileWithPreview)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    midGame();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
