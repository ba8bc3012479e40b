// The board, the rack and the panels as they paint from the game mirror. The
// pixels are checked against the picture set the views were given, so the
// tests hold for any drawing of the pictures.
#include "client/boardview.h"
#include "client/chat/chatpanel.h"
#include "client/chat/sounds.h"
#include "client/pictures.h"
#include "client/tchat.h"
#include "client/unseenview.h"
#include "client/zorbleflash.h"
#include "clientcore/gamemirror.h"
#include "game/bag.h"
#include "tests/client/fits.h"
#include "windows/tspylist.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegion>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace proto::toclient;

constexpr int kSquare = TilePictures::kSquare;

// Whether `image` shows `picture` with the picture's top left corner at
// `at`: every opaque pixel of the picture inside `part` (in the picture's
// coordinates; all of it when empty) is in the image. A part without any
// opaque pixel proves nothing and fails.
testing::AssertionResult shows(const QImage &image, QPoint at, const QImage &picture,
                               QRect part = {}) {
    if (part.isEmpty())
        part = picture.rect();
    int opaque = 0;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            const QRgb want = picture.pixel(x, y);
            if (qAlpha(want) != 255)
                continue;
            ++opaque;
            const QRgb got = image.pixel(at + QPoint(x, y));
            if (got != want)
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << got
                       << ", the picture has " << want;
        }
    }
    if (opaque == 0)
        return testing::AssertionFailure() << "no opaque pixel to compare";
    return testing::AssertionSuccess();
}

testing::AssertionResult showsOnSquare(const QImage &board, int x, int y, const QPixmap &picture,
                                       QRect part = {}) {
    return shows(board, QPoint(x * kSquare, y * kSquare), picture.toImage(), part);
}

// A game opened as the host opens one: the start with its settings, then the
// seat colours in their first arrangement.
void startGame(GameMirror &m, int zorbleSquares) {
    Started started;
    started.name = QStringLiteral("Host");
    started.options.turntime = 60;
    started.options.squarecount = zorbleSquares;
    m.handle(started);
    m.handle(ArrangeBoard{{1, 2, 3, 4}});
}

