#pragma once

#include "client/tchat.h"
#include "host/tserver.h"
#include "tests/client/fakehost.h"

// A game window that hosts a real game host of its own on a free port, with
// a fake lobby behind its lobby link, as the player `name`. It shows (and
// so starts) when the test calls w.show().
struct HostingWindow {
    FakeHost lobby;
    quint16 port = unusedPort();
    TServer server;
    Tchat w;

    explicit HostingWindow(const QString &name, const QString &address = QStringLiteral("x")) {
        w.setServer(&server);
        w.setPorts(port, lobby.port());
        w.setArguments({name, address, QStringLiteral("true")});
    }
};
