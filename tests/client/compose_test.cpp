// Composing a move in the game window with the mouse and the keyboard, and
// what a fake host receives when the move is submitted.
#include "tests/client/fakehost.h"

#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/pictures.h"
#include "client/tchat.h"
#include "net/protocol.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <optional>

namespace {

constexpr int kSquare = TilePictures::kSquare;

// A key typed where the keyboard focus is.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Alice in seat 1 of a game her window joined, on her turn, with the rack
// tiles 1.. dealt the letters given (a = 0).
struct Turn {
    FakeHost host;
    FakeHost lobby;
    Tchat w;
    QWidget *board = nullptr;
    qsizetype loginBytes = 0;

    explicit Turn(const QList<int> &letters, bool doubleTiles = false,
                  const QList<proto::BoardLetter> &onBoard = {}) {
        w.setPorts(host.port(), lobby.port());
        w.setArguments({"Alice", "127.0.0.1", "false"});
        w.show();
        board = w.findChild<QWidget *>(QStringLiteral("board"));
        EXPECT_TRUE(waitUntil([this] { return host.connected(); }));
        host.send({"CMD_sendlogininfo+1"});
        EXPECT_TRUE(waitUntil([this] { return host.received().endsWith("\xFF\xFF"); }));
        loginBytes = host.received().size();
        QList<QByteArray> game{
            proto::host::newplayerinfo(1, "Alice").toUtf8(),
            proto::host::startgame(doubleTiles ? "Alice+90+0+0+0+y+n+" : "Alice+90+0+0+0+n+n+",
                                   false)
                .toUtf8()};
        for (const proto::BoardLetter &l : onBoard)
            game << proto::host::showboard(l.x, l.y, l.letter).toUtf8();
        for (int k = 1; k <= letters.size(); ++k)
            game << proto::host::atile(k, letters[k - 1]).toUtf8();
        game << proto::host::nextplayer(1).toUtf8();
        host.send(game);
        EXPECT_TRUE(waitUntil([this] { return w.mirror().canLay(); }));
    }