template <class T> T *child(QWidget &w, const QString &name) {
    T *found = w.findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

TEST(BoardView, PaintsBackgroundsLettersAndTheNewestWordsFrame) {
    GameMirror m;
    const ClassicPictures pics;
    BoardView view(m, &pics);
    startGame(m, 20);
    m.handle(ShowBoard{{3, 12, 16}});                // Q, an older word
    m.handle(NewWord{{{12, 10, 25}, {13, 10, 14}}}); // Z O, the newest
    const QImage board = view.grab().toImage();
    ASSERT_EQ(board.size(), QSize(532, 532));

    struct Square {
        int x, y;
        int background; // for squares without a letter
    };
    for (const Square &s : {Square{9, 9, 0}, Square{1, 1, 1}, Square{1, 17, 2}, Square{17, 1, 3},
                            Square{17, 17, 4}, Square{6, 6, 5}}) {
        EXPECT_TRUE(showsOnSquare(board, s.x, s.y, pics.color(s.background))) << s.x << "," << s.y;
    }

    struct Lettered {
        int x, y, letter;
        bool framed;
    };
    const QPixmap frame = pics.little(TilePictures::kFrame);
    // The frame keeps to the square's rim; the letter shows inside it.
    const QRect inside(5, 5, 18, 18);
    for (const Lettered &s :
         {Lettered{3, 12, 16, false}, Lettered{12, 10, 25, true}, Lettered{13, 10, 14, true}}) {
        EXPECT_TRUE(showsOnSquare(board, s.x, s.y, pics.little(s.letter), inside))
            << s.x << "," << s.y;
        EXPECT_EQ(showsOnSquare(board, s.x, s.y, frame), s.framed) << s.x << "," << s.y;
    }
}

TEST(BoardView, ShowsAsManyZorbleSquaresAsTheGameHas) {
    for (int count : {0, 4, 20}) {
        GameMirror m;
        const ClassicPictures pics;
        BoardView view(m, &pics);
        view.setCoordinates(false); // they would cover the edge squares' corners
        startGame(m, count);
        const QImage board = view.grab().toImage();
        QList<std::array<int, 2>> painted;
        for (int x = 0; x < game::kBoard; ++x)
            for (int y = 0; y < game::kBoard; ++y)
                if (showsOnSquare(board, x, y, pics.color(rules::kZorbleSquare)))
                    painted.append({x, y});
        EXPECT_EQ(painted.size(), count);
        EXPECT_EQ(painted, m.zorbleSquares()) << count;
    }
}

// The edge squares carry the coordinates in strips of their own: with them
// ticked each strip shows its own label (no two alike), over squares and
// tiles alike, and not one pixel outside the strips changes.
TEST(BoardView, EdgeSquaresCarryTheCoordinatesOnlyInTheirStrips) {
    GameMirror m;
    const ClassicPictures pics;
    BoardView view(m, &pics);
    startGame(m, 20);
    m.handle(ShowBoard{{10, 0, 4}}); // a tile on K1
    m.handle(ShowBoard{{0, 9, 4}});  // and on A10
    view.setCoordinates(false);
    const QImage plain = view.grab().toImage();
    view.setCoordinates(true);
    const QImage labelled = view.grab().toImage();

    QRegion strips;
    for (int i = 0; i < game::kBoard; ++i)
        strips += QRegion(BoardView::columnLabel(i)) + QRegion(BoardView::rowLabel(i));
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (!strips.contains(QPoint(x, y))) {
                ASSERT_EQ(plain.pixel(x, y), labelled.pixel(x, y)) << x << "," << y;
            }
        }
    }

    for (auto label : {&BoardView::columnLabel, &BoardView::rowLabel}) {
        QList<QImage> seen;
        for (int i = 0; i < game::kBoard; ++i) {
            const QRect strip = label(i);
            const QImage shown = labelled.copy(strip);
            EXPECT_NE(shown, plain.copy(strip)) << i;
            EXPECT_FALSE(seen.contains(shown)) << "label " << i << " repeats another";
            seen.append(shown);
        }
    }
}

TEST(BoardView, RepaintsWhenTheBoardChanges) {
    Tchat w;
    w.show();
    auto *board = child<QWidget>(w, QStringLiteral("board"));
    EXPECT_EQ(board->mapTo(w.centralWidget(), QPoint()), QPoint(8, 7));
    startGame(w.mirror(), 0);
    w.mirror().handle(ShowBoard{{4, 4, 7}});
    const QImage image = board->grab().toImage();
    EXPECT_TRUE(showsOnSquare(image, 4, 4, w.pictures().little(7)));
    // View > Coordinates, ticked at first, takes them off the board.
    auto *view = qobject_cast<BoardView *>(board);
    ASSERT_TRUE(view->coordinates());
    w.coordinatesAction()->trigger();
    EXPECT_FALSE(view->coordinates());
}

// A window whose player sits in seat 3 and whose turn it is, with tiles
// 1..4 and 10 dealt.
struct OwnTurn {
    Tchat w;
    GameMirror &m = w.mirror();
    OwnTurn() {
        m.handle(proto::toclient::SendLoginInfo{3});
        m.handle(proto::toclient::NewPlayerInfo{{3, QStringLiteral("Alice")}});
        startGame(m, 0);
        for (auto [slot, letter] : {std::pair{1, 0}, {2, 1}, {3, 2}, {4, 3}, {10, 25}})
            m.handle(Atile{{slot, letter}});
        m.handle(NextPlayer{3});
    }
    QLabel *tile(int k) { return child<QLabel>(w, QStringLiteral("tile_%1").arg(k)); }
};

