// The settings file as the game window reads and writes it, the tile sets,
// the phrase editor and the Game Options window.
#include "tests/client/fakehost.h"

#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/pictures.h"
#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "client/tilesets.h"
#include "client/windowsettings.h"
#include "settings/inifile.h"
#include "settings/zorblesettings.h"
#include "tests/support/testclient.h"
#include "windows/tgameoptions.h"
#include "windows/tphrases.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// A game window joining a fake host, its settings file and tile-set folder in
// a folder of its own.
struct Window {
    QTemporaryDir dir;
    FakeHost host;
    FakeHost lobby;
    std::unique_ptr<Tchat> w = std::make_unique<Tchat>();
    QString shared; // the sets installed with the game, if any

    Window() { QDir(dir.path()).mkpath(QStringLiteral("zorbletiles")); }
    QString ini() const { return dir.filePath(QStringLiteral("vornlobby.ini")); }
    QString tiles() const { return dir.filePath(QStringLiteral("zorbletiles")); }

    // Shows the window, which joins the host; the tile sets are looked up now.
    bool open() {
        AppPaths paths;
        paths.settingsFile = ini();
        paths.tileFolder = tiles();
        paths.sharedTileFolder = shared;
        w->setPaths(paths);
        w->setPorts(host.port(), lobby.port());
        w->setArguments({"Alice", "127.0.0.1", "false"});
        w->show();
        return waitUntil([this] { return host.connected() && lobby.connected(); });
    }
    // The host gives seat 1 and announces it: the window logs in and reads
    // its settings.
    bool login() {
        host.send({"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Alice"});
        // The login's bytes too, so that what a test sends next comes after them.
        return waitUntil([this] {
            return w->settings()->settingsRead() && host.received().endsWith("\xFF\xFF");
        });
    }
    std::optional<QString> stored(const char *key) const {
        IniFile f(ini());
        f.load();
        return f.value(u"Zorble", QString::fromLatin1(key));
    }
};

// ---- Settings file --------------------------------------------------------------

TEST(TchatSettings, ClosingUnmovedAfterReadingWritesNothing) {
    for (const QByteArray &before :
         {QByteArray(), QByteArray("[Lobby]\nName=Anna\n[Zorble]\nTop=40\nLeft=50\n"
                                   "Width=900\nHeight=700\nTextsize=12\n")}) {
        Window win;
        if (!before.isEmpty())
            writeFile(win.ini(), before);
        ASSERT_TRUE(win.open());
        ASSERT_TRUE(win.login());
        win.w->close();
        EXPECT_EQ(QFile::exists(win.ini()), !before.isEmpty());
        EXPECT_EQ(readFile(win.ini()), before);
    }
}

TEST(TchatSettings, WithoutAFileTheWindowShowsTheDefaults) {
    Window win;
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    EXPECT_EQ(w.pos(), QPoint(3, 3));
    EXPECT_EQ(w.size(), QSize(866, 650));
    EXPECT_EQ(w.tileSets()->current(), "classic");
    const ChatOptions chat = w.chat()->options();
    EXPECT_TRUE(chat.playSounds);
    EXPECT_TRUE(chat.chatterSounds);
    EXPECT_EQ(chat.turnSound, 0);
    EXPECT_EQ(chat.textSize, 8);
    EXPECT_EQ(chat.textColour, 0x000000u); // black: white would not show on the chat view
    EXPECT_EQ(w.gameOptions()->values(), (game::GameOptions{90, 12, 0, 0, false, false}));
}

TEST(TchatSettings, ClosingBeforeTheOwnLoginKeepsTheStoredSettings) {
    Window win;
    const QByteArray before("[Zorble]\nTiles=slate\nTextsize=12\nChatterSounds=false\n"
                            "Playsounds=false\n");
    writeFile(win.ini(), before);
    ASSERT_TRUE(win.open());
    // An option changed and the window moved while the login is still to come.
    for (QAction *a : win.w->findChildren<QAction *>())
        if (a->text() == "Play Sounds")
            a->trigger();
    win.w->move(200, 150);
    win.w->close();
    EXPECT_EQ(readFile(win.ini()), before);
}

