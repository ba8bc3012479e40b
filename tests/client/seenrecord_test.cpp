// A joined window's own record: a game seen from its start reads back and
// replays to the host's final board and totals, with the window's own racks;
// a game joined in the middle leaves no file; a hosting window leaves the
// record to its host.
#include "client/tchat.h"
#include "net/protocol.h"
#include "settings/apppaths.h"
#include "tests/client/fakehost.h"
#include "tests/client/hostingwindow.h"
#include "tests/client/recordedgame.h"
#include "tests/support/testclient.h"
#include "windows/tgameoptions.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QByteArray bytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SeenRecord, AGameSeenFromItsStartReplaysToTheHostsEndAndOneJoinedLateLeavesNoFile) {
    const int slot = 2;
    for (const auto &[name, seed] : {std::pair{"plain", 5u}, {"partners", 8u}}) {
        const RecordedGame recorded(name, seed);
        ASSERT_GT(recorded.game.turns(), 5);
        for (const bool fromStart : {true, false}) {
            SCOPED_TRACE(std::string(name) + (fromStart ? " from the start" : " from the middle"));
            QTemporaryDir dir;
            GameMirror mirror;
            mirror.setRecordFolder(dir.filePath("games"));
            // The probe's table neither logs the slot in nor names the players.
            mirror.handle(proto::toclient::SendLoginInfo{slot});
            for (int seat = 1; seat <= game::kSeats; ++seat)
                mirror.handle(proto::toclient::NewPlayerInfo{
                    {seat, recorded.game.header.names[size_t(seat)]}});
            // From the middle: the first hundred messages, the start among
            // them, never reach it.
            qsizetype told = 0;
            for (const auto &[to, line] : recorded.probe.sent) {
                if (to != slot || (!fromStart && told++ < 100))
                    continue;
                const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
                const auto *m = std::get_if<proto::HostMessage>(&decoded);
                if (!m)
                    continue;
                // Its own moves were laid from its rack, as a window lays them,
                // a double-sided tile maybe on its other face.
                const auto *word = std::get_if<proto::toclient::NewWord>(m);
                for (const game::BoardLetter &t :
                     word &&mirror.ownTurn() ? word->tiles : QList<game::BoardLetter>{})
                    for (const int face : {t.letter, 25 - t.letter}) {
                        int k = 1;
                        while (k <= game::kRackSlots && !(mirror.rackLetter(k) == face &&
                                                          mirror.composer().layTile(k, t.x, t.y)))
                            ++k;
                        if (k <= game::kRackSlots)
                            break;
                    }
                mirror.handle(*m);
            }
            const QStringList files = QDir(dir.filePath("games")).entryList(QDir::Files);
            if (!fromStart) {
                EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
                continue;
            }
            ASSERT_EQ(files.size(), 1);
            EXPECT_TRUE(files[0].endsWith(".seen.zrec")) << files[0].toStdString();
            EXPECT_EQ(QDir(dir.filePath("games")).filePath(files[0]), mirror.recordPath());
            const record::ReadResult seen = record::read(bytes(mirror.recordPath()));
            ASSERT_TRUE(seen.game) << seen.error.line << ": " << seen.error.message.toStdString();
            EXPECT_EQ(seen.game->turns(), recorded.game.turns());
            const record::Snapshot host = record::replay(recorded.game);
            const record::Snapshot window = record::replay(*seen.game);
            EXPECT_EQ(window.board, host.board);
            EXPECT_EQ(window.totals, host.totals);
            // The window's own racks are the host's; the others unknown.
            QList<record::Entry> hostTurns, seenTurns;
            for (const record::Entry &e : recorded.game.entries)
                if (e.isTurn())
                    hostTurns << e;
            for (const record::Entry &e : seen.game->entries)
                if (e.isTurn())
                    seenTurns << e;
            ASSERT_EQ(seenTurns.size(), hostTurns.size());
            for (qsizetype i = 0; i < seenTurns.size(); ++i) {
                const record::Entry &e = seenTurns[i];
                EXPECT_EQ(e.seat, hostTurns[i].seat) << e.line;
                EXPECT_EQ(e.rackKnown, e.seat == slot) << e.line;
                if (e.rackKnown) {
                    EXPECT_EQ(e.rack, hostTurns[i].rack) << e.line;
                }
            }
        }
    }
}

