// The chat console: lines from standard input go out as chat, every one and
// in order, whenever they are typed, up to the end of the input.
#include "tests/client/fakehost.h"

#include "client/chatconsole.h"
#include "client/tchat.h"
#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <cstring>

#include <unistd.h>

namespace {

// Standard input's stand-in, closed after the window has gone.
struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(fd), 0); }
    ~Pipe() {
        ::close(fd[0]);
        ::close(fd[1]);
    }
};

TEST(ChatConsole, LinesTypedBeforeTheOwnSeatIsAnnouncedGoOutAfterIt) {
    Pipe input;
    FakeHost host, lobby;
    Tchat window;
    new ChatConsole(window, input.fd[0]);
    window.setPorts(host.port(), lobby.port());
    window.setArguments({"Alice", "127.0.0.1", "false"});
    window.show();
    ASSERT_TRUE(waitUntil([&] { return host.connected(); }));
    const auto type = [&](const char *text) {
        ASSERT_EQ(::write(input.fd[1], text, strlen(text)), ssize_t(strlen(text)));
        spin(50);
    };
    type("before login\n");
    host.send({"CMD_sendlogininfo+2"});
    ASSERT_TRUE(waitUntil([&] { return host.received().endsWith("\xFF\xFF"); }));
    const qsizetype loggedIn = host.received().size();
    type("first\nsecond\n");
    host.send({"CMD_newplayerinfo+2+Alice"});
    spin(50);
    // The last line comes with the end of the input.
    ASSERT_EQ(::write(input.fd[1], "third\n", 6), 6);
    ::close(input.fd[1]);
    input.fd[1] = -1;
    const QByteArray expected = "CMD_chat+2+before login|clBlack\xFF"
                                "CMD_chat+2+first|clBlack\xFF"
                                "CMD_chat+2+second|clBlack\xFF"
                                "CMD_chat+2+third|clBlack\xFF";
    EXPECT_TRUE(waitUntil([&] { return host.received().mid(loggedIn) == expected; }))
        << host.received().mid(loggedIn).toStdString();
}

} // namespace