TEST(TchatSettings, StoredValuesComeBackAsTheyWereAfterAMove) {
    Window win;
    writeFile(win.ini(), "[Zorble]\nTop=40\nLeft=50\nWidth=1000\nHeight=700\nTiles=classic\n"
                         "Textsize=12\nTextcolor=$00123456\nPlaysounds=false\n"
                         "Phrase1=Wow, WTG!\nTurntime=120\nSquares=8\nGametime=30\nScore=400\n"
                         "Double=1\nTeam=1\nTurnsound=1\nChatterSounds=false\n");
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    EXPECT_EQ(QRect(w.pos(), w.size()), QRect(50, 40, 1000, 700));
    EXPECT_EQ(w.chat()->phrase(1), "Wow, WTG!");
    EXPECT_EQ(w.gameOptions()->values(), (game::GameOptions{120, 8, 30, 400, true, true}));

    w.move(60, 45);
    w.close();
    IniFile after(win.ini());
    ASSERT_TRUE(after.load());
    ZorbleSettings read;
    read.load(after);
    ZorbleSettings expected;
    expected.top = 45;
    expected.left = 60;
    expected.width = 1000;
    expected.height = 700;
    expected.textSize = 12;
    expected.textColour = 0x00123456;
    expected.playSounds = false;
    expected.phrases[0] = QStringLiteral("Wow, WTG!");
    expected.options.turntime = 120;
    expected.options.squarecount = 8;
    expected.options.gametime = 30;
    expected.options.playtoscore = 400;
    expected.options.doubletiles = true;
    expected.options.partners = true;
    expected.newTurnSound = true;
    expected.chatterSounds = false;
    EXPECT_EQ(read, expected);
}

TEST(TchatSettings, ASizeBelowTheMinimumIsRaisedAndSavedOnClose) {
    Window win;
    writeFile(win.ini(), "[Zorble]\nTop=10\nLeft=20\nWidth=500\nHeight=400\n");
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    EXPECT_EQ(w.width(), kMinimumWindowWidth);
    EXPECT_GE(w.centralWidget()->height(), kMinimumWindowHeight);
    const int height = w.height();
    w.close();
    EXPECT_EQ(win.stored("Width"), QString::number(kMinimumWindowWidth));
    EXPECT_EQ(win.stored("Height"), QString::number(height));
    EXPECT_EQ(win.stored("Left"), "20");
}

TEST(TchatSettings, ResetScreenLocationGoesBackToTheDefaultPlace) {
    Window win;
    writeFile(win.ini(), "[Zorble]\nTop=100\nLeft=120\nWidth=1100\nHeight=800\n");
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    win.w->findChild<QAction *>("ResetScreenLocation1")->trigger();
    EXPECT_EQ(QRect(win.w->pos(), win.w->size()), QRect(3, 3, 866, 650));
    win.w->close();
    EXPECT_EQ(win.stored("Width"), "866");
    EXPECT_EQ(win.stored("Top"), "3");
}

// ---- Phrase editor --------------------------------------------------------------

TEST(TchatPhrases, DoneStoresThePhrasesAndClosingOtherwiseDropsTheEdits) {
    Window win;
    ASSERT_TRUE(win.open());
    win.w->findChild<QAction *>("PhraseList1")->trigger();
    Tphrases *editor = win.w->phraseEditor();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), "Zorble- Phrase Buttons");
    EXPECT_EQ(editor->line(6)->text(), "Wow, WTG!");
    editor->line(1)->setText("Wow, WTG!");
    editor->line(10)->setText(QString(60, 'x'));
    editor->doneButton()->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(win.w->chat()->phrase(1), "Wow, WTG!");
    // Only the phrases go to the file; the rest was not read yet.
    EXPECT_EQ(readFile(win.ini()), "[Zorble]\nPhrase1=Wow, WTG!\nPhrase2=Good One!\n"
                                   "Phrase3=Nice Try!\nPhrase4=Excellent!\nPhrase5=Brilliant!\n"
                                   "Phrase6=Wow, WTG!\nPhrase7=Thanks!\n"
                                   "Phrase8=Way To Go Teamie!\nPhrase9=Good Game Everyone!\n"
                                   "Phrase10=" +
                                       QByteArray(50, 'x') + "\n");

    win.w->findChild<QAction *>("PhraseList1")->trigger();
    editor->line(2)->setText("changed");
    editor->close();
    EXPECT_EQ(win.w->chat()->phrase(2), "Good One!");

    // A window that reads the file shows the stored phrase.
    Window again;
    writeFile(again.ini(), readFile(win.ini()));
    ASSERT_TRUE(again.open());
    ASSERT_TRUE(again.login());
    EXPECT_EQ(again.w->chat()->phrase(1), "Wow, WTG!");
}

