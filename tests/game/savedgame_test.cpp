// The host's save of a running game: it reads back to the same table, which
// goes on exactly as the saved one would, and a damaged or foreign file is
// set aside, never read in part.
#include "game/savedgame.h"
#include "tests/game/tableprobe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A game some turns in, with a kept seat and its token.
game::GameTable::State playedState() {
    TableProbe p{[](const QString &) { return false; }};
    const QString names[] = {"Ann", "Bob", "Computer 1"};
    for (int i = 1; i <= 3; ++i) {
        p.connect(i);
        p.seat(i).name = names[i - 1];
    }
    p.connect(6);
    p.rng().seed(7);
    p.startgame(QStringLiteral("Host+60+12+0+0+y+n+"));
    p.pass(p.currentplayer());
    p.newtiles(p.currentplayer());
    p.seat(2).token = QString(32, QLatin1Char('c'));
    p.run([](auto &t) { return t.keep(2, 90); });
    p.tick(3);
    return p.st;
}

QStringList nextEvents(game::GameTable::State state) {
    TableProbe p{[](const QString &) { return false; }};
    p.st = std::move(state);
    p.pass(p.currentplayer());
    p.tick(70); // a turn runs out; the grace period ends
    return p.to(1);
}

TEST(SavedGame, ReadsBackToATableThatGoesOnTheSame) {
    const QDateTime when = QDateTime::fromString("2026-12-08T14:02:00Z", Qt::ISODate);
    // A table before its first game reads back too.
    const rules::Rules rules([](const QString &) { return false; });
    EXPECT_TRUE(game::decodeSave(game::encodeSave(game::GameTable(rules).state(), when)));
    const game::GameTable::State state = playedState();
    const QByteArray bytes = game::encodeSave(state, when);
    const std::optional<game::SavedGame> back = game::decodeSave(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->saved, when);
    EXPECT_EQ(game::encodeSave(back->state, when), bytes);
    EXPECT_EQ(nextEvents(back->state), nextEvents(state));
}

TEST(SavedGame, TheQuestionNamesTheLocalTimeAndThePlayersInSeatOrder) {
    game::GameTable::State state = playedState();
    state.seats[4] = state.seats[2]; // a gap in the seats is skipped
    state.seats[2] = {};
    // The clock of the player who is asked, whatever zone the save was taken in.
    const QDateTime local(QDate(2026, 12, 8), QTime(14, 2, 59));
    const auto saved = game::decodeSave(game::encodeSave(state, local.toUTC()));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->question(),
              "A game was interrupted at 14:02 (Ann, Computer 1, Bob). Resume it?");
}

TEST(SavedGame, DamagedOrForeignBytesAreRefusedWhole) {
    const QByteArray good = game::encodeSave(playedState(), QDateTime::currentDateTimeUtc());
    QByteArray flipped = good;
    flipped[good.size() / 2] = char(flipped[good.size() / 2] ^ 0x10);
    for (const QByteArray &bad :
         {QByteArray(), good.left(good.size() - 1), good.left(40), flipped, good + 'x',
          QByteArray("not a save at all, but long enough to hold a hash of thirty-two bytes")}) {
        EXPECT_FALSE(game::decodeSave(bad)) << bad.size();
    }
}

TEST(SavedGame, AFileThatDoesNotReadIsSetAside) {
    QTemporaryDir dir;
    const game::SaveFile save(dir.filePath("game.sav"));
    QString aside;
    EXPECT_FALSE(save.read(&aside));
    EXPECT_TRUE(aside.isEmpty()); // no save: nothing to set aside

    ASSERT_TRUE(save.write(playedState()));
    EXPECT_TRUE(save.read(&aside));
    EXPECT_TRUE(aside.isEmpty());

    QFile file(save.path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(file.size() / 2);
    file.close();
    EXPECT_FALSE(save.read(&aside));
    EXPECT_EQ(aside, save.path() + ".damaged");
    EXPECT_FALSE(save.exists());
    EXPECT_TRUE(QFile::exists(aside));
}

TEST(SavedGame, AWriteLeavesOnlyTheSaveAndAnUnfinishedOneIsClearedOnReading) {
    QTemporaryDir dir;
    const game::SaveFile save(dir.filePath("game.sav"));
    ASSERT_TRUE(save.write(playedState()));
    ASSERT_TRUE(save.write(playedState()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"game.sav"});

    // What a program killed in the middle of a write leaves behind.
    QFile unfinished(dir.filePath("game.sav.a1B2c3"));
    ASSERT_TRUE(unfinished.open(QIODevice::WriteOnly));
    unfinished.write("half a turn");
    unfinished.close();
    EXPECT_TRUE(save.read());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"game.sav"});
}

} // namespace
