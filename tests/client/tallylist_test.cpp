// The tally list window, and how the game window feeds it.
#include "client/tchat.h"
#include "windows/ttallylist.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

using namespace proto::toclient;

QListWidget *listOf(Ttallylist &w, const char *name) {
    auto *list = w.findChild<QListWidget *>(QString::fromLatin1(name));
    EXPECT_NE(list, nullptr) << name;
    return list;
}

QString textOf(Ttallylist &w, const char *name) {
    auto *label = w.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label>");
}

// The entries of a check list, each with its tick: "Bob [x]", "Carl [ ]".
QStringList entries(QListWidget *list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text() +
                   (list->item(i)->checkState() == Qt::Checked ? " [x]" : " [ ]");
    return out;
}

// Every cell of the tally, row by row.
QStringList cells(const TallyStore &store) {
    QStringList out;
    for (int r = 0; r < store.RowCount(); ++r)
        for (int c = 0; c < TallyStore::kColumns; ++c)
            out << store.cell(c, r);
    return out;
}

// A window following the current players, as the user would: by ticking
// them in the current-game list.
void followByTicking(Ttallylist &w, const QStringList &names) {
    w.setCurrentPlayers(names);
    QListWidget *current = listOf(w, "checklist");
    for (int i = 0; i < current->count(); ++i)
        current->item(i)->setCheckState(Qt::Checked);
}

TEST(TallyListWindow, TickingACurrentPlayerStartsFollowingHimOnce) {
    Ttallylist w;
    EXPECT_EQ(w.windowTitle(), "Zorble - Tally List");
    w.setCurrentPlayers({"Bob", "Carl"});
    QListWidget *current = listOf(w, "checklist");
    current->item(0)->setCheckState(Qt::Checked);
    EXPECT_EQ(entries(listOf(w, "listbox_tally")), QStringList({"Bob [x]"}));
    EXPECT_EQ(w.store().names(), QStringList({"Bob"}));

    // Clicking him again follows nobody twice, and he stays ticked.
    current->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(entries(current), QStringList({"Bob [x]", "Carl [ ]"}));
    EXPECT_EQ(w.store().names(), QStringList({"Bob"}));

    // A new game's list ticks whoever is followed, letter case ignored.
    w.setCurrentPlayers({"Carl", "BOB"});
    EXPECT_EQ(entries(current), QStringList({"Carl [ ]", "BOB [x]"}));
}

TEST(TallyListWindow, ShowsTheFiguresOfTheSelectedOpponent) {
    Ttallylist w;
    followByTicking(w, {"Bob", "Carl"});
    w.addgame("Carl");
    w.addgame("addtomine");
    w.addgame("Carl");
    EXPECT_EQ(textOf(w, "mylabel_1"), "3");
    EXPECT_EQ(textOf(w, "mylabel_2"), "1");

    listOf(w, "listbox_tally")->setCurrentRow(1);
    EXPECT_EQ(textOf(w, "label_hisnametop"), "Carl's Tally");
    EXPECT_EQ(textOf(w, "label_hisname"), "Carl Wins:");
    QStringList shown;
    for (int i = 1; i <= 8; ++i)
        shown << textOf(w, QStringLiteral("label_%1").arg(i).toLatin1().constData());
    EXPECT_EQ(shown, QStringList({"3", "2", "1", "0", "3", "2", "1", "0"}));

    // A game recorded while he is selected shows at once.
    w.addgame("Bob");
    EXPECT_EQ(textOf(w, "label_1"), "4");
    EXPECT_EQ(textOf(w, "label_4"), "1");
}