// ---- Game Options -----------------------------------------------------------------

TEST(TchatGameOptions, StartSendsTheChosenOptionsSavesThemAndCloses) {
    Window win;
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    auto *startGame = w.findChild<QPushButton *>("button_startgame");
    startGame->show(); // as for the hosting player
    startGame->click();
    Tgameoptions *options = w.gameOptions();
    ASSERT_TRUE(options->isVisible());
    EXPECT_TRUE(startGame->isHidden());

    // The numbers change by their arrows only.
    QTest::keyClick(options->turnTimeField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(options->turnTimeField(), "100");
    EXPECT_EQ(options->turnTimeField()->value(), 90);
    options->turnTimeField()->stepBy(6);
    options->squaresField()->stepBy(-1);
    options->gameTimeField()->stepBy(30);
    options->scoreField()->stepBy(2);
    options->doubleBox()->click();

    const qsizetype sent = win.host.received().size();
    options->startButton()->click();
    ASSERT_TRUE(waitUntil([&] { return win.host.received().size() > sent; }));
    spin(50);
    EXPECT_EQ(win.host.received().mid(sent), "CMD_startgame+Alice+120+8+30+400+y+n+\xFF");
    EXPECT_FALSE(options->isVisible());
    EXPECT_EQ(win.stored("Turntime"), "120");
    EXPECT_EQ(win.stored("Squares"), "8");
    EXPECT_EQ(win.stored("Gametime"), "30");
    EXPECT_EQ(win.stored("Score"), "400");
    EXPECT_EQ(win.stored("Double"), "1");
    EXPECT_EQ(win.stored("Team"), "0");

    // Closing the window without starting sends nothing.
    const qsizetype started = win.host.received().size();
    w.button_startClick();
    ASSERT_TRUE(options->isVisible());
    options->close();
    spin(100);
    EXPECT_EQ(win.host.received().size(), started);
}

TEST(TchatGameOptions, DuringAGameStartAsksFirstAndEscapeKeepsTheButton) {
    Window win;
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    win.host.send({"CMD_startgame+Alice+60+0+0+0+n+n++n", "CMD_nextplayer+1"});
    ASSERT_TRUE(waitUntil([&] { return w.mirror().gameRunning(); }));
    auto *startGame = w.findChild<QPushButton *>("button_startgame");
    Tgameoptions *options = w.gameOptions();

    // Escape closes the window and the button stays.
    startGame->show();
    w.button_startClick();
    ASSERT_TRUE(options->isVisible());
    EXPECT_FALSE(options->computerBox()->isEnabled());
    EXPECT_EQ(options->computerBox()->toolTip(), "Computer players join between games.");
    QTest::keyClick(options, Qt::Key_Escape);
    EXPECT_FALSE(options->isVisible());
    EXPECT_FALSE(startGame->isHidden());

    // Start asks before it ends the game: No sends nothing, Yes starts anew.
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        QStringList asked;
        QTimer::singleShot(50, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                asked << box->text();
                box->button(answer)->click();
            }
        });
        const qsizetype sent = win.host.received().size();
        w.button_startClick();
        options->startButton()->click();
        spin(100);
        EXPECT_EQ(asked, QStringList{"A game is running. Start a new one?"});
        EXPECT_EQ(win.host.received().mid(sent).startsWith("CMD_startgame+Alice+"),
                  answer == QMessageBox::Yes);
    }
}

// ---- Tile sets ----------------------------------------------------------------------

// The colour of piece i of a test strip; never a transparent key.
QRgb pieceColour(int i) {
    return qRgb(20 + 8 * i, 180 - 5 * i, 40 + 3 * i);
}

// A BMP strip of `count` square pieces of `side` pixels, piece i in its own
// colour with its top left pixel in the key colour.
QByteArray strip(int side, int count, QRgb key, int height = -1) {
    QImage image(side * count, height < 0 ? side : height, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < side; ++x)
                image.setPixel(side * i + x, y, pieceColour(i));
        image.setPixel(side * i, 0, key);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);

QByteArray bigStrip() {
    return strip(41, 26, kGreen);
}
QByteArray littleStrip() {
    return strip(28, 27, kWhite);
}

