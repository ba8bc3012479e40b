#include "tests/client/fakehost.h"
#include "tests/client/hostingwindow.h"
#include "tests/client/joinedwindow.h"
#include "tests/client/messageboxes.h"

#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/gamestarter.h"
#include "client/seatmenu.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "tests/support/testclient.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/thelp.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>

#include <memory>
#include <random>

namespace {

TEST(TchatWindow, ShowsTheDefaultsOfANewWindow) {
    Tchat w;
    EXPECT_EQ(w.windowTitle(), "Zorble");
    EXPECT_EQ(w.size(), QSize(866, 650));
    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"File", "View", "Options", "Help"}));
    for (int seat = 1; seat <= 4; ++seat) {
        const QByteArray n = QByteArray::number(seat);
        EXPECT_EQ(label(w, "label_playername" + n)->text(), "<Waiting>");
        EXPECT_EQ(label(w, "label_score" + n)->text(), "0");
        EXPECT_EQ(label(w, "label_bonus" + n)->text(), "");
        EXPECT_TRUE(label(w, "image_eyes" + n)->isHidden());
    }
    EXPECT_EQ(label(w, "label_tilesleft")->text(), "Tiles Left: 100");
    EXPECT_EQ(label(w, "label_timeofgame")->text(), "Game Time: 0:00");
    EXPECT_EQ(label(w, "label_timeofturn")->text(), "Time Left: 0:00");
    EXPECT_EQ(label(w, "label_turn")->text(), "You");
    EXPECT_EQ(label(w, "label_turntime")->text(), "60");
    EXPECT_EQ(label(w, "label_gametime")->text(), "0:00");
    EXPECT_EQ(label(w, "label_playtoscore")->text(), "0");
    EXPECT_EQ(label(w, "label_double")->text(), "No");
    EXPECT_EQ(label(w, "label_partners")->text(), "No");
    for (const char *b : {"button_done", "button_clear", "button_newtiles", "button_pass"})
        EXPECT_TRUE(w.findChild<QPushButton *>(b)->isHidden()) << b;
    EXPECT_TRUE(w.findChild<QWidget *>("panel_winner")->isHidden());
    EXPECT_FALSE(w.findChild<QAction *>("StartGame1")->isEnabled());
    auto *board = w.findChild<QWidget *>("boardarea");
    EXPECT_EQ(board->geometry(), QRect(5, 4, 538, 538));
    for (int n = 1; n <= 10; ++n)
        EXPECT_NE(w.findChild<QPushButton *>("b_phrase" + QString::number(n)), nullptr) << n;
}

TEST(TchatLogin, SendsTheExactLoginBytes) {
    Joined j({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "127.0.0.1", "True"});
    Tabout about;
    j.window->setAbout(&about);
    ASSERT_TRUE(j.start());
    EXPECT_EQ(j.host.received(), QByteArray()); // nothing before the host speaks
    EXPECT_EQ(j.lobby.received(), QByteArray());
    EXPECT_TRUE(j.window->findChild<QPushButton *>("button_startgame")->isHidden());

    j.host.send({"CMD_sendlogininfo+3"});
    ASSERT_TRUE(waitUntil([&] { return j.host.received().endsWith("\xFF\xFF"); }));
    // The window asks for a rejoin token first; hosts that do not know the
    // word ignore it.
    EXPECT_EQ(j.host.received(), QByteArray("CMD_rejoin+\xFF"
                                            "CMD_logininfo+3+2.1.1+ABCDEFGHIJKLMNOPQRST\xFF\xFF"));
    EXPECT_EQ(j.window->mirror().localSeat(), 3);
    EXPECT_TRUE(j.window->mirror().loggedIn());
    EXPECT_EQ(j.lobby.received(), QByteArray()); // the lobby link never carries anything out
}

TEST(TchatLogin, VersionTextComesFromTheAboutWindow) {
    Joined j;
    Tabout about;
    about.findChild<QLabel *>("version")->setText("7.0");
    j.window->setAbout(&about);
    ASSERT_TRUE(j.login(2));
    EXPECT_EQ(j.host.received(), QByteArray("CMD_rejoin+\xFF"
                                            "CMD_logininfo+2+7.0+Alice\xFF\xFF"));
}

