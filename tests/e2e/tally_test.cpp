// The tally of the real program. A copy of the program, which keeps its tally
// file beside itself, joins a host with two protocol players: Cat lays real
// words, Dan and the program pass. When Cat has won and the program has
// ended, its tally file holds the game.
#include "dict/tdictn.h"
#include "tally/tallystore.h"
#include "tests/e2e/program.h"
#include "tests/engine/gameclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool winnerShown(const QString &stateFile) {
    QFile f(stateFile);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject state = QJsonDocument::fromJson(f.readAll()).object();
    return state["winner"].toObject()["visible"].toBool();
}

TEST(EndToEndTally, AGameWithOneWinnerIsInTheTallyFileWhenTheProgramEnds) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;
    QTemporaryDir stateDir;
    ASSERT_TRUE(dir.isValid() && stateDir.isValid());
    const QString program = dir.filePath("zorble");
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZORBLE_BIN), program));
    ASSERT_TRUE(
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString tallyFile = dir.filePath("zorbletally.tld");

    // The tally of earlier runs: 2 games, 1 won; Cat won once against Dan.
    {
        TallyStore earlier;
        earlier.follow("Cat");
        earlier.follow("Dan");
        earlier.addgame("Cat", {"Cat", "Dan"});
        earlier.addgame("addtomine", {"Dan"});
        ASSERT_TRUE(earlier.saveFile(tallyFile));
    }

    QProcess host;
    QByteArray hostOut;
    host.start(QStringLiteral(ZORBLE_BIN), {"--serve", "--seed", "4242"});
    ASSERT_TRUE(waitUntil(
        [&] {
            hostOut += host.readAllStandardOutput();
            return hostOut.contains("listening");
        },
        10000));

    TDictn dict;
    const fullgame::WordList words(dict, 7);
    fullgame::Player cat, dan;
    ASSERT_EQ(cat.join(kGamePort, "Cat"), 1);
    const QString stateFile = stateDir.filePath("ann.json");
    Game ann({"Ann", "127.0.0.1", "false"}, false, {}, stateFile, program);
    ASSERT_TRUE(ann.waitForLine("0+You are Connected.")) << ann.out.toStdString();
    ASSERT_EQ(dan.join(kGamePort, "Dan"), 3);

    game::GameOptions o;
    o.turntime = 60;
    o.playtoscore = 30;
    cat.send(proto::client::startgame(QStringLiteral("Cat"), o));

    const GameMirror &seen = cat.mirror;
    int turnsSeen = 0;
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sincePass;
    sincePass.start();
    while (!(cat.over && dan.over)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_LT(clock.elapsed(), 60000) << "game did not end";
        cat.playIfDue(words);
        if (dan.due()) {
            ++dan.acted;
            dan.send(proto::client::pass(dan.seat));
        }
        // The program may read its console before its turn begins: it
        // passes again while the turn stays.
        const int turns = int(cat.lines.filter("CMD_nextplayer+").size());
        if (seen.gameRunning() && seen.currentPlayer() == 2 &&
            (turns > turnsSeen || sincePass.elapsed() > 1000)) {
            turnsSeen = turns;
            sincePass.restart();
            ann.proc.write("/pass\n");
        }
    }
    ASSERT_EQ(seen.winners(), QList<int>({1})) << "Cat alone wins";

    // The program has seen the end of the game before it is asked to end.
    EXPECT_TRUE(waitUntil([&] {
        ann.signal(SIGUSR1);
        spin(100);
        return winnerShown(stateFile);
    }));
    ASSERT_TRUE(ann.terminate());
    EXPECT_EQ(ann.proc.exitCode(), 0);
    host.terminate();
    EXPECT_TRUE(host.waitForFinished(5000));

    TallyStore saved;
    ASSERT_EQ(saved.loadFile(tallyFile).status, TallyStore::LoadResult::Loaded);
    EXPECT_EQ(saved.names(), QStringList({"Cat", "Dan"}));
    EXPECT_EQ(saved.cell(TallyStore::Games, 0), "3");
    EXPECT_EQ(saved.cell(TallyStore::HisWins, 0), "1");
    // Cat: 2 games, both his. Dan: 3 games, none his, 1 the player's, 2 another's.
    QStringList cat1, dan2;
    for (int c = TallyStore::Games; c <= TallyStore::OtherWins; ++c) {
        cat1 << saved.cell(c, 1);
        dan2 << saved.cell(c, 2);
    }
    EXPECT_EQ(cat1, QStringList({"2", "2", "0", "0"}));
    EXPECT_EQ(dan2, QStringList({"3", "0", "1", "2"}));
    EXPECT_EQ(QDir(dir.path()).entryList({"zorbletally*"}, QDir::Files | QDir::Hidden),
              QStringList({"zorbletally.tld"}));
}

} // namespace
