// The game mirror driven by host messages as they come off the wire, read
// back without any window: the clocks, the settings and status texts, the
// board's backgrounds, the rack, turns, scores, watching and the end.
#include "clientcore/gamemirror.h"
#include "clientcore/statefile.h"
#include "net/messages.h"
#include "net/protocol.h"

#include <QJsonArray>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using namespace proto;

// Hands one wire line to the mirror as the host link does.
void feed(GameMirror &m, const QString &line) {
    const DecodedHostMessage decoded = decodeHostMessage(line);
    const auto *message = std::get_if<HostMessage>(&decoded);
    ASSERT_TRUE(message) << line.toStdString();
    std::visit([&](const auto &x) { m.handle(x); }, *message);
}

// A mirror logged in to `seat` with four named seats.
struct Table {
    GameMirror m;
    QStringList sounds;
    explicit Table(int seat = 1, const QStringList &names = {"Ann", "Bob", "Cat", "Dan"}) {
        QObject::connect(&m, &GameMirror::soundRequested,
                         [this](const QString &s) { sounds << s; });
        m.setPlayerName(names.value(seat - 1));
        feed(m, host::sendlogininfo(seat));
        for (int i = 1; i <= 4; ++i)
            feed(m, host::newplayerinfo(i, names[i - 1]));
    }
    void start(const QString &options, bool partners = false) {
        feed(m, host::startgame(options, partners));
    }
    void tick(int n) {
        for (int i = 0; i < n; ++i)
            m.Timer2Timer();
    }
};

TEST(MirrorClocks, TurnAndGameClocksCountAsShown) {
    Table t;
    t.start("Ann+60+0+0+0+n+n+");
    EXPECT_TRUE(t.m.clockRunning());
    feed(t.m, host::nextplayer(2));
    t.tick(1);
    EXPECT_EQ(t.m.texts().timeOfTurnText(), "Turn Time: 0:58");
    t.sounds.clear();
    t.tick(64); // the turn clock runs out on the way
    EXPECT_EQ(t.m.texts().timeOfGameText(), "Game Time: 1:05");
    EXPECT_EQ(t.m.texts().timeOfTurnText(), "Turn Time: 0:00");
    // "tick" at 20 seconds left and at 10 down to 1.
    EXPECT_EQ(t.sounds.count("tick"), 11);
    t.tick(535);
    EXPECT_EQ(t.m.texts().timeOfGameText(), "Game Time: 10:00");
    feed(t.m, host::winner({1}));
    EXPECT_FALSE(t.m.clockRunning());
}

TEST(MirrorClocks, NewcomerGoesOnFromTheHostsCountAtTheFirstTick) {
    Table t(4);
    feed(t.m, host::arrangeboard({2, 3, 4, 1}));
    feed(t.m, host::gamesettings({{30, 12, 60, 0, true, true}, 3000}));
    EXPECT_FALSE(t.m.clockRunning()); // the turn that follows starts it
    EXPECT_EQ(t.m.zorbleSquares().size(), 12);
    feed(t.m, host::nextplayer(1));
    EXPECT_TRUE(t.m.clockRunning());
    // The turn under way goes on from the seconds the host has left of it.
    feed(t.m, host::turnclock(12));
    t.tick(1);
    EXPECT_EQ(t.m.texts().timeOfGameText(), "Game Time: 50:01");
    EXPECT_EQ(t.m.texts().timeOfTurnText(), "Turn Time: 0:10");
    EXPECT_EQ(t.m.texts().partnersText(), "Yes");
    EXPECT_EQ(t.m.texts().doubleText(), "Yes");
}

TEST(MirrorTexts, SettingsOnShow) {
    struct Case {
        const char *options;
        bool partners;
        const char *gametime, *playtoscore, *partnersText;
    };
    const Case cases[] = {
        {"Ann+60+0+0+0+n+n+", false, "No Limit", "Until out of Tiles", "No"},
        {"Ann+45+4+15+200+y+y+", true, "15 mins", "200", "Yes"},
        // The host's partner flag counts, not the one asked for.
        {"Ann+45+4+15+200+y+y+", false, "15 mins", "200", "No"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options);
        Table t;
        t.start(c.options, c.partners);
        EXPECT_EQ(t.m.texts().gameTimeText(), c.gametime);
        EXPECT_EQ(t.m.texts().playToScoreText(), c.playtoscore);
        EXPECT_EQ(t.m.texts().partnersText(), c.partnersText);
    }
    Table t;
    t.start("Ann+60+0+0+0+n+n+");
    feed(t.m, host::tilecount(40));
    EXPECT_EQ(t.m.texts().tilesLeftText(), "Tiles Left: 58");
}