TEST(TileSets, LoadingTellsMissingBrokenAndShortFilesApart) {
    const QByteArray big = bigStrip();
    struct Case {
        const char *big;
        QByteArray bigBytes;
        const char *little;
        QByteArray littleBytes;
        tilesets::Loaded::Status status;
        const char *error;
    };
    using L = tilesets::Loaded;
    for (const Case &c : {
             Case{"wood_big.bmp", big, nullptr, {}, L::Done, ""},
             Case{"WOOD_Big.BMP", big, "wood_LITTLE.bmp", littleStrip(), L::Done, ""},
             Case{nullptr, {}, "wood_little.bmp", littleStrip(), L::Missing, ""},
             Case{"wood_big.bmp", {}, nullptr, {}, L::Broken, "wood_big.bmp is not a BMP"},
             Case{
                 "wood_big.bmp", "plain text", nullptr, {}, L::Broken, "wood_big.bmp is not a BMP"},
             Case{
                 "wood_big.bmp", big.left(40), nullptr, {}, L::Broken, "wood_big.bmp is not a BMP"},
             Case{"wood_big.bmp",
                  big.left(big.size() - 100),
                  nullptr,
                  {},
                  L::Broken,
                  "wood_big.bmp ends before its picture does"},
             Case{"wood_big.bmp",
                  strip(41, 25, kGreen),
                  nullptr,
                  {},
                  L::Broken,
                  "wood_big.bmp is 1025 x 41 pixels; it needs to be at least 1066 x 41"},
             Case{"wood_big.bmp",
                  strip(41, 26, kGreen, 40),
                  nullptr,
                  {},
                  L::Broken,
                  "is 1066 x 40 pixels"},
             Case{"wood_big.bmp", big, "wood_little.bmp", strip(28, 26, kWhite), L::Broken,
                  "wood_little.bmp is 728 x 28 pixels"},
         }) {
        QTemporaryDir dir;
        if (c.big)
            writeFile(dir.filePath(c.big), c.bigBytes);
        if (c.little)
            writeFile(dir.filePath(c.little), c.littleBytes);
        const tilesets::Loaded set = tilesets::load(dir.path(), "Wood");
        const std::string row =
            std::string(c.big ? c.big : "-") + " " + (c.little ? c.little : "-");
        EXPECT_EQ(set.status, c.status) << row << ": " << set.error.toStdString();
        EXPECT_TRUE(set.error.contains(c.error)) << row << ": " << set.error.toStdString();
        if (c.status == L::Broken) {
            EXPECT_TRUE(set.error.startsWith("Cannot load the tile set Wood: ")) << row;
        }
    }
}

TEST(TileSets, TheMenuOffersClassicFirstThenTheSetsOfTheFolder) {
    Window win;
    for (const char *file : {"wood_big.bmp", "Slate_BIG.bmp", "slate_little.bmp", "classic_big.bmp",
                             "notes.txt", "broken_big.bmp", "_big.bmp"})
        writeFile(QDir(win.tiles()).filePath(file), bigStrip());
    ASSERT_TRUE(win.open());
    QStringList entries;
    for (QAction *a : win.w->tileSets()->menu()->actions())
        entries << a->text();
    EXPECT_EQ(entries, QStringList({"classic", "broken", "Slate", "wood"}));
    EXPECT_TRUE(win.w->tileSets()->menu()->actions().at(0)->isChecked());
}

// A pipe or a link to a device named like a set's file is neither offered,
// nor waited on, nor read: loading it says what it is, on stderr once.
TEST(TileSets, APipeOrADeviceIsNoSetFile) {
    for (const char *kind : {"pipe", "device"}) {
        SCOPED_TRACE(kind);
        Window win;
        const QByteArray evil = QFile::encodeName(QDir(win.tiles()).filePath("evil_big.bmp"));
        ASSERT_EQ(kind == std::string("pipe") ? ::mkfifo(evil.constData(), 0600)
                                              : ::symlink("/dev/zero", evil.constData()),
                  0);
        writeFile(QDir(win.tiles()).filePath("wood_big.bmp"), bigStrip());
        writeFile(win.ini(), "[Zorble]\nTiles=evil\n");
        ASSERT_TRUE(win.open());
        testing::internal::CaptureStderr();
        const bool loggedIn = win.login();
        const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
        ASSERT_TRUE(loggedIn);
        EXPECT_EQ(err.count("evil_big.bmp is not a regular file"), 1) << err.toStdString();
        EXPECT_EQ(win.w->tileSets()->current(), "classic");
        QStringList entries;
        for (QAction *a : win.w->tileSets()->menu()->actions())
            entries << a->text();
        EXPECT_EQ(entries, QStringList({"classic", "wood"}));
    }
}