TEST(RackView, ShowsTilesOnTheRackAtTheirPlacesAndHidesLaidAndSpentOnes) {
    OwnTurn t;
    ASSERT_TRUE(t.m.composer().layTile(2, 5, 5));
    ASSERT_TRUE(t.m.composer().layTile(3, 6, 5));
    t.m.handle(NewWord{{{6, 5, 2}}}); // tile 3 is spent; tile 2 still lies on the board
    struct Tile {
        int k;
        bool shown;
        QPoint at; // in the main panel
        int letter;
    };
    for (const Tile &e : {Tile{1, true, {33, 545}, 0}, Tile{2, false, {81, 545}, 1},
                          Tile{3, false, {129, 545}, 2}, Tile{4, true, {177, 545}, 3},
                          Tile{5, false, {225, 545}, 0}, Tile{10, true, {465, 545}, 25}}) {
        QLabel *tile = t.tile(e.k);
        EXPECT_EQ(tile->isVisibleTo(t.w.centralWidget()), e.shown) << e.k;
        EXPECT_EQ(tile->mapTo(t.w.centralWidget(), QPoint()), e.at) << e.k;
        EXPECT_EQ(tile->size(), QSize(40, 40)) << e.k;
        if (e.shown) {
            EXPECT_TRUE(shows(tile->grab().toImage(), QPoint(),
                              t.w.pictures().big(e.letter).toImage(), QRect(0, 0, 40, 40)))
                << e.k;
        }
    }
}

TEST(RackView, TheBarTakesTheLocalSeatsColour) {
    OwnTurn t;
    auto *bar = child<QLabel>(t.w, QStringLiteral("image_bar"));
    EXPECT_TRUE(bar->isVisibleTo(t.w.centralWidget()));
    EXPECT_TRUE(shows(bar->grab().toImage(), QPoint(), t.w.pictures().bar(3).toImage()));

    Tchat watcher;
    watcher.mirror().handle(proto::toclient::SendLoginInfo{6});
    watcher.mirror().handle(proto::toclient::NewPlayerInfo{{6, QStringLiteral("Dave")}});
    EXPECT_FALSE(
        child<QLabel>(watcher, QStringLiteral("image_bar"))->isVisibleTo(watcher.centralWidget()));
}

TEST(TchatMoves, ButtonsShowOnlyDuringOwnTurn) {
    OwnTurn t;
    const QStringList names{"button_done", "button_clear", "button_newtiles", "button_pass"};
    auto shown = [&] {
        int n = 0;
        for (const QString &name : names)
            n += child<QPushButton>(t.w, name)->isVisibleTo(t.w.centralWidget());
        return n;
    };
    EXPECT_EQ(shown(), 4);
    t.m.handle(Passed{3});
    EXPECT_EQ(shown(), 0);
    t.m.handle(NextPlayer{1});
    EXPECT_EQ(shown(), 0);
}

TEST(TchatMoves, ButtonsGoWhenTheOwnSeatSitsOutAndNobodyMovesAfterTheEnd) {
    OwnTurn t;
    auto *done = child<QPushButton>(t.w, QStringLiteral("button_done"));
    ASSERT_TRUE(done->isVisibleTo(t.w.centralWidget()));
    t.m.handle(Watching{{3, 1}});
    t.m.handle(NextPlayer{1});
    for (const char *name : {"button_done", "button_clear", "button_newtiles", "button_pass"})
        EXPECT_FALSE(
            child<QPushButton>(t.w, QString::fromLatin1(name))->isVisibleTo(t.w.centralWidget()))
            << name;
    t.m.handle(Winner{{1}});
    EXPECT_EQ(child<QLabel>(t.w, QStringLiteral("label_turn"))->text(), "Game Over.");
}