TEST(MirrorTurns, OwnTurnIsDecidedBySeatNotByName) {
    // Seats 1 and 3 share a name; seat 3 is ours.
    Table t(3, {"Sam", "Bob", "Sam", "Dan"});
    t.start("Sam+60+0+0+0+n+n+");
    QSignalSpy buttons(&t.m, &GameMirror::moveButtonsShown);
    feed(t.m, host::nextplayer(1));
    EXPECT_FALSE(t.m.ownTurn());
    EXPECT_EQ(t.m.texts().turnText(), "Sam's turn.");
    ASSERT_FALSE(buttons.isEmpty());
    EXPECT_FALSE(buttons.last().first().toBool());
    feed(t.m, host::nextplayer(3));
    EXPECT_TRUE(t.m.ownTurn());
    EXPECT_EQ(t.m.texts().turnText(), "Your Turn.");
    EXPECT_TRUE(buttons.last().first().toBool());
    EXPECT_EQ(t.m.texts().turnColour(), MirrorTexts::seatColour(3));
}

TEST(MirrorTurns, MoveButtonsGoWhenTheOwnSeatSitsOutAndStayAwayAfterTheGame) {
    Table t(2);
    t.start("Ann+60+0+0+0+n+n+");
    QSignalSpy buttons(&t.m, &GameMirror::moveButtonsShown);
    feed(t.m, host::nextplayer(2));
    ASSERT_TRUE(buttons.last().first().toBool());
    const std::pair<QString, const char *> steps[] = {
        {host::justwatching(2, 1), "Your Turn."}, // the host then hands the turn on
        {host::nextplayer(3), "Cat's turn."},
        {host::nextplayer(4), "Dan's turn."},
        {host::winner({4}), "Game Over."},
    };
    for (const auto &[line, turn] : steps) {
        feed(t.m, line);
        EXPECT_FALSE(buttons.last().first().toBool()) << line.toStdString();
        EXPECT_EQ(t.m.texts().turnText(), turn) << line.toStdString();
    }
    // An end reason alone also ends the turn on show.
    Table u(2);
    u.start("Ann+60+0+0+0+n+n+");
    feed(u.m, host::nextplayer(2));
    feed(u.m, host::nomoretiles());
    EXPECT_EQ(u.m.texts().turnText(), "Game Over.");
}

TEST(MirrorTurns, ZorbleOutcomeSounds) {
    const std::pair<int, const char *> cases[] = {
        {0, nullptr}, {1, "zbgood"}, {2, "zbgood"}, {3, "zbbad"}};
    for (const auto &[outcome, sound] : cases) {
        Table t;
        t.start("Ann+60+0+0+0+n+n+");
        QSignalSpy shown(&t.m, &GameMirror::zorbleOutcome);
        t.sounds.clear();
        feed(t.m, host::postscore({10, 2, outcome, 12, 12, 4, 0, "cat"}));
        EXPECT_EQ(shown.size(), sound ? 1 : 0) << outcome;
        EXPECT_EQ(t.sounds.filter("zb"), sound ? QStringList{sound} : QStringList{}) << outcome;
        EXPECT_EQ(t.m.seats().bonus(2), "+12");
    }
}

TEST(MirrorTurns, ExchangeAndPartnersShowOnBothSeats) {
    Table t(2);
    t.start("Ann+60+0+0+0+n+y+", true);
    feed(t.m, host::postscore({10, 1, 0, 30, 30, 3, 30, "word"}));
    feed(t.m, host::newtiles("2", -10, 4, -10));
    EXPECT_EQ(t.m.seats().score(3), 30);
    EXPECT_EQ(t.m.seats().score(4), -10);
    EXPECT_EQ(t.m.seats().bonus(2), "-10");
    EXPECT_EQ(t.m.seats().bonus(1), "+30");
}

