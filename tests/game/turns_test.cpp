// The game cycle on the host: start and deal, board quarters and Zorble
// squares, the bag, exchanges, the partner rule, the clocks, the end of a
// game and a newcomer's catch-up.
#include "net/protocol.h"
#include "tests/game/tableprobe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

namespace {

class Turns : public ::testing::Test {
protected:
    QSet<QString> words{QStringLiteral("at"), QStringLiteral("cat"), QStringLiteral("example")};
    TableProbe p{[this](const QString &w) { return words.contains(w); }};

    void start(const QString &options, int seats = 4) {
        for (int i = 1; i <= seats; ++i)
            p.connect(i);
        p.startgame(options);
        ASSERT_TRUE(p.gamerunning());
    }
    // An empty board in arrangement 0 and `mover` to play.
    void takeOver(int mover) {
        p.getboard(1, 2, 3, 4);
        p.clearBoard();
        p.firstword() = false;
        p.currentplayer() = mover;
        p.clear();
    }
    // Lays "t" under the "a" of "cat": 10 points for any seat but 2.
    void playAt(int seat, const QString &rack = QStringLiteral("t")) {
        p.lay(4, 9, false, QStringLiteral("cat"));
        p.setRack(seat, rack);
        p.done(seat, QString::number(seat) + QStringLiteral("+1+n+5+10"));
    }
    int indexOf(int slot, const QString &prefix) const {
        const QStringList all = p.to(slot);
        for (int i = 0; i < all.size(); ++i)
            if (all[i].startsWith(prefix))
                return i;
        return -1;
    }
    static QString letters(const std::array<int, 11> &rack) {
        QString s;
        for (int k = 1; k <= 10; ++k)
            if (rack[k] >= 0 && rack[k] <= 25)
                s += QChar(u'a' + rack[k]);
        return s;
    }
};

TEST_F(Turns, StartDealsAndAnnouncesInOrder) {
    p.connect(5); // a watcher gets the broadcasts, never tiles
    start(QStringLiteral("Host+60+4+0+0+n+y+"));
    const QStringList seat1 = p.to(1);
    ASSERT_GE(seat1.size(), 16);
    EXPECT_EQ(seat1[0], QStringLiteral("CMD_startgame+Host+60+4+0+0+n+y++y"));
    EXPECT_TRUE(seat1[1].startsWith(QStringLiteral("CMD_arrangeboard+")));
    EXPECT_EQ(seat1[2], QStringLiteral("CMD_zb"));
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(seat1[2 + k].startsWith(QStringLiteral("CMD_atile+%1+").arg(k)));
    EXPECT_EQ(seat1[13], QStringLiteral("CMD_tilecount+40"));
    EXPECT_EQ(seat1[14], QStringLiteral("CMD_tilecount+40"));
    EXPECT_TRUE(seat1[15].startsWith(QStringLiteral("CMD_nextplayer+")));
    EXPECT_EQ(p.startingWith(5, QStringLiteral("CMD_atile")).size(), 0);
    EXPECT_EQ(p.startingWith(5, QStringLiteral("CMD_tilecount+")).size(), 2);
    EXPECT_EQ(p.startingWith(5, QStringLiteral("CMD_nextplayer")).size(), 0);
    EXPECT_TRUE(p.gamerunning());

    // Each rack holds what its owner was told, and the bag holds 99 tiles
    // in the agreed numbers.
    for (int seat = 1; seat <= 4; ++seat) {
        for (const QString &m : p.startingWith(seat, QStringLiteral("CMD_atile+"))) {
            const auto t = proto::parseAtile(m.mid(10));
            ASSERT_TRUE(t);
            EXPECT_EQ(p.seat(seat).rack[t->rackslot], t->letter);
        }
    }
    std::array<int, 26> counts{};
    for (int i = 1; i <= game::Bag::kSize; ++i) {
        ASSERT_GE(p.tileorder()[i], 0);
        ASSERT_LE(p.tileorder()[i], 25);
        ++counts[p.tileorder()[i]];
    }
    EXPECT_EQ(counts, (std::array<int, 26>{10, 2, 2, 4, 13, 3, 3, 2, 6, 1, 1, 4, 2,
                                           6,  9, 2, 1, 6,  4, 6, 4, 2, 2, 1, 2, 1}));
}

TEST_F(Turns, PartnersNeedAllFourSeats) {
    start(QStringLiteral("Host+60+0+0+0+n+y+"), 3);
    EXPECT_EQ(p.to(1).at(0), QStringLiteral("CMD_startgame+Host+60+0+0+0+n+y++n"));
}

TEST_F(Turns, SearchFromAnEmptySeatFillsItsRackSilently) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"), 3);
    p.connect(4, false);
    p.setRack(4, QString());
    const int drawn = p.tilesdrawn();
    p.currentplayer() = 4;
    p.clear();
    p.findplayer();
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_tilecount+")),
              QStringList{QStringLiteral("CMD_tilecount+%1").arg(drawn + 10)});
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_nextplayer+")),
              QStringList{QStringLiteral("CMD_nextplayer+1")});
    EXPECT_EQ(letters(p.seat(4).rack).size(), 10);
    for (int s = 1; s <= 3; ++s)
        EXPECT_TRUE(p.startingWith(s, QStringLiteral("CMD_atile")).isEmpty());
}