    // What the window sent after logging in.
    QByteArray sent() const { return host.received().mid(loginBytes); }
    QLabel *tile(int k) const { return w.findChild<QLabel *>(QStringLiteral("tile_%1").arg(k)); }
    QWidget *child(const char *name) const { return w.findChild<QWidget *>(name); }
    void pickUp(int k, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(tile(k), button, {}, QPoint(20, 20));
    }
    void clickSquare(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(board, button, {}, QPoint(x * kSquare + 14, y * kSquare + 14));
    }
    // The tiles in the order they stand on the rack, left to right.
    QList<int> rackOrder() const {
        QList<int> tiles;
        for (int k = 1; k <= 10; ++k)
            if (tile(k)->isVisibleTo(&w))
                tiles << k;
        std::sort(tiles.begin(), tiles.end(),
                  [this](int a, int b) { return tile(a)->x() < tile(b)->x(); });
        return tiles;
    }
};

TEST(ComposeMouse, ClicksAddressTheSquareFourPixelsOnAndNotTheLastStrip) {
    struct Case {
        QPoint pixel;
        std::optional<QPoint> square; // none: the click is ignored, the drag stays
        bool lastSecond = false;      // one second of the turn left
    };
    const Case cases[] = {
        {{23, 23}, QPoint(0, 0)},     {{24, 24}, QPoint(1, 1)},
        {{51, 530}, std::nullopt}, // row 19
        {{531, 51}, std::nullopt}, // column 19
        {{527, 527}, QPoint(18, 18)}, {{100, 100}, std::nullopt, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pixel.x() << "," << c.pixel.y());
        Turn t({4});
        while (c.lastSecond && t.w.mirror().turnClock() > 1)
            t.w.mirror().Timer2Timer();
        t.pickUp(1);
        ASSERT_EQ(t.w.mirror().composer().dragTile(), 1);
        QTest::mouseClick(t.board, Qt::LeftButton, {}, c.pixel);
        if (c.square) {
            EXPECT_EQ(t.w.mirror().composer().placedTile(c.square->x(), c.square->y()), 1);
            EXPECT_FALSE(t.tile(1)->isVisibleTo(&t.w));
        } else {
            EXPECT_EQ(t.w.mirror().composer().tileSquare(1)[0], game::kEmpty);
            EXPECT_EQ(t.w.mirror().composer().dragTile(), 1);
        }
    }
}

TEST(ComposeMouse, TheDragPictureFollowsThePointerAndADropOnALetterIsRefused) {
    Turn t({0, 1}, false, {{4, 4, 7}});
    auto *drag = t.w.findChild<QLabel *>(QStringLiteral("image_dragging"));
    ASSERT_NE(drag, nullptr);
    EXPECT_FALSE(drag->isVisibleTo(&t.w));
    t.pickUp(2);
    EXPECT_TRUE(drag->isVisibleTo(&t.w));
    EXPECT_EQ(drag->size(), QSize(28, 28));
    EXPECT_EQ(drag->pixmap().toImage(), t.w.pictures().little(1).toImage());
    QWidget *panel = t.w.centralWidget();
    EXPECT_EQ(drag->pos(), t.tile(2)->mapTo(panel, QPoint(20, 20)) + QPoint(3, 3));
    QTest::mouseMove(t.board, QPoint(120, 130));
    EXPECT_EQ(drag->pos(), t.board->mapTo(panel, QPoint(120, 130)) + QPoint(3, 3));

    t.clickSquare(4, 4);
    EXPECT_EQ(t.w.mirror().composer().shownLetter(4, 4), 7);
    EXPECT_TRUE(t.tile(2)->isVisibleTo(&t.w));
    EXPECT_EQ(t.w.mirror().composer().dragTile(), 0);
    EXPECT_FALSE(drag->isVisibleTo(&t.w));
}

TEST(ComposeMouse, ARightClickSubmitsTheLaidTilesInTileNumberOrder) {
    Turn t({2, 0, 19});
    t.pickUp(3);
    t.clickSquare(7, 9);
    t.pickUp(1);
    t.clickSquare(5, 9);
    t.pickUp(2);
    t.clickSquare(6, 9);
    // A left click on a laid tile does nothing; a right click takes it back.
    t.clickSquare(6, 9);
    EXPECT_EQ(t.w.mirror().composer().placedTile(6, 9), 2);
    t.clickSquare(6, 9, Qt::RightButton);
    EXPECT_TRUE(t.tile(2)->isVisibleTo(&t.w));
    EXPECT_EQ(t.sent(), QByteArray());

    t.clickSquare(0, 18, Qt::RightButton);
    ASSERT_TRUE(waitUntil([&] { return t.sent().endsWith('\xFF'); }));
    EXPECT_EQ(t.sent(), QByteArray("CMD_done+1+1+n+5+9+3+n+7+9\xFF"));
}

TEST(ComposeMouse, ARightClickTurnsADoubleTileOverAndOtherwiseOnlyDropsTheDrag) {
    for (bool doubleTiles : {true, false}) {
        SCOPED_TRACE(doubleTiles);
        Turn t({0, 5}, doubleTiles);
        t.pickUp(2);
        t.pickUp(1, Qt::RightButton);
        EXPECT_EQ(t.w.mirror().composer().dragTile(), 0);
        const int shown = doubleTiles ? 25 : 0;
        EXPECT_EQ(t.tile(1)->pixmap().toImage(), t.w.pictures().big(shown).toImage());
        EXPECT_EQ(t.tile(1)->accessibleDescription(), QString(QChar(u'A' + shown)));
        t.pickUp(1, Qt::RightButton);
        EXPECT_EQ(t.tile(1)->pixmap().toImage(), t.w.pictures().big(0).toImage());
        EXPECT_EQ(t.w.mirror().composer().tileText(1), "n+0");
    }
}

TEST(ComposeMouse, SortKeepsTilesOfEqualLettersInTheirPlaces) {
    Turn t({3, 1, 3, 0, 7, 2, 9, 5, 2, 8});
    t.pickUp(1);
    t.pickUp(3); // tiles 1 and 3 change places
    EXPECT_EQ(t.rackOrder(), QList<int>({3, 2, 1, 4, 5, 6, 7, 8, 9, 10}));
    QTest::mouseClick(t.child("image_sort"), Qt::LeftButton);
    EXPECT_EQ(t.rackOrder(), QList<int>({4, 2, 6, 9, 3, 1, 8, 5, 10, 7}));
}

TEST(ComposeKeys, TypingOnTheBoardLaysAWordAndEnterSubmitsIt) {
    // Tile 1 shows G, whose other side is T; tile 2 shows C. An A lies on
    // the board at (3, 10).
    Turn t({6, 2}, true, {{3, 10, 0}});
    t.w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&t.w));
    t.w.chat()->entry()->setFocus();
    press(Qt::Key_C);
    EXPECT_TRUE(t.w.mirror().composer().laidTiles().isEmpty()); // the chat keeps its keys

    t.clickSquare(3, 9);
    ASSERT_TRUE(t.board->hasFocus());
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    press(Qt::Key_C);
    press(Qt::Key_T, Qt::ShiftModifier); // the board's A is stepped over
    EXPECT_EQ(t.w.mirror().composer().placedTile(3, 9), 2);
    EXPECT_EQ(t.w.mirror().composer().placedTile(3, 11), 1);
    press(Qt::Key_Backspace);
    EXPECT_EQ(t.w.mirror().composer().placedTile(3, 11), game::kEmpty);
    press(Qt::Key_T); // the tile stays turned over on the rack
    EXPECT_EQ(t.w.mirror().composer().placedTile(3, 11), 1);

    press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return t.sent().endsWith('\xFF'); }));
    EXPECT_EQ(t.sent(), QByteArray("CMD_done+1+1+y+3+11+2+n+3+9\xFF"));
    EXPECT_TRUE(t.board->hasFocus());
    press(Qt::Key_Escape);
    EXPECT_TRUE(t.w.mirror().composer().laidTiles().isEmpty());
}