TEST(MirrorBoard, QuartersAndZorbleLayouts) {
    const std::pair<int, int> cases[] = {{0, 0},   {4, 4},   {8, 8}, {12, 12},
                                         {16, 16}, {20, 20}, {7, 0}};
    for (const auto &[count, shown] : cases) {
        Table t;
        t.start(QStringLiteral("Ann+60+%1+0+0+n+n+").arg(count));
        feed(t.m, host::arrangeboard({4, 1, 2, 3}));
        EXPECT_EQ(t.m.zorbleSquares().size(), shown) << count;
        if (count == 20) {
            for (const auto &[x, y] : {std::pair{0, 0}, {18, 18}, {9, 3}, {3, 9}, {15, 9}, {9, 15}})
                EXPECT_EQ(t.m.squareColor(x, y), rules::kZorbleSquare) << x << "," << y;
        }
        EXPECT_EQ(t.m.squareColor(9, 9), game::kCentreKind);
        EXPECT_EQ(t.m.squareColor(1, 1), 4);   // top left
        EXPECT_EQ(t.m.squareColor(1, 17), 1);  // bottom left
        EXPECT_EQ(t.m.squareColor(17, 1), 2);  // top right
        EXPECT_EQ(t.m.squareColor(17, 17), 3); // bottom right
    }
}

TEST(MirrorBoard, ClearReturnsEachLaidTileWithASound) {
    Table t;
    t.start("Ann+60+0+0+0+n+n+");
    for (int k = 1; k <= 10; ++k)
        feed(t.m, host::atile(k, k));
    feed(t.m, host::nextplayer(1));
    for (int k = 1; k <= 3; ++k)
        ASSERT_TRUE(t.m.composer().layTile(k, k, 5));
    EXPECT_FALSE(t.m.composer().tileOnRack(2));
    t.sounds.clear();
    t.m.composer().clearLaid();
    EXPECT_EQ(t.sounds, QStringList({"remove", "remove", "remove"}));
    EXPECT_TRUE(t.m.composer().tileOnRack(2));
    EXPECT_EQ(t.m.composer().shownLetter(2, 5), game::kEmpty);
    EXPECT_EQ(t.m.composer().tileText(2), "n+2");
}

// Seat 1's turn in a game with double tiles or without, tiles 1..10 dealt
// the letters given.
struct Composing : Table {
    explicit Composing(const QList<int> &letters, bool doubleTiles = true) {
        start(doubleTiles ? "Ann+60+0+0+0+y+n+" : "Ann+60+0+0+0+n+n+");
        for (int k = 1; k <= letters.size(); ++k)
            feed(m, host::atile(k, letters[k - 1]));
        feed(m, host::nextplayer(1));
        sounds.clear();
    }
    QList<int> order() const {
        QList<int> tiles;
        for (int p = 1; p <= 10; ++p)
            tiles << m.composer().rackOrder()[p].tile;
        return tiles;
    }
};

TEST(MirrorCompose, ADragEndsOnEveryDropAndLaysOnlyOnAFreeSquare) {
    Composing t({0, 1, 2}); // tiles 4..10 were never dealt
    feed(t.m, host::showboard(5, 5, 7));
    EXPECT_FALSE(t.m.composer().startDrag(4)); // "n+*": nothing to pick up
    EXPECT_EQ(t.m.composer().dragTile(), 0);

    ASSERT_TRUE(t.m.composer().startDrag(2));
    EXPECT_EQ(t.m.composer().dragText(), "n+1");
    EXPECT_FALSE(t.m.composer().startDrag(3)); // one drag at a time
    EXPECT_FALSE(t.m.composer().dropDragged(5, 5));
    EXPECT_EQ(t.m.composer().dragTile(), 0);
    EXPECT_TRUE(t.m.composer().tileOnRack(2));
    EXPECT_EQ(t.m.composer().shownLetter(5, 5), 7);

    ASSERT_TRUE(t.m.composer().startDrag(2));
    EXPECT_TRUE(t.m.composer().dropDragged(6, 5));
    EXPECT_EQ(t.m.composer().dragTile(), 0);
    EXPECT_FALSE(t.m.composer().tileOnRack(2));
    EXPECT_EQ(t.m.composer().shownLetter(6, 5), 1);
    EXPECT_EQ(t.m.composer().placedTile(6, 5), 2);
    EXPECT_EQ(t.sounds, QStringList({"place"}));
}

TEST(MirrorCompose, TilesAreTakenBackBySquareOrLastLaidFirst) {
    Composing t({0, 1, 2, 3});
    for (auto [k, x] : {std::pair{3, 4}, {1, 5}, {4, 6}})
        ASSERT_TRUE(t.m.composer().layTile(k, x, 9));
    EXPECT_FALSE(t.m.composer().takeBack(7, 9)); // no tile of this turn there
    EXPECT_TRUE(t.m.composer().takeBack(5, 9));
    EXPECT_TRUE(t.m.composer().tileOnRack(1));
    EXPECT_EQ(t.m.composer().shownLetter(5, 9), game::kEmpty);
    using Square = std::array<int, 2>;
    EXPECT_EQ(t.m.composer().takeBackLast(), (Square{6, 9}));
    EXPECT_EQ(t.m.composer().takeBackLast(), (Square{4, 9}));
    EXPECT_EQ(t.m.composer().takeBackLast(), (Square{game::kEmpty, game::kEmpty}));
    EXPECT_EQ(t.sounds, QStringList({"remove", "remove", "remove"}));
    EXPECT_TRUE(t.m.composer().laidTiles().isEmpty());
}