// A press on a rack tile, moved and let go: over a free square the tile is
// laid there; anywhere else it goes back to the rack. A press let go where
// it was keeps the tile picked up for the click-and-click way.
TEST(TchatMoves, DraggingATileFromTheRackLaysItWhereItIsLetGo) {
    struct Case {
        QPoint release; // in the board's pixels
        int laidAt;     // the letter on square (5, 5) afterwards
        int carried;    // the tile picked up afterwards
    };
    const Case cases[] = {
        {{5 * kSquare + 10, 5 * kSquare + 10}, 0, 0}, // on (5, 5)
        {{-60, 5 * kSquare}, game::kEmpty, 0},        // off the board
    };
    for (const Case &c : cases) {
        OwnTurn t;
        t.w.show();
        BoardView *board = t.w.findChild<BoardView *>();
        ASSERT_NE(board, nullptr);
        QLabel *tile = t.tile(1);
        const QPoint from = tile->mapToGlobal(QPoint(20, 20));
        const QPoint to = board->mapToGlobal(c.release);
        auto mouse = [&](QEvent::Type type, QPoint global, Qt::MouseButtons held) {
            QMouseEvent e(type, tile->mapFromGlobal(global), global, Qt::LeftButton, held,
                          Qt::NoModifier);
            QApplication::sendEvent(tile, &e);
        };
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
        EXPECT_EQ(t.m.composer().shownLetter(5, 5), c.laidAt) << c.release.x();
        EXPECT_EQ(t.m.composer().dragTile(), c.carried) << c.release.x();
        EXPECT_EQ(tile->isVisibleTo(t.w.centralWidget()), c.laidAt == game::kEmpty);
    }
    OwnTurn t;
    QLabel *tile = t.tile(2);
    const QPoint at = tile->mapToGlobal(QPoint(20, 20));
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPoint(20, 20), at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tile, &e);
    }
    EXPECT_EQ(t.m.composer().dragTile(), 2);
}

TEST(TchatMoves, ClearTakesTheLaidTilesBackWithARemoveSoundEach) {
    OwnTurn t;
    QStringList played;
    t.w.chat()->sounds()->setEnabled(true);
    QObject::connect(t.w.chat()->sounds(), &Sounds::started,
                     [&](const QString &name) { played << name; });
    for (int k : {1, 2, 4})
        ASSERT_TRUE(t.m.composer().layTile(k, 4 + k, 9));
    EXPECT_FALSE(t.tile(2)->isVisibleTo(t.w.centralWidget()));
    child<QPushButton>(t.w, QStringLiteral("button_clear"))->click();
    EXPECT_EQ(played, QStringList({"remove", "remove", "remove"}));
    for (int k : {1, 2, 4})
        EXPECT_TRUE(t.tile(k)->isVisibleTo(t.w.centralWidget())) << k;
    EXPECT_EQ(t.m.composer().shownLetter(6, 9), game::kEmpty);
}

TEST(TchatStatus, TurnClocksAndTilesLeftTakeTheColourOfTheSeatWhoseTurnItIs) {
    struct Turn {
        int seat;
        QString text;
        QColor colour;
    };
    for (const Turn &turn : {Turn{2, "Bob's turn.", QColor(0, 255, 0)},
                             Turn{3, "Carol's turn.", QColor(67, 141, 252)}}) {
        Tchat w;
        GameMirror &m = w.mirror();
        m.handle(proto::toclient::NewPlayerInfo{{2, QStringLiteral("Bob")}});
        m.handle(proto::toclient::NewPlayerInfo{{3, QStringLiteral("Carol")}});
        startGame(m, 0);
        m.handle(TileCount{30});
        m.handle(NextPlayer{turn.seat});
        m.Timer2Timer();
        const std::vector<std::pair<const char *, QString>> labels{
            {"label_turn", turn.text},
            {"label_timeofgame", "Game Time: 0:01"},
            {"label_timeofturn", "Turn Time: 0:58"},
            {"label_tilesleft", "Tiles Left: 68"},
        };
        for (const auto &[name, text] : labels) {
            auto *l = child<QLabel>(w, QString::fromLatin1(name));
            EXPECT_EQ(l->text(), text) << name;
            EXPECT_EQ(l->palette().color(QPalette::WindowText), turn.colour) << name;
        }
    }
}

