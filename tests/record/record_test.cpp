// Game records: whole games recorded from the table's events, read back and
// replayed to the table's own board and totals; damaged records refused with
// the number of the line at fault; a record on disk readable while its game
// goes on.
#include "ai/analysis.h"
#include "ai/engine.h"
#include "dict/tdictn.h"
#include "record/reader.h"
#include "record/recorder.h"
#include "record/recordfile.h"
#include "record/turnposition.h"
#include "tests/game/tableprobe.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <numeric>

#include <gtest/gtest.h>

namespace {

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a recorder makes of every command a probe runs.
struct Recording {
    record::Recorder recorder;
    QStringList lines;
    void attach(TableProbe &p) {
        p.observe = [this](const game::Events &events, const TableProbe::State &after) {
            lines += recorder.feed(events, after);
        };
    }
    QByteArray text() const { return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(); }
};

// Reads the record and checks that its end is the table's end.
void expectSameEnd(const QByteArray &text, const TableProbe::State &st) {
    const record::ReadResult r = record::read(text);
    ASSERT_TRUE(r.game) << r.error.line << ": " << r.error.message.toStdString();
    const record::Snapshot s = record::replay(*r.game);
    EXPECT_EQ(s.board, st.position.board);
    for (int seat = 1; seat <= game::kSeats; ++seat)
        EXPECT_EQ(s.totals[size_t(seat)], st.seats[size_t(seat)].score) << "seat " << seat;
    EXPECT_GT(r.game->turns(), 5);
}

struct WireGame {
    const char *name;
    quint32 seed;
};

class WireGames : public ::testing::TestWithParam<WireGame> {};

// The requests four computer players sent to a seeded host, played again.
TEST_P(WireGames, RecordReplaysToTheTablesEnd) {
    const auto list = TDictn::shared();
    TableProbe p{[&list](const QString &w) { return list->FindWord(w); }};
    Recording rec;
    rec.attach(p);
    p.st.rng.seed(GetParam().seed);
    for (int slot = 1; slot <= 4; ++slot)
        p.connect(slot);
    const QByteArray requests = fileBytes(
        QStringLiteral(ZORBLE_WIRE_DIR "/%1-requests.txt").arg(QLatin1String(GetParam().name)));
    ASSERT_FALSE(requests.isEmpty());
    for (const QByteArray &line : requests.split('\n')) {
        const int slot = feedRecorded(p, line);
        if (slot == 0)
            continue;
    }
    ASSERT_FALSE(p.gamerunning());
    expectSameEnd(rec.text(), p.st);
}

INSTANTIATE_TEST_SUITE_P(Recorded, WireGames,
                         ::testing::Values(WireGame{"plain", 5}, WireGame{"partners", 8},
                                           WireGame{"playto", 13}),
                         [](const auto &param) { return std::string(param.param.name); });

// Games the move generator plays on a seeded table with other options: its
// best move, else an exchange, else a pass.
// A seeded table on which every seat plays the generator's best move, else
// an exchange, else a pass.
void playBestMoves(ai::Engine &engine, TableProbe &p, const game::GameOptions &o) {
    for (int slot = 1; slot <= 4; ++slot) {
        p.connect(slot);
        p.seat(slot).name = QStringLiteral("Bot %1").arg(slot);
    }
    p.run([&o](auto &t) { return t.start(QStringLiteral("request"), o); });
    for (int turn = 0; turn < 400 && p.gamerunning(); ++turn) {
        const int seat = p.currentplayer();
        const std::vector<ai::Move> moves = engine.generator().generate(p.table.positionOf(seat));
        const auto best =
            std::max_element(moves.begin(), moves.end(), [](const ai::Move &a, const ai::Move &b) {
                return a.score < b.score;
            });
        if (best != moves.end())
            p.run([&](auto &t) { return t.move(seat, best->tiles); });
        else if (!p.seat(seat).boughttiles && p.tilesdrawn() <= game::Bag::kExchangeLimit)
            p.run([&](auto &t) { return t.exchange(seat, QString::number(seat)); });
        else
            p.run([&](auto &t) { return t.pass(seat, QString::number(seat)); });
    }
}

TEST(EngineGames, DoubleSidedAndPartnerGamesReplayToTheTablesEnd) {
    const std::shared_ptr<ai::Engine> shared = ai::Engine::shared();
    ai::Engine &engine = *shared;
    struct Case {
        bool doubletiles, partners;
        quint32 seed;
    };
    for (const Case c : {Case{true, false, 3}, Case{true, true, 11}}) {
        TableProbe p{[&engine](const QString &w) { return engine.dictionary().FindWord(w); }};
        Recording rec;
        rec.attach(p);
        p.st.rng.seed(c.seed);
        game::GameOptions o = game::kDefaultOptions;
        o.doubletiles = c.doubletiles;
        o.partners = c.partners;
        playBestMoves(engine, p, o);
        ASSERT_FALSE(p.gamerunning());
        SCOPED_TRACE(c.partners ? "partners" : "double-sided");
        expectSameEnd(rec.text(), p.st);
        EXPECT_TRUE(rec.text().contains("double=1"));
        EXPECT_TRUE(rec.text().contains("\nmove "));
    }
}

// A game in which every seat played its best move gave nothing away: the
// analysis of its record (Zorble outcomes taken off the points) finds for
// each move a best move of the same points, and none where the seat
// exchanged or passed; two threads answer as one does.
TEST(Analysis, BestMovesPlayedGiveNothingAway) {
    const std::shared_ptr<ai::Engine> shared = ai::Engine::shared();
    TableProbe p{[&](const QString &w) { return shared->dictionary().FindWord(w); }};
    Recording rec;
    rec.attach(p);
    p.st.rng.seed(4);
    playBestMoves(*shared, p, game::kDefaultOptions);
    const record::ReadResult r = record::read(rec.text());
    ASSERT_TRUE(r.game);
    const QList<record::RecordedTurn> turns = record::recordedTurns(*r.game);
    ASSERT_EQ(turns.size(), r.game->turns());
    std::vector<ai::TurnQuestion> questions;
    for (const record::RecordedTurn &t : turns) {
        ASSERT_TRUE(t.rackKnown);
        questions.push_back({t.position, t.played});
    }
    const std::vector<ai::TurnAnswer> two = ai::analyse(*shared, questions, 2);
    const std::vector<ai::TurnAnswer> one = ai::analyse(*shared, questions, 1);
    ASSERT_EQ(two.size(), questions.size());
    int zorbles = 0;
    for (std::size_t i = 0; i < two.size(); ++i) {
        const record::Entry &e = r.game->entries[turns[qsizetype(i)].entry];
        SCOPED_TRACE(e.line);
        EXPECT_EQ(two[i].best.has_value(), e.kind == record::Kind::Move);
        EXPECT_EQ(two[i].best.has_value(), one[i].best.has_value());
        if (!two[i].best)
            continue;
        zorbles += e.bonus != 0;
        EXPECT_EQ(two[i].best->score, turns[qsizetype(i)].played);
        EXPECT_EQ(two[i].givenAway, 0);
        EXPECT_EQ(one[i].best->score, two[i].best->score);
    }
    EXPECT_GT(zorbles, 0) << "no Zorble outcome was taken off";
}

TEST(Reader, ReadsEveryKindOfLineAndReplaysToAnyTurn) {
    const record::ReadResult r = record::read(fileBytes(QStringLiteral(ZORBLE_RECORD_SAMPLE)));
    ASSERT_TRUE(r.game) << r.error.line << ": " << r.error.message.toStdString();
    const record::Game &g = *r.game;
    EXPECT_EQ(g.header.seed, 7u);
    EXPECT_EQ(g.header.names[2], "Bob Smith");
    EXPECT_EQ(g.turns(), 5);
    struct Step {
        int to, total1, total2, letters;
    };
    for (const Step st : {Step{0, 0, 0, 0}, Step{1, 10, 0, 3}, Step{2, 10, 12, 5},
                          Step{3, 0, 12, 5}, Step{-1, 0, 12, 5}}) {
        const record::Snapshot s = record::replay(g, st.to);
        int letters = 0;
        for (const auto &column : s.board)
            for (int v : column)
                letters += v != game::kEmpty;
        EXPECT_EQ(letters, st.letters) << "to " << st.to;
        EXPECT_EQ(s.totals[1], st.total1) << "to " << st.to;
        EXPECT_EQ(s.totals[2], st.total2) << "to " << st.to;
    }
    const record::Snapshot end = record::replay(g);
    EXPECT_EQ(end.board[size_t(8)][size_t(10)], 'x' - 'a'); // I11
    EXPECT_EQ(end.names[2], "Carl");
    // Seat 1's unseen tiles: 99 less the five on the board less its ten.
    const auto unseen = record::unseenBy(g, end, 1);
    EXPECT_EQ(std::accumulate(unseen.begin(), unseen.end(), 0), 99 - 5 - 10);
}

TEST(Reader, RefusesDamageWithTheLineNumber) {
    const QByteArray good = fileBytes(QStringLiteral(ZORBLE_RECORD_SAMPLE));
    ASSERT_TRUE(record::read(good).game);
    struct Case {
        const char *what;
        QByteArray from, to;
        int line;
    };
    const Case cases[] = {
        {"unknown version", "record 1", "record 2", 1},
        {"not a record", "#zorble-record", "#scrabble-record", 1},
        {"bad option", "squares=12", "squares=x", 4},
        {"seat out of range", "player 2", "player 5", 7},
        {"square off the board", "H10 across CAT", "T10 across CAT", 8},
        {"tiles run off the board", "H10 across CAT", "R10 across CAT", 8},
        {"total that does not add up", "+12 12 plus", "+12 13 plus", 9},
        {"letter laid on a letter", "I9 down S.X", "I9 down SAX", 9},
        {"gap on an empty square", "I9 down S.X", "I8 down S.X", 9},
        {"unknown outcome", "+12 12 plus", "+12 12 maybe", 9},
        {"missing field", "pass 2 EEEEEEEEAB", "pass 2", 11},
        {"header after the turns", "sitout 2", "player 3 Dan", 13},
        {"unknown line", "back 2", "jump 2", 14},
        {"lower-case rack", "timeout 1 ABC", "timeout 1 abc", 12},
    };
    for (const Case &c : cases) {
        QByteArray bad = good;
        bad.replace(c.from, c.to);
        ASSERT_NE(bad, good) << c.what;
        const record::ReadResult r = record::read(bad);
        EXPECT_FALSE(r.game) << c.what;
        EXPECT_EQ(r.error.line, c.line) << c.what << ": " << r.error.message.toStdString();
    }
    // A record cut anywhere is read up to a line's end, and refused with the
    // cut line's number anywhere else.
    for (qsizetype n = 1; n < good.size(); ++n) {
        const QByteArray cut = good.left(n);
        const record::ReadResult r = record::read(cut);
        if (cut.endsWith('\n'))
            EXPECT_TRUE(r.game) << "cut at " << n;
        else
            EXPECT_EQ(r.error.line, cut.count('\n') + 1) << "cut at " << n;
    }
}

// The file is written as the game goes: read while the game is on, it holds
// every turn played so far.
TEST(RecordFile, HoldsEveryTurnWhileTheGameGoesOn) {
    QTemporaryDir dir;
    const auto list = TDictn::shared();
    TableProbe p{[&list](const QString &w) { return list->FindWord(w); }};
    record::RecordFile file;
    file.setFolder(dir.filePath(QStringLiteral("games")));
    file.setSeed(5);
    p.observe = [&file](const game::Events &e, const TableProbe::State &s) { file.feed(e, s); };
    p.st.rng.seed(5);
    for (int slot = 1; slot <= 2; ++slot) {
        p.connect(slot);
        p.seat(slot).name = slot == 1 ? QStringLiteral("Ann/..") : QStringLiteral("Bob");
    }
    p.run([](auto &t) { return t.start(QStringLiteral("request"), game::kDefaultOptions); });
    EXPECT_TRUE(file.path().endsWith(QStringLiteral("_Ann____Bob.zrec")))
        << file.path().toStdString();
    // Two passes end a game of two.
    for (int turn = 1; turn <= 2; ++turn) {
        const int seat = p.currentplayer();
        p.run([&](auto &t) { return t.pass(seat, QString::number(seat)); });
        const record::ReadResult r = record::read(fileBytes(file.path()));
        ASSERT_TRUE(r.game) << r.error.message.toStdString();
        EXPECT_EQ(r.game->turns(), turn);
        EXPECT_EQ(r.game->header.seed, 5u);
    }
    EXPECT_FALSE(p.gamerunning());
    EXPECT_TRUE(fileBytes(file.path()).contains("\nwinners 1 2\n"));
}

} // namespace
