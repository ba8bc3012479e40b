// Whole games replayed from their requests alone: the requests that four
// computer players sent to `zorble --serve --seed N` (recorded beside the
// wire tests) go to a game table seeded with N, and the table ends with the
// board and the scores that a client saw over the wire.
#include "clientcore/gamemirror.h"
#include "dict/tdictn.h"
#include "game/bag.h"
#include "tests/game/tableprobe.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray recorded(const QString &name) {
    QFile f(QStringLiteral(ZORBLE_WIRE_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Game {
    const char *name;
    quint32 seed;
};

// A table on the program's word list, seeded as the recorded game's host was,
// with seats 1 to 4 connected.
class Replay : public ::testing::TestWithParam<Game> {
protected:
    void SetUp() override {
        p.st.rng.seed(GetParam().seed);
        for (int slot = 1; slot <= 4; ++slot)
            p.connect(slot);
    }

    std::shared_ptr<const TDictn> list = TDictn::shared();
    TableProbe p{[this](const QString &w) { return list->FindWord(w); }};
};

TEST_P(Replay, TheTableEndsAsTheWireGameEnded) {
    const Game g = GetParam();

    const QByteArray requests = recorded(QStringLiteral("%1-requests.txt").arg(g.name));
    ASSERT_FALSE(requests.isEmpty());
    int commands = 0;
    for (const QByteArray &line : requests.split('\n')) {
        const int slot = feedRecorded(p, line);
        if (slot == 0)
            continue;
        ++commands;
    }
    EXPECT_GT(commands, 10);
    EXPECT_FALSE(p.gamerunning());

    // What seat 1's client made of the host's messages.
    GameMirror seen;
    const QByteArray stream = recorded(QStringLiteral("%1-slot1.bin").arg(g.name));
    for (const QByteArray &m : stream.split(char(0xFF))) {
        const auto decoded = proto::decodeHostMessage(QString::fromUtf8(m));
        if (const auto *message = std::get_if<proto::HostMessage>(&decoded))
            std::visit([&](const auto &x) { seen.handle(x); }, *message);
    }
    ASSERT_FALSE(seen.winners().isEmpty());
    EXPECT_EQ(seen.board(), p.boardGrid());
    for (int seat = 1; seat <= 4; ++seat)
        EXPECT_EQ(seen.seats().score(seat), p.seat(seat).score) << "seat " << seat;
}

// Seat 1's unseen tiles, as its mirror works them out from the messages it
// got, are at every turn the host's undrawn tiles and the other seats' racks.
TEST_P(Replay, SeatOnesUnseenTilesAreTheBagAndTheOtherRacks) {
    const Game g = GetParam();
    GameMirror seen;
    qsizetype delivered = 0;
    int checked = 0;
    for (const QByteArray &line :
         recorded(QStringLiteral("%1-requests.txt").arg(g.name)).split('\n')) {
        const int slot = feedRecorded(p, line);
        if (slot == 0)
            continue;
        for (; delivered < p.sent.size(); ++delivered) {
            if (p.sent[delivered].first != 1)
                continue;
            const auto decoded = proto::decodeHostMessage(p.sent[delivered].second);
            if (const auto *message = std::get_if<proto::HostMessage>(&decoded))
                std::visit([&](const auto &x) { seen.handle(x); }, *message);
        }
        if (!p.gamerunning())
            continue;
        std::array<int, 26> expected{};
        for (int place = p.st.bag.drawn + 1; place <= game::Bag::kSize; ++place)
            ++expected[size_t(p.st.bag.order[size_t(place)])];
        for (int seat = 2; seat <= 4; ++seat)
            for (int k = 1; k <= game::kRackSlots; ++k)
                if (const int l = p.seat(seat).rack[size_t(k)]; l >= 0 && l <= 25)
                    ++expected[size_t(l)];
        // The window's own rack loses its laid tiles as its move composer
        // lays them; this mirror only hears of the move, so the rack is the
        // host's.
        game::Position seat1 = seen.position();
        seat1.rack = p.seat(1).rack;
        std::array<int, 26> got = game::unseenTiles(seat1);
        // A tile turned over counts against either face: compare the pairs.
        if (seat1.doubleTiles)
            for (int l = 0; l < 13; ++l) {
                got[size_t(l)] += got[size_t(25 - l)];
                got[size_t(25 - l)] = 0;
                expected[size_t(l)] += expected[size_t(25 - l)];
                expected[size_t(25 - l)] = 0;
            }
        ASSERT_EQ(got, expected) << "after " << line.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

INSTANTIATE_TEST_SUITE_P(Recorded, Replay,
                         ::testing::Values(Game{"plain", 5}, Game{"partners", 8},
                                           Game{"playto", 13}),
                         [](const auto &param) { return std::string(param.param.name); });

} // namespace