TEST_F(Turns, BoardQuartersAndZorbleSquares) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    p.clear();
    p.arrangement() = 1;
    p.login(1); // a newcomer is told the quarters of the arrangement
    EXPECT_EQ(p.to(1).first(), QStringLiteral("CMD_arrangeboard+2+3+4+1"));
    p.getboard(2, 3, 4, 1);
    EXPECT_EQ(p.square(0, 0), 2);
    EXPECT_EQ(p.square(9, 8), 2);
    EXPECT_EQ(p.square(0, 9), 3);
    EXPECT_EQ(p.square(10, 0), 4);
    EXPECT_EQ(p.square(18, 9), 4);
    EXPECT_EQ(p.square(9, 10), 1);
    EXPECT_EQ(p.square(9, 9), 0);

    auto zorbles = [&] {
        int n = 0;
        for (int x = 0; x < 19; ++x)
            for (int y = 0; y < 19; ++y)
                n += p.square(x, y) == 5;
        return n;
    };
    for (int count : {0, 3, 24, -4}) {
        p.getboard(1, 2, 3, 4);
        game::markZorbleSquares(p.st.position.squares, count);
        EXPECT_EQ(zorbles(), 0) << count;
    }
    for (int count : {4, 8, 12, 16, 20}) {
        p.getboard(1, 2, 3, 4);
        game::markZorbleSquares(p.st.position.squares, count);
        EXPECT_EQ(zorbles(), count);
    }
    EXPECT_EQ(p.square(9, 15), 5);
    EXPECT_EQ(p.square(0, 18), 5);
}

TEST_F(Turns, BagRunsOutAtNinetyEight) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.tilesdrawn() = 95;
    p.setRack(1, QStringLiteral("abcde"));
    const int last = p.tileorder()[98];
    p.pass(1); // refills seat 1 before the next turn
    EXPECT_EQ(p.tilesdrawn(), 98);
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_atile+")).size(), 3);
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_atile+")).last(),
              QStringLiteral("CMD_atile+8+%1").arg(last));
    EXPECT_EQ(p.seat(1).rack[9], proto::kEmpty);
    EXPECT_EQ(p.seat(1).rack[10], proto::kEmpty);
    EXPECT_TRUE(p.to(2).contains(QStringLiteral("CMD_tilecount+98")));
}

TEST_F(Turns, ExchangeOncePerGameAndNotLateInTheBag) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.seat(1).score = 5;
    p.tilesdrawn() = 86;

    // The tiles of rack and undrawn bag are the same before and after.
    auto pool = [&] {
        QString s = letters(p.seat(1).rack);
        for (int i = 87; i <= 98; ++i)
            s += QChar(u'a' + p.tileorder()[i]);
        std::sort(s.begin(), s.end());
        return s;
    };
    const QString before = pool();
    const auto drawnBefore = std::vector<int>(p.tileorder().begin(), p.tileorder().begin() + 87);
    p.newtiles(1);
    EXPECT_EQ(pool(), before);
    EXPECT_EQ(std::vector<int>(p.tileorder().begin(), p.tileorder().begin() + 87), drawnBefore);
    EXPECT_EQ(p.tilesdrawn(), 86);
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_atile+")).size(), 10);
    EXPECT_TRUE(p.to(3).contains(QStringLiteral("CMD_newtiles+1+-5+3+0")));
    EXPECT_EQ(p.seat(1).score, -5);
    EXPECT_EQ(p.currentplayer(), 1); // the turn goes on

    // Refused a second time, in this turn or a later one.
    p.clear();
    p.newtiles(1);
    EXPECT_EQ(p.to(1), QStringList{QStringLiteral("CMD_already+")});
    p.pass(1);
    p.currentplayer() = 1;
    p.clear();
    p.newtiles(1);
    EXPECT_EQ(p.to(1), QStringList{QStringLiteral("CMD_already+")});

    // Refused for everybody once 87 tiles are out.
    p.currentplayer() = 2;
    p.tilesdrawn() = 87;
    p.clear();
    p.newtiles(2);
    EXPECT_EQ(p.to(2), QStringList{QStringLiteral("CMD_notenough+")});
    EXPECT_TRUE(p.to(1).isEmpty());
    EXPECT_EQ(p.seat(2).score, 0);
}

