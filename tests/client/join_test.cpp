// Joining another game from the window: the Join dialog's address field,
// the name it asks for, the joins that work and the ones that fail. A
// failure leaves the window's own game as it was.
#include "tests/client/fakehost.h"
#include "tests/client/hostingwindow.h"

#include "client/gameprocess.h"
#include "client/networkmenu.h"
#include "client/tchat.h"
#include "clientcore/joinaddress.h"
#include "host/tserver.h"
#include "net/playername.h"
#include "settings/apppaths.h"
#include "settings/inifile.h"
#include "tests/support/testclient.h"
#include "windows/joindialog.h"
#include "windows/namedialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

// Paths in a folder of the test's own, with a settings file that may name
// the player.
struct Folder {
    QTemporaryDir dir;
    AppPaths paths;
    explicit Folder(const QByteArray &name = {}) {
        paths.settingsFile = dir.filePath("vornlobby.ini");
        paths.tileFolder = dir.filePath("zorbletiles");
        paths.tallyFile = dir.filePath("zorbletally.tld");
        paths.downloadFolder = dir.filePath("downloads");
        if (!name.isEmpty()) {
            QFile f(paths.settingsFile);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("[Zorble]\nPlayerName=" + name + "\n");
        }
    }
    QString value(const QString &key) const {
        IniFile ini(paths.settingsFile);
        ini.load();
        return ini.value(u"Zorble", key).value_or(QString());
    }
};

// A window hosting its own game as Bea, with the Join dialog open.
struct Bea : HostingWindow {
    Folder folder{"Bea"};
    Bea() : HostingWindow("Bea") {
        w.setPaths(folder.paths);
        w.show();
        EXPECT_TRUE(waitUntil([&] { return w.mirror().localSeat() == 1; }));
        w.networkMenu()->showJoinDialog();
    }
    JoinDialog *dialog() { return w.networkMenu()->joinDialog(); }
    void join(const QString &address) {
        dialog()->setAddress(address);
        dialog()->joinButton()->click();
    }
    QString problem(int timeoutMs = 5000) {
        waitUntil([&] { return dialog()->state()["problem"].toBool(); }, timeoutMs);
        return dialog()->state()["message"].toString();
    }
};

TEST(JoinDialog, FailuresAreToldAndTheGameGoesOn) {
    TServer full;
    full.listen(0);
    std::vector<std::unique_ptr<TestClient>> nine;
    for (int i = 1; i <= TServer::kSlots; ++i) {
        nine.push_back(std::make_unique<TestClient>());
        ASSERT_NE(nine.back()->join(full.port(), QStringLiteral("P%1").arg(i)), 0);
    }
    QTcpServer silent; // takes the connection and never says a word
    ASSERT_TRUE(silent.listen(QHostAddress::Any, 0));
    const QString refused = QString::number(unusedPort());

    const struct {
        QString address;
        QString message;
        int timeoutMs;
        bool silent = false; // the host gets its full time before the message
    } cases[] = {
        {"nosuchhost.invalid", "Cannot find the host \"nosuchhost.invalid\".", 15000},
        {"127.0.0.1:" + refused,
         "No game answers at 127.0.0.1:" + refused + ": the connection was refused.", 5000},
        {"[::1]:" + QString::number(full.port()),
         "The game at [::1]:" + QString::number(full.port()) + " is full.", 5000},
        {"localhost:" + QString::number(silent.serverPort()),
         "localhost:" + QString::number(silent.serverPort()) + " did not answer within 10 seconds.",
         Joiner::kAnswerMs + 3000, true},
    };
    Bea bea;
    QSignalSpy joins(bea.w.networkMenu(), &NetworkMenu::joinReady);
    // The tests have no system bus, so no Avahi daemon either.
    EXPECT_EQ(bea.dialog()->state()["search"].toString(),
              "The local network cannot be searched: no Avahi daemon is running.");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        QElapsedTimer clock;
        clock.start();
        bea.join(c.address);
        EXPECT_TRUE(bea.dialog()->busy());
        EXPECT_EQ(bea.problem(c.timeoutMs), c.message);
        if (c.silent) {
            EXPECT_GE(clock.elapsed(), Joiner::kAnswerMs);
        }
        EXPECT_TRUE(bea.dialog()->isVisible());
        EXPECT_TRUE(bea.dialog()->joinButton()->isEnabled()); // may try again
    }
    // Bea's own game is as it was: her seat, her host and her guest.
    TestClient guest;
    EXPECT_EQ(guest.join(bea.port, "Cy"), 2);
    EXPECT_TRUE(waitUntil([&] { return bea.w.mirror().seats().name(2) == "Cy"; }));
    EXPECT_EQ(bea.w.mirror().seats().name(1), "Bea");
    EXPECT_TRUE(bea.w.mirror().loggedIn());
    EXPECT_EQ(joins.count(), 0);
    EXPECT_EQ(bea.folder.value("RecentHost1"), ""); // no failed host is remembered
}