TEST(MirrorCompose, FlippingTurnsADoubleTileToTheOppositeLetter) {
    for (bool doubleTiles : {true, false}) {
        SCOPED_TRACE(doubleTiles);
        Composing t({0, 12}, doubleTiles);
        EXPECT_EQ(t.m.composer().flippit(1), doubleTiles);
        EXPECT_EQ(t.m.composer().tileText(1), doubleTiles ? "y+25" : "n+0");
        EXPECT_FALSE(t.m.composer().flippit(3)); // never dealt
        if (!doubleTiles)
            continue;
        EXPECT_EQ(t.m.composer().rackOrder()[1].key, 0); // the key stays the dealt letter
        ASSERT_TRUE(t.m.composer().flippit(2));
        EXPECT_EQ(t.m.composer().tileText(2), "y+13"); // M and N
        ASSERT_TRUE(t.m.composer().flippit(2));
        EXPECT_EQ(t.m.composer().tileText(2), "n+12");
        // A turned tile lays its shown letter and is sent turned over.
        ASSERT_TRUE(t.m.composer().layTile(1, 3, 3));
        EXPECT_EQ(t.m.composer().shownLetter(3, 3), 25);
        EXPECT_FALSE(t.m.composer().flippit(1)); // not while it lies on the board
        ASSERT_EQ(t.m.composer().laidTiles().size(), 1);
        EXPECT_TRUE(t.m.composer().laidTiles()[0].flipped);
    }
}

