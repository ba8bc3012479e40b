// What a player may type or click to join a game, and what is refused.
#include "clientcore/joinaddress.h"

#include <QHostAddress>

#include <gtest/gtest.h>

namespace {

TEST(JoinAddress, ReadsEveryWayOfWritingAHost) {
    const struct {
        QString text;
        QString host;
        quint16 port;
    } cases[] = {
        {"kitchen", "kitchen", 7772},
        {"  kitchen.local:7800 ", "kitchen.local", 7800},
        {"192.168.1.20", "192.168.1.20", 7772},
        {"192.168.1.20:1", "192.168.1.20", 1},
        {"::1", "::1", 7772},
        {"[::1]", "::1", 7772},
        {"[2001:db8::5]:65535", "2001:db8::5", 65535},
        {"[fe80::1%eth0]:7772", "fe80::1%eth0", 7772},
        {"zorble://10.0.0.5:7773", "10.0.0.5", 7773},
        {"ZORBLE://kitchen", "kitchen", 7772},
        {"zorble://[::1]:7774/", "::1", 7774}, // a browser's trailing slash
        {"bücher.example", "bücher.example", 7772},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const auto parsed = join::parse(c.text);
        ASSERT_TRUE(std::holds_alternative<join::Address>(parsed))
            << std::get<QString>(parsed).toStdString();
        EXPECT_EQ(std::get<join::Address>(parsed), (join::Address{c.host, c.port}));
    }
    EXPECT_EQ(std::get<join::Address>(join::parse("kitchen", 7800)).port, 7800);
}

// Nothing that is not exactly a host and a port gets as far as a socket.
TEST(JoinAddress, RefusesWithAReason) {
    const QString refused[] = {
        "",
        "   ",
        QString(256, QChar(u'a')),
        "kitchen:0",
        "kitchen:65536",
        "kitchen:77x",
        "kitchen:",
        ":7772",
        "kitchen:+80",
        "kitchen local",
        "kit\nchen",
        "ki\x01tchen",
        "bad_-.example..com",
        "-kitchen",
        "[::1",
        "[::1]x",
        "[10.0.0.1]:7772",
        "1:2:3",
        "0.0.0.0",
        "[::]:7772",
        "zorble:kitchen:7772",
        "zorble://",
        "zorble://kitchen:7772/game",
        "zorble://kitchen:7772?seat=1",
        "zorble://kitchen:7772#x",
        "zorble://eve@kitchen:7772",
        "zorble://kitchen:7772//",
    };
    for (const QString &text : refused) {
        SCOPED_TRACE(text.toStdString());
        const auto parsed = join::parse(text);
        ASSERT_TRUE(std::holds_alternative<QString>(parsed));
        EXPECT_FALSE(std::get<QString>(parsed).isEmpty());
    }
    // 255 characters is the most an address may have.
    EXPECT_TRUE(std::holds_alternative<join::Address>(
        join::parse(QString(63, QChar(u'a')) + '.' + QString(63, QChar(u'b')) + '.' +
                    QString(63, QChar(u'c')) + '.' + QString(58, QChar(u'd')) + ":7772")));
}

TEST(JoinAddress, LinksAndShownFormsReadBack) {
    for (const join::Address &a : {join::Address{"kitchen", 7772}, join::Address{"::1", 7800},
                                   join::Address{"10.0.0.5", 1}}) {
        EXPECT_EQ(std::get<join::Address>(join::parse(join::link(a))), a);
        EXPECT_EQ(std::get<join::Address>(join::parse(join::shown(a))), a);
    }
    EXPECT_EQ(join::link({"::1", 7800}), "zorble://[::1]:7800");
}

TEST(JoinAddress, AnInvitationNamesAnAddressOthersCanReach) {
    const auto pick = [](const QStringList &addresses) {
        QList<QHostAddress> list;
        for (const QString &a : addresses)
            list << QHostAddress(a);
        return join::invitationHost(list);
    };
    EXPECT_EQ(pick({"127.0.0.1", "::1", "fe80::1", "169.254.3.4", "192.168.1.20"}), "192.168.1.20");
    EXPECT_EQ(pick({"::1", "fe80::1", "2001:db8::7", "fd00::7"}), "2001:db8::7");
    EXPECT_EQ(pick({"fd00::7", "10.1.2.3"}), "10.1.2.3");
    EXPECT_EQ(pick({"127.0.0.1", "::1", "fe80::1%eth0", "::ffff:127.0.0.1"}), "");
}

} // namespace
