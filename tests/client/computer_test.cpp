// The hosting player's computer players and hints, in a window that hosts a
// real game host: the players connect to it as any client does.
#include "tests/client/fakehost.h"
#include "tests/client/hostingwindow.h"

#include "ai/computerplayers.h"
#include "client/computermenu.h"
#include "client/gamestarter.h"
#include "client/tchat.h"
#include "game/savedgame.h"
#include "host/tserver.h"
#include "tests/support/testclient.h"
#include "windows/tgameoptions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace {

struct Hosting : HostingWindow {
    QStringList lines; // the window's own lines, as shown in its chat view

    explicit Hosting(int pauseMs = 0) : HostingWindow("Alice", "somewhere.invalid") {
        QObject::connect(&w, &Tchat::chatLineShown, [this](const QString &line) {
            if (line.startsWith("0+"))
                lines << line.mid(2);
        });
        server.seed(5); // the same game each run
        w.computerMenu()->setPause(pauseMs);
        w.show();
    }
    bool loggedIn() {
        return waitUntil([&] { return w.mirror().localSeat() == 1; });
    }
    bool sits(int seat, const QString &name) {
        return waitUntil([&] { return w.mirror().seats().name(seat) == name; }, 20000);
    }
    std::string lastLine() const { return lines.value(lines.size() - 1).toStdString(); }
    void startGame(bool withComputer) {
        w.button_startClick();
        Tgameoptions *options = w.gameOptions();
        options->computerBox()->setChecked(withComputer);
        options->startButton()->click();
    }
};

TEST(TchatComputer, PlayersTakeFreeSeatsBetweenGamesAndGoWhenRemoved) {
    Hosting h;
    ASSERT_TRUE(h.loggedIn());
    QMenu *add = h.w.computerMenu()->addMenu();
    EXPECT_TRUE(add->isEnabled());
    for (const char *level : {"AddComputerEasy", "AddComputerNormal", "AddComputerHard"})
        h.w.findChild<QAction *>(level)->trigger();
    for (int seat = 2; seat <= 4; ++seat)
        ASSERT_TRUE(h.sits(seat, QStringLiteral("Computer %1").arg(seat - 1)));
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(h.w.computerMenu()->add(ai::Level::Normal), "");
    EXPECT_EQ(h.lastLine(), "No seat is free for a computer player.");

    // Removed from the game, its seat is free again and its name the next one's.
    h.w.kicking(3);
    ASSERT_TRUE(h.sits(3, SeatList::kWaiting));
    EXPECT_TRUE(add->isEnabled());
    // Its own end of the connection may close a moment later.
    ASSERT_TRUE(waitUntil([&] { return h.w.computerMenu()->players().count() == 2; }));
    EXPECT_EQ(h.w.computerMenu()->add(ai::Level::Hard), "Computer 2");
    ASSERT_TRUE(h.sits(3, "Computer 2"));
    EXPECT_EQ(h.w.computerMenu()->players().count(), 3);

    // Not while a game runs; the offer of a computer opponent is for a solo start.
    h.w.kicking(4);
    ASSERT_TRUE(h.sits(4, SeatList::kWaiting));
    h.startGame(true);
    ASSERT_TRUE(waitUntil([&] { return h.w.mirror().gameRunning(); }));
    EXPECT_TRUE(h.w.gameOptions()->computerBox()->isHidden());
    EXPECT_EQ(h.w.mirror().seats().name(4), SeatList::kWaiting);
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(h.w.computerMenu()->add(ai::Level::Easy), "");
    EXPECT_EQ(h.lastLine(), "Computer players join between games.");
}

// A hint names a word, its line and its first square, and its points: laid
// there from the rack, the host takes it for those points.
struct Hint {
    QString word;
    bool down = false;
    int x = 0;
    int y = 0;
    int points = 0;
    bool zorble = false;
};

