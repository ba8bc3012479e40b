// The "Zorble" section: its keys, their defaults, how unreadable values fall
// back, and the window's smallest size.

#include "settings/inifile.h"
#include "settings/zorblesettings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

TEST(ZorbleSettings, NoFileGivesTheDefaultsWhichAreWrittenBackAsTheyReadIn) {
    ZorbleSettings s;
    s.textColour = 0xFFFFFF;
    s.phrases[0] = QStringLiteral("left over");
    s.load(IniFile());
    IniFile out;
    s.save(out);
    EXPECT_EQ(out.toBytes(), "[Zorble]\n"
                             "Top=3\n"
                             "Left=3\n"
                             "Width=866\n"
                             "Height=650\n"
                             "Tiles=classic\n"
                             "Textsize=8\n"
                             "Textcolor=clBlack\n"
                             "Playsounds=true\n"
                             "Phrase1=\n"
                             "Phrase2=\n"
                             "Phrase3=\n"
                             "Phrase4=\n"
                             "Phrase5=\n"
                             "Phrase6=\n"
                             "Phrase7=\n"
                             "Phrase8=\n"
                             "Phrase9=\n"
                             "Phrase10=\n"
                             "Turntime=90\n"
                             "Squares=12\n"
                             "Gametime=0\n"
                             "Score=0\n"
                             "Double=0\n"
                             "Team=0\n"
                             "Grace=180\n"
                             "RejoinByName=0\n"
                             "Turnsound=0\n"
                             "ChatterSounds=true\n"
                             "Coordinates=true\n");
}

// Each row stores one value, loads the section, saves it again and reads
// back what was written for that key.
TEST(ZorbleSettings, EachValueReadsAsItsTypeAllowsElseGivesItsDefault) {
    struct Case {
        const char *key;
        const char *stored;
        const char *written;
    };
    for (const Case &c : {
             Case{"Top", "40", "40"},
             Case{"top", "abc", "3"},
             Case{"Left", "12abc", "3"},
             Case{"Left", "", "3"},
             Case{"Width", "99999999999", "866"},
             Case{"Width", "-5", "-5"},
             Case{"Height", "1.5", "650"},
             Case{"Height", "+700", "700"},
             Case{"Textsize", "0x10", "8"},
             Case{"Textsize", "1,000", "8"},
             Case{"Turntime", "120", "120"},
             Case{"Squares", "twelve", "12"},
             Case{"Gametime", "30", "30"},
             Case{"Score", "2147483648", "0"},
             Case{"Tiles", "", "classic"},
             Case{"Tiles", "Wooden Blocks", "Wooden Blocks"},
             Case{"Textcolor", "clwhite", "clWhite"},
             Case{"Textcolor", "$000000FF", "clRed"},
             Case{"Textcolor", "$00123456", "$00123456"},
             Case{"Textcolor", "white", "clBlack"},
             Case{"Textcolor", "", "clBlack"},
             Case{"Textcolor", "$1234567890", "clBlack"},
             Case{"Playsounds", "false", "false"},
             Case{"Playsounds", "FALSE", "false"},
             Case{"Playsounds", "0", "true"},
             Case{"Playsounds", "", "true"},
             Case{"ChatterSounds", "false", "false"},
             Case{"ChatterSounds", "off", "true"},
             Case{"Coordinates", "false", "false"},
             Case{"Coordinates", "no", "true"},
             Case{"Double", "1", "1"},
             Case{"Double", "true", "0"},
             Case{"Team", "1", "1"},
             Case{"Team", "2", "0"},
             Case{"Turnsound", "1", "1"},
             Case{"Turnsound", "yes", "0"},
             Case{"Phrase3", "Wow, WTG!", "Wow, WTG!"},
             Case{"Phrase10", "gg", "gg"},
         }) {
        IniFile ini = IniFile::fromBytes(QByteArray("[Zorble]\n") + c.key + '=' + c.stored + '\n');
        ZorbleSettings s;
        s.load(ini);
        s.save(ini);
        EXPECT_EQ(ini.value(u"Zorble", QString::fromLatin1(c.key)), QString::fromLatin1(c.written))
            << c.key << "=" << c.stored;
    }
}

TEST(ZorbleSettings, RoundTripsThroughAFileTheLobbyShares) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("vornlobby.ini"));
    {
        IniFile lobby(path);
        ASSERT_TRUE(lobby.load());
        ASSERT_TRUE(lobby.setValue(u"Lobby", u"Name", u"Anna"));
        ASSERT_TRUE(lobby.save());
    }

    ZorbleSettings s;
    s.top = -20;
    s.left = 1200;
    s.width = 1024;
    s.height = 700;
    s.tiles = QStringLiteral("Wooden");
    s.textSize = 11;
    s.textColour = 0x00123456;
    s.playSounds = false;
    s.phrases[0] = QStringLiteral("Wow, WTG!");
    s.phrases[9] = QStringLiteral("two\nlines");
    s.options.turntime = 60;
    s.options.squarecount = 9;
    s.options.gametime = 45;
    s.options.playtoscore = 300;
    s.options.doubletiles = true;
    s.options.partners = true;
    s.newTurnSound = true;
    s.chatterSounds = false;

    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    s.save(ini);
    ASSERT_TRUE(ini.save()) << ini.errorString().toStdString();

    IniFile again(path);
    ASSERT_TRUE(again.load());
    ZorbleSettings read;
    read.load(again);
    ZorbleSettings expected = s;
    expected.phrases[9] = QStringLiteral("two lines");
    EXPECT_EQ(read, expected);
    EXPECT_EQ(again.value(u"Lobby", u"Name"), QStringLiteral("Anna"));
}

