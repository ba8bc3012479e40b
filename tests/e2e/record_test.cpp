// The host's game records from the real program: a whole game of two
// computer players replayed by `zorble --replay` ends with the totals the
// players were told, and a host killed mid-game leaves a record that reads up
// to its last turn. --analyse holds each turn against the best move.
#include "tests/e2e/program.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString onlyRecord(const Game &host) {
    const QDir games(host.home.filePath(QStringLiteral("games")));
    const QStringList files = games.entryList({QStringLiteral("*.zrec")}, QDir::Files);
    return files.size() == 1 ? games.filePath(files[0]) : QString();
}

// `zorble --replay FILE ARGS...`: its exit code and standard output.
std::pair<int, QByteArray> replay(const QString &file, const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(ZORBLE_BIN), QStringList{QStringLiteral("--replay"), file} + args);
    p.waitForFinished(20000);
    return {p.exitCode(), p.readAllStandardOutput()};
}

void startBots(Game &host, std::unique_ptr<Game> &hal, std::unique_ptr<Game> &norm,
               const char *pause) {
    ASSERT_TRUE(host.waitForLine("Zorble host listening on port 7772"));
    hal = std::make_unique<Game>(QStringList{"--bot", "Hal", "--pause", pause, "--start", "2"});
    ASSERT_TRUE(hal->waitForLine("Zorble bot Hal (normal) in slot 1"));
    norm = std::make_unique<Game>(QStringList{"--bot", "Norm", "--pause", pause});
    ASSERT_TRUE(norm->waitForLine("Zorble bot Norm (normal) in slot 2"));
}

TEST(EndToEndRecords, AWholeGameReplaysToTheTotalsThePlayersWereTold) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game host({"--serve", "--seed", "12"});
    std::unique_ptr<Game> hal, norm;
    startBots(host, hal, norm, "0");
    ASSERT_TRUE(waitUntil([&] { return hal->out.contains("Game over: "); }, 60000));
    const QRegularExpression over(QStringLiteral("Game over: (\\w+) (-?\\d+), (\\w+) (-?\\d+)"));
    const QRegularExpressionMatch m = over.match(hal->out);
    ASSERT_TRUE(m.hasMatch()) << hal->out.toStdString();
    QMap<QString, QString> told{{m.captured(1), m.captured(2)}, {m.captured(3), m.captured(4)}};

    const QString file = onlyRecord(host);
    ASSERT_FALSE(file.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return QFile(file).size() > 0 && replay(file, {}).first == 0; }));
    const auto [code, out] = replay(file, {QStringLiteral("--json")});
    ASSERT_EQ(code, 0);
    const QJsonObject state = QJsonDocument::fromJson(out).object();
    const QJsonArray seats = state["seats"].toArray();
    for (int i = 0; i < 2; ++i) {
        const QJsonObject seat = seats[i].toObject();
        EXPECT_EQ(seat["score"].toString(), told.value(seat["name"].toString()))
            << seat["name"].toString().toStdString();
    }
    EXPECT_EQ(state["board"].toArray().size(), 19);
    EXPECT_GT(state["unseen"].toObject()["total"].toInt(), 0);

    // --analyse: a line per turn, each with the best move for the rack the
    // host recorded, and the sums; the same on one thread as on two.
    const int turns = QRegularExpression(QStringLiteral("After turn (\\d+) of"))
                          .match(QString::fromUtf8(replay(file, {}).second))
                          .captured(1)
                          .toInt();
    QByteArray analyses[2];
    for (int threads : {1, 2}) {
        QProcess p;
        p.start(QStringLiteral(ZORBLE_BIN),
                {QStringLiteral("--analyse"), file, QStringLiteral("--threads"),
                 QString::number(threads)});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        analyses[threads - 1] = p.readAllStandardOutput();
    }
    EXPECT_EQ(analyses[0], analyses[1]);
    const QStringList lines = QString::fromUtf8(analyses[1]).trimmed().split(u'\n');
    EXPECT_EQ(lines.size(), turns + 1) << analyses[1].toStdString();
    EXPECT_EQ(lines
                  .filter(QRegularExpression(
                      QStringLiteral("; (best .*; gave away \\d+|no move was possible)$")))
                  .size(),
              turns)
        << analyses[1].toStdString();
    EXPECT_TRUE(lines.last().startsWith("Points given away: ")) << lines.last().toStdString();
}

TEST(EndToEndRecords, AHostKilledMidGameLeavesARecordUpToItsLastTurn) {
    ensureCoreApp();
    ASSERT_TRUE(waitForFreePort(kGamePort));
    Game host({"--serve", "--seed", "3"});
    std::unique_ptr<Game> hal, norm;
    startBots(host, hal, norm, "300");
    ASSERT_TRUE(waitUntil([&] { return hal->out.count("Hal: ") >= 2; }, 30000))
        << hal->out.toStdString();
    const int laid = int(hal->out.count("Hal: ") + norm->out.count("Norm: "));
    host.signal(SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return host.proc.state() == QProcess::NotRunning; }));

    const QString file = onlyRecord(host);
    ASSERT_FALSE(file.isEmpty());
    const auto [code, out] = replay(file, {});
    EXPECT_EQ(code, 0) << out.toStdString();
    // The bots tell of a turn as they send it: the host may not have taken
    // the last one yet, or may have taken one more before it was killed.
    const QRegularExpression after(QStringLiteral("After turn (\\d+) of"));
    const int turns = after.match(QString::fromUtf8(out)).captured(1).toInt();
    EXPECT_GE(turns, laid - 1);
    EXPECT_LE(turns, laid + 1);
}

} // namespace