TEST(TallyListWindow, ConfirmationsDecideDeletingAndResetting) {
    enum Action { Untick, Reset };
    struct Case {
        const char *what;
        Action action;
        bool yes;
        QString question;
        QStringList listAfter;
    };
    const QString deleteBob = "This will delete Bob's Tally, Are you want to delete it?";
    const QString reset = "Are you sure you want to reset the Tally?";
    const Case cases[] = {
        {"No to deleting", Untick, false, deleteBob, {"Bob [x]", "Carl [x]"}},
        {"Yes to deleting", Untick, true, deleteBob, {"Carl [x]"}},
        {"No to resetting", Reset, false, reset, {"Bob [x]", "Carl [x]"}},
        {"Yes to resetting", Reset, true, reset, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Ttallylist w;
        followByTicking(w, {"Bob", "Carl"});
        w.addgame("Bob");
        const QStringList before = cells(w.store());
        QStringList asked;
        w.setConfirm([&](const QString &question) {
            asked << question;
            return c.yes;
        });

        QListWidget *tallied = listOf(w, "listbox_tally");
        if (c.action == Untick)
            tallied->item(0)->setCheckState(Qt::Unchecked);
        else
            w.button_resetClick();

        EXPECT_EQ(asked, QStringList({c.question}));
        EXPECT_EQ(entries(tallied), c.listAfter);
        if (!c.yes) {
            EXPECT_EQ(cells(w.store()), before);
            continue;
        }
        // The rows follow the list, and the current players show who is
        // still followed.
        EXPECT_EQ(w.store().names(), QStringList(c.listAfter).replaceInStrings(" [x]", ""));
        EXPECT_EQ(entries(listOf(w, "checklist")).filter("[x]").size(), c.listAfter.size());
        if (c.action == Untick)
            EXPECT_EQ(w.store().cell(TallyStore::OtherWins, 1), "1"); // Carl's row moved up
        else
            EXPECT_EQ(textOf(w, "mylabel_1"), "0");
    }
}

TEST(TallyListWindow, ADamagedFileIsReportedOnceNamingBothFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("zorbletally.tld");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("WRZX not a tally");
    }
    Ttallylist w;
    QStringList told;
    w.setInform([&](const QString &text) { told << text; });
    w.loadFile(path);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(path)) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(path + ".damaged")) << told[0].toStdString();
    EXPECT_EQ(listOf(w, "listbox_tally")->count(), 0);
    EXPECT_TRUE(w.saveFile());
    EXPECT_TRUE(QFile::exists(path + ".damaged"));
}

// ---- Fed by the game window -----------------------------------------------------

TEST(TchatTally, ViewMenuOpensTheTallyList) {
    Tchat w;
    Ttallylist tally;
    w.setTally(&tally);
    w.findChild<QAction *>("TallyList1")->trigger();
    EXPECT_TRUE(tally.isVisible());
}

TEST(TchatTally, CurrentPlayersAreTheOtherSeatedPlayers) {
    Tchat w;
    Ttallylist tally;
    w.setTally(&tally);
    GameMirror &m = w.mirror();
    m.handle(SendLoginInfo{2});
    m.handle(proto::toclient::NewPlayerInfo{{1, "Ann"}});
    m.handle(proto::toclient::NewPlayerInfo{{3, "Bob"}});
    m.handle(proto::toclient::NewPlayerInfo{{6, "Spy"}});
    m.handle(proto::toclient::NewPlayerInfo{{2, "Me"}}); // the own arrival fills the list
    EXPECT_EQ(tally.currentPlayers(), QStringList({"Ann", "Bob"}));
    m.handle(proto::toclient::PlayerDisconnected{{1, "Ann"}});
    EXPECT_EQ(tally.currentPlayers(), QStringList({"Bob"}));
}

TEST(TchatTally, RecordsGamesWithOneWinnerWhileAnotherPlayerSits) {
    Tchat w;
    Ttallylist tally;
    w.setTally(&tally);
    GameMirror &m = w.mirror();
    m.handle(SendLoginInfo{1});
    m.handle(proto::toclient::NewPlayerInfo{{1, "Me"}});
    m.handle(proto::toclient::NewPlayerInfo{{2, "Bob"}});
    m.handle(proto::toclient::NewPlayerInfo{{3, "Carl"}});
    followByTicking(tally, {"Bob"});

    struct Step {
        const char *what;
        QList<int> winners;
        int ownGames, ownWins, bobWins, neitherWon;
    };
    const Step steps[] = {
        {"Bob won", {2}, 1, 0, 1, 0},
        {"the player won", {1}, 2, 1, 1, 0},
        {"two winners", {1, 3}, 2, 1, 1, 0},
        {"Carl won", {3}, 3, 1, 1, 1},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        m.handle(Winner{s.winners});
        const TallyStore &t = tally.store();
        EXPECT_EQ(t.cell(TallyStore::Games, 0).toInt(), s.ownGames);
        EXPECT_EQ(t.cell(TallyStore::HisWins, 0).toInt(), s.ownWins);
        EXPECT_EQ(t.cell(TallyStore::HisWins, 1).toInt(), s.bobWins);
        EXPECT_EQ(t.cell(TallyStore::OtherWins, 1).toInt(), s.neitherWon);
    }

    // Alone at the table, a game is not recorded.
    m.handle(proto::toclient::PlayerDisconnected{{2, "Bob"}});
    m.handle(proto::toclient::PlayerDisconnected{{3, "Carl"}});
    m.handle(Winner{{1}});
    EXPECT_EQ(tally.store().cell(TallyStore::Games, 0), "3");
}

} // namespace
