// Cost of testing a move on a mid-game board (about 40 words laid), and the
// time from "CMD_done" to the last "CMD_newword" over loopback with four
// clients. Baselines measured in the same run: one word-list lookup, and a
// chat line relayed to the same four clients.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "tests/game/tableprobe.h"
#include "tests/support/testclient.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kEmpty = proto::kEmpty;

struct Tile {
    int x;
    int y;
    int letter;
};

// Words of 3 to 6 letters from the word list's working file.
QStringList loadWords(const TDictn &dict) {
    QStringList out;
    QFile f(dict.wordFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QByteArray all = f.readAll();
    for (qsizetype at = 0; at + TDictn::RecordSize <= all.size(); at += TDictn::RecordSize) {
        const QString w = QString::fromLatin1(all.mid(at + 1, 14)).trimmed().toLower();
        bool letters = w.size() >= 3 && w.size() <= 6;
        for (QChar c : w)
            letters = letters && c >= u'a' && c <= u'z';
        if (letters)
            out << w;
    }
    return out;
}

// A word through a random board letter, at right angles or along its line.
QList<Tile> propose(TableProbe &p, const QStringList &words, std::mt19937 &rng) {
    std::vector<std::pair<int, int>> letters;
    for (int x = 0; x < 19; ++x)
        for (int y = 0; y < 19; ++y)
            if (p.board(x, y) != kEmpty)
                letters.emplace_back(x, y);
    const auto [ax, ay] =
        letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(rng)];
    const int anchor = p.board(ax, ay);
    const bool across = rng() % 2;
    for (int tries = 0; tries < 400; ++tries) {
        const QString &w =
            words[std::uniform_int_distribution<qsizetype>(0, words.size() - 1)(rng)];
        const qsizetype i = w.indexOf(QChar(u'a' + anchor));
        if (i < 0)
            continue;
        const int start = (across ? ax : ay) - int(i);
        if (start < 0 || start + w.size() > 19)
            continue;
        QList<Tile> tiles;
        bool ok = true;
        for (int j = 0; j < w.size() && ok; ++j) {
            const int x = across ? start + j : ax;
            const int y = across ? ay : start + j;
            const int l = w[j].unicode() - u'a';
            if (p.board(x, y) == kEmpty)
                tiles.append({x, y, l});
            else
                ok = p.board(x, y) == l;
        }
        if (ok && !tiles.isEmpty())
            return tiles;
    }
    return {};
}

QString payloadFor(int seat, const QList<Tile> &tiles) {
    QString s = QString::number(seat);
    for (int k = 0; k < tiles.size(); ++k)
        s += QStringLiteral("+%1+n+%2+%3").arg(k + 1).arg(tiles[k].x).arg(tiles[k].y);
    return s;
}

void giveRack(TableProbe &p, int seat, const QList<Tile> &tiles) {
    QString letters;
    for (const Tile &t : tiles)
        letters += QChar(u'a' + t.letter);
    p.setRack(seat, letters);
}

// One host with four clients over loopback, a game under way and a board of
// about forty words, plus a move that stands on it.
struct Scene {
    TDictn dict;
    QStringList words = loadWords(dict);
    TServer host;
    // The board is built on a table of the scene's own and then handed to
    // the host.
    TableProbe p{[this](const QString &w) { return dict.FindWord(w); }};
    std::array<TestClient, 5> clients;
    std::array<std::array<int, 19>, 19> snapshot{};
    QList<Tile> move;
    int laid = 0;

    Scene() {
        host.listen(0);
        for (int i = 1; i <= 4; ++i)
            clients[i].join(host.port(), QStringLiteral("B%1").arg(i));
        clients[1].send(QStringLiteral("CMD_startgame+B1+1000+20+0+0+n+n+"));
        for (int i = 1; i <= 4; ++i)
            clients[i].waitFor(QStringLiteral("CMD_nextplayer+"));
        p.st = host.table().state();
        p.clearBoard();
        p.lay(7, 9, false, QStringLiteral("zorble"));
        p.firstword() = false;

        std::mt19937 rng(2026);
        for (int attempt = 0; attempt < 20000 && laid < 40; ++attempt) {
            const QList<Tile> tiles = propose(p, words, rng);
            if (tiles.isEmpty() || tiles.size() > 10)
                continue;
            p.currentplayer() = 1;
            giveRack(p, 1, tiles);
            p.clear();
            p.done(1, payloadFor(1, tiles));
            if (!p.startingWith(1, QStringLiteral("CMD_postscore+")).isEmpty())
                ++laid;
        }
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                snapshot[x][y] = p.board(x, y);
        // A move that stands on this board, tested but not laid.
        for (int attempt = 0; attempt < 20000 && move.isEmpty(); ++attempt) {
            const QList<Tile> tiles = propose(p, words, rng);
            if (tiles.isEmpty() || tiles.size() > 10)
                continue;
            p.currentplayer() = 1;
            if (validate(tiles))
                move = tiles;
        }
        p.clear();
        for (int i = 1; i <= 4; ++i)
            clients[i].drain();
    }

