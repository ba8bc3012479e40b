// The rules class on boards built here: what a move scores, which moves
// stand, where the first word goes, and which moves are refused unread.
#include "rules/rules.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using rules::kEmpty;
using rules::LaidTile;
using rules::Placed;

const QSet<QString> kWords = {"cat",
                              "cats",
                              "at",
                              "as",
                              "do",
                              "so",
                              "ab",
                              "ay",
                              "hello",
                              "bats",
                              "planet",
                              "characteristic",
                              "characteristics"};

int letter(QChar c) {
    return c.unicode() - u'a';
}

// An empty board in the quarters of seats 1 (top left), 2 (bottom left),
// 3 (top right) and 4 (bottom right), with the neutral centre square.
struct Board {
    rules::Grid letters{};
    rules::Grid squares{};
    Board() {
        for (int x = 0; x < rules::kBoard; ++x) {
            letters[x].fill(kEmpty);
            for (int y = 0; y < rules::kBoard; ++y)
                squares[x][y] = x <= 9 && y <= 8    ? 1
                                : x <= 8 && y >= 9  ? 2
                                : x >= 10 && y <= 9 ? 3
                                                    : 4;
        }
        squares[9][9] = 0;
    }
    void lay(int x, int y, bool down, const QString &word) {
        for (int i = 0; i < word.size(); ++i)
            letters[down ? x : x + i][down ? y + i : y] = letter(word[i]);
    }
};

struct Case {
    const char *name;
    const char *onBoard; // a word laid across from (bx, by), or ""
    int bx, by;
    QList<Placed> tiles;
    int mover;
    bool first;
    bool valid;
    const char *word;
    int score;
    QStringList crosswords;
};

QList<Placed> spell(const QString &w, int x, int y, bool down) {
    QList<Placed> tiles;
    for (int i = 0; i < w.size(); ++i)
        tiles.append({i + 1, down ? x : x + i, down ? y + i : y, letter(w[i])});
    return tiles;
}

