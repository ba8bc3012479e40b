#pragma once

// Reads a game record back, and replays it to any turn. A record is taken
// whole or not at all: an unknown version, a line cut off, a damaged field
// or a move that does not fit the board so far refuses the record with the
// number of the line at fault.

#include "record/format.h"

#include <QByteArray>

#include <optional>

namespace record {

// The largest record read: a game has a few hundred lines.
inline constexpr qint64 kMaxRecordBytes = 4 << 20;

struct ReadError {
    int line = 0; // from 1
    QString message;
};

struct ReadResult {
    std::optional<Game> game;
    ReadError error; // when there is no game
};

ReadResult read(const QByteArray &text);

// The game after its first `turns` turns (all of them when negative).
struct Snapshot {
    game::Grid board{};
    game::Grid squares{};
    std::array<int, game::kSeats + 1> totals{};
    std::array<QString, game::kSeats + 1> names;
    std::array<QString, game::kSeats + 1> racks; // as last recorded before a turn
    std::array<int, game::kSeats + 1> bonus{};
    int turns = 0;      // turns replayed
    int lastEntry = -1; // the index of the last entry replayed
};
Snapshot replay(const Game &game, int turns = -1);

// The unseen tiles of a seat in a snapshot: the bag less the board and the
// seat's rack as last recorded.
std::array<int, 26> unseenBy(const Game &game, const Snapshot &snapshot, int seat);

} // namespace record