std::optional<Hint> readHint(const QString &line) {
    static const QRegularExpression re(QStringLiteral(
        R"(^Hint: ([A-Z]+) ([A-S])(\d+) (down|across) for (\d+) points(.*) \(\d of 3\)\.$)"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    return Hint{m.captured(1).toLower(),
                m.captured(4) == "down",
                m.captured(2)[0].unicode() - u'A',
                m.captured(3).toInt() - 1,
                m.captured(5).toInt(),
                m.captured(6).contains(QStringLiteral("Zorble"))};
}

TEST(TchatComputer, SoloStartWithTheComputerThenThreeHintsAGame) {
    Hosting h(300);
    ASSERT_TRUE(h.loggedIn());
    h.w.button_startClick();
    ASSERT_FALSE(h.w.gameOptions()->computerBox()->isHidden()) << "offered when alone";
    h.w.gameOptions()->computerBox()->setChecked(true);
    h.w.gameOptions()->startButton()->click();
    ASSERT_TRUE(h.sits(2, "Computer 1"));
    ASSERT_TRUE(waitUntil([&] { return h.w.mirror().gameRunning(); }, 20000));

    GameMirror &m = h.w.mirror();
    ComputerMenu &menu = *h.w.computerMenu();
    bool laid = false;
    for (int turn = 1; turn <= 4; ++turn) {
        ASSERT_TRUE(waitUntil([&] { return m.ownTurn(); }, 20000));
        // Looked for on a worker thread; the line comes a moment later.
        const qsizetype shown = h.lines.size();
        menu.showHint();
        ASSERT_TRUE(waitUntil([&] { return h.lines.size() > shown; }, 30000));
        const QString line = h.lines.last();
        if (turn == 4) {
            EXPECT_EQ(line, "No hints are left in this game.");
            break;
        }
        ASSERT_TRUE(line.startsWith("Hint: ")) << line.toStdString();
        menu.showHint(); // the same turn: the same hint, at no cost
        EXPECT_EQ(h.lastLine(), line.toStdString());
        EXPECT_EQ(menu.hintsLeft(), 3 - turn);

        const std::optional<Hint> hint = readHint(line);
        if (laid || !hint || hint->zorble) {
            h.w.button_passClick();
        } else {
            // Lay the hint from the rack where it says, and send it.
            laid = true;
            const int before = m.seats().score(1);
            QList<std::array<int, 2>> squares;
            for (int i = 0; i < hint->word.size(); ++i) {
                const int x = hint->x + (hint->down ? 0 : i);
                const int y = hint->y + (hint->down ? i : 0);
                squares.append({x, y});
                const int letter = hint->word[i].unicode() - 'a';
                if (m.composer().shownLetter(x, y) == game::kEmpty)
                    ASSERT_NE(m.composer().layLetter(letter, false, x, y), 0) << line.toStdString();
                else
                    ASSERT_EQ(m.composer().shownLetter(x, y), letter) << line.toStdString();
            }
            h.w.button_doneClick();
            ASSERT_TRUE(waitUntil([&] { return !m.ownTurn(); }));
            EXPECT_EQ(m.seats().score(1) - before, hint->points) << line.toStdString();
            for (int i = 0; i < hint->word.size(); ++i)
                EXPECT_EQ(m.composer().shownLetter(squares[i][0], squares[i][1]),
                          hint->word[i].unicode() - 'a');
        }
        ASSERT_TRUE(waitUntil([&] { return !m.ownTurn(); }));
        if (turn == 1) {
            menu.showHint();
            EXPECT_EQ(h.lastLine(), "A hint is for your own turn.");
        }
    }
    EXPECT_TRUE(laid) << "one hint was laid and checked";
}

// The hosting window finds the save of a game its program did not finish: it
// asks before anything else and, told yes, goes on with it in the same seat.
TEST(TchatResume, TheHostingWindowAsksAboutAnInterruptedGame) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        QTemporaryDir dir;
        const game::SaveFile save(dir.filePath("zorblegame.sav"));
        game::GameTable::State s;
        s.running = true;
        s.opened = 3;
        s.current = 2;
        s.options = {60, 4, 0, 0, false, false};
        const QString names[] = {"Alice", "Bob", "Computer 1"};
        for (int i = 1; i <= 3; ++i) {
            s.seats[size_t(i)].present = true;
            s.seats[size_t(i)].name = names[i - 1];
            s.seats[size_t(i)].score = 10 * i;
        }
        ASSERT_TRUE(save.write(s));
        const QString saved = save.read()->saved.toLocalTime().toString(QStringLiteral("HH:mm"));

        HostingWindow h("Alice");
        h.w.starter()->setSaveFile(save.path());
        h.w.show();
        QMessageBox *box = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            return box != nullptr;
        }));
        EXPECT_EQ(box->text(),
                  "A game was interrupted at " + saved + " (Alice, Bob, Computer 1). Resume it?");
        // Nobody is let in before the answer: a window that came now could
        // take the hosting player's seat.
        QTcpSocket early;
        early.connectToHost(QHostAddress::LocalHost, h.port);
        EXPECT_FALSE(early.waitForConnected(1000));
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        ASSERT_TRUE(waitUntil([&] { return h.w.mirror().localSeat() != 0; }));
        EXPECT_EQ(h.server.gameRunning(), yes);
        EXPECT_EQ(save.exists(), yes);
        if (yes) {
            // Back in seat 1 with its score; the others' seats wait for them.
            EXPECT_EQ(h.w.mirror().localSeat(), 1);
            EXPECT_TRUE(waitUntil([&] { return h.w.mirror().seats().score(3) == 30; }));
            EXPECT_FALSE(h.server.table().seat(1).away);
            EXPECT_TRUE(h.server.table().seat(2).away);
        }
    }
}

} // namespace