TEST(ZorbleSettings, TheLobbyKeysAreReadButNeverWritten) {
    IniFile ini = IniFile::fromBytes("[Zorble]\n"
                                     "lobbyurl = http://games.example/lobby/setup.exe\n"
                                     "LobbyPath=/opt/vornex/vornexlobby\n"
                                     "LOBBYSHA256=AB12\n");
    ZorbleSettings s;
    s.load(ini);
    EXPECT_EQ(s.lobbyURL, "http://games.example/lobby/setup.exe");
    EXPECT_EQ(s.lobbyPath, "/opt/vornex/vornexlobby");
    EXPECT_EQ(s.lobbySHA256, "AB12");

    const QByteArray before = ini.toBytes();
    s.lobbyURL = "http://elsewhere/lobby/other.exe";
    s.save(ini);
    IniFile empty;
    s.save(empty);
    for (const char *key : {"LobbyURL", "LobbyPath", "LobbySHA256"}) {
        EXPECT_EQ(ini.value(u"Zorble", QString::fromLatin1(key)),
                  IniFile::fromBytes(before).value(u"Zorble", QString::fromLatin1(key)))
            << key;
        EXPECT_FALSE(empty.value(u"Zorble", QString::fromLatin1(key))) << key;
    }
}

TEST(WindowGeometry, SizeIsRaisedToTheMinimumAndKeptInRange) {
    struct Case {
        int left, top, width, height;
        QRect expected;
    };
    for (const Case &c : {
             Case{3, 3, 866, 650, QRect(3, 3, 866, 650)},
             Case{10, 20, 800, 600, QRect(10, 20, 859, 605)},
             Case{0, 0, 859, 604, QRect(0, 0, 859, 605)},
             Case{-50, 7, 858, 2000, QRect(-50, 7, 859, 2000)},
             Case{0, 0, 0, -5, QRect(0, 0, 859, 605)},
             Case{INT_MAX, INT_MIN, INT_MAX, INT_MAX, QRect(1 << 24, -(1 << 24), 1 << 16, 1 << 16)},
         }) {
        ZorbleSettings s;
        s.left = c.left;
        s.top = c.top;
        s.width = c.width;
        s.height = c.height;
        EXPECT_EQ(windowGeometry(s), c.expected)
            << c.left << "," << c.top << " " << c.width << "x" << c.height;
    }
}

TEST(ZorbleSettings, TheWindowLeavesThePhrasesToThePhraseEditor) {
    ZorbleSettings s;
    s.top = 44;
    s.phrases[2] = QStringLiteral("changed");

    IniFile window = IniFile::fromBytes("[Zorble]\nPhrase3=kept\n");
    s.saveExceptPhrases(window);
    EXPECT_EQ(window.value(u"Zorble", u"Phrase3"), QStringLiteral("kept"));
    EXPECT_EQ(window.value(u"Zorble", u"Phrase1"), std::nullopt);
    EXPECT_EQ(window.value(u"Zorble", u"Top"), QStringLiteral("44"));
    EXPECT_EQ(window.value(u"Zorble", u"ChatterSounds"), QStringLiteral("true"));

    IniFile editor = IniFile::fromBytes("[Zorble]\nTop=7\n");
    s.savePhrases(editor);
    EXPECT_EQ(editor.value(u"Zorble", u"Phrase3"), QStringLiteral("changed"));
    EXPECT_EQ(editor.value(u"Zorble", u"Phrase10"), QString());
    EXPECT_EQ(editor.value(u"Zorble", u"Top"), QStringLiteral("7"));
    EXPECT_EQ(editor.value(u"Zorble", u"Turntime"), std::nullopt);
}

TEST(WindowGeometry, ClosingRecordsOnlyAChangeAndShrinksWhatExceedsTheWorkArea) {
    const QRect remembered(3, 3, 866, 650);
    const QSize workArea(1280, 1000);
    struct Case {
        QRect window;
        QSize workArea;
        std::optional<QRect> recorded;
    };
    for (const Case &c : {
             Case{remembered, workArea, std::nullopt},
             Case{remembered, QSize(800, 600), std::nullopt}, // unchanged: nothing, even too big
             Case{QRect(4, 3, 866, 650), workArea, QRect(4, 3, 866, 650)},
             Case{QRect(3, 3, 866, 651), workArea, QRect(3, 3, 866, 651)},
             Case{QRect(0, 0, 1280, 1000), workArea, QRect(0, 0, 1280, 1000)},
             Case{QRect(0, 0, 1290, 1000), workArea, QRect(0, 0, 1275, 1000)},
             Case{QRect(0, 0, 1000, 1001), workArea, QRect(0, 0, 1000, 986)},
             Case{QRect(-8, -8, 1296, 1016), workArea, QRect(-8, -8, 1281, 1001)},
         }) {
        EXPECT_EQ(closingGeometry(c.window, remembered, c.workArea), c.recorded)
            << c.window.x() << "," << c.window.y() << " " << c.window.width() << "x"
            << c.window.height();
    }
}