TEST_F(Turns, PartnersShareOneTotal) {
    start(QStringLiteral("Host+60+0+0+0+n+y+"));
    takeOver(2);
    p.seat(2).score = 5;
    p.seat(4).score = 5;
    p.newtiles(2);
    EXPECT_TRUE(p.to(1).contains(QStringLiteral("CMD_newtiles+2+-5+4+-5")));
    EXPECT_EQ(p.seat(4).score, -5);
    EXPECT_EQ(p.seat(2).lastchange, QStringLiteral("-10")); // as a newcomer is told

    takeOver(1);
    p.seat(1).score = 30;
    p.seat(3).score = 30;
    playAt(1);
    const QStringList posted = p.startingWith(2, QStringLiteral("CMD_postscore+"));
    ASSERT_EQ(posted.size(), 1);
    const auto score = proto::parsePostScore(posted[0].mid(14));
    ASSERT_TRUE(score);
    EXPECT_EQ(score->turnscore, 10);
    EXPECT_EQ(score->score, 40);
    EXPECT_EQ(score->partner, 3);
    EXPECT_EQ(score->partnerscore, 40);
    EXPECT_EQ(p.seat(3).score, 40);
    EXPECT_EQ(p.seat(2).score, -5); // the other side keeps its own
    // A move's points are the only last change left.
    EXPECT_EQ(p.seat(1).lastchange + p.seat(2).lastchange, QStringLiteral("+10"));
}

TEST_F(Turns, TwoZorbleSquaresGiveOneEffectDrawnForTheLast) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    for (int round = 0; round < 6; ++round) {
        takeOver(1);
        game::markZorbleSquares(p.st.position.squares, 4); // (6,6) and (12,6) among them
        p.board(7, 6) = 23;                                // the x of "example"
        p.setRack(1, QStringLiteral("eample"));
        std::mt19937 copy = p.rng();
        std::uniform_int_distribution<int> effect(1, 3);
        effect(copy);
        const int expected = effect(copy);
        p.done(1, QStringLiteral("1+1+n+6+6+2+n+8+6+3+n+9+6+4+n+10+6+5+n+11+6+6+n+12+6"));
        const QStringList posted = p.startingWith(1, QStringLiteral("CMD_postscore+"));
        ASSERT_EQ(posted.size(), 1);
        const auto score = proto::parsePostScore(posted[0].mid(14));
        ASSERT_TRUE(score);
        // Before the effect: 5 + 10 + 10 + 10 + 5 + 5 + 5.
        const int base = 50;
        EXPECT_EQ(score->bonus, expected);
        EXPECT_EQ(score->turnscore, expected == 1   ? base + 20
                                    : expected == 2 ? base - 20
                                                    : 2 * base);
        EXPECT_EQ(score->word, QStringLiteral("example"));
        p.seat(1).score = 0;
    }
}

TEST_F(Turns, TurnTimesOutOnTheTickAfterItsLength) {
    start(QStringLiteral("Host+5+0+0+0+n+n+"));
    const int mover = p.currentplayer();
    p.clear();
    p.tick(5);
    EXPECT_TRUE(p.sent.isEmpty());
    p.tick();
    const QStringList seen = p.to(1);
    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen[0], QStringLiteral("CMD_timeup+%1").arg(mover));
    EXPECT_TRUE(seen[1].startsWith(QStringLiteral("CMD_tilecount+")));
    EXPECT_EQ(seen[2], QStringLiteral("CMD_nextplayer+%1").arg(mover % 4 + 1));
    EXPECT_TRUE(p.gamerunning());
}

