// Whole games replayed from their requests alone: the requests that four
// computer players sent to `zorble --serve --seed N` (recorded beside the
// wire tests) go to a game table seeded with N, and the table ends with the
// board and the scores that a client saw over the wire.
#include "clientcore/gamemirror.h"
#include "dict/tdictn.h"
#include "tests/game/tableprobe.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray recorded(const QString &name) {
    QFile f(QStringLiteral(ZORBLE_WIRE_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Game {
    const char *name;
    quint32 seed;
};

class Replay : public ::testing::TestWithParam<Game> {};

TEST_P(Replay, TheTableEndsAsTheWireGameEnded) {
    const Game g = GetParam();
    const auto list = TDictn::shared();
    TableProbe p{[&list](const QString &w) { return list->FindWord(w); }};
    p.st.rng.seed(g.seed);
    for (int slot = 1; slot <= 4; ++slot)
        p.connect(slot);

    const QByteArray requests = recorded(QStringLiteral("%1-requests.txt").arg(g.name));
    ASSERT_FALSE(requests.isEmpty());
    int commands = 0;
    for (const QByteArray &line : requests.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        const int slot = line.left(space).toInt();
        const QString text = QString::fromUtf8(line.mid(space + 1));
        const auto login = proto::parseLoginInfo(proto::splitLine(text).payload);
        if (text.startsWith(QStringLiteral("CMD_logininfo+")) && login)
            p.seat(slot).name = login->name;
        else
            p.request(slot, text);
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

INSTANTIATE_TEST_SUITE_P(Recorded, Replay,
                         ::testing::Values(Game{"plain", 5}, Game{"partners", 8},
                                           Game{"playto", 13}),
                         [](const auto &param) { return std::string(param.param.name); });

} // namespace
