// The hosting program killed at random moments of a game between two computer
// players, again and again: the save it leaves always reads whole, and the
// program started again with --resume gives each player back its seat with
// the saved board and rack. Each run's players come back with the tokens the
// host gave them in the run before. Five runs unless ZORBLE_CRASH_RUNS asks
// for more (scripts/hostcrash.sh runs 50).
#include "ai/zorblebot.h"
#include "game/savedgame.h"
#include "tests/support/testclient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

namespace {

int runs() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("ZORBLE_CRASH_RUNS", &ok);
    return ok && n > 0 ? n : 5;
}

// A rack's letters for a failure's message; '.' for an empty slot.
QString letters(const game::Rack &rack) {
    QString text;
    for (const int letter : rack)
        text += letter >= 0 && letter <= 25 ? QChar(u'A' + letter) : QChar(u'.');
    return text;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(HostCrash, EveryRestartResumesTheLastSavedTurn) {
    ensureCoreApp();
    QTemporaryDir dir;
    const QString program = dir.filePath("zorble");
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZORBLE_BINARY), program));
    const game::SaveFile save(dir.filePath("zorblegame.sav"));
    std::mt19937 random(2026);
    std::map<QString, QString> tokens; // player's name -> its latest token
    int resumed = 0;
    const int kRuns = runs();
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        std::optional<game::SavedGame> saved;
        if (save.exists()) {
            QString aside;
            saved = save.read(&aside);
            ASSERT_TRUE(saved) << "the save was found torn";
        }
        const quint16 port = freePort();
        QProcess host;
        host.start(program, {"--serve", "--port", QString::number(port), "--resume"});
        ASSERT_TRUE(waitUntil([&] { return host.canReadLine(); }, 10000));
        const bool resuming = saved && saved->state.running;
        std::vector<std::unique_ptr<ai::ZorbleBot>> bots;
        // Whether a player's view, when a turn was announced to it in its
        // seat, showed its saved rack, and the saved board: the first player
        // back may move before the second is caught up.
        std::map<QString, bool> rackBack;
        std::map<QString, bool> boardBack;
        std::map<QString, QStringList> seen; // each announcement as it came, for a failure
        for (const QString name : {"Ann", "Bob"}) {
            bots.push_back(
                std::make_unique<ai::ZorbleBot>("127.0.0.1", port, name, ai::Level::Normal, 400));
            bots.back()->setWantsRejoin(true);
            if (!resuming)
                continue;
            bots.back()->setRejoinToken(tokens[name]);
            const GameMirror &m = bots.back()->mirror();
            QObject::connect(&m, &GameMirror::turnChanged, [&, name, mirror = &m] {
                seen[name] << QStringLiteral("seat %1 turn %2 rack %3%4")
                                  .arg(mirror->localSeat())
                                  .arg(mirror->currentPlayer())
                                  .arg(letters(mirror->position().rack))
                                  .arg(mirror->board() == saved->state.position.board
                                           ? QStringLiteral(" saved board")
                                           : QString());
                for (int i = 1; i <= 2; ++i)
                    if (saved->state.seats[size_t(i)].name == name && mirror->localSeat() == i &&
                        mirror->position().rack == saved->state.seats[size_t(i)].rack) {
                        rackBack[name] = true;
                        boardBack[name] =
                            boardBack[name] || mirror->board() == saved->state.position.board;
                    }
            });
        }
        if (resuming) {
            ++resumed;
            // Each comes back to its seat, caught up before its first move.
            for (const auto &bot : bots) {
                int seat = 0;
                for (int i = 1; i <= 2; ++i)
                    if (saved->state.seats[size_t(i)].name == bot->name())
                        seat = i;
                ASSERT_NE(seat, 0);
                EXPECT_TRUE(waitUntil([&] { return rackBack[bot->name()]; }, 10000))
                    << bot->name().toStdString() << " in slot " << bot->mirror().localSeat()
                    << "; saved: turn " << saved->state.current << ", rack "
                    << letters(saved->state.seats[size_t(seat)].rack).toStdString()
                    << "; it saw: " << seen[bot->name()].join(" | ").toStdString();
            }
            EXPECT_TRUE(boardBack["Ann"] || boardBack["Bob"]) << "the saved board never showed";
        } else {
            bots.front()->startGameWhenSeated(2, {45, 4, 0, 0, false, false});
        }
        spin(std::uniform_int_distribution<int>(100, 2000)(random));
        host.kill();
        ASSERT_TRUE(host.waitForFinished(10000));
        for (const auto &bot : bots)
            if (!bot->mirror().rejoinToken().token.isEmpty())
                tokens[bot->name()] = bot->mirror().rejoinToken().token;
    }
    EXPECT_GE(resumed, kRuns / 2);
}

} // namespace
