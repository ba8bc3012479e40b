// Two real programs find each other on a local network and one joins the
// other with a click, under a virtual X server. The network is one of the
// test's own (tests/e2e/localnet.sh: a network namespace with a private
// system D-Bus and avahi-daemon); nothing goes out on the machine's
// interfaces. Also: an invitation link given on the command line.
#include "host/tserver.h"
#include "tests/e2e/display.h"
#include "tests/e2e/program.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool inLocalNetwork() {
    return qEnvironmentVariable("ZORBLE_LOCALNET") == QLatin1String("1");
}

QString missingTool(const QStringList &tools) {
    for (const QString &tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty() &&
            QStandardPaths::findExecutable(tool, {"/usr/sbin", "/sbin"}).isEmpty())
            return tool;
    return {};
}

// A copy of the program in a folder of its own, whose settings name the
// player.
QString programFor(const QTemporaryDir &dir, const QByteArray &name) {
    const QString path = dir.filePath(QStringLiteral("zorble"));
    QFile::copy(QStringLiteral(ZORBLE_BIN), path);
    QFile ini(dir.filePath(QStringLiteral("vornlobby.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Zorble]\nPlayerName=" + name + "\n");
    return path;
}

// avahi-browse's resolved lines for the games: one per game and protocol.
QStringList browse() {
    QProcess p;
    p.start(QStringLiteral("avahi-browse"), {"-rpt", "_zorble._tcp"});
    p.waitForFinished(10000);
    QStringList lines;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QLatin1Char('=')))
            lines << line;
    return lines;
}

// The TXT record of the game hosted by `host`, as avahi-browse shows it.
QString recordOf(const QString &host) {
    for (const QString &line : browse())
        if (line.contains(QStringLiteral("\"host=%1\"").arg(host)))
            return line.section(QLatin1Char(';'), 9);
    return {};
}

// Opens the program's Join dialog with its keyboard shortcut, once a click
// on the chat entry has given the window the keyboard.
QString openJoinDialog(Player &p) {
    const QJsonObject state = p.waitForState([](const QJsonObject &) { return true; });
    p.click(p.centreOf(state, QStringLiteral("edit_chat")));
    p.keys({"ctrl+j"});
    return p.findTitled(QStringLiteral("^Join a Game$"));
}

QPoint centre(const QJsonObject &places, const QString &part) {
    const QJsonArray r = places[part].toArray();
    return {r[0].toInt() + r[2].toInt() / 2, r[1].toInt() + r[3].toInt() / 2};
}

// Clicks at a place of a window, raised first: no window manager keeps a
// dialog above its main window here.
void clickIn(const Player &p, const QString &window, QPoint at, int clicks = 1) {
    p.xdotool({"windowraise", window});
    p.xdotool({"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()),
               "click", "--repeat", QString::number(clicks), "1"});
}

