#include "record/recorder.h"

#include "record/format.h"
#include "record/lines.h"

namespace record {

QStringList Recorder::feed(const game::Events &events, const game::GameTable::State &after,
                           const QDateTime &now) {
    QStringList lines;
    started_ = false;
    // Seats taken or left since the last batch, while a game is on.
    if (recording_)
        for (int s = 1; s <= game::kSeats; ++s) {
            const game::GameTable::Seat &seat = after.seats[size_t(s)];
            Entry e;
            e.seat = s;
            if (present_[size_t(s)] && !seat.present) {
                e.kind = Kind::Leave;
                lines << entryLine(e);
            } else if (seat.present && (!present_[size_t(s)] || names_[size_t(s)] != seat.name)) {
                e.kind = Kind::Arrive;
                e.name = seat.name;
                lines << entryLine(e);
            }
        }
    for (const game::Addressed &a : events) {
        std::visit(
            [&](const auto &e) {
                using T = std::decay_t<decltype(e)>;
                namespace ev = game::event;
                if constexpr (std::is_same_v<T, ev::Started>) {
                    lines = header(e, after, now);
                    started_ = true;
                    recording_ = true;
                } else if (!recording_) {
                    return;
                } else if constexpr (std::is_same_v<T, ev::MoveAccepted>) {
                    Entry move = turn(Kind::Move, e.seat);
                    move.tiles = e.tiles;
                    move.word = e.word;
                    move.points = e.points;
                    move.total = e.score;
                    move.bonus = e.bonus;
                    lines << entryLine(move);
                } else if constexpr (std::is_same_v<T, ev::Exchanged>) {
                    Entry exchange = turn(Kind::Exchange, current_);
                    exchange.points = -10;
                    exchange.total = e.score;
                    lines << entryLine(exchange);
                } else if constexpr (std::is_same_v<T, ev::TurnPassed>) {
                    lines << entryLine(turn(Kind::Pass, current_));
                } else if constexpr (std::is_same_v<T, ev::TimeUp>) {
                    if (game::isSeat(e.seat))
                        lines << entryLine(turn(Kind::TimeUp, e.seat));
                } else if constexpr (std::is_same_v<T, ev::WatchChanged>) {
                    Entry watch;
                    watch.kind = e.watching ? Kind::SitOut : Kind::Back;
                    watch.seat = e.seat;
                    lines << entryLine(watch);
                } else if constexpr (std::is_same_v<T, ev::GameEnded>) {
                    Entry end;
                    end.kind = Kind::End;
                    end.reason = e.reason;
                    lines << entryLine(end);
                } else if constexpr (std::is_same_v<T, ev::Winners>) {
                    Entry final;
                    final.kind = Kind::Final;
                    for (int s = 1; s <= game::kSeats; ++s)
                        final.finals[size_t(s - 1)] = after.seats[size_t(s)].score;
                    Entry winners;
                    winners.kind = Kind::Winners;
                    winners.winners = e.seats;
                    lines << entryLine(final) << entryLine(winners);
                }
            },
            a.event);
    }
    if (!after.running)
        recording_ = false;
    keep(after);
    return lines;
}

QStringList Recorder::header(const game::event::Started &, const game::GameTable::State &after,
                             const QDateTime &now) {
    Header h;
    h.date = now.toUTC().toString(Qt::ISODate);
    h.seed = seed_;
    seed_.reset(); // the next game goes on from the random source's state
    h.options = after.options;
    for (int i = 0; i < 4; ++i)
        h.quarters[size_t(i)] = (i + after.arrangement) % 4 + 1;
    for (int s = 1; s <= game::kSeats; ++s) {
        const game::GameTable::Seat &seat = after.seats[size_t(s)];
        players_[size_t(s)] = seat.present ? seat.name : QString();
        h.names[size_t(s)] = seat.name;
        h.seated[size_t(s)] = seat.present;
    }
    return headerLines(h);
}

Entry Recorder::turn(Kind kind, int seat) const {
    Entry e;
    e.kind = kind;
    e.seat = seat;
    // The rack before the turn, from the batch before.
    e.rackKnown = game::isSeat(seat);
    if (e.rackKnown)
        e.rack = rackLetters(racks_[size_t(seat)]);
    return e;
}

void Recorder::keep(const game::GameTable::State &after) {
    current_ = after.current;
    for (int s = 1; s <= game::kSeats; ++s) {
        racks_[size_t(s)] = after.seats[size_t(s)].rack;
        names_[size_t(s)] = after.seats[size_t(s)].name;
        present_[size_t(s)] = after.seats[size_t(s)].present;
    }
}

} // namespace record
