// The rules of a move, on boards built here: the main word and its cross
// words, the connection rule, the first word, double-sided tiles, and moves
// that could never have come from a client.
#include "net/protocol.h"
#include "tests/game/tableprobe.h"

#include <gtest/gtest.h>

namespace {

struct Tile {
    int rackslot;
    int x;
    int y;
    bool flipped = false;
};

class Moves : public ::testing::Test {
protected:
    QSet<QString> words{QStringLiteral("cat"),
                        QStringLiteral("cats"),
                        QStringLiteral("at"),
                        QStringLiteral("as"),
                        QStringLiteral("do"),
                        QStringLiteral("so"),
                        QStringLiteral("ab"),
                        QStringLiteral("ay"),
                        QStringLiteral("hello"),
                        QStringLiteral("bats"),
                        QStringLiteral("planet"),
                        QStringLiteral("example"),
                        QStringLiteral("characteristic"),
                        QStringLiteral("characteristics")};
    TableProbe p{[this](const QString &w) { return words.contains(w); }};

    // Four connected seats, arrangement 0, no Zorble squares, an empty board
    // and `mover` to play.
    void begin(int mover = 1, bool first = false,
               const QString &options = QStringLiteral("Host+60+0+0+0+n+n+")) {
        for (int i = 1; i <= 4; ++i)
            p.connect(i);
        p.startgame(options);
        ASSERT_TRUE(p.gamerunning());
        p.getboard(1, 2, 3, 4);
        p.clearBoard();
        p.firstword() = first;
        p.currentplayer() = mover;
        p.clear();
    }

    static QString move(int seat, std::initializer_list<Tile> tiles) {
        QList<game::LaidTile> list;
        for (const Tile &t : tiles)
            list.append({t.rackslot, t.flipped, t.x, t.y});
        return proto::client::done(seat, list).mid(QStringLiteral("CMD_done+").size());
    }

    // The posted result of the last accepted move, as every client reads it.
    std::optional<proto::PostScore> posted(int slot = 2) const {
        const QStringList all = p.startingWith(slot, QStringLiteral("CMD_postscore+"));
        if (all.isEmpty())
            return std::nullopt;
        return proto::parsePostScore(all.last().mid(14));
    }
    bool refused(int slot) const {
        return p.to(slot).contains(QStringLiteral("CMD_invalid+")) && !posted();
    }
};

TEST_F(Moves, FirstWordIsScoredAndMovedOntoTheCentreRow) {
    begin(1, true);
    p.setRack(1, QStringLiteral("cat"));
    p.done(1, move(1, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}));

    const QStringList mover = p.to(1);
    ASSERT_GE(mover.size(), 3);
    EXPECT_EQ(mover[0], QStringLiteral("CMD_reposition+8+9+2+9+9+0+10+9+19"));
    EXPECT_TRUE(mover[1].startsWith(QStringLiteral("CMD_postscore+")));
    EXPECT_EQ(mover[2], QStringLiteral("CMD_newword+8+9+2+9+9+0+10+9+19"));
    EXPECT_TRUE(p.startingWith(2, QStringLiteral("CMD_reposition")).isEmpty());

    const auto score = posted();
    ASSERT_TRUE(score);
    EXPECT_EQ(score->seat, 1);
    EXPECT_EQ(score->bonus, 0);
    EXPECT_EQ(score->turnscore, 30);
    EXPECT_EQ(score->score, 30);
    EXPECT_EQ(score->word, QStringLiteral("cat"));
    EXPECT_EQ(p.board(8, 9), 2);
    EXPECT_EQ(p.board(9, 9), 0);
    EXPECT_EQ(p.board(10, 9), 19);
    EXPECT_EQ(p.board(2, 1), proto::kEmpty);
    EXPECT_FALSE(p.firstword());
}