TEST(TchatDispatch, ABurstIsHandledInArrivalOrder) {
    Joined j;
    QStringList seen;
    QObject::connect(j.window.get(), &Tchat::dispatching, [&](const QString &l) { seen << l; });
    ASSERT_TRUE(j.start());
    const QList<QByteArray> burst = {
        "CMD_sendlogininfo+2",
        "CMD_existingplayers+1+Bob",
        "CMD_newplayerinfo+2+Alice",
        "CMD_zb",
        "",
        "CMD_chat+1+Bob chats: first|clBlack",
        "CMD_unknown+1",
        "CMD_newplayerinfo+3+Carol",
        "CMD_action+1+Bob waves|clRed",
        "CMD_playerdisconnected+3+Carol",
        "CMD_havewrongversion+Dan",
        "CMD_wrongversion+",
    };
    j.host.send(burst);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == burst.size(); }));
    QStringList expected;
    for (const QByteArray &b : burst)
        expected << QString::fromUtf8(b);
    EXPECT_EQ(seen, expected);

    EXPECT_EQ(label(*j.window, "label_playername1")->text(), "Bob");
    EXPECT_EQ(label(*j.window, "label_playername2")->text(), "Alice");
    EXPECT_EQ(label(*j.window, "label_playername3")->text(), "<Waiting>");
    const QString text = chatText(*j.window);
    const QStringList order = {"Loading Multi-player Game.. Please Wait.",
                               "Bob is Connected.",
                               "You are Connected.",
                               "Bob chats: first",
                               "Carol is Connected.",
                               "Bob waves",
                               "Carol disconnected.",
                               "Dan has a different version of the game then you.",
                               "You have a differnt version of the game then the host."};
    qsizetype at = 0;
    for (const QString &line : order) {
        const qsizetype found = text.indexOf(line, at);
        EXPECT_GE(found, at) << line.toStdString() << "\n--- in ---\n" << text.toStdString();
        at = found < 0 ? at : found;
    }
    EXPECT_EQ(j.closed, 0);
}

TEST(TchatDispatch, HandlesEveryQueuedLineBeforeReturningToTheEventLoop) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    QList<QByteArray> burst;
    for (int i = 0; i < 50; ++i)
        burst << "CMD_chat+1+line " + QByteArray::number(i) + "|clBlack";
    const int before = j.window->dispatchedCount();
    j.host.send(burst);
    ASSERT_TRUE(waitUntil([&] { return j.window->dispatchedCount() > before; }));
    // The first line handled means the whole read was handled with it.
    EXPECT_EQ(j.window->dispatchedCount() - before, 50);
}

TEST(TchatDispatch, MalformedMessagesAreDroppedWithOneLineOnStderr) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    const QList<QByteArray> bad = {"CMD_newplayerinfo+x+Eve", "CMD_newplayerinfo+12+Eve",
                                   "CMD_existingplayers+0+Eve", "CMD_playerdisconnected++",
                                   "CMD_sendlogininfo+99"};
    testing::internal::CaptureStderr();
    const int before = j.window->dispatchedCount();
    j.host.send(bad);
    j.host.send({"CMD_newplayerinfo+4+Zed"});
    const bool handled =
        waitUntil([&] { return j.window->dispatchedCount() == before + bad.size() + 1; });
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(handled);
    // One line per dropped message, naming it.
    const QStringList lines = QString::fromStdString(err).split('\n', Qt::SkipEmptyParts);
    QStringList dropped;
    for (const QString &l : lines)
        if (l.startsWith("zorble: dropped"))
            dropped << l;
    ASSERT_EQ(dropped.size(), bad.size()) << err;
    for (int i = 0; i < bad.size(); ++i)
        EXPECT_TRUE(dropped[i].endsWith(QString::fromUtf8(bad[i]))) << dropped[i].toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(label(*j.window, "label_playername4")->text(), "Zed"); // dispatch went on
    EXPECT_EQ(j.window->mirror().localSeat(), 1);
    EXPECT_EQ(j.closed, 0);
}

