#pragma once

// Turns the game table's events into the lines of a game record. It is fed
// each batch of events as the host sends them, with the table's state after
// them; what it needs of the state before (the racks before a turn, the
// board a move is laid on, who sat where) it keeps from the batch before.

#include "game/gametable.h"
#include "record/format.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

namespace record {

class Recorder {
public:
    // The seed the table was started from; the next game's header names it.
    void setSeed(quint32 seed) { seed_ = seed; }
    // The lines these events add to the record. A game's start begins a new
    // record with its header: gameStarted() tells so until the next feed.
    QStringList feed(const game::Events &events, const game::GameTable::State &after,
                     const QDateTime &now = QDateTime::currentDateTimeUtc());
    bool gameStarted() const { return started_; }
    // Whether a game is being recorded: from its start to its end.
    bool recording() const { return recording_; }
    // The names of seats 1..4 in the game being recorded.
    const std::array<QString, game::kSeats + 1> &players() const { return players_; }

private:
    QStringList header(const game::event::Started &start, const game::GameTable::State &after,
                       const QDateTime &now);
    // A turn's entry with the seat's rack before it.
    Entry turn(Kind kind, int seat) const;
    void keep(const game::GameTable::State &after);

    std::optional<quint32> seed_;
    bool started_ = false;
    bool recording_ = false;
    std::array<QString, game::kSeats + 1> players_;
    // Kept from the last batch.
    std::array<game::Rack, game::kSeats + 1> racks_{};
    std::array<QString, game::kSeats + 1> names_;
    std::array<bool, game::kSeats + 1> present_{};
    int current_ = 0;
};

} // namespace record