TEST_F(Turns, PlayToScoreMustBePassed) {
    start(QStringLiteral("Host+60+0+0+200+n+n+"));
    takeOver(1);
    p.seat(1).score = 190;
    playAt(1); // 200: not above
    EXPECT_TRUE(p.gamerunning());
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_nextplayer+")),
              QStringList{QStringLiteral("CMD_nextplayer+2")});

    takeOver(3);
    p.seat(3).score = 191;
    playAt(3); // 201
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), 0);
    const QStringList seen = p.to(1);
    ASSERT_GE(seen.size(), 2);
    EXPECT_EQ(seen[seen.size() - 2], QStringLiteral("CMD_playergotscore+"));
    EXPECT_EQ(seen.last(), QStringLiteral("CMD_winner+3"));
}

TEST_F(Turns, GameTimeEndsOnTheSixtiethTick) {
    start(QStringLiteral("Host+600+0+1+0+n+n+"));
    const int mover = p.currentplayer();
    p.clear();
    p.tick(59);
    EXPECT_TRUE(p.sent.isEmpty());
    EXPECT_TRUE(p.gamerunning());
    p.tick();
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), mover);
    EXPECT_EQ(p.to(1), (QStringList{QStringLiteral("CMD_gametimeup+"),
                                    QStringLiteral("CMD_winner+1+2+3+4")}));
    // The game is over: a turn request from the last mover changes nothing,
    // and its sitting out starts no turn.
    p.clear();
    p.pass(mover);
    EXPECT_TRUE(p.sent.isEmpty());
    p.sitOut(mover);
    EXPECT_TRUE(p.seat(mover).watching);
    // Everybody hears of the seat's new flag, and of no turn.
    EXPECT_EQ(p.to(1), QStringList{proto::host::justwatching(mover, 1)});
}

TEST_F(Turns, EndReasonsComeInTheirOrder) {
    // Everybody passes in turn: nobody who has not passed holds a tile.
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.seat(3).score = 7;
    for (int seat = 1; seat <= 4; ++seat)
        p.pass(seat);
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.to(2).mid(p.to(2).size() - 3),
              (QStringList{QStringLiteral("CMD_pass+4"), QStringLiteral("CMD_winner+3"),
                           QStringLiteral("CMD_nomoretiles+")}));

    // A seat that sits out still holds tiles: everyone passed.
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.seat(4).watching = true;
    for (int seat = 1; seat <= 3; ++seat)
        p.pass(seat);
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(
        p.to(1).mid(p.to(1).size() - 2),
        (QStringList{QStringLiteral("CMD_winner+1+2+3+4"), QStringLiteral("CMD_everyonepassed+")}));
    p.seat(4).watching = false;

    // The last tiles are laid and the bag is empty.
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.tilesdrawn() = 98;
    for (int seat = 2; seat <= 4; ++seat)
        p.setRack(seat, QString());
    p.seat(2).score = -3;
    playAt(1);
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.to(1).mid(p.to(1).size() - 2),
              (QStringList{QStringLiteral("CMD_winner+1"), QStringLiteral("CMD_nomoretiles+")}));

    // Nobody above zero: the winner list is empty.
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    for (int seat = 1; seat <= 4; ++seat)
        p.seat(seat).score = -10;
    for (int seat = 1; seat <= 4; ++seat)
        p.pass(seat);
    EXPECT_TRUE(p.to(1).contains(QStringLiteral("CMD_winner")));
}

TEST_F(Turns, ATurnTakenAfterAPassClearsThePass) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    for (int seat = 1; seat <= 3; ++seat)
        p.pass(seat);
    playAt(4, QStringLiteral("tee")); // seat 1's turn begins: no pass this time round
    p.clearBoard();
    playAt(1);
    for (int seat = 2; seat <= 4; ++seat)
        p.pass(seat);
    EXPECT_TRUE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), 1);
    p.pass(1);
    EXPECT_FALSE(p.gamerunning());
}

TEST_F(Turns, SeatsWithoutTilesAreSkipped) {
    start(QStringLiteral("Host+60+0+0+0+n+n+"));
    takeOver(1);
    p.tilesdrawn() = 98;
    p.setRack(2, QString());
    p.pass(1);
    EXPECT_EQ(p.to(2),
              (QStringList{QStringLiteral("CMD_pass+1"), QStringLiteral("CMD_tilecount+98"),
                           QStringLiteral("CMD_notiles+2+"), QStringLiteral("CMD_tilecount+98"),
                           QStringLiteral("CMD_nextplayer+3")}));
    EXPECT_EQ(p.currentplayer(), 3);
}