// What cannot be an address, a link or a name is refused in the dialog
// before anything is sent.
TEST(JoinDialog, BadInputIsRefusedWithAReason) {
    Bea bea;
    QTcpServer watcher; // would see any connection made
    ASSERT_TRUE(watcher.listen(QHostAddress::Any, 0));
    const QString port = QString::number(watcher.serverPort());
    const QString refused[] = {
        QString(256, QChar(u'a')),
        "zorble://127.0.0.1:" + port + "/game",
        "zorble://127.0.0.1:" + port + "?name=Eve",
        "zorble://eve@127.0.0.1:" + port,
        "127.0.0.1:" + port + "0000",
        "127.0.0.1\n:" + port,
    };
    for (const QString &text : refused) {
        SCOPED_TRACE(text.toStdString());
        bea.join(text);
        EXPECT_FALSE(bea.dialog()->busy());
        EXPECT_FALSE(bea.problem(100).isEmpty());
    }
    // So is a link the program was handed.
    bea.w.networkMenu()->openLink("zorble://127.0.0.1:" + port + "/x");
    EXPECT_EQ(bea.problem(100),
              "An invitation link holds only a host and a port: zorble://HOST:PORT.");
    spin(200);
    EXPECT_FALSE(watcher.hasPendingConnections());

    NameDialog names(&names::problem);
    for (const QString &name :
         {QString("Bea+Cy"), QString("Bea\x07"), QString(21, QChar(u'b')), QString()}) {
        SCOPED_TRACE(name.toStdString());
        names.setName(name);
        names.open();
        names.accept();
        EXPECT_TRUE(names.isVisible());
        EXPECT_FALSE(names.reason().isEmpty());
    }
    names.setName("  Bea Cy ");
    names.accept();
    EXPECT_FALSE(names.isVisible());
    EXPECT_EQ(names.name(), "Bea Cy");
}

// Joins over IPv6 and by a name that resolves to both families: the window
// leaves its own game and sits at Ann's table.
TEST(JoinDialog, JoinsAnotherGameByAddressAndRemembersIt) {
    HostingWindow ann("Ann");
    ann.w.show();
    ASSERT_TRUE(waitUntil([&] { return ann.w.mirror().localSeat() == 1; }));
    const QString port = QString::number(ann.port);

    Folder folder("Bea");
    GameProcess bea({}, folder.paths);
    bea.setGamePort(unusedPort());
    bea.window().show();
    ASSERT_TRUE(waitUntil([&] { return bea.window().mirror().seats().name(1) == "Bea"; }));

    for (const QString &address : {"[::1]:" + port, "localhost:" + port}) {
        SCOPED_TRACE(address.toStdString());
        const QPointer<Tchat> before = &bea.window();
        NetworkMenu *menu = bea.window().networkMenu();
        menu->showJoinDialog();
        menu->joinDialog()->setAddress(address);
        menu->joinDialog()->joinButton()->click();
        // The seat is offered before Bea leaves the last one: joining the
        // same table again, she sits in the next seat free.
        const GameMirror *m = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            m = before ? nullptr : &bea.window().mirror();
            return m && m->localSeat() > 1 && m->seats().name(m->localSeat()) == "Bea" &&
                   m->seats().name(1) == "Ann";
        })) << QJsonDocument(bea.window().networkMenu()->joinState()).toJson().toStdString();
        EXPECT_FALSE(m->isHost());
        const int seat = m->localSeat();
        EXPECT_TRUE(waitUntil([&] { return ann.w.mirror().seats().name(seat) == "Bea"; }));
        EXPECT_EQ(folder.value("RecentHost1"), address);
    }
    EXPECT_EQ(folder.value("RecentHost2"), "[::1]:" + port);
}

// The first invitation asks for the name; a game nobody else has joined
// starts again under it, so that nobody is ever greeted as "You".
TEST(JoinDialog, TheNameIsAskedOnceAndALoneGameTakesIt) {
    Folder folder;
    GameProcess game({}, folder.paths);
    game.setGamePort(unusedPort());
    game.window().show();
    ASSERT_TRUE(waitUntil([&] { return game.window().mirror().seats().name(1) == "You"; }));

    const QPointer<Tchat> before = &game.window();
    NetworkMenu *menu = game.window().networkMenu();
    menu->copyInvitation();
    ASSERT_TRUE(menu->nameDialog()->isVisible());
    menu->nameDialog()->setName("Bea");
    menu->nameDialog()->accept();
    EXPECT_EQ(folder.value("PlayerName"), "Bea");
    ASSERT_TRUE(
        waitUntil([&] { return !before && game.window().mirror().seats().name(1) == "Bea"; }));
    EXPECT_TRUE(game.window().mirror().isHost());

    // Asked once: the Join dialog now opens at once.
    game.window().networkMenu()->showJoinDialog();
    EXPECT_TRUE(game.window().networkMenu()->joinDialog()->isVisible());
    EXPECT_FALSE(game.window().networkMenu()->nameDialog()->isVisible());
}

} // namespace