TEST(TchatClosing, GameIsFullShowsItsMessageThenCloses) {
    Joined j;
    ASSERT_TRUE(j.start());
    MessageBoxWatcher boxes;
    j.host.send({"CMD_full+"});
    j.host.closePeer(); // the host lets the connection go right after
    ASSERT_TRUE(waitUntil([&] { return j.closed == 1; }));
    EXPECT_EQ(boxes.texts, QStringList({"Game is full"}));
    spin(50);
    EXPECT_EQ(j.closed, 1);
}

TEST(TchatClosing, TheGameSocketClosingClosesTheWindow) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.host.send({"CMD_newplayerinfo+1+Alice", "CMD_chat+1+Alice chats: bye|clBlack"});
    j.host.closePeer();
    ASSERT_TRUE(waitUntil([&] { return j.closed == 1; }));
    // What arrived before the close was still handled.
    EXPECT_TRUE(chatText(*j.window).contains("Alice chats: bye"));
    // The lobby sees its link end.
    EXPECT_TRUE(waitUntil([&] { return j.lobby.disconnects() == 1; }));
}

TEST(TchatClosing, TheLobbyLinkClosingClosesTheWindow) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.lobby.closePeer();
    ASSERT_TRUE(waitUntil([&] { return j.closed == 1; }));
    EXPECT_TRUE(waitUntil([&] { return j.host.disconnects() == 1; }));
}

TEST(TchatClosing, LobbyLinesAreDispatchedLikeHostLines) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.lobby.send({"CMD_chat+0+from the lobby|clBlack"});
    ASSERT_TRUE(waitUntil([&] { return chatText(*j.window).contains("from the lobby"); }));
    EXPECT_EQ(j.closed, 0);
}

TEST(TchatClosing, OwnSeatDisconnectedClosesTheWindow) {
    Joined j;
    ASSERT_TRUE(j.login(2));
    j.host.send({"CMD_newplayerinfo+2+Alice", "CMD_playerdisconnected+1+Bob"});
    spin(50);
    EXPECT_EQ(j.closed, 0);
    j.host.send({"CMD_playerdisconnected+2+Alice"});
    ASSERT_TRUE(waitUntil([&] { return j.closed == 1; }));
    EXPECT_FALSE(j.window->mirror().loggedIn());
}

TEST(TchatClosing, UnreachableLobbyOrHostLeavesTheWindowOpen) {
    Tchat w;
    int closed = 0;
    QObject::connect(&w, &Tchat::closed, [&] { ++closed; });
    w.setPorts(unusedPort(), unusedPort());
    w.setArguments({"Alice", "127.0.0.1", "join"});
    w.show();
    spin(200);
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(w.mirror().loggedIn());
    MessageBoxWatcher boxes;
    w.findChild<QPushButton *>("button_startgame")->click(); // hidden when joining, but wired
    EXPECT_EQ(boxes.texts, QStringList({"You are not connected"}));
}

TEST(TchatClosing, ExitClosesAndEndsBothConnections) {
    Joined j;
    ASSERT_TRUE(j.login(1));
    j.window->findChild<QAction *>("Exit1")->trigger();
    EXPECT_EQ(j.closed, 1);
    EXPECT_TRUE(waitUntil([&] { return j.host.disconnects() == 1 && j.lobby.disconnects() == 1; }));
}

TEST(TchatStart, OneOrTwoArgumentsStayIdle) {
    FakeHost host, lobby;
    for (const QStringList &args : {QStringList{"Alice"}, QStringList{"Alice", "127.0.0.1"}}) {
        Tchat w;
        w.setPorts(host.port(), lobby.port());
        w.setArguments(args);
        w.show();
        spin(150);
        EXPECT_TRUE(chatText(w).contains("Loading Multi-player Game.. Please Wait."));
    }
    EXPECT_EQ(host.connections(), 0);
    EXPECT_EQ(lobby.connections(), 0);
}

