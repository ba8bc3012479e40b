// The players' names and the game record read from the local network: what
// passes and what is refused.
#include "net/gamerecord.h"
#include "net/playername.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerName, RefusesWhatCouldBreakTheWireOrHideItself) {
    const struct {
        QString name;
        bool ok;
    } cases[] = {
        {"Ann", true},
        {"Zoë Ünal", true},
        {"Ann + Bob", false},
        {"", false},
        {"   ", false},
        {QString(20, QChar(u'x')), true},
        {QString(21, QChar(u'x')), false},
        {"Ann\nBob", false},
        {"Ann\tBob", false},
        {QString::fromUtf8("Eve\u202Eevil"), false}, // right-to-left override
        {QString::fromUtf8("A\u200Bnn"), false},     // zero-width space
        {QString(QChar(0xD800)) + "x", false},       // half a character
        {"\x1b[31mred", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(names::problem(c.name).isEmpty(), c.ok) << names::problem(c.name).toStdString();
    }
}

TEST(GameRecord, WhatIsPublishedReadsBack) {
    dnssd::GameRecord r;
    r.version = "2.1.1";
    r.host = "Zoë";
    r.seats = 3;
    r.free = 1;
    r.watchers = 5;
    r.running = true;
    EXPECT_EQ(dnssd::fromTxt(dnssd::toTxt(r)), r);
    r.host.clear(); // nobody in seat 1 yet
    EXPECT_EQ(dnssd::fromTxt(dnssd::toTxt(r)), r);
}

// Another machine's record is taken whole or not at all.
TEST(GameRecord, AHostileOrBrokenRecordIsRefused) {
    const QList<QByteArray> good{"version=2.1.1", "host=Ann",   "seats=1",
                                 "free=3",        "watchers=0", "running=0"};
    const auto with = [&](const QByteArray &key, const QByteArray &value) {
        QList<QByteArray> txt;
        for (const QByteArray &s : good)
            txt << (s.startsWith(key + '=') ? key + '=' + value : s);
        return txt;
    };
    const auto at = [&](int i, const QByteArray &string) {
        QList<QByteArray> txt = good;
        txt[i] = string;
        return txt;
    };
    ASSERT_TRUE(dnssd::fromTxt(good));
    // Unknown keys are passed over; key names are read without regard to case.
    EXPECT_TRUE(dnssd::fromTxt(good + QList<QByteArray>{"colour=red"}));
    EXPECT_TRUE(dnssd::fromTxt(at(0, "VERSION=2.1.1")));

    const QList<QList<QByteArray>> refused{
        with("host", "Ann\x1b[2J"),
        with("host", "Ann+1"),
        with("host", "\xE2\x80\xAE"
                     "evil"),
        with("host", "\xC3\x28"), // not UTF-8
        with("host", "A very long name indeed, over twenty"),
        with("version", "2.1.1<b>"),
        with("version", ""),
        with("seats", "5"),
        with("seats", "-1"),
        with("seats", "+1"),
        with("seats", " 1"),
        with("free", "2"), // seats and free make 4
        with("watchers", "6"),
        with("watchers", "99999999999"),
        with("running", "yes"),
        good.mid(1),                              // a field missing
        good + QList<QByteArray>{"host=Mallory"}, // a field twice
        at(1, "host"),                            // a key without "="
    };
    for (const QList<QByteArray> &txt : refused) {
        SCOPED_TRACE(txt.join(' ').toStdString());
        QString why;
        EXPECT_FALSE(dnssd::fromTxt(txt, &why));
        EXPECT_FALSE(why.isEmpty());
    }
}

} // namespace