TEST_F(Turns, SearchWithNobodyToPlayEndsTheGame) {
    // The only active player is gone and the hosting player sits out.
    start(QStringLiteral("Host+60+0+0+0+n+n+"), 2);
    takeOver(2);
    p.seat(1).watching = true;
    p.connect(2, false);
    p.seat(1).score = 12;
    p.findplayer();
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.currentplayer(), 0);
    EXPECT_EQ(p.to(1).last(), QStringLiteral("CMD_winner+1"));

    // The only active seat has no tile while a seat that sits out holds some:
    // the game ends at once.
    p.seat(1).watching = false;
    start(QStringLiteral("Host+60+0+0+0+n+n+"), 2);
    takeOver(1);
    p.seat(2).watching = true;
    p.tilesdrawn() = 98;
    p.setRack(1, QString());
    p.findplayer();
    EXPECT_FALSE(p.gamerunning());
    EXPECT_EQ(p.startingWith(1, QStringLiteral("CMD_notiles+")).size(), 1);
    EXPECT_EQ(p.to(1).last(), QStringLiteral("CMD_nomoretiles+"));
}

TEST_F(Turns, NewcomerCatchesUp) {
    start(QStringLiteral("Host+30+8+5+150+y+n+"), 2);
    takeOver(2);
    p.arrangement() = 3;
    p.lay(8, 9, false, QStringLiteral("cat"));
    std::tie(p.elapsed(), p.turnclock(), p.seat(1).watching) = std::tuple(42, 17, true);
    p.connect(3);
    p.setRack(3, QString());
    p.connect(6);
    // Seat 1 laid a word last; seat 2 has bought new tiles since.
    std::tie(p.seat(1).score, p.seat(1).lastchange) = std::pair(34, QStringLiteral("+12"));
    std::tie(p.seat(2).score, p.seat(2).lastchange) = std::pair(-10, QStringLiteral("-10"));
    const int drawn = p.tilesdrawn();
    p.login(3);
    p.login(6);
    const QStringList seat = p.to(3);
    ASSERT_EQ(seat.size(), 23);
    EXPECT_EQ(seat[0], QStringLiteral("CMD_arrangeboard+4+1+2+3"));
    EXPECT_EQ(seat[1], QStringLiteral("CMD_showboard+8+9+2"));
    EXPECT_EQ(seat[2], QStringLiteral("CMD_showboard+9+9+0"));
    EXPECT_EQ(seat[3], QStringLiteral("CMD_showboard+10+9+19"));
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(seat[3 + k].startsWith(QStringLiteral("CMD_atile+%1+").arg(k)));
    // The count includes the newcomer's own rack.
    EXPECT_EQ(seat.mid(14, 5), (QStringList{QStringLiteral("CMD_tilecount+%1").arg(drawn + 10),
                                            QStringLiteral("CMD_seatscore+1+34++12"),
                                            QStringLiteral("CMD_seatscore+2+-10+-10"),
                                            QStringLiteral("CMD_seatscore+3+0+"),
                                            QStringLiteral("CMD_seatscore+4+0+")}));
    EXPECT_EQ(seat.mid(19),
              (QStringList{"CMD_justwatching+1+1", "CMD_gamesettings+30+8+5+42+150+y+n",
                           "CMD_nextplayer+2", "CMD_turnclock+17"}));
    const QStringList watcher = p.to(6);
    EXPECT_EQ(watcher.size(), 13);
    EXPECT_TRUE(p.startingWith(6, QStringLiteral("CMD_atile")).isEmpty());
}

TEST_F(Turns, PlayerTakingOverASeatIsToldTheTilesItHolds) {
    start(QStringLiteral("Host+30+8+0+0+n+n+"), 3);
    takeOver(1);
    p.setRack(3, QStringLiteral("xyz"));
    p.login(3);
    const QStringList tiles = p.startingWith(3, QStringLiteral("CMD_atile+"));
    ASSERT_EQ(tiles.size(), 10);
    // The three held tiles are told as they are; the empty slots are filled.
    EXPECT_EQ(tiles[0], QStringLiteral("CMD_atile+1+23"));
    EXPECT_EQ(tiles[1], QStringLiteral("CMD_atile+2+24"));
    EXPECT_EQ(tiles[2], QStringLiteral("CMD_atile+3+25"));
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(tiles[k - 1].startsWith(QStringLiteral("CMD_atile+%1+").arg(k)));
    EXPECT_EQ(letters(p.seat(3).rack).left(3), QStringLiteral("xyz"));
    EXPECT_EQ(letters(p.seat(3).rack).size(), 10);
}

