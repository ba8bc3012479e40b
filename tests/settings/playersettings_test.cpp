#include "settings/inifile.h"
#include "settings/playersettings.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerSettings, KeepsItsOwnKeysAndTheOthers) {
    IniFile ini = IniFile::fromBytes("[Zorble]\nTop=40\nPlayerName=Ann\nRecentHost1=a:1\n"
                                     "RecentHost2=A:1\nRecentHost3=b:2\n[Lobby]\nName=x\n");
    PlayerSettings s;
    s.load(ini);
    EXPECT_EQ(s.name, "Ann");
    EXPECT_EQ(s.recentHosts, (QStringList{"a:1", "b:2"})); // one entry per host
    s.name = "Bea";
    s.remember("c:3");
    s.save(ini);
    PlayerSettings again;
    again.load(IniFile::fromBytes(ini.toBytes()));
    EXPECT_EQ(again, s);
    EXPECT_EQ(ini.value(u"Zorble", u"Top"), "40");
    EXPECT_EQ(ini.value(u"Lobby", u"Name"), "x");
}

TEST(PlayerSettings, RemembersTheLastTenHostsNewestFirst) {
    PlayerSettings s;
    for (int i = 1; i <= 12; ++i)
        s.remember(QStringLiteral("host%1").arg(i));
    s.remember("HOST5");
    ASSERT_EQ(s.recentHosts.size(), PlayerSettings::kRecentHosts);
    EXPECT_EQ(s.recentHosts.first(), "HOST5");
    EXPECT_EQ(s.recentHosts.mid(1, 2), (QStringList{"host12", "host11"}));
    EXPECT_FALSE(s.recentHosts.contains("host2"));
    EXPECT_FALSE(s.recentHosts.contains("host5"));
}

TEST(PlayerSettings, AValueThatCannotBeOneReadsAsMissing) {
    PlayerSettings s;
    s.load(IniFile::fromBytes("[Zorble]\nPlayerName=" + QByteArray(21, 'x') +
                              "\nRecentHost1=" + QByteArray(256, 'h') + "\nRecentHost2=ok:1\n"));
    EXPECT_TRUE(s.name.isEmpty());
    EXPECT_EQ(s.recentHosts, QStringList{"ok:1"});
}

} // namespace
