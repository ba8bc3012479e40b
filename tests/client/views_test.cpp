// The panels of the game window as they show the game mirror.
#include "client/tchat.h"
#include "clientcore/gamemirror.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace proto::toclient;

// A game opened as the host opens one: the start with its settings, then the
// seat colours in their first arrangement.
void startGame(GameMirror &m, int zorbleSquares) {
    Started started;
    started.options.name = QStringLiteral("Host");
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

// A window whose player sits in seat 3 and whose turn it is, with tiles
// 1..4 and 10 dealt.
struct OwnTurn {
    Tchat w;
    GameMirror &m = w.mirror();
    OwnTurn() {
        m.setLogin(QStringLiteral("Alice"));
        m.sendloginfo(3, QStringLiteral("2.1.1"));
        m.newplayerinfo(3, QStringLiteral("Alice"));
        startGame(m, 0);
        for (auto [slot, letter] : {std::pair{1, 0}, {2, 1}, {3, 2}, {4, 3}, {10, 25}})
            m.handle(Atile{{slot, letter}});
        m.handle(NextPlayer{3});
    }
};

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
        m.newplayerinfo(2, QStringLiteral("Bob"));
        m.newplayerinfo(3, QStringLiteral("Carol"));
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

TEST(TchatStatus, SettingsShowTheGamesSettings) {
    Tchat w;
    Started started;
    started.options = {QStringLiteral("Bob"), 90, 8, 30, 250, true, true};
    w.mirror().handle(started);
    const std::vector<std::pair<const char *, QString>> labels{
        {"label_turntime", "90"}, {"label_gametime", "30 mins"}, {"label_playtoscore", "250"},
        {"label_double", "Yes"},  {"label_partners", "Yes"},
    };
    for (const auto &[name, text] : labels)
        EXPECT_EQ(child<QLabel>(w, QString::fromLatin1(name))->text(), text) << name;
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
        m.newplayerinfo(1, QStringLiteral("Alice"));
        m.newplayerinfo(2, QStringLiteral("<b>Bob</b>"));
        m.newplayerinfo(3, QStringLiteral("Carol"));
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

} // namespace