namespace {

// After a game the hosting player's winner panel offers "Rematch": the game
// starts again with the options and the seats it had.
TEST(TchatRematch, TheHostsWindowStartsTheEndedGameAgainWithItsOptionsAndSeats) {
    Hosting h;
    ASSERT_TRUE(h.loggedIn());
    h.w.computerMenu()->add(ai::Level::Easy);
    ASSERT_TRUE(h.sits(2, "Computer 1"));
    const game::GameOptions chosen{45, 8, 0, 1, false, false}; // the first move ends it
    QPushButton *rematch = h.w.findChild<QPushButton *>("button_rematch");
    // A game may end before a poll sees it running (the computer can move
    // first), so the starts are counted as they come, with the button's
    // state at that moment.
    int starts = 0;
    bool hiddenAtStart = true;
    QObject::connect(&h.w.mirror(), &GameMirror::gameStarted, [&] {
        ++starts;
        hiddenAtStart = hiddenAtStart && rematch->isHidden();
    });
    h.w.button_startClick();
    h.w.gameOptions()->setValues(chosen);
    h.w.gameOptions()->startButton()->click();
    ASSERT_TRUE(waitUntil([&] { return starts == 1; }));
    // Alice passes when her turn comes; the computer's move passes the score.
    ASSERT_TRUE(waitUntil(
        [&] {
            if (h.w.mirror().ownTurn())
                h.w.button_passClick();
            return !h.w.mirror().winners().isEmpty();
        },
        20000));
    ASSERT_TRUE(rematch->isVisibleTo(&h.w));
    h.w.gameOptions()->setValues(game::kDefaultOptions); // the window's choice does not count
    rematch->click();
    ASSERT_TRUE(waitUntil([&] { return starts == 2; }));
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_EQ(h.server.table().state().options, chosen);
    EXPECT_EQ(h.w.mirror().options(), chosen);
    EXPECT_EQ(h.w.mirror().seats().name(1), "Alice");
    EXPECT_EQ(h.w.mirror().seats().name(2), "Computer 1");
}

} // namespace
