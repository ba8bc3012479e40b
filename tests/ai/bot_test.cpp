// Computer players in whole games: a host, bots and a protocol player that
// follows the game through the client core and checks every message it gets.
#include "ai/thinker.h"
#include "ai/zorblebot.h"
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "tests/ai/positions.h"
#include "tests/engine/gameclient.h"
#include "tests/support/testclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using ai::Level;
using ai::ZorbleBot;

// What one bot did, turn by turn, and how often the host refused it.
struct Record {
    std::map<int, QStringList> turns; // own turn number -> what was sent
    int ownTurns = 0;
    int refused = 0;
    bool flipped = false; // laid a tile on its second side

    void follow(ZorbleBot &bot) {
        const GameMirror &m = bot.mirror();
        QObject::connect(&m, &GameMirror::turnChanged, [this](int, bool own) { ownTurns += own; });
        QObject::connect(&bot, &ZorbleBot::played,
                         [this](const QString &what) { turns[ownTurns] << what; });
        QObject::connect(&m, &GameMirror::moveRefused, [this] { ++refused; });
        QObject::connect(&m, &GameMirror::rackChanged, [this, &m] {
            for (int k = 1; k <= 10; ++k)
                flipped = flipped || m.composer().tileFlipped(k);
        });
    }
    int words() const {
        int n = 0;
        for (const auto &[turn, sent] : turns)
            for (const QString &s : sent)
                n += s != QStringLiteral("pass") && s != QStringLiteral("new tiles");
        return n;
    }
};

bool over(const GameMirror &m) {
    return !m.winners().isEmpty();
}

class BotGame : public ::testing::Test {
protected:
    struct AppFirst {
        AppFirst() { ensureCoreApp(); }
    } app;
    TServer host; // the built-in word list
    TDictn dict;
    fullgame::WordList words{dict, 7};
    fullgame::Player player; // slot 1: starts the game

    void SetUp() override {
        host.seed(2024);
        host.listen(0);
        ASSERT_EQ(player.join(host.port(), QStringLiteral("Ann")), 1);
    }

    std::unique_ptr<ZorbleBot> bot(const QString &name, Level level,
                                   std::shared_ptr<ai::Engine> engine = ai::Engine::shared()) {
        auto b = std::make_unique<ZorbleBot>(QStringLiteral("127.0.0.1"), host.port(), name, level,
                                             0, std::move(engine));
        b->setThinkingTime(100); // hard thinks for all of it
        const int slot = player.mirror.seats().name(2) == SeatList::kWaiting ? 2 : 3;
        EXPECT_TRUE(waitUntil([&] { return player.mirror.seats().name(slot) == name; }));
        return b;
    }

    // Plays until everybody has seen the end; the player moves when it finds
    // a move and passes otherwise, or always passes.
    void play(const game::GameOptions &options, bool playerPasses,
              const std::vector<ZorbleBot *> &bots) {
        player.send(proto::client::startgame(QStringLiteral("Ann"), options));
        QElapsedTimer clock;
        clock.start();
        auto allOver = [&] {
            bool done = player.over;
            for (ZorbleBot *b : bots)
                done = done && over(b->mirror());
            return done;
        };
        while (!allOver()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            ASSERT_LT(clock.elapsed(), 120000) << "the game did not end";
            if (!player.due())
                continue;
            ++player.acted;
            const auto move =
                playerPasses ? std::nullopt : fullgame::findMove(player.mirror, words);
            if (move)
                player.sendMove(*move);
            else
                player.send(proto::client::pass(player.seat));
        }
        spin(50);
    }

    void expectProperGame() {
        player.verifyMirror();
        EXPECT_TRUE(player.problems.isEmpty()) << player.problems.join('\n').toStdString();
        EXPECT_TRUE(fullgame::gameGrammar().match(player.tokens).hasMatch())
            << player.tokens.toStdString();
        EXPECT_FALSE(host.gameRunning());
    }
};

class BotsPlay : public BotGame, public ::testing::WithParamInterface<bool> {};

TEST_P(BotsPlay, AWholeGameWithoutARefusedMove) {
    const bool doubleTiles = GetParam();
    auto hard = bot(QStringLiteral("Hal"), Level::Hard);
    auto easy = bot(QStringLiteral("Eve"), Level::Easy);
    Record h;
    Record e;
    h.follow(*hard);
    e.follow(*easy);
    game::GameOptions o;
    o.turntime = 90;
    o.squarecount = 12;
    o.doubletiles = doubleTiles;
    play(o, false, {hard.get(), easy.get()});
    expectProperGame();
    for (const Record *r : {&h, &e}) {
        EXPECT_EQ(r->refused, 0);
        EXPECT_GE(r->words(), 5);
        for (const auto &[turn, sent] : r->turns)
            EXPECT_EQ(sent.size(), sent.contains(QStringLiteral("new tiles")) ? 2 : 1)
                << "turn " << turn << ": " << sent.join(", ").toStdString();
    }
    EXPECT_EQ(h.flipped || e.flipped, doubleTiles);
    // Everybody saw the same game.
    for (ZorbleBot *b : {hard.get(), easy.get()}) {
        EXPECT_EQ(b->mirror().board(), player.mirror.board());
        for (int s = 1; s <= 3; ++s)
            EXPECT_EQ(b->mirror().seats().score(s), host.table().seat(s).score);
    }
}

INSTANTIATE_TEST_SUITE_P(Tiles, BotsPlay, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &param) {
                             return std::string(param.param ? "DoubleSided" : "SingleSided");
                         });