    // Judges the tiles as seat 1's move on the host's board, without laying them.
    static QList<rules::Placed> placed(const QList<Tile> &tiles) {
        QList<rules::Placed> out;
        for (int k = 0; k < tiles.size(); ++k)
            out.append({k + 1, tiles[k].x, tiles[k].y, tiles[k].letter});
        return out;
    }
    bool validate(const QList<Tile> &tiles) const {
        return judge.judge(p.boardGrid(), p.squaresGrid(), 1, placed(tiles), false).valid;
    }
    rules::Rules judge{[this](const QString &w) { return dict.FindWord(w); }};
    void restore() {
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                p.board(x, y) = snapshot[x][y];
        p.currentplayer() = 1;
        p.firstword() = false;
        p.st.running = true;
        giveRack(p, 1, move);
        p.clear();
        host.restore(p.st);
    }
    std::array<qsizetype, 5> marks() const {
        std::array<qsizetype, 5> m{};
        for (int i = 1; i <= 4; ++i)
            m[i] = clients[i].lines().size();
        return m;
    }
    // Runs the event loop until every client has received, after its mark, a
    // line starting with the prefix.
    void waitAll(const QString &prefix, std::array<qsizetype, 5> from) {
        for (;;) {
            bool all = true;
            for (int i = 1; i <= 4; ++i) {
                const QStringList &l = clients[i].lines();
                bool seen = false;
                for (qsizetype j = from[i]; j < l.size() && !seen; ++j)
                    seen = l[j].startsWith(prefix);
                all = all && seen;
            }
            if (all)
                return;
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents,
                                            50);
        }
    }
};

Scene &scene() {
    static Scene *s = new Scene;
    return *s;
}

void BM_FindWord(benchmark::State &state) {
    Scene &s = scene();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.dict.FindWord(s.words[qsizetype(i++ % s.words.size())]));
    }
}
BENCHMARK(BM_FindWord)->Repetitions(5);

void BM_CheckwordAccepted(benchmark::State &state) {
    Scene &s = scene();
    if (s.move.isEmpty()) {
        state.SkipWithError("no move found");
        return;
    }
    const QList<rules::Placed> move = Scene::placed(s.move);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            s.judge.judge(s.p.boardGrid(), s.p.squaresGrid(), 1, move, false).valid);
    state.counters["words_on_board"] = s.laid + 1;
    state.counters["tiles"] = double(s.move.size());
}
BENCHMARK(BM_CheckwordAccepted)->Repetitions(5);

void BM_CheckwordRejected(benchmark::State &state) {
    Scene &s = scene();
    // The same tiles one row further down: a word apart from the board, or
    // one whose cross words fail.
    QList<Tile> moved = s.move;
    for (Tile &t : moved)
        t.y = (t.y + 7) % 19;
    const QList<rules::Placed> move = Scene::placed(moved);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            s.judge.judge(s.p.boardGrid(), s.p.squaresGrid(), 1, move, false).valid);
}
BENCHMARK(BM_CheckwordRejected)->Repetitions(5);

// Times each iteration on its own, so the median can be reported.
class Laps {
public:
    void start() { t0 = std::chrono::steady_clock::now(); }
    void stop(benchmark::State &state) {
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(s);
        laps.push_back(s);
    }
    void report(benchmark::State &state) {
        if (laps.empty())
            return;
        std::sort(laps.begin(), laps.end());
        state.counters["median_us"] = laps[laps.size() / 2] * 1e6;
        state.counters["p90_us"] = laps[laps.size() * 9 / 10] * 1e6;
    }

private:
    std::chrono::steady_clock::time_point t0;
    std::vector<double> laps;
};

void BM_ChatRelayLoopback(benchmark::State &state) {
    Scene &s = scene();
    Laps laps;
    for (auto _ : state) {
        const auto from = s.marks();
        laps.start();
        s.clients[1].send(QStringLiteral("CMD_chat+1+hello|clBlack"));
        s.waitAll(QStringLiteral("CMD_chat+"), from);
        laps.stop(state);
    }
    laps.report(state);
}
BENCHMARK(BM_ChatRelayLoopback)->UseManualTime();

void BM_DoneToLastNewwordLoopback(benchmark::State &state) {
    Scene &s = scene();
    if (s.move.isEmpty()) {
        state.SkipWithError("no move found");
        return;
    }
    const QString done = QStringLiteral("CMD_done+") + payloadFor(1, s.move);
    Laps laps;
    for (auto _ : state) {
        s.restore();
        // Whatever the last round sent has arrived before the clock starts.
        QCoreApplication::processEvents();
        const auto from = s.marks();
        laps.start();
        s.clients[1].send(done);
        s.waitAll(QStringLiteral("CMD_newword+"), from);
        laps.stop(state);
    }
    laps.report(state);
}
BENCHMARK(BM_DoneToLastNewwordLoopback)->UseManualTime();

} // namespace

int main(int argc, char **argv) {
    ensureCoreApp();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::fprintf(stderr, "board of %d words laid\n", scene().laid + 1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