TEST(RulesJudge, ScoresAndVerdicts) {
    const Case cases[] = {
        {"first word in its own quarter",
         "",
         0,
         0,
         spell("cat", 2, 1, false),
         1,
         true,
         true,
         "cat",
         30,
         {}},
        {"first word of four: the squares count",
         "",
         0,
         0,
         spell("bats", 8, 2, false),
         1,
         true,
         true,
         "bats",
         30,
         {}},
        {"first word of five: fixed score",
         "",
         0,
         0,
         spell("hello", 0, 12, false),
         1,
         true,
         true,
         "hello",
         45,
         {}},
        {"one tile under a letter forms a word in its column",
         "cat",
         4,
         9,
         {{1, 5, 10, letter('t')}},
         1,
         false,
         true,
         "at",
         10,
         {}},
        {"board letters at both ends belong to the word",
         "at",
         5,
         3,
         {{1, 4, 3, letter('c')}, {2, 7, 3, letter('s')}},
         1,
         false,
         true,
         "cats",
         40,
         {}},
        {"the same word in another seat's quarter",
         "at",
         5,
         3,
         {{1, 4, 3, letter('c')}, {2, 7, 3, letter('s')}},
         2,
         false,
         true,
         "cats",
         20,
         {}},
        {"cross words score every letter",
         "ad",
         3,
         4,
         spell("so", 3, 5, false),
         1,
         false,
         true,
         "so",
         60,
         {"as", "do"}},
        {"one cross word not in the list",
         "ax",
         3,
         4,
         spell("so", 3, 5, false),
         1,
         false,
         false,
         "",
         0,
         {}},
        {"a gap between the tiles",
         "cat",
         4,
         9,
         {{1, 4, 10, letter('a')}, {2, 6, 10, letter('s')}},
         1,
         false,
         false,
         "",
         0,
         {}},
        {"a word apart from the board",
         "cat",
         4,
         9,
         spell("so", 12, 14, false),
         1,
         false,
         false,
         "",
         0,
         {}},
        {"tiles in no one line",
         "cat",
         4,
         9,
         {{1, 7, 9, letter('s')}, {2, 8, 10, letter('o')}},
         1,
         false,
         false,
         "",
         0,
         {}},
        {"fourteen letters stand",
         "characteristi",
         0,
         7,
         {{1, 13, 7, letter('c')}},
         1,
         false,
         true,
         "characteristic",
         120,
         {}},
        {"fifteen letters never stand",
         "characteristic",
         0,
         7,
         {{1, 14, 7, letter('s')}},
         1,
         false,
         false,
         "",
         0,
         {}},
    };
    const rules::Rules r([](const QString &w) { return kWords.contains(w); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Board b;
        b.lay(c.bx, c.by, false, QString::fromLatin1(c.onBoard));
        const rules::Verdict v = r.judge(b.letters, b.squares, c.mover, c.tiles, c.first);
        EXPECT_EQ(v.valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(v.word, QString::fromLatin1(c.word));
        EXPECT_EQ(v.score, c.score);
        EXPECT_EQ(v.crosswords, c.crosswords);
        EXPECT_EQ(v.first, c.first);
        EXPECT_EQ(v.zorbles, 0);
    }
}

TEST(RulesJudge, FirstWordMovesOntoTheCentreLine) {
    const rules::Rules r([](const QString &w) { return kWords.contains(w); });
    const Board b;
    // Across: the middle tile of an odd word lands on the centre square.
    const rules::Verdict cat = r.judge(b.letters, b.squares, 1, spell("cat", 2, 1, false), true);
    ASSERT_TRUE(cat.valid);
    EXPECT_EQ(cat.tiles, (QList<Placed>{{1, 8, 9, 2}, {2, 9, 9, 0}, {3, 10, 9, 19}}));
    // Down: six tiles from (3, 12) end on (9, 6) .. (9, 11).
    const rules::Verdict planet =
        r.judge(b.letters, b.squares, 2, spell("planet", 3, 12, true), true);
    ASSERT_TRUE(planet.valid);
    EXPECT_EQ(planet.score, 50);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(planet.tiles[i], (Placed{i + 1, 9, 6 + i, letter(QStringLiteral("planet")[i])}));
}

TEST(RulesJudge, EachZorbleSquareCoveredIsCounted) {
    const rules::Rules r([](const QString &w) { return kWords.contains(w); });
    Board b;
    b.lay(4, 9, false, QStringLiteral("ca"));
    b.squares[6][9] = rules::kZorbleSquare;
    b.squares[7][9] = rules::kZorbleSquare;
    const QList<Placed> ts = {{1, 6, 9, letter('t')}, {2, 7, 9, letter('s')}};
    const rules::Verdict v = r.judge(b.letters, b.squares, 1, ts, false);
    ASSERT_TRUE(v.valid);
    EXPECT_EQ(v.zorbles, 2);
    EXPECT_EQ(v.score, 20); // Zorble squares are worth 5 to everybody
}

TEST(RulesJudge, ARefusedMoveSaysWhy) {
    // "cat" lies across from (4, 9).
    struct Refused {
        const char *name;
        QList<Placed> tiles;
        bool first;
        rules::Refusal why;
        const char *badword;
    };
    const Refused cases[] = {
        {"tiles on two lines",
         {{1, 2, 2, letter('a')}, {2, 3, 3, letter('t')}},
         false,
         rules::Refusal::NotInLine,
         ""},
        {"a gap in the line",
         {{1, 4, 10, letter('a')}, {2, 4, 12, letter('t')}},
         false,
         rules::Refusal::NotInLine,
         ""},
        {"the main word", spell("ca", 10, 3, false), true, rules::Refusal::NotAWord, "ca"},
        {"a lone tile is judged by the word it joins",
         {{1, 7, 9, letter('x')}},
         false,
         rules::Refusal::NotAWord,
         "catx"},
        {"a cross word", spell("so", 5, 10, false), false, rules::Refusal::NotAWord, "to"},
        {"a word that touches nothing", spell("do", 0, 0, false), false,
         rules::Refusal::NotTouching, ""},
        {"a lone tile that touches nothing",
         {{1, 0, 0, letter('a')}},
         false,
         rules::Refusal::NotTouching,
         ""},
    };
    const rules::Rules r([](const QString &w) { return kWords.contains(w); });
    Board b;
    b.lay(4, 9, false, QStringLiteral("cat"));
    for (const Refused &c : cases) {
        SCOPED_TRACE(c.name);
        const rules::Verdict v = r.judge(b.letters, b.squares, 1, c.tiles, c.first);
        EXPECT_FALSE(v.valid);
        EXPECT_EQ(v.refusal, c.why);
        EXPECT_EQ(v.badword, QString::fromLatin1(c.badword));
    }
    const rules::Verdict stands =
        r.judge(b.letters, b.squares, 1, {{1, 5, 10, letter('t')}}, false);
    ASSERT_TRUE(stands.valid); // the "a" of "cat" and a "t" under it
    EXPECT_EQ(stands.refusal, rules::Refusal::None);
}

TEST(RulesReadMove, RefusesMovesNoClientCouldMake) {
    Board b;
    b.lay(4, 9, false, QStringLiteral("cat"));
    rules::Rack rack;
    rack.fill(kEmpty);
    rack[1] = letter('t');
    rack[2] = letter('b');
    const struct {
        const char *name;
        QList<LaidTile> tiles;
    } refused[] = {
        {"rack slot 0", {{0, false, 5, 10}}},
        {"rack slot 11", {{11, false, 5, 10}}},
        {"column off the board", {{1, false, -1, 10}}},
        {"row off the board", {{1, false, 5, 19}}},
        {"onto a letter", {{1, false, 5, 9}}},
        {"an empty rack slot", {{3, false, 6, 8}}},
        {"an empty rack slot turned over", {{3, true, 6, 8}}},
        {"two tiles on one square", {{1, false, 5, 10}, {2, false, 5, 10}}},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(rules::Rules::readMove(b.letters, rack, c.tiles));
    }

    // A turned tile shows the opposite letter; a rack slot named twice keeps
    // its later entry; the result is in rack-slot order.
    const auto move = rules::Rules::readMove(
        b.letters, rack, {{2, true, 6, 10}, {1, false, 0, 0}, {1, false, 5, 10}});
    ASSERT_TRUE(move);
    EXPECT_EQ(*move, (QList<Placed>{{1, 5, 10, letter('t')}, {2, 6, 10, letter('y')}}));
}

} // namespace
