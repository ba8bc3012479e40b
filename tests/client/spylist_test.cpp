// The Spy List: the watchers the host announces, and their removal from the
// hosting player's window by the entry under the mouse pointer.
#include "tests/client/fakehost.h"
#include "tests/client/hostingwindow.h"

#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "tests/support/testclient.h"
#include "windows/tspylist.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

#include <array>

namespace {

// Moves the pointer, no button held, to a point of the list.
void pointAt(Tspylist &spies, QPoint at) {
    QWidget *viewport = spies.list()->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(viewport->mapToGlobal(at)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

QPoint onEntry(Tspylist &spies, int row) {
    return spies.list()->visualItemRect(spies.list()->item(row)).center();
}

QPoint belowLastEntry(Tspylist &spies) {
    const QRect last = spies.list()->visualItemRect(spies.list()->item(spies.list()->count() - 1));
    return QPoint(last.center().x(), last.bottom() + last.height());
}

// Opens the list's pop-up menu at the pointer and picks "Remove From Game".
void removeFromGame(Tspylist &spies, QPoint at) {
    pointAt(spies, at);
    emit spies.list()->customContextMenuRequested(at);
    EXPECT_TRUE(spies.popupMenu()->isVisible());
    spies.popupMenu()->hide();
    spies.removeAction()->trigger();
}

QString chatText(Tchat &w) {
    return w.chat()->view()->toPlainText();
}

TEST(SpyList, AJoiningWindowListsTheWatchersButRemovesNone) {
    FakeHost host, lobby;
    Tchat w;
    w.setPorts(host.port(), lobby.port());
    w.setArguments({"Bob", "127.0.0.1", "false"});
    w.show();
    ASSERT_TRUE(waitUntil([&] { return host.connected(); }));
    host.send({"CMD_sendlogininfo+2", "CMD_existingplayers+1+Ann", "CMD_existingplayers+5+Eve",
               "CMD_newplayerinfo+2+Bob", "CMD_newplayerinfo+7+Alice"});
    w.findChild<QAction *>("SpyList1")->trigger();
    Tspylist &spies = *w.spyList();
    EXPECT_TRUE(spies.isVisible());
    ASSERT_TRUE(waitUntil([&] { return spies.entries().size() == 2; }));
    EXPECT_EQ(spies.entries(), QStringList({"5: Eve", "7: Alice"}));

    EXPECT_FALSE(spies.removeAction()->isEnabled());
    // The login's bytes first, so that anything after them is the removal's.
    ASSERT_TRUE(waitUntil([&] { return host.received().endsWith("\xFF\xFF"); }));
    const QByteArray sent = host.received();
    removeFromGame(spies, onEntry(spies, 1));
    EXPECT_EQ(spies.entryUnderPointer(), 1);
    spies.popup_kickhimClick(); // reached all the same: a joining window sends nothing
    spin(100);
    EXPECT_EQ(host.received(), sent);

    host.send({"CMD_playerdisconnected+7+Alice", "CMD_newplayerinfo+9+Zoe"});
    ASSERT_TRUE(waitUntil([&] { return spies.entries().contains("9: Zoe"); }));
    EXPECT_EQ(spies.entries(), QStringList({"5: Eve", "9: Zoe"}));
    EXPECT_TRUE(chatText(w).contains("Alice has left."));
}

// The hosting window against its own host: only a removal from the hosting
// player's seat for slot 7 makes the host close that watcher's connection.
TEST(SpyList, TheHostRemovesTheWatcherUnderThePointerOnly) {
    HostingWindow hosting("Hal");
    Tchat &w = hosting.w;
    const quint16 port = hosting.port;
    Tspylist &spies = *w.spyList();
    EXPECT_FALSE(spies.removeAction()->isEnabled()); // until the window hosts
    w.show();
    ASSERT_TRUE(waitUntil([&] { return w.mirror().seats().name(1) == "Hal"; }));

    const QStringList names = {"P2", "P3", "P4", "W5", "W6", "Alice"};
    std::array<TestClient, 6> clients;
    for (size_t i = 0; i < clients.size(); ++i)
        ASSERT_EQ(clients[i].join(port, names[qsizetype(i)]), int(i) + 2);
    ASSERT_TRUE(waitUntil([&] { return spies.entries().size() == 3; }));
    EXPECT_EQ(spies.entries(), QStringList({"5: W5", "6: W6", "7: Alice"}));
    EXPECT_TRUE(spies.removeAction()->isEnabled());

    const int dropped = hosting.server.droppedRequests();
    removeFromGame(spies, belowLastEntry(spies));
    EXPECT_EQ(spies.entryUnderPointer(), -1);
    spin(200);
    for (TestClient &c : clients)
        EXPECT_TRUE(c.isOpen()) << c.slot();

    removeFromGame(spies, onEntry(spies, 2));
    ASSERT_TRUE(clients[5].waitClosed());
    ASSERT_TRUE(waitUntil([&] { return spies.entries().size() == 2; }));
    EXPECT_EQ(spies.entries(), QStringList({"5: W5", "6: W6"}));
    EXPECT_TRUE(chatText(w).contains("Alice has left."));
    for (size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(clients[i].isOpen()) << clients[i].slot();
    EXPECT_EQ(hosting.server.droppedRequests(), dropped); // nothing else reached the host
}

} // namespace