TEST(MirrorCompose, SwapMovesTilesWithTheirKeysAndSortKeepsEqualKeysInOrder) {
    Composing t({3, 1, 3, 0, 7, 2, 9, 5, 2, 8});
    ASSERT_TRUE(t.m.composer().startDrag(1));
    t.m.composer().swapWithDragged(3);
    EXPECT_EQ(t.m.composer().dragTile(), 0);
    EXPECT_EQ(t.order(), QList<int>({3, 2, 1, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(t.m.composer().rackOrder()[1].key, 3);
    ASSERT_TRUE(t.m.composer().layTile(8, 0, 0)); // a tile on the board takes part
    t.m.composer().sortthem();
    // Keys 0 1 2 2 3 3 5 7 8 9; tile 3 stays before tile 1, 6 before 9.
    EXPECT_EQ(t.order(), QList<int>({4, 2, 6, 9, 3, 1, 8, 5, 10, 7}));
}

TEST(MirrorCompose, TypingLaysTheLeftmostTileShowingTheLetter) {
    struct Case {
        const char *name;
        int letter;
        bool otherSide;
        bool doubleTiles;
        int laid; // tile, 0 for none
        int shown;
    };
    // Tiles 1..4: C, A, A, X; tile 3 stands left of tile 2.
    const Case cases[] = {
        {"the leftmost of two", 0, false, true, 3, 0},
        {"the other side, turned over", 2, true, true, 4, 2}, // X shows C
        {"no other side without double tiles", 2, true, false, 0, 0},
        {"a letter the rack lacks", 25, false, true, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Composing t({2, 0, 0, 23}, c.doubleTiles);
        ASSERT_TRUE(t.m.composer().startDrag(2));
        t.m.composer().swapWithDragged(3);
        EXPECT_EQ(t.m.composer().layLetter(c.letter, c.otherSide, 7, 7), c.laid);
        if (c.laid == 0) {
            EXPECT_EQ(t.m.composer().shownLetter(7, 7), game::kEmpty);
            continue;
        }
        EXPECT_EQ(t.m.composer().placedTile(7, 7), c.laid);
        EXPECT_EQ(t.m.composer().shownLetter(7, 7), c.shown);
        EXPECT_EQ(t.sounds, QStringList({"place"}));
    }
}

TEST(MirrorCompose, DoneNamesTheLaidTilesInTileNumberOrder) {
    Composing t({0, 1, 2, 3, 4, 5});
    EXPECT_FALSE(t.m.composer().move()); // nothing laid
    ASSERT_TRUE(t.m.composer().flippit(5));
    ASSERT_TRUE(t.m.composer().layTile(5, 8, 4));
    ASSERT_TRUE(t.m.composer().layTile(2, 7, 4));
    EXPECT_EQ(proto::requestText(*t.m.composer().move()), "CMD_done+1+2+n+7+4+5+y+8+4");
    feed(t.m, host::playerdisconnected(1, "Ann"));
    EXPECT_FALSE(t.m.composer().move()); // not logged in
}

TEST(MirrorTurns, SeatIsRedrawnWithTheMinusTenInPlace) {
    Table t(1);
    t.start("Ann+60+0+0+0+n+n+");
    QStringList shown;
    QObject::connect(&t.m, &GameMirror::seatChanged,
                     [&](int seat) { shown << t.m.seats().bonus(seat); });
    feed(t.m, host::newtiles("2", -10, 4, 0));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), "-10");
}

TEST(MirrorTurns, NewcomerIsToldTheTotalsAndTheTilesLeft) {
    Table t(3);
    QStringList lines;
    QObject::connect(&t.m, &GameMirror::chatLine,
                     [&](int, const QString &text, quint32) { lines << text; });
    feed(t.m, host::tilecount(57));
    feed(t.m, host::seatscore(1, 83, "+12"));
    feed(t.m, host::seatscore(2, -10, "-10"));
    feed(t.m, host::seatscore(4, 0, ""));
    EXPECT_EQ(t.m.texts().tilesLeftText(), "Tiles Left: 41");
    EXPECT_EQ(t.m.seats().score(1), 83);
    EXPECT_EQ(t.m.seats().bonus(1), "+12");
    EXPECT_EQ(t.m.seats().score(2), -10);
    EXPECT_EQ(t.m.seats().bonus(2), "-10");
    EXPECT_EQ(t.m.seats().bonus(4), "");
    EXPECT_TRUE(lines.isEmpty());
}

TEST(MirrorTurns, RefusedMovesAndBoughtTilesAreSignalled) {
    Table t(2);
    t.start("Ann+60+0+0+0+n+n+");
    feed(t.m, host::nextplayer(2));
    QSignalSpy refused(&t.m, &GameMirror::moveRefused);
    QSignalSpy bought(&t.m, &GameMirror::tilesExchanged);
    feed(t.m, host::invalid());
    feed(t.m, host::newtiles("2", -10, 4, 0));
    EXPECT_EQ(refused.size(), 1);
    ASSERT_EQ(bought.size(), 1);
    EXPECT_EQ(bought[0][0].toInt(), 2);
}

TEST(MirrorEnd, WinnersTitleNamesAndTally) {
    struct Case {
        int local;
        QList<int> winners;
        const char *title, *names, *tally;
    };
    // Seats 1 and 3 share a name: the tally goes by seat.
    const Case cases[] = {
        {1, {1}, "Congratulations to the Winner!", "Sam", "addtomine"},
        {1, {3}, "Congratulations to the Winner!", "Sam", "Sam"},
        {2, {2, 4}, "Congratulations to the Winners!", "Bob,Dan", nullptr},
    };
    for (const Case &c : cases) {
        Table t(c.local, {"Sam", "Bob", "Sam", "Dan"});
        t.start("Sam+60+0+0+0+n+n+");
        QSignalSpy tally(&t.m, &GameMirror::tallyGame);
        feed(t.m, host::winner(c.winners));
        EXPECT_TRUE(t.m.texts().winnerShown());
        EXPECT_EQ(t.m.texts().winnerTitle(), c.title);
        EXPECT_EQ(t.m.texts().winnerNames(), c.names);
        ASSERT_EQ(tally.size(), c.tally ? 1 : 0);
        if (c.tally) {
            EXPECT_EQ(tally.first().first().toString(), c.tally);
        }
        EXPECT_EQ(t.m.currentPlayer(), 0);
        t.start("Sam+60+0+0+0+n+n+");
        EXPECT_FALSE(t.m.texts().winnerShown());
    }
}

TEST(MirrorSeats, LeavingFreesTheSeatAndWatchingShowsTheMark) {
    Table t;
    t.start("Ann+60+0+0+0+n+n+");
    feed(t.m, host::postscore({10, 3, 0, 12, 12, 1, 0, "cat"}));
    feed(t.m, host::justwatching(3, 1));
    EXPECT_TRUE(t.m.seats().watching(3));
    feed(t.m, host::playerdisconnected(3, "Cat"));
    EXPECT_EQ(t.m.seats().name(3), SeatList::kWaiting);
    EXPECT_FALSE(t.m.seats().watching(3));
    EXPECT_EQ(t.m.seats().score(3), 12); // the score stays until the next game
}

// A newcomer hears of the free slots below the highest one opened with empty
// names: they stay free in the seats, the spy list and the tally's players.
TEST(MirrorSeats, EmptyNamesAreFreeSlots) {
    Table t(3, {"Ann", "Bob", "Cat", "Dan"});
    QStringList lines;
    QObject::connect(&t.m, &GameMirror::chatLine,
                     [&](int, const QString &text, quint32) { lines << text; });
    t.sounds.clear();
    for (int slot : {2, 6, 4})
        feed(t.m, host::existingplayers(slot, ""));
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(t.sounds.isEmpty());
    EXPECT_EQ(t.m.seats().name(2), SeatList::kWaiting);
    EXPECT_EQ(t.m.seats().name(4), SeatList::kWaiting);
    EXPECT_TRUE(t.m.seats().spies().isEmpty());
    EXPECT_EQ(t.m.seats().seatedCount(), 2);
    EXPECT_EQ(t.m.seats().otherPlayers(3), QStringList{"Ann"});
}

// Each step hands the mirror one announcement and reads back the watcher
// entries, in the state file as the spy list gets them, and the lines.
TEST(MirrorSeats, WatchersComeAndGoAsSpyListEntries) {
    Table t(2);
    QStringList lines;
    QObject::connect(&t.m, &GameMirror::chatLine,
                     [&](int, const QString &text, quint32) { lines << text; });
    struct Step {
        QString line;
        QStringList spies;
        QStringList said;
    };
    const Step steps[] = {
        {host::newplayerinfo(7, "Alice"),
         {"7: Alice"},
         {"Alice is Connected.", "Alice is spying."}},
        {host::existingplayers(5, "Eve"),
         {"7: Alice", "5: Eve"},
         {"Eve is Connected.", "Eve is spying."}},
        {host::existingplayers(5, "Eve"),
         {"7: Alice", "5: Eve"},
         {"Eve is Connected.", "Eve is spying."}},
        // A player's seat is no watcher.
        {host::newplayerinfo(3, "Zed"), {"7: Alice", "5: Eve"}, {"Zed is Connected."}},
        // Slot and name must both match.
        {host::playerdisconnected(7, "Bob"), {"7: Alice", "5: Eve"}, {}},
        {host::playerdisconnected(5, "Alice"), {"7: Alice", "5: Eve"}, {}},
        {host::playerdisconnected(7, "Alice"), {"5: Eve"}, {"Alice has left."}},
        {host::newplayerinfo(9, "Ann"),
         {"5: Eve", "9: Ann"},
         {"Ann is Connected.", "Ann is spying."}},
        {host::playerdisconnected(5, "Eve"), {"9: Ann"}, {"Eve has left."}},
    };
    for (const Step &step : steps) {
        lines.clear();
        feed(t.m, step.line);
        EXPECT_EQ(t.m.seats().spies(), step.spies) << step.line.toStdString();
        EXPECT_EQ(lines, step.said) << step.line.toStdString();
        EXPECT_EQ(mirrorState(t.m)["spies"].toArray().toVariantList(),
                  QVariant(step.spies).toList());
    }
}

TEST(MirrorState, StateFileReadsTheBoardRackAndSeats) {
    Table t(2);
    t.start("Ann+60+4+0+0+n+n+");
    feed(t.m, host::arrangeboard({1, 2, 3, 4}));
    feed(t.m, host::atile(1, 4));
    feed(t.m, host::newword({{9, 9, 2}, {10, 9, 0}, {11, 9, 19}}));
    const QJsonObject s = mirrorState(t.m);
    EXPECT_EQ(s["localseat"].toInt(), 2);
    EXPECT_EQ(s["board"].toArray()[9].toString(), ".........cat.......");
    EXPECT_EQ(s["newest"].toArray().size(), 3);
    EXPECT_EQ(s["zorbles"].toArray().size(), 4);
    EXPECT_EQ(s["rack"].toArray()[0].toString(), "n+e");
    EXPECT_TRUE(s["rack"].toArray()[1].isNull());
    EXPECT_EQ(s["seats"].toArray()[1].toObject()["name"].toString(), "Bob");
    EXPECT_EQ(s["labels"].toObject()["label_reason"].toString(), "Game Over!");
}

} // namespace
