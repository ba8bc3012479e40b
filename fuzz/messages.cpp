// Fuzz target: a byte stream cut into messages at 0xFF and every message
// decoded both as a request to the host and as a message to a client. Nothing
// may crash, and every decoded message that a receiver indexes a table with
// must hold values inside that table.
#include "net/messages.h"
#include "net/framing.h"

#include <cstdlib>

namespace {

void require(bool ok) {
    if (!ok)
        std::abort();
}

bool in(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

void checkTiles(const QList<proto::BoardLetter> &tiles) {
    for (const proto::BoardLetter &t : tiles)
        require(in(t.x, 0, 18) && in(t.y, 0, 18) && in(t.letter, 0, 25));
}

void checkHostMessage(const proto::HostMessage &message) {
    using namespace proto::toclient;
    std::visit(
        proto::Overloaded{
            [](const SendLoginInfo &m) { require(in(m.slot, 1, 9)); },
            [](const NewPlayerInfo &m) { require(in(m.slot, 1, 9)); },
            [](const PlayerDisconnected &m) { require(in(m.slot, 1, 9)); },
            [](const ArrangeBoard &m) {
                for (int q : m.quarters)
                    require(in(q, 1, 4));
            },
            [](const ShowBoard &m) { checkTiles({m}); },
            [](const Atile &m) { require(in(m.rackslot, 1, 10) && in(m.letter, 0, 25)); },
            [](const Reposition &m) { checkTiles(m.tiles); },
            [](const NewWord &m) { checkTiles(m.tiles); },
            [](const Scored &m) {
                require(in(m.seat, 1, 4) && in(m.partner, 1, 4) && in(m.bonus, 0, 3));
            },
            [](const Exchanged &m) { require(in(m.seat, 1, 4) && in(m.partner, 1, 4)); },
            [](const Watching &m) { require(in(m.seat, 1, 4)); },
            [](const NextPlayer &m) { require(in(m.seat, 1, 4)); },
            [](const SeatScore &m) { require(in(m.seat, 1, 4)); },
            [](const Chat &m) { require(in(m.seat, 0, 9)); },
            [](const ChatterSound &m) { require(in(m.seat, 1, 9)); },
            [](const TileCount &m) { require(in(m.count, 0, proto::kMaxTileCount)); },
            [](const Settings &m) {
                require(in(m.options.turntime, 0, proto::kMaxTurnTime) &&
                        in(m.elapsed, 0, proto::kMaxElapsed));
            },
            [](const Started &m) { require(in(m.options.turntime, 0, proto::kMaxTurnTime)); },
            [](const Winner &m) {
                for (int seat : m.seats)
                    require(in(seat, 1, 4));
            },
            [](const auto &) {},
        },
        message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FrameSplitter splitter(8 * 1024);
    splitter.feed(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                  [](const QByteArray &bytes) {
                      const QString line = proto::decode(bytes);
                      proto::decodeRequest(line);
                      const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
                      if (const auto *m = std::get_if<proto::HostMessage>(&decoded))
                          checkHostMessage(*m);
                  });
    return 0;
}