TEST_F(Moves, FirstWordsOfFourFiveAndSixTiles) {
    // Five tiles: 5 per tile and 20, wherever they lie.
    begin(1, true);
    p.setRack(1, QStringLiteral("hello"));
    p.done(1, move(1, {{1, 0, 12}, {2, 1, 12}, {3, 2, 12}, {4, 3, 12}, {5, 4, 12}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->turnscore, 45);

    // Four tiles keep the points of their squares: two of the mover's colour,
    // two of another's.
    begin(1, true);
    p.setRack(1, QStringLiteral("bats"));
    p.done(1, move(1, {{1, 8, 2}, {2, 9, 2}, {3, 10, 2}, {4, 11, 2}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->turnscore, 30);
    EXPECT_EQ(p.to(1).at(0), QStringLiteral("CMD_reposition+7+9+1+8+9+0+9+9+19+10+9+18"));

    // Six tiles down a column move onto the centre column.
    begin(1, true);
    p.setRack(1, QStringLiteral("planet"));
    p.done(1, move(1, {{1, 3, 12}, {2, 3, 13}, {3, 3, 14}, {4, 3, 15}, {5, 3, 16}, {6, 3, 17}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->turnscore, 50);
    const auto tiles = proto::parseTileList(p.to(1).at(0).mid(15));
    ASSERT_TRUE(tiles);
    ASSERT_EQ(tiles->size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tiles->at(i).x, 9);
        EXPECT_EQ(tiles->at(i).y, 6 + i);
        EXPECT_EQ(p.board(9, 6 + i), QStringLiteral("planet")[i].unicode() - u'a');
    }
}

TEST_F(Moves, SingleTileIsTriedInItsColumnThenInItsRow) {
    // Under the "a" of "cat": "at" down, nothing across.
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("t"));
    p.done(1, move(1, {{1, 5, 10}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("at"));
    EXPECT_EQ(posted()->turnscore, 10);
    EXPECT_EQ(p.board(5, 10), 19);

    // After "cat": "cats" across, nothing down.
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("s"));
    p.done(1, move(1, {{1, 7, 9}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("cats"));
}

TEST_F(Moves, MainWordTakesBoardLettersAtBothEnds) {
    begin(1);
    p.lay(5, 3, false, QStringLiteral("at"));
    p.setRack(1, QStringLiteral("cs"));
    p.done(1, move(1, {{1, 4, 3}, {2, 7, 3}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("cats"));
    EXPECT_EQ(posted()->turnscore, 40); // four squares of seat 1's colour

    // The same word is worth half as much to a seat of another colour.
    begin(2);
    p.lay(5, 3, false, QStringLiteral("at"));
    p.setRack(2, QStringLiteral("cs"));
    p.done(2, move(2, {{1, 4, 3}, {2, 7, 3}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->turnscore, 20);
}

TEST_F(Moves, EveryCrossWordMustBeAWord) {
    // "so" under "a" and "d": "as" and "do" cross it; every letter of all
    // three words counts.
    begin(1);
    p.board(3, 4) = 0; // a
    p.board(4, 4) = 3; // d
    p.setRack(1, QStringLiteral("so"));
    p.done(1, move(1, {{1, 3, 5}, {2, 4, 5}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("so"));
    EXPECT_EQ(posted()->turnscore, 60);

    // One cross word out of the list spoils the move, though the other is good.
    begin(1);
    p.board(3, 4) = 0;  // a
    p.board(4, 4) = 23; // x: "xo" is no word
    p.setRack(1, QStringLiteral("so"));
    p.done(1, move(1, {{1, 3, 5}, {2, 4, 5}}));
    EXPECT_TRUE(refused(1));
    EXPECT_EQ(p.board(3, 5), proto::kEmpty);
    EXPECT_EQ(p.seat(1).rack[1], 18);
    EXPECT_EQ(p.currentplayer(), 1);
}

TEST_F(Moves, MovesThatDoNotJoinUpAreRefused) {
    // A gap between the laid tiles.
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("as"));
    p.done(1, move(1, {{1, 4, 10}, {2, 6, 10}}));
    EXPECT_TRUE(refused(1));

    // A good word apart from everything on the board.
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("so"));
    p.done(1, move(1, {{1, 12, 14}, {2, 13, 14}}));
    EXPECT_TRUE(refused(1));

    // Tiles in neither one row nor one column.
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("so"));
    p.done(1, move(1, {{1, 7, 9}, {2, 8, 10}}));
    EXPECT_TRUE(refused(1));

    // The mover may try again while the turn lasts.
    p.clear();
    p.done(1, move(1, {{1, 7, 9}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("cats"));
}

TEST_F(Moves, TurnedTileShowsTheOppositeLetter) {
    begin(1);
    p.board(5, 5) = 0; // a
    p.setRack(1, QStringLiteral("b"));
    p.done(1, move(1, {{1, 6, 5, true}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("ay"));
    EXPECT_EQ(p.board(6, 5), 24);

    begin(1);
    p.board(5, 5) = 0;
    p.setRack(1, QStringLiteral("b"));
    p.done(1, move(1, {{1, 6, 5, false}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("ab"));
    EXPECT_EQ(p.board(6, 5), 1);

    // Without "ab" in the list the unturned tile does not stand.
    words.remove(QStringLiteral("ab"));
    begin(1);
    p.board(5, 5) = 0;
    p.setRack(1, QStringLiteral("b"));
    p.done(1, move(1, {{1, 6, 5, false}}));
    EXPECT_TRUE(refused(1));
}

TEST_F(Moves, WordsOfFifteenLettersNeverStand) {
    begin(1);
    p.lay(0, 7, false, QStringLiteral("characteristi"));
    p.setRack(1, QStringLiteral("c"));
    p.done(1, move(1, {{1, 13, 7}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("characteristic"));

    // Fifteen letters are refused even by a list that holds them.
    begin(1);
    p.lay(0, 7, false, QStringLiteral("characteristic"));
    p.setRack(1, QStringLiteral("s"));
    p.done(1, move(1, {{1, 14, 7}}));
    EXPECT_TRUE(refused(1));
}

TEST_F(Moves, ImpossibleMovesAreRefusedAndChangeNothing) {
    const QString cases[] = {
        move(1, {{0, 5, 10}}),                 // rack slot 0
        move(1, {{11, 5, 10}}),                // rack slot 11
        move(1, {{1, -1, 10}}),                // column outside the board
        move(1, {{1, 5, 19}}),                 // row outside the board
        move(1, {{1, 5, 9}}),                  // onto the "a" of "cat"
        move(1, {{3, 5, 10}}),                 // an empty rack slot
        move(1, {{3, 6, 8, true}}),            // an empty rack slot turned over ("at" if read as a)
        move(1, {{1, 5, 10}, {2, 5, 10}}),     // two tiles on one square
        QStringLiteral("1+1+n+5+99999999999"), // a number that does not fit
        QStringLiteral("1+1+n+5"),             // an entry cut short
    };
    for (const QString &c : cases) {
        SCOPED_TRACE(c.toStdString());
        begin(1);
        p.lay(4, 9, false, QStringLiteral("cat"));
        p.setRack(1, QStringLiteral("ts"));
        const auto rackBefore = p.seat(1).rack;
        p.done(1, c);
        EXPECT_FALSE(posted());
        EXPECT_EQ(p.seat(1).rack, rackBefore);
        EXPECT_EQ(p.seat(1).score, 0);
        EXPECT_EQ(p.currentplayer(), 1);
        EXPECT_EQ(p.board(5, 10), proto::kEmpty);
        EXPECT_EQ(p.board(5, 9), 0);
        EXPECT_TRUE(p.startingWith(2, QString()).isEmpty());
    }
}

TEST_F(Moves, AMoveOfNoTilesIsAnsweredAsInvalid) {
    for (const QString &payload : {QStringLiteral("1"), QStringLiteral("1+")}) {
        SCOPED_TRACE(payload.toStdString());
        begin(1);
        p.done(1, payload);
        EXPECT_TRUE(refused(1));
        EXPECT_EQ(p.currentplayer(), 1);
    }
}

TEST_F(Moves, RackSlotNamedTwiceKeepsTheLaterEntry) {
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(1, QStringLiteral("t"));
    p.done(1, move(1, {{1, 0, 0}, {1, 5, 10}}));
    ASSERT_TRUE(posted());
    EXPECT_EQ(posted()->word, QStringLiteral("at"));
    EXPECT_EQ(p.board(0, 0), proto::kEmpty);
    EXPECT_EQ(p.board(5, 10), 19);
}

TEST_F(Moves, OnlyTheSeatToPlayMayMove) {
    begin(1);
    p.lay(4, 9, false, QStringLiteral("cat"));
    p.setRack(2, QStringLiteral("t"));
    p.done(2, move(2, {{1, 5, 10}}));
    EXPECT_TRUE(p.sent.isEmpty());
    // Nor may a seat move in another's name.
    p.setRack(1, QStringLiteral("t"));
    p.done(2, move(1, {{1, 5, 10}}));
    EXPECT_TRUE(p.sent.isEmpty());
    EXPECT_EQ(p.board(5, 10), proto::kEmpty);
}

} // namespace