// A list of records of its own for a bot's engine.
std::shared_ptr<ai::Engine> engineOf(const QTemporaryDir &dir, const QString &name,
                                     const QStringList &listed) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return nullptr;
    for (const QString &w : listed)
        f.write(char(0x1E) + w.toUpper().toLatin1().leftJustified(14, ' '));
    f.close();
    return std::make_shared<ai::Engine>(f.fileName());
}

// A bot that believes in words the host does not know is refused and
// passes; a bot that finds no move at all buys new tiles once, then passes.
TEST_F(BotGame, ARefusedMoveIsFollowedByAPassAndNewTilesAreBoughtOnce) {
    QTemporaryDir dir;
    QStringList invented; // two letters, none of them a word of the host's list
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b)
            if (const QString w = QString(QChar(a)) + QChar(b); !dict.FindWord(w))
                invented << w;
    auto dreamer = bot(QStringLiteral("Dreamer"), Level::Normal,
                       engineOf(dir, QStringLiteral("invented"), invented));
    auto stuck = bot(QStringLiteral("Stuck"), Level::Hard,
                     engineOf(dir, QStringLiteral("nothing"), {QStringLiteral("qqqqqqqqqqqqqq")}));
    Record d;
    Record s;
    d.follow(*dreamer);
    s.follow(*stuck);
    game::GameOptions o;
    o.turntime = 90;
    play(o, true, {dreamer.get(), stuck.get()});
    expectProperGame();
    EXPECT_TRUE(player.tokens.endsWith(QStringLiteral("WE")) ||
                player.tokens.endsWith(QStringLiteral("WO")));
    ASSERT_EQ(d.turns.size(), 1u);
    EXPECT_EQ(d.refused, 1);
    ASSERT_EQ(d.turns.begin()->second.size(), 2);
    EXPECT_EQ(d.turns.begin()->second.last(), QStringLiteral("pass"));
    ASSERT_EQ(s.turns.size(), 1u);
    EXPECT_EQ(s.turns.begin()->second, (QStringList{"new tiles", "pass"}));
}

// The bot's view of the game: the letters on the board without the tiles
// laid this turn, which count as on the rack.
TEST(MirrorPosition, TilesLaidThisTurnAreStillOnTheRack) {
    GameMirror m;
    m.setPlayerName(QStringLiteral("Ann"));
    m.handle(proto::toclient::SendLoginInfo{2});
    m.handle(proto::toclient::Atile{{3, 7}});
    m.handle(proto::toclient::ShowBoard{{4, 5, 11}});
    m.handle(proto::toclient::NextPlayer{2});
    ASSERT_TRUE(m.composer().layTile(3, 5, 5));
    const ai::Position &p = m.position();
    EXPECT_EQ(p.board[4][5], 11);
    EXPECT_EQ(p.board[5][5], rules::kEmpty);
    EXPECT_EQ(p.rack[3], 7);
    EXPECT_EQ(p.mover, 2);
}

// A thinker answers on the thread it lives on while that thread's event loop
// goes on; it answers only the last question asked, none once cancelled, and
// a thinker deleted in the middle of a long thought leaves the workers free
// for the next questions at once.
TEST(Thinker, AnswersTheLastQuestionOffTheEventLoopAndStopsWhenCancelledOrGone) {
    ensureCoreApp();
    const std::shared_ptr<ai::Engine> engine = ai::Engine::shared();
    std::mt19937 rng(4);
    ai::Position p =
        aitest::playedPositions(engine->generator(), engine->rules(), rng, 1, {2, true})[6];
    p.rack = aitest::randomRack(rng);
    auto turn = [](int ms) {
        ai::Turn t;
        t.tilesLeft = 40;
        t.deadline = ai::Clock::now() + std::chrono::milliseconds(ms);
        return t;
    };
    struct Answers {
        int count = 0;
        bool onItsThread = true;
        void follow(ai::Thinker &t) {
            QObject::connect(&t, &ai::Thinker::decided, [this](const ai::Decision &d) {
                ++count;
                onItsThread = onItsThread && QThread::currentThread() == qApp->thread();
                EXPECT_EQ(d.action, ai::Decision::Action::Play);
            });
        }
    };
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(1);

    ai::Thinker thinker(engine);
    Answers answers;
    answers.follow(thinker);
    thinker.decide(ai::Level::Hard, p, turn(400), 1);
    thinker.decide(ai::Level::Hard, p, turn(400), 2); // drops the first
    ASSERT_TRUE(thinker.busy());
    ASSERT_TRUE(waitUntil([&] { return !thinker.busy(); }));
    spin(100);
    EXPECT_EQ(answers.count, 1);
    EXPECT_TRUE(answers.onItsThread);
    EXPECT_GT(ticks, 20) << "the event loop waited for the thinking";

    thinker.decide(ai::Level::Normal, p, turn(400), 3);
    thinker.cancel();
    spin(600);
    EXPECT_EQ(answers.count, 1);

    // Two long thoughts, one for each worker, dropped with their thinkers.
    for (int i = 0; i < 2; ++i) {
        auto *gone = new ai::Thinker(engine);
        Answers none;
        none.follow(*gone);
        gone->decide(ai::Level::Hard, p, turn(20000), 4);
        spin(50);
        delete gone;
    }
    QElapsedTimer clock;
    clock.start();
    ai::Thinker next(engine);
    next.decide(ai::Level::Normal, p, turn(20000), 5);
    ASSERT_TRUE(waitUntil([&] { return !next.busy(); }, 10000));
    EXPECT_LT(clock.elapsed(), 5000);
}

} // namespace
