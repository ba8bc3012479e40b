// A whole game between real programs: a hosting program and a joining
// program, each writing its state file, play with two protocol players that
// lay real words. The programs pass their turns from their consoles. At the
// end both state files show the board, the scores and the winner that the
// host's messages told the protocol players.
#include "dict/tdictn.h"
#include "tests/e2e/program.h"
#include "tests/engine/gameclient.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject readState(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

TEST(EndToEndGame, TwoProgramsAndTwoPlayersPlayToTheEnd) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;
    const QString hostState = dir.filePath("host.json");
    const QString joinState = dir.filePath("join.json");
    Game ann({"Ann", "x", "true"}, false, {}, hostState);
    ASSERT_TRUE(ann.waitForLine("0+You are Connected.")) << ann.out.toStdString();
    Game bob({"Bob", "127.0.0.1", "false"}, false, {}, joinState);
    ASSERT_TRUE(bob.waitForLine("0+You are Connected.")) << bob.out.toStdString();

    TDictn dict;
    const fullgame::WordList words(dict, 7);
    ASSERT_GT(words.words.size(), 1000);
    std::array<fullgame::Player, 2> players;
    ASSERT_EQ(players[0].join(kGamePort, "Cat"), 3);
    ASSERT_EQ(players[1].join(kGamePort, "Dan"), 4);

    ann.proc.write("/start\n");
    const GameMirror &seen = players[0].mirror;
    int turnsSeen = 0; // turns begun, as the protocol players saw them
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sincePass;
    sincePass.start();
    while (!(players[0].over && players[1].over)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_LT(clock.elapsed(), 60000) << "game did not end";
        for (fullgame::Player &p : players)
            p.playIfDue(words);
        // A program may read its console before the turn's message: it
        // passes again while the turn stays.
        const int turns = int(players[0].lines.filter("CMD_nextplayer+").size());
        const int mover = seen.gameRunning() ? seen.currentPlayer() : 0;
        if ((mover == 1 || mover == 2) && (turns > turnsSeen || sincePass.elapsed() > 1000)) {
            turnsSeen = turns;
            sincePass.restart();
            (mover == 1 ? ann : bob).proc.write("/pass\n");
        }
    }
    for (const fullgame::Player &p : players)
        EXPECT_TRUE(p.problems.isEmpty()) << p.problems.join('\n').toStdString();
    EXPECT_GT(players[0].tokens.count('w'), 1) << "words were laid";
    // SIGUSR1 asks for the state while the program runs. The window may
    // still be reading the end when the protocol players have seen it, so it
    // is asked again until the state shows the winner.
    QElapsedTimer asked;
    EXPECT_TRUE(waitUntil([&] {
        if (!asked.isValid() || asked.elapsed() > 200) {
            ann.signal(SIGUSR1);
            asked.restart();
        }
        return readState(hostState)["winner"].toObject()["visible"].toBool();
    }));
    ASSERT_TRUE(ann.terminate());
    ASSERT_TRUE(bob.terminate());

    QStringList board;
    for (int y = 0; y < game::kBoard; ++y) {
        QString row;
        for (int x = 0; x < game::kBoard; ++x)
            row += seen.composer().shownLetter(x, y) == game::kEmpty
                       ? QChar('.')
                       : QChar(u'a' + seen.composer().shownLetter(x, y));
        board << row;
    }
    for (const QString &path : {hostState, joinState}) {
        SCOPED_TRACE(path.toStdString());
        const QJsonObject state = readState(path);
        ASSERT_FALSE(state.isEmpty());
        QStringList rows;
        for (const QJsonValue &row : state["board"].toArray())
            rows << row.toString();
        EXPECT_EQ(rows, board);
        const QJsonArray seats = state["seats"].toArray();
        for (int seat = 1; seat <= 4; ++seat)
            EXPECT_EQ(seats[seat - 1].toObject()["score"].toString().toInt(),
                      seen.seats().score(seat));
        const QJsonObject winner = state["winner"].toObject();
        EXPECT_TRUE(winner["visible"].toBool());
        EXPECT_EQ(winner["names"].toString(), seen.texts().winnerNames());
        EXPECT_EQ(state["currentplayer"].toInt(), 0);
    }
}

// A program that joins a running game shows the totals and the tiles left
// as they are, not zeros and a full bag.
TEST(EndToEndGame, ALateJoinerShowsTheTrueScoresAndTilesLeft) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;
    const QString lateState = dir.filePath("late.json");
    Game ann({"Ann", "x", "true"}, false, {}, dir.filePath("host.json"));
    ASSERT_TRUE(ann.waitForLine("0+You are Connected.")) << ann.out.toStdString();
    Game bob({"Bob", "127.0.0.1", "false"}, false, {});
    ASSERT_TRUE(bob.waitForLine("0+You are Connected.")) << bob.out.toStdString();
    ann.proc.write("/start\n");
    // Both try to buy new tiles; only the seat that holds the turn gets them.
    ASSERT_TRUE(ann.waitForLine("0+You have started a game.")) << ann.out.toStdString();
    spin(300); // the first turn's message
    ann.proc.write("/newtiles\n");
    bob.proc.write("/newtiles\n");
    ASSERT_TRUE(waitUntil([&] { return ann.out.contains("Bought New Tiles"); }))
        << ann.out.toStdString();
    const int buyer = ann.out.contains("You Bought New Tiles") ? 1 : 2;

    Game cy({"Cy", "127.0.0.1", "false"}, false, {}, lateState);
    ASSERT_TRUE(cy.waitForLine("0+You are Connected.")) << cy.out.toStdString();
    spin(500);
    cy.signal(SIGUSR1);
    ASSERT_TRUE(waitUntil([&] { return !readState(lateState).isEmpty(); }));
    const QJsonObject state = readState(lateState);
    const QJsonObject seat = state["seats"].toArray()[buyer - 1].toObject();
    EXPECT_EQ(seat["score"].toString(), "-10");
    EXPECT_EQ(seat["bonus"].toString(), "-10");
    // Ten tiles each for three racks.
    EXPECT_EQ(state["labels"].toObject()["label_tilesleft"].toString(), "Tiles Left: 68");
}

} // namespace