TEST(TchatStatus, TheTurnOfTheLongestNameFitsAtTheSmallestWindow) {
    for (const QString &name :
         {QStringLiteral("Computer 1"), QStringLiteral("WWWWWWWWWWWWWWWWWWWW")}) {
        Tchat w;
        w.resize(w.minimumSize());
        w.show();
        w.mirror().handle(NewPlayerInfo{{2, name}});
        startGame(w.mirror(), 0);
        w.mirror().handle(NextPlayer{2});
        auto *turn = child<QLabel>(w, QStringLiteral("label_turn"));
        EXPECT_EQ(turn->text(), name + "'s turn.");
        EXPECT_TRUE(fitsInLabel(turn));
    }
}

TEST(TchatStatus, SettingsShowTheGamesSettings) {
    Tchat w;
    Started started;
    started.name = QStringLiteral("Bob");
    started.options = {90, 8, 30, 250, true, true};
    w.mirror().handle(started);
    const std::vector<std::pair<const char *, QString>> labels{
        {"label_turntime", "90"}, {"label_gametime", "30 mins"}, {"label_playtoscore", "250"},
        {"label_double", "Yes"},  {"label_partners", "Yes"},
    };
    for (const auto &[name, text] : labels)
        EXPECT_EQ(child<QLabel>(w, QString::fromLatin1(name))->text(), text) << name;
}

// A window that joins after departures hears of the free slots with empty
// names.
TEST(TchatSeats, FreeSlotsAnnouncedToANewcomerStayFree) {
    Tchat w;
    GameMirror &m = w.mirror();
    QStringList lines;
    QObject::connect(&m, &GameMirror::chatLine,
                     [&](int, const QString &text, quint32) { lines << text; });
    m.handle(SendLoginInfo{3});
    m.handle(NewPlayerInfo{{3, QStringLiteral("Alice")}});
    for (int slot : {1, 2, 4, 5, 6})
        m.handle(NewPlayerInfo{{slot, slot == 1 ? QStringLiteral("Bob") : QString()}});
    EXPECT_EQ(child<QLabel>(w, QStringLiteral("label_playername2"))->text(), "<Waiting>");
    EXPECT_EQ(child<QLabel>(w, QStringLiteral("label_playername4"))->text(), "<Waiting>");
    EXPECT_TRUE(w.spyList()->entries().isEmpty());
    EXPECT_EQ(lines, (QStringList{"You are Connected.", "Bob is Connected."}));
}

TEST(TchatSeats, TheMinusTenShowsAfterNewTiles) {
    OwnTurn t;
    t.m.handle(Exchanged{{3, -10, 1, 0}});
    EXPECT_EQ(child<QLabel>(t.w, QStringLiteral("label_bonus3"))->text(), "-10");
    EXPECT_EQ(child<QLabel>(t.w, QStringLiteral("label_score3"))->text(), "-10");
}

TEST(TchatSeats, TheWatchingMarkShowsWhileTheSeatSitsOut) {
    Tchat w;
    w.mirror().handle(proto::toclient::NewPlayerInfo{{2, QStringLiteral("Bob")}});
    auto *eyes = child<QLabel>(w, QStringLiteral("image_eyes2"));
    for (auto [code, shown] : {std::pair{1, true}, {2, false}}) {
        w.mirror().handle(Watching{{2, code}});
        EXPECT_EQ(eyes->isVisibleTo(w.centralWidget()), shown) << code;
    }
    EXPECT_EQ(eyes->pixmap().toImage(), w.pictures().eyes().toImage());
}