TEST(TchatStart, HostingStartsTheHostAndLogsIn) {
    HostingWindow hosting("Alice", "somewhere.invalid");
    Tchat &w = hosting.w;
    const quint16 port = hosting.port;
    w.show();
    ASSERT_TRUE(waitUntil([&] { return label(w, "label_playername1")->text() == "Alice"; }));
    EXPECT_TRUE(w.mirror().isHost());
    EXPECT_EQ(w.mirror().localSeat(), 1);
    EXPECT_EQ(hosting.server.table().seat(1).name, "Alice");
    EXPECT_TRUE(w.findChild<QAction *>("StartGame1")->isEnabled());
    EXPECT_FALSE(w.findChild<QPushButton *>("button_startgame")->isHidden());
    EXPECT_TRUE(waitUntil([&] { return hosting.lobby.connected(); }));

    // A second player joins the same host and shows up in the seat table.
    TestClient bob;
    ASSERT_EQ(bob.join(port, "Bob"), 2);
    ASSERT_TRUE(waitUntil([&] { return label(w, "label_playername2")->text() == "Bob"; }));
    // Chat both ways through the host.
    w.chat()->entry()->setText("hello Bob");
    w.chat()->sendit();
    EXPECT_TRUE(bob.waitFor("CMD_chat+1+Alice chats: hello Bob").startsWith("CMD_chat"));
    bob.send("CMD_chat+2+hi Alice|clBlack");
    EXPECT_TRUE(waitUntil([&] { return chatText(w).contains("Bob chats: hi Alice"); }));
    bob.close();
    EXPECT_TRUE(waitUntil([&] { return label(w, "label_playername2")->text() == "<Waiting>"; }));
}

// Uses the fixed game port: runs under a resource lock with the other tests
// that host on it.
TEST(TchatSolo, NoArgumentsHostsASoloGameOnTheGamePort) {
    FakeHost lobby;
    TServer server;
    Tchat w;
    Tdownload download;
    w.setServer(&server);
    w.setDownload(&download);
    w.setPorts(GameStarter::kGamePort, lobby.port());
    w.setArguments({});
    w.show();
    ASSERT_TRUE(waitUntil([&] { return label(w, "label_playername1")->text() == "You"; }))
        << chatText(w).toStdString();
    EXPECT_EQ(server.port(), 7772);
    EXPECT_TRUE(chatText(w).contains("Loading Solo Game..Please wait."));
    EXPECT_TRUE(download.isVisible()); // the lobby is offered beside the solo game
    spin(100);
    EXPECT_EQ(lobby.connections(), 0); // no lobby link in a solo game
}

TEST(TchatScreen, NarrowScreenPanelEndsTheGame) {
    Tchat w;
    int closed = 0;
    QObject::connect(&w, &Tchat::closed, [&] { ++closed; });
    auto *panel = w.findChild<QWidget *>("panel_screen");
    panel->hide();
    w.checkScreenWidth(801);
    EXPECT_TRUE(panel->isHidden());
    w.checkScreenWidth(800);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(w.findChild<QLabel *>("label_screen1")->text(),
              "This game is designed to run on screen resolutions of 1024/768 or higher.");
    w.findChild<QPushButton *>("Image4")->click();
    EXPECT_EQ(closed, 1);
}

} // namespace