TEST_F(Turns, AStartThatDoesNotReadStartsNothing) {
    // Only the hosting player's start counts; the host checks the sender.
    p.connect(1);
    p.connect(2);
    p.startgame(QStringLiteral("Host+sixty+0+0+0+n+n+"));
    EXPECT_FALSE(p.gamerunning());
    EXPECT_TRUE(p.sent.isEmpty());
}

TEST(Seed, SameSeedReplaysTheSameGame) {
    auto game = [](quint32 seed) {
        TableProbe p{[](const QString &) { return false; }};
        for (int i = 1; i <= 4; ++i)
            p.connect(i);
        p.st.rng.seed(seed);
        p.startgame(QStringLiteral("Host+60+20+0+0+n+n+"));
        p.newtiles(p.currentplayer());
        return p.sent;
    };
    const auto first = game(11);
    EXPECT_EQ(game(11), first);
    EXPECT_NE(game(12), first);
}

// The end tests after a pass by seat 1, over the other seats' states.
struct EndCase {
    const char *what;
    std::array<const char *, 4> seats; // per seat: "" plays, "a" absent, "w" watches, "p" passed
    std::array<bool, 4> holdsTiles;
    int playto;
    std::array<int, 4> scores;
    const char *end; // the end's message, "" when the game goes on
};

class EndTests : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndTests, APassEndsTheGameOnlyWhenAnEndTestHolds) {
    const EndCase c = GetParam();
    TableProbe p{[](const QString &) { return false; }};
    for (int i = 1; i <= 4; ++i)
        p.connect(i);
    p.startgame(QStringLiteral("Host+60+0+0+%1+n+n+").arg(c.playto));
    for (int i = 1; i <= 4; ++i) {
        const QString state = QString::fromLatin1(c.seats[size_t(i - 1)]);
        p.seat(i).present = state != "a";
        p.seat(i).watching = state == "w";
        p.seat(i).passed = state == "p";
        p.seat(i).score = c.scores[size_t(i - 1)];
        p.setRack(i, c.holdsTiles[size_t(i - 1)] ? QStringLiteral("ab") : QString());
    }
    p.currentplayer() = 1;
    p.clear();
    p.pass(1);
    const QStringList heard = p.to(1);
    if (QString::fromLatin1(c.end).isEmpty()) {
        EXPECT_TRUE(p.gamerunning()) << c.what;
        EXPECT_TRUE(p.startingWith(1, "CMD_winner").isEmpty()) << c.what;
    } else {
        EXPECT_FALSE(p.gamerunning()) << c.what;
        EXPECT_TRUE(heard.contains(QString::fromLatin1(c.end))) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, EndTests,
    ::testing::Values(
        EndCase{"all hold tiles", {"", "", "", ""}, {true, true, true, true}, 0, {}, ""},
        // A seat that passed holds its tiles in vain: the first end test ends
        // the game before the second can.
        EndCase{"the others passed",
                {"", "p", "p", "p"},
                {true, true, true, true},
                0,
                {},
                "CMD_nomoretiles+"},
        EndCase{"the others are gone",
                {"", "a", "a", "a"},
                {true, true, true, true},
                0,
                {},
                "CMD_nomoretiles+"},
        EndCase{"one watches, two passed",
                {"", "w", "p", "p"},
                {true, true, true, true},
                0,
                {},
                "CMD_everyonepassed+"},
        // A seat that sits out keeps no game alive with its tiles.
        EndCase{"only a watcher holds other tiles",
                {"", "w", "", ""},
                {true, true, false, false},
                0,
                {},
                "CMD_nomoretiles+"},
        EndCase{"only the passer holds tiles",
                {"", "", "", ""},
                {true, false, false, false},
                0,
                {},
                "CMD_nomoretiles+"},
        EndCase{"a total above the score",
                {"", "", "", ""},
                {true, true, true, true},
                100,
                {0, 0, 101, 0},
                "CMD_playergotscore+"},
        EndCase{"a total at the score",
                {"", "", "", ""},
                {true, true, true, true},
                100,
                {0, 0, 100, 0},
                ""}),
    [](const auto &param) {
        std::string name = param.param.what;
        for (char &ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

} // namespace