TEST(WinnerPanel, ShowsTheTitleAndTheNamesShadowedForOneOrTwoWinners) {
    struct Ending {
        QList<int> seats;
        QString title;
        QString names;
    };
    for (const Ending &e : {Ending{{2}, "Congratulations to the Winner!", "<b>Bob</b>"},
                            Ending{{1, 3}, "Congratulations to the Winners!", "Alice,Carol"}}) {
        Tchat w;
        GameMirror &m = w.mirror();
        m.handle(proto::toclient::NewPlayerInfo{{1, QStringLiteral("Alice")}});
        m.handle(proto::toclient::NewPlayerInfo{{2, QStringLiteral("<b>Bob</b>")}});
        m.handle(proto::toclient::NewPlayerInfo{{3, QStringLiteral("Carol")}});
        startGame(m, 0);
        auto *panel = child<QWidget>(w, QStringLiteral("panel_winner"));
        m.handle(GameOver{EndReason::PlayToScore});
        m.handle(Winner{e.seats});
        EXPECT_TRUE(panel->isVisibleTo(w.centralWidget()));
        EXPECT_EQ(child<QLabel>(w, QStringLiteral("label_reason"))->text(),
                  "Play to Score Reached, Game Over!");
        // Labels 1 and 2 hold the title, 3 and 4 the names: a shadow and the
        // text one pixel up and to the left of it.
        for (auto [shadow, text, expected] : {std::tuple{1, 2, e.title}, {3, 4, e.names}}) {
            auto *back = child<QLabel>(w, QStringLiteral("label_winner%1").arg(shadow));
            auto *front = child<QLabel>(w, QStringLiteral("label_winner%1").arg(text));
            EXPECT_EQ(back->text(), expected);
            EXPECT_EQ(front->text(), expected);
            EXPECT_EQ(back->pos() - front->pos(), QPoint(1, 1));
            EXPECT_EQ(front->textFormat(), Qt::PlainText);
            EXPECT_NE(back->palette().color(QPalette::WindowText),
                      front->palette().color(QPalette::WindowText));
        }
        startGame(m, 0);
        EXPECT_FALSE(panel->isVisibleTo(w.centralWidget()));
    }
}

TEST(ZorbleFlash, AlternatesTheOutcomesFramesAndHidesAfterFifteenChanges) {
    for (int outcome : {1, 2, 3}) {
        Tchat w;
        w.mirror().handle(proto::toclient::NewPlayerInfo{{1, QStringLiteral("Alice")}});
        Scored scored;
        scored.seat = 1;
        scored.bonus = outcome;
        scored.word = QStringLiteral("zorble");
        w.mirror().handle(scored);

        auto *flash = child<ZorbleFlash>(w, QStringLiteral("image_zb"));
        EXPECT_EQ(flash->geometry(), QRect(764, 116, 71, 61));
        EXPECT_TRUE(flash->running());
        EXPECT_FALSE(flash->isVisibleTo(w.centralWidget()));
        const QImage both = w.pictures().squares(outcome - 1).toImage();
        const std::array<QImage, 2> frames{both.copy(0, 0, 71, 61), both.copy(71, 0, 71, 61)};
        for (int change = 1; change < ZorbleFlash::kChanges; ++change) {
            flash->step();
            ASSERT_TRUE(flash->isVisibleTo(w.centralWidget())) << outcome << " " << change;
            // The outcome shows first, then the title, and so on.
            EXPECT_TRUE(shows(flash->grab().toImage(), QPoint(), frames[change % 2]))
                << outcome << " " << change;
        }
        flash->step();
        EXPECT_FALSE(flash->isVisibleTo(w.centralWidget())) << outcome;
        EXPECT_FALSE(flash->running()) << outcome;
    }
}

} // namespace

namespace {

// The unseen tiles go down with each letter on the board and on the own
// rack; a double-sided game names each letter with its other face.
TEST(UnseenView, CountsWhatTheBoardAndTheOwnRackDoNotShow) {
    GameMirror m;
    UnseenView view(m);
    auto *counts = view.findChild<QLabel *>(QStringLiteral("unseencounts"));
    ASSERT_NE(counts, nullptr);
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Total 99")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Q  1")));
    m.handle(ShowBoard{{3, 12, 16}}); // Q
    m.handle(Atile{{1, 0}});          // A
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Q  0")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("A  9")));
    EXPECT_TRUE(counts->text().endsWith(QStringLiteral("Total 97")));
    EXPECT_TRUE(UnseenView::describe(game::unseenTiles(m.position()), true)
                    .contains(QStringLiteral("Q/J  0")));
}

} // namespace