namespace {

TEST(TchatStart, AHostPortInUseIsReportedAndNothingConnects) {
    FakeHost other, lobby; // somebody else's game already listens on the port
    TServer server;
    Tchat w;
    w.setServer(&server);
    w.setPorts(other.port(), lobby.port());
    w.setArguments({"Alice", "x", "true"});
    testing::internal::CaptureStderr();
    w.show();
    spin(150);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot host"), std::string::npos) << err;
    EXPECT_TRUE(chatText(w).contains("Cannot host the game"));
    EXPECT_EQ(other.connections(), 0); // it does not join the other game as its host
    EXPECT_FALSE(w.mirror().isHost());
    EXPECT_FALSE(w.findChild<QAction *>("StartGame1")->isEnabled());
}

TEST(TchatWindows, HelpMenuOpensHelpAndAbout) {
    Tchat w;
    Tabout about;
    Thelp help;
    w.setAbout(&about);
    w.setHelp(&help);
    EXPECT_EQ(about.findChild<QLabel *>("version")->text(), "2.1.1");
    EXPECT_EQ(w.versionText(), "2.1.1");
    w.findChild<QAction *>("About1")->trigger();
    EXPECT_TRUE(about.isVisible());
    w.findChild<QAction *>("Help2")->trigger();
    EXPECT_TRUE(help.isVisible());
    QStringList tabs;
    for (int i = 0; i < help.pages()->count(); ++i)
        tabs << help.pages()->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Rules", "Scoring", "Zorble Squares", "Game Options", "Keyboard",
                                 "Playing Together", "Version History", "Credits"}));
    // The history's newest entry is this version's; the credits name each
    // source with its licence.
    const QString history = help.findChild<QTextBrowser *>("page_history")->toPlainText();
    EXPECT_TRUE(history.contains(QRegularExpression("^Version history\\nVersion " +
                                                    QRegularExpression::escape(w.versionText()) +
                                                    " \\S \\d+ \\w+ 20\\d\\d\\n")))
        << history.toStdString();
    const QString credits = help.findChild<QTextBrowser *>("page_credits")->toPlainText();
    for (const char *source :
         {"Qt", "LGPL", "SCOWL", "Kevin Atkinson", "permission to use", "J Ross Beresford", "SoX",
          "GPL version 2", "eSpeak NG", "GPL version 3", "Avahi"})
        EXPECT_TRUE(credits.contains(source)) << source;
}

} // namespace

namespace {

TEST(TchatSeats, SeatMenuAndJustWatchAskTheHost) {
    Joined j;
    ASSERT_TRUE(j.login(2));
    j.host.send({"CMD_newplayerinfo+1+Bob", "CMD_newplayerinfo+2+Alice"});
    ASSERT_TRUE(waitUntil([&] { return j.window->mirror().seats().name(2) == "Alice"; }));
    SeatMenu *menu = j.window->seatMenu();
    auto openOn = [&](int seat) {
        auto *name = j.window->findChild<QLabel *>(QStringLiteral("label_playername%1").arg(seat));
        emit name->customContextMenuRequested(QPoint(1, 1));
        menu->hide();
    };
    struct Case {
        bool host;
        int seat;
        bool remove, watch;
    };
    for (const Case &c :
         {Case{false, 1, false, false}, Case{true, 1, true, true}, Case{true, 3, false, true}}) {
        j.window->mirror().setHost(c.host);
        openOn(c.seat);
        EXPECT_EQ(menu->seat(), c.seat);
        EXPECT_EQ(menu->removeAction()->isEnabled(), c.remove) << c.host << c.seat;
        EXPECT_EQ(menu->setWatchAction()->isEnabled(), c.watch) << c.host << c.seat;
    }

    const qsizetype sent = j.host.received().size();
    j.window->mirror().setHost(false);
    j.window->kicking(1); // not the hosting player: nothing goes out
    j.window->mirror().setHost(true);
    openOn(1);
    menu->removeAction()->trigger();
    menu->setWatchAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return j.host.received().size() > sent; }));
    spin(50);
    EXPECT_EQ(j.host.received().mid(sent), "CMD_kickhim+2+1+\xFF"
                                           "CMD_justwatch+1+1\xFF");

    // The tick follows the host, not the click.
    const qsizetype before = j.host.received().size();
    j.window->justWatchAction()->trigger();
    EXPECT_FALSE(j.window->justWatchAction()->isChecked());
    ASSERT_TRUE(
        waitUntil([&] { return j.host.received().mid(before) == "CMD_justwatch+2+1\xFF"; }));
    j.host.send({"CMD_justwatching+2+1"});
    EXPECT_TRUE(waitUntil([&] { return j.window->justWatchAction()->isChecked(); }));
}

} // namespace
