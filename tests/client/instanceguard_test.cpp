#include "client/instanceguard.h"

#include "tests/support/testclient.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

namespace {

QString uniqueName() {
    return QStringLiteral("zorble-guard-test-%1").arg(QCoreApplication::applicationPid());
}

TEST(InstanceGuard, ASecondStartRaisesTheFirstAndStops) {
    InstanceGuard first(uniqueName());
    ASSERT_EQ(first.acquire(), InstanceGuard::First);
    EXPECT_TRUE(QFile::exists(first.lockPath()));
    int raised = 0;
    QObject::connect(&first, &InstanceGuard::raiseRequested, [&] { ++raised; });

    {
        InstanceGuard second(uniqueName());
        EXPECT_EQ(second.acquire(500), InstanceGuard::AlreadyRunning);
    }
    EXPECT_TRUE(waitUntil([&] { return raised == 1; }));
    // The first keeps its lock; a third start is turned away too.
    InstanceGuard third(uniqueName());
    EXPECT_EQ(third.acquire(500), InstanceGuard::AlreadyRunning);
    EXPECT_TRUE(waitUntil([&] { return raised == 2; }));
}

// A second start with an invitation hands the link to the running game.
TEST(InstanceGuard, ASecondStartPassesItsInvitationOn) {
    const QString name = uniqueName() + QStringLiteral("-link");
    InstanceGuard first(name);
    ASSERT_EQ(first.acquire(), InstanceGuard::First);
    QStringList links;
    int raised = 0;
    QObject::connect(&first, &InstanceGuard::raiseRequested, [&] { ++raised; });
    QObject::connect(&first, &InstanceGuard::linkReceived, [&](const QString &l) { links << l; });
    InstanceGuard second(name);
    EXPECT_EQ(second.acquire(500, "zorble://[::1]:7800"), InstanceGuard::AlreadyRunning);
    EXPECT_TRUE(waitUntil([&] { return links.size() == 1; }));
    EXPECT_EQ(links, QStringList{"zorble://[::1]:7800"});
    EXPECT_EQ(raised, 1);
}

TEST(InstanceGuard, TheLockGoesWithItsOwner) {
    const QString name = uniqueName() + QStringLiteral("-b");
    QString path;
    {
        InstanceGuard first(name);
        ASSERT_EQ(first.acquire(), InstanceGuard::First);
        path = first.lockPath();
    }
    EXPECT_FALSE(QFile::exists(path));
    InstanceGuard next(name);
    EXPECT_EQ(next.acquire(), InstanceGuard::First);
}

TEST(InstanceGuard, TheEnvironmentSwitchTurnsItOff) {
    const QByteArray old = qgetenv("ZORBLE_NO_INSTANCE_GUARD");
    qputenv("ZORBLE_NO_INSTANCE_GUARD", "1");
    EXPECT_TRUE(InstanceGuard::disabled());
    qputenv("ZORBLE_NO_INSTANCE_GUARD", "0");
    EXPECT_FALSE(InstanceGuard::disabled());
    qunsetenv("ZORBLE_NO_INSTANCE_GUARD");
    EXPECT_FALSE(InstanceGuard::disabled());
    if (!old.isNull())
        qputenv("ZORBLE_NO_INSTANCE_GUARD", old);
}

} // namespace
