#pragma once

// A game window joining a fake host, for tests of what the window makes of
// the host's messages.

#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/tchat.h"
#include "tests/client/fakehost.h"
#include "tests/support/testclient.h"

#include <QLabel>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>

// A label of the window by object name.
inline QLabel *label(QWidget &w, const char *name) {
    auto *l = w.findChild<QLabel *>(QString::fromLatin1(name));
    EXPECT_NE(l, nullptr) << name;
    return l;
}

// The chat as plain text, runs of white space made one space.
inline QString chatText(Tchat &w) {
    return w.chat()->view()->toPlainText().simplified();
}

// A window joining a fake host, with a fake lobby behind its lobby link.
struct Joined {
    FakeHost host;
    FakeHost lobby;
    std::unique_ptr<Tchat> window = std::make_unique<Tchat>();
    int closed = 0;

    explicit Joined(const QStringList &args = {"Alice", "127.0.0.1", "false"}) {
        QObject::connect(window.get(), &Tchat::closed, [this] { ++closed; });
        window->setPorts(host.port(), lobby.port());
        window->setArguments(args);
    }
    bool start() {
        window->show();
        return waitUntil([this] { return host.connected() && lobby.connected(); });
    }
    bool login(int seat = 1) {
        if (!start())
            return false;
        host.send({"CMD_sendlogininfo+" + QByteArray::number(seat)});
        return waitUntil([this] { return host.received().endsWith("\xFF\xFF"); });
    }
};