// A host whose messages do not add up (a total that is not the one before
// plus the points) ends the record before them; what was written still reads.
TEST(SeenRecord, MessagesThatWouldNotReadEndTheRecordBeforeThem) {
    namespace host = proto::host;
    QTemporaryDir dir;
    GameMirror mirror;
    mirror.setRecordFolder(dir.path());
    auto move = [](int seat, int points, int total, int y) {
        return QStringList{host::postscore({0, seat, 0, points, total, seat, total, "AT"}),
                           host::newword({{9, y, 0}, {10, y, 19}})};
    };
    const QStringList lines =
        QStringList{host::sendlogininfo(2),           host::newplayerinfo(1, "Ann"),
                    host::newplayerinfo(2, "Bob"),    host::startgame("Ann+60+0+0+0+n+n+", false),
                    host::arrangeboard({1, 2, 3, 4}), host::nextplayer(1)} +
        move(1, 10, 10, 9) + QStringList{host::nextplayer(2)} + move(2, 5, 99, 10) +
        QStringList{host::nextplayer(1), host::pass(QStringLiteral("1"))};
    for (const QString &line : lines) {
        const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
        const auto *m = std::get_if<proto::HostMessage>(&decoded);
        ASSERT_TRUE(m) << line.toStdString();
        mirror.handle(*m);
    }
    const record::ReadResult r = record::read(bytes(mirror.recordPath()));
    ASSERT_TRUE(r.game) << r.error.message.toStdString();
    EXPECT_EQ(r.game->turns(), 1);
}

// Ann's window hosts, Bob's joins, both keeping their files in one folder:
// it ends with the record of Ann's host and Bob's, which read back alike.
TEST(SeenRecord, AHostingWindowLeavesTheRecordToItsHostAndAJoinedOneKeepsItsOwn) {
    QTemporaryDir dir;
    AppPaths paths;
    paths.settingsFile = dir.filePath("vornlobby.ini");
    paths.tileFolder = dir.filePath("zorbletiles");
    paths.tallyFile = dir.filePath("zorbletally.tld");
    paths.downloadFolder = dir.filePath("downloads");
    HostingWindow ann("Ann");
    ann.w.setPaths(paths);
    ann.w.show();
    ASSERT_TRUE(waitUntil([&] { return ann.w.mirror().localSeat() == 1; }));
    FakeHost lobby;
    Tchat bob;
    bob.setPaths(paths);
    bob.setPorts(ann.port, lobby.port());
    bob.setArguments({"Bob", "127.0.0.1", "false"});
    bob.show();
    ASSERT_TRUE(waitUntil([&] { return ann.w.mirror().seats().name(2) == "Bob"; }));

    ann.w.button_startClick();
    ann.w.gameOptions()->computerBox()->setChecked(false);
    ann.w.gameOptions()->startButton()->click();
    // New tiles for each, then passes to the end.
    int turns = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (Tchat *w : {&ann.w, &bob}) {
                if (!w->mirror().ownTurn())
                    continue;
                if (turns++ < 2)
                    w->button_newtilesClick();
                else
                    w->button_passClick();
                spin(50);
            }
            return !bob.mirror().winners().isEmpty();
        },
        20000));

    const QDir games(paths.gamesFolder());
    const QStringList files = games.entryList(QDir::Files);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    const QString seenFile = files.filter(".seen.zrec").value(0);
    const QString hostFile = files.filter(QRegularExpression("_Ann_Bob\\.zrec$")).value(0);
    ASSERT_FALSE(seenFile.isEmpty());
    ASSERT_FALSE(hostFile.isEmpty());
    EXPECT_EQ(bob.mirror().recordPath(), games.filePath(seenFile));
    EXPECT_TRUE(ann.w.mirror().recordPath().isEmpty());
    const record::ReadResult host = record::read(bytes(games.filePath(hostFile)));
    const record::ReadResult seen = record::read(bytes(games.filePath(seenFile)));
    ASSERT_TRUE(host.game && seen.game) << seen.error.message.toStdString();
    EXPECT_EQ(seen.game->turns(), host.game->turns());
    EXPECT_EQ(record::replay(*seen.game).totals, record::replay(*host.game).totals);
    EXPECT_EQ(seen.game->header.names, host.game->header.names);
}

} // namespace