TEST(ComposeButtons, MoveButtonsSendAndGiveTheKeysBackToTheChat) {
    struct Case {
        const char *button;
        QByteArray sent;
    };
    for (const Case &c :
         {Case{"button_done", "CMD_done+1+1+n+9+9\xFF"}, Case{"button_clear", ""},
          Case{"button_pass", "CMD_pass+1\xFF"}, Case{"button_newtiles", "CMD_newtiles+1\xFF"}}) {
        SCOPED_TRACE(c.button);
        Turn t({0});
        t.w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&t.w));
        t.pickUp(1);
        t.clickSquare(9, 9);
        ASSERT_TRUE(t.board->hasFocus());
        QTest::mouseClick(t.child(c.button), Qt::LeftButton);
        EXPECT_TRUE(t.w.chat()->entry()->hasFocus());
        if (!c.sent.isEmpty()) {
            ASSERT_TRUE(waitUntil([&] { return t.sent().endsWith('\xFF'); }));
        }
        spin(20);
        EXPECT_EQ(t.sent(), c.sent);
        // Everything but Done takes the tile back.
        EXPECT_EQ(t.w.mirror().composer().placedTile(9, 9),
                  c.sent.startsWith("CMD_done") ? 1 : 100);
    }
}

TEST(ComposePreview, ShowsTheWordAndPointsOrWhyTheHostWouldRefuse) {
    struct Case {
        QList<proto::BoardLetter> laid; // a square and the letter of the tile for it
        QString text;
    };
    // CAT lies across from (4, 9), on green squares: Alice in red earns 5 a letter.
    const QList<proto::BoardLetter> cat{{4, 9, 2}, {5, 9, 0}, {6, 9, 19}};
    const Case cases[] = {
        {{{7, 9, 18}}, "preview: CATS 20 points"},
        {{{7, 9, 23}}, "preview: not a word: CATX"},
        {{{0, 0, 18}}, "preview: must touch the board"},
        {{{5, 10, 19}, {6, 11, 14}}, "preview: not in one line"},
        {{}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QList<int> letters;
        for (const proto::BoardLetter &l : c.laid)
            letters << l.letter;
        Turn t(letters, false, cat);
        for (int k = 1; k <= c.laid.size(); ++k)
            ASSERT_TRUE(t.w.mirror().composer().layTile(k, c.laid[k - 1].x, c.laid[k - 1].y));
        auto *label = t.w.findChild<QLabel *>(QStringLiteral("label_preview"));
        EXPECT_EQ(label->text(), c.text);
        EXPECT_EQ(label->isVisibleTo(&t.w), !c.text.isEmpty());
        t.host.send({proto::host::nextplayer(2).toUtf8()});
        ASSERT_TRUE(waitUntil([&] { return !t.w.mirror().ownTurn(); }));
        EXPECT_FALSE(label->isVisibleTo(&t.w));
    }
}

TEST(ComposeAccessibility, TheBoardRackAndButtonsHaveNames) {
    Turn t({0, 25});
    auto name = [](QWidget *w, QAccessible::Text which = QAccessible::Name) {
        return QAccessible::queryAccessibleInterface(w)->text(which);
    };
    EXPECT_EQ(name(t.board), "Board");
    EXPECT_EQ(name(t.child("image_sort")), "Sort");
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(name(t.tile(k)), QStringLiteral("Tile %1").arg(k));
    EXPECT_EQ(name(t.tile(2), QAccessible::Description), "Z");
    for (auto [button, caption] : {std::pair{"button_done", "Done"},
                                   {"button_clear", "Clear"},
                                   {"button_newtiles", "New Tiles"},
                                   {"button_pass", "Pass"}})
        EXPECT_EQ(name(t.child(button)), caption);
}

} // namespace