TEST(TileSets, SetsInstalledWithTheGameFollowTheUsersOwn) {
    Window win;
    QTemporaryDir installed;
    win.shared = installed.path();
    writeFile(QDir(win.tiles()).filePath("wood_big.bmp"), bigStrip());
    for (const char *file : {"slate_big.bmp", "Wood_big.bmp"})
        writeFile(QDir(installed.path()).filePath(file), bigStrip());
    ASSERT_TRUE(win.open());
    QStringList entries;
    for (QAction *a : win.w->tileSets()->menu()->actions())
        entries << a->text();
    EXPECT_EQ(entries, QStringList({"classic", "wood", "slate"}));
    win.w->tileSets()->menu()->actions().at(2)->trigger();
    EXPECT_TRUE(win.w->tileSets()->menu()->actions().at(2)->isChecked());
}

TEST(TileSets, ASetReplacesTheRackLettersAndTheBoardLettersWhenItHasThem) {
    Window win;
    writeFile(QDir(win.tiles()).filePath("wood_big.bmp"), bigStrip());
    writeFile(QDir(win.tiles()).filePath("Slate_Big.bmp"), bigStrip());
    writeFile(QDir(win.tiles()).filePath("SLATE_little.BMP"), littleStrip());
    writeFile(QDir(win.tiles()).filePath("broken_big.bmp"), bigStrip().left(500));
    ASSERT_TRUE(win.open());
    ASSERT_TRUE(win.login());
    Tchat &w = *win.w;
    const ClassicPictures classic(w.devicePixelRatio());
    const auto choose = [&](const QString &name) {
        for (QAction *a : w.tileSets()->menu()->actions())
            if (a->text() == name)
                a->trigger();
    };
    const auto ticked = [&] {
        for (QAction *a : w.tileSets()->menu()->actions())
            if (a->isChecked())
                return a->text();
        return QString();
    };

    choose("wood");
    EXPECT_EQ(w.tileSets()->current(), "wood");
    EXPECT_EQ(ticked(), "wood");
    EXPECT_EQ(win.stored("Tiles"), "wood");
    for (int letter : {0, 25}) {
        const QImage big = w.pictures().big(letter).toImage();
        EXPECT_EQ(big.size(), QSize(41, 41));
        EXPECT_EQ(big.pixel(20, 20), pieceColour(letter));
        EXPECT_EQ(qAlpha(big.pixel(0, 0)), 0) << "green is transparent";
        EXPECT_EQ(w.pictures().little(letter).toImage(), classic.little(letter).toImage());
    }

    choose("broken");
    EXPECT_EQ(w.tileSets()->current(), "wood");
    EXPECT_EQ(ticked(), "wood");
    EXPECT_EQ(w.pictures().big(3).toImage().pixel(20, 20), pieceColour(3));
    EXPECT_TRUE(w.chat()->view()->toPlainText().simplified().contains(
        "Cannot load the tile set broken: broken_big.bmp ends before its picture does."));

    choose("Slate");
    EXPECT_EQ(win.stored("Tiles"), "Slate");
    for (int little : {0, 25, TilePictures::kFrame}) {
        const QImage image = w.pictures().little(little).toImage();
        EXPECT_EQ(image.size(), QSize(28, 28));
        EXPECT_EQ(image.pixel(14, 14), pieceColour(little));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "white is transparent";
    }

    choose("classic");
    EXPECT_EQ(w.pictures().big(0).toImage(), classic.big(0).toImage());
    EXPECT_EQ(w.pictures().little(0).toImage(), classic.little(0).toImage());
    EXPECT_EQ(win.stored("Tiles"), "classic");
}

TEST(TileSets, TheStoredSetIsLoadedWhateverItsLetterCase) {
    Window win;
    writeFile(QDir(win.tiles()).filePath("wood_big.bmp"), bigStrip());
    writeFile(win.ini(), "[Zorble]\nTiles=WOOD\n");
    ASSERT_TRUE(win.open());
    EXPECT_EQ(win.w->tileSets()->current(), "classic"); // not before the login
    ASSERT_TRUE(win.login());
    EXPECT_EQ(win.w->tileSets()->current(), "WOOD");
    EXPECT_EQ(win.w->pictures().big(1).toImage().pixel(20, 20), pieceColour(1));
}

} // namespace