// Runs this test again inside a local network of its own.
void runInLocalNetwork() {
    const QString missing = missingTool({"unshare", "ip", "dbus-daemon", "avahi-daemon",
                                         "avahi-browse", "avahi-publish", "Xvfb", "xdotool"});
    if (!missing.isEmpty())
        GTEST_SKIP() << "needs " << missing.toStdString();
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral(ZORBLE_LOCALNET_SCRIPT), {"--check"});
    check.waitForFinished(10000);
    if (check.exitCode() != 0)
        GTEST_SKIP() << "network namespaces cannot be made here (unshare -rnm: "
                     << check.readAll().trimmed().toStdString() << ")";

    const auto *info = testing::UnitTest::GetInstance()->current_test_info();
    QProcess inner;
    inner.setProcessChannelMode(QProcess::MergedChannels);
    inner.start(
        QStringLiteral(ZORBLE_LOCALNET_SCRIPT),
        {QCoreApplication::applicationFilePath(),
         QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
    ASSERT_TRUE(inner.waitForFinished(100000));
    const QString out = QString::fromUtf8(inner.readAll());
    EXPECT_EQ(inner.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

TEST(EndToEndLocalNetwork, AGameFoundThereIsJoinedWithAClick) {
    ensureCoreApp();
    if (!inLocalNetwork())
        return runInLocalNetwork();

    VirtualDisplay x;
    ASSERT_TRUE(x.start());
    QTemporaryDir annDir, beaDir;
    Player ann, bea;
    for (Player *p : {&ann, &bea}) {
        const bool isAnn = p == &ann;
        p->display = x.name;
        p->stateFile = (isAnn ? annDir : beaDir).filePath("state.json");
        // Both host a solo game first, on ports of their own.
        p->game = std::make_unique<Game>(
            QStringList{"--port", isAnn ? "7772" : "7773"}, false, QString(), p->stateFile,
            programFor(isAnn ? annDir : beaDir, isAnn ? "Ann" : "Bea"), x.name);
        ASSERT_TRUE(p->game->waitForLine("0+You are Connected.")) << p->game->out.toStdString();
        ASSERT_TRUE(p->findWindow());
    }
    // A record another machine could send, with a terminal escape in the name.
    QProcess hostile;
    hostile.start(QStringLiteral("avahi-publish"),
                  {"-s", "Zorble trap", "_zorble._tcp", "7999", "version=2.1.1", "host=Eve\x1b[2J",
                   "seats=1", "free=3", "watchers=0", "running=0"});

    // Ann's game is published with her table.
    QString record;
    ASSERT_TRUE(waitUntil([&] { return !(record = recordOf("Ann")).isEmpty(); }, 5000));
    for (const char *field :
         {"\"version=2.1.1\"", "\"seats=1\"", "\"free=3\"", "\"watchers=0\"", "\"running=0\""})
        EXPECT_TRUE(record.contains(field)) << record.toStdString();

    // Bea's Join dialog lists Ann's game within 3 s, and nothing else: her
    // own game is hers, and Eve's record does not read.
    QElapsedTimer clock;
    clock.start();
    const QString dialog = openJoinDialog(bea);
    ASSERT_FALSE(dialog.isEmpty());
    const QJsonObject listed = bea.waitForState([](const QJsonObject &s) {
        return s["join"].toObject()["games"].toArray().first().toString().startsWith("Ann");
    });
    EXPECT_LT(clock.elapsed(), 3000);
    spin(1500); // Eve's record has had its time too
    const QJsonObject shown = bea.waitForState([](const QJsonObject &) { return true; });
    const QJsonArray rows = shown["join"].toObject()["games"].toArray();
    ASSERT_EQ(rows.size(), 1) << QJsonDocument(rows).toJson().toStdString();
    EXPECT_EQ(rows[0].toString(), QString::fromUtf8("Ann  \u00B7  3 seats free, waiting  \u00B7  "
                                                    "zorble-localnet.local:7772"));

    // A host without a window is published too, with nobody at its table,
    // and the list follows it as it comes and goes.
    QProcess serve;
    serve.start(QStringLiteral(ZORBLE_BIN), {"--serve", "--port", "7790"});
    EXPECT_TRUE(waitUntil(
        [&] {
            for (const QString &line : browse())
                if (line.section(';', 8, 8) == "7790")
                    return line.contains("\"host=\" \"seats=0\" \"free=4\"");
            return false;
        },
        5000));
    const auto rowsNow = [&](int count) {
        return bea
            .waitForState([&](const QJsonObject &s) {
                return s["join"].toObject()["games"].toArray().size() == count;
            })["join"]
            .toObject()["games"]
            .toArray();
    };
    const QJsonArray withServe = rowsNow(2);
    ASSERT_EQ(withServe.size(), 2);
    EXPECT_TRUE(withServe[1].toString().startsWith("(no host player yet)  \u00B7  4 seats free"))
        << withServe[1].toString().toStdString();
    serve.terminate();
    serve.waitForFinished(5000);
    ASSERT_EQ(rowsNow(1).size(), 1);

    // A double click joins.
    clickIn(bea, dialog, centre(shown["join"].toObject()["places"].toObject(), "game1"), 2);
    const QJsonObject joined = bea.waitForState([](const QJsonObject &s) {
        return s["localseat"].toInt() == 2 && s["seats"].toArray()[0].toObject()["name"] == "Ann";
    });
    EXPECT_EQ(joined["seats"].toArray()[1].toObject()["name"].toString(), "Bea");
    EXPECT_FALSE(joined["ishost"].toBool());
    const QJsonObject host = ann.waitForState(
        [](const QJsonObject &s) { return s["seats"].toArray()[1].toObject()["name"] == "Bea"; });
    EXPECT_EQ(host["seats"].toArray()[0].toObject()["name"].toString(), "Ann");
    EXPECT_TRUE(waitUntil([&] { return ann.game->out.contains("0+Bea is Connected."); }));

    // Nobody is called "You": the only "You" in Bea's chat is her own arrival.
    static const QRegularExpression you(QStringLiteral("\\bYou\\b"));
    for (const QString &line : bea.game->out.split('\n')) {
        if (line.contains(you)) {
            EXPECT_EQ(line, "0+You are Connected.");
        }
    }
    EXPECT_TRUE(bea.game->out.contains("0+Ann is Connected.")) << bea.game->out.toStdString();

    // The record follows: Bea sits in seat 2.
    EXPECT_TRUE(waitUntil(
        [&] {
            record = recordOf("Ann");
            return record.contains("\"seats=2\"") && record.contains("\"free=2\"");
        },
        3000))
        << record.toStdString();

    hostile.terminate();
    hostile.waitForFinished(5000);
    // Both end cleanly (under the sanitizers, without a leak).
    for (Player *p : {&bea, &ann}) {
        EXPECT_TRUE(p->game->terminate());
        EXPECT_EQ(p->game->proc.exitCode(), 0);
    }
}

// zorble zorble://HOST:PORT opens the Join dialog filled in; Join confirms.
TEST(EndToEndInvitation, ALinkOnTheCommandLineOpensTheJoinDialog) {
    ensureCoreApp();
    const QString missing = missingTool({"Xvfb", "xdotool"});
    if (!missing.isEmpty())
        GTEST_SKIP() << "needs " << missing.toStdString();
    TServer host;
    host.listen(0);
    TestClient ann;
    ASSERT_EQ(ann.join(host.port(), "Ann"), 1);

    VirtualDisplay x;
    ASSERT_TRUE(x.start());
    QTemporaryDir dir;
    Player bea;
    bea.display = x.name;
    bea.stateFile = dir.filePath("state.json");
    const QString link = QStringLiteral("zorble://127.0.0.1:%1").arg(host.port());
    QTcpServer own; // a free port for Bea's own solo game
    own.listen(QHostAddress::LocalHost, 0);
    const QString ownPort = QString::number(own.serverPort());
    own.close();
    bea.game = std::make_unique<Game>(QStringList{"--port", ownPort, link}, false, QString(),
                                      bea.stateFile, programFor(dir, "Bea"), x.name);
    // The program starts its own game, with the dialog over it.
    ASSERT_TRUE(bea.game->waitForLine("0+You are Connected.", 20000))
        << bea.game->out.toStdString() << "state " << bea.game->proc.state() << ", "
        << bea.game->proc.readAllStandardError().toStdString();
    const QString dialog = bea.findTitled(QStringLiteral("^Join a Game$"));
    ASSERT_FALSE(dialog.isEmpty()) << bea.game->out.toStdString();
    // Its own game goes on meanwhile.
    const QJsonObject filled = bea.waitForState([&](const QJsonObject &s) {
        return s["join"].toObject()["address"].toString() == link && s["localseat"].toInt() == 1;
    });
    ASSERT_EQ(filled["join"].toObject()["address"].toString(), link);
    EXPECT_TRUE(filled["join"].toObject()["message"].toString().isEmpty());

    clickIn(bea, dialog, centre(filled["join"].toObject()["places"].toObject(), "button_join"));
    EXPECT_FALSE(ann.waitFor("CMD_newplayerinfo+2+Bea").isEmpty());
    const QJsonObject joined = bea.waitForState([](const QJsonObject &s) {
        return s["localseat"].toInt() == 2 && s["seats"].toArray()[0].toObject()["name"] == "Ann";
    });
    EXPECT_EQ(joined["seats"].toArray()[1].toObject()["name"].toString(), "Bea");
    EXPECT_TRUE(bea.game->terminate());
    EXPECT_EQ(bea.game->proc.exitCode(), 0);
}

} // namespace
