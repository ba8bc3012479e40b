#include "clientcore/seenrecord.h"

#include "clientcore/gamemirror.h"
#include "record/lines.h"
#include "record/reader.h"

#include <cstdio>

namespace {

using namespace proto::toclient;

game::event::End endOf(EndReason reason) {
    switch (reason) {
    case EndReason::PlayToScore:
        return game::event::End::PlayToScore;
    case EndReason::GameTime:
        return game::event::End::GameTime;
    case EndReason::NoMoreTiles:
        return game::event::End::NoMoreTiles;
    case EndReason::EveryonePassed:
        break;
    }
    return game::event::End::EveryonePassed;
}

bool seated(const QString &name) {
    return !name.isEmpty() && name != SeatList::kWaiting;
}

} // namespace

void SeenRecord::feed(const proto::HostMessage &message, const GameMirror &mirror) {
    if (folder_.isEmpty())
        return;
    QStringList lines;
    bool ended = false;
    // A turn's entry, with the own rack when the turn is the own one.
    auto turn = [this](record::Kind kind, int seat) {
        record::Entry e;
        e.kind = kind;
        e.seat = seat;
        e.rackKnown = seat == rackSeat_;
        if (e.rackKnown)
            e.rack = rack_;
        return e;
    };
    std::visit(
        [&](const auto &msg) {
            using T = std::decay_t<decltype(msg)>;
            if constexpr (std::is_same_v<T, Started>) {
                stop();
                recording_ = true;
                headerDue_ = true; // once the board's quarters are in
                start_ = QDateTime::currentDateTimeUtc();
                for (int s = 1; s <= game::kSeats; ++s) {
                    names_[size_t(s)] = mirror.seats().name(s);
                    present_[size_t(s)] = seated(names_[size_t(s)]);
                }
                return;
            }
            if (!recording_)
                return;
            if constexpr (std::is_same_v<T, NextPlayer>) {
                const bool own = msg.seat == mirror.localSeat() && game::isSeat(msg.seat);
                rackSeat_ = own ? msg.seat : 0;
                rack_ = own ? record::rackLetters(mirror.position().rack) : QString();
            } else if constexpr (std::is_same_v<T, Scored>) {
                if (game::isSeat(msg.seat)) {
                    record::Entry e = turn(record::Kind::Move, msg.seat);
                    e.word = msg.word;
                    e.points = msg.turnscore;
                    e.total = msg.score;
                    e.bonus = msg.bonus;
                    scored_ = e;
                }
            } else if constexpr (std::is_same_v<T, NewWord>) {
                if (scored_) {
                    scored_->tiles = msg.tiles;
                    lines << record::entryLine(*scored_);
                    scored_.reset();
                }
            } else if constexpr (std::is_same_v<T, Exchanged>) {
                if (game::isSeat(msg.seat)) {
                    record::Entry e = turn(record::Kind::Exchange, msg.seat);
                    e.points = -10;
                    e.total = msg.score;
                    lines << record::entryLine(e);
                }
            } else if constexpr (std::is_same_v<T, Passed> || std::is_same_v<T, TimeUp>) {
                if (game::isSeat(msg.seat))
                    lines << record::entryLine(
                        turn(std::is_same_v<T, Passed> ? record::Kind::Pass : record::Kind::TimeUp,
                             msg.seat));
            } else if constexpr (std::is_same_v<T, Watching>) {
                if (game::isSeat(msg.seat) && (msg.code == 1 || msg.code == 2)) {
                    record::Entry e;
                    e.kind = msg.code == 1 ? record::Kind::SitOut : record::Kind::Back;
                    e.seat = msg.seat;
                    lines << record::entryLine(e);
                }
            } else if constexpr (std::is_same_v<T, PlayerDisconnected>) {
                if (game::isSeat(msg.slot) && present_[size_t(msg.slot)]) {
                    present_[size_t(msg.slot)] = false;
                    record::Entry e;
                    e.kind = record::Kind::Leave;
                    e.seat = msg.slot;
                    lines << record::entryLine(e);
                }
            } else if constexpr (std::is_same_v<T, NewPlayerInfo>) {
                const size_t s = size_t(msg.slot);
                if (game::isSeat(msg.slot) && !msg.name.isEmpty() &&
                    (!present_[s] || names_[s] != msg.name)) {
                    present_[s] = true;
                    names_[s] = msg.name;
                    record::Entry e;
                    e.kind = record::Kind::Arrive;
                    e.seat = msg.slot;
                    e.name = msg.name;
                    lines << record::entryLine(e);
                }
            } else if constexpr (std::is_same_v<T, GameOver>) {
                record::Entry e;
                e.kind = record::Kind::End;
                e.reason = endOf(msg.reason);
                lines << record::entryLine(e);
            } else if constexpr (std::is_same_v<T, Winner>) {
                if (!msg.seats.isEmpty()) {
                    record::Entry final;
                    final.kind = record::Kind::Final;
                    for (int s = 1; s <= game::kSeats; ++s)
                        final.finals[size_t(s - 1)] = mirror.seats().score(s);
                    record::Entry winners;
                    winners.kind = record::Kind::Winners;
                    winners.winners = msg.seats;
                    lines << record::entryLine(final) << record::entryLine(winners);
                    ended = true;
                }
            }
        },
        message);
    if (!recording_)
        return;
    // The header goes first, with the first turn.
    if (headerDue_ && (std::holds_alternative<NextPlayer>(message) || !lines.isEmpty())) {
        headerDue_ = false;
        std::array<QString, game::kSeats + 1> players;
        for (int s = 1; s <= game::kSeats; ++s)
            if (present_[size_t(s)])
                players[size_t(s)] = names_[size_t(s)];
        if (!writer_.open(folder_, start_, players, kTag)) {
            stop();
            return;
        }
        lines = header(mirror) + lines;
    }
    write(lines);
    if (ended)
        stop();
}

QStringList SeenRecord::header(const GameMirror &mirror) const {
    record::Header h;
    h.date = start_.toString(Qt::ISODate);
    h.options = mirror.options();
    h.quarters = mirror.quarters();
    for (int s = 1; s <= game::kSeats; ++s) {
        h.names[size_t(s)] = names_[size_t(s)];
        h.seated[size_t(s)] = present_[size_t(s)];
    }
    return record::headerLines(h);
}

void SeenRecord::write(const QStringList &lines) {
    if (lines.isEmpty() || !writer_.isOpen())
        return;
    const QByteArray batch = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    const record::ReadResult r = record::read(written_ + batch);
    if (!r.game) {
        const QString path = writer_.path();
        std::fprintf(stderr, "zorble: the record %s ends before line %d: %s\n", qPrintable(path),
                     r.error.line, qPrintable(r.error.message));
        const bool empty = written_.isEmpty();
        stop();
        // A file without even its header would not read: it goes.
        if (empty)
            QFile::remove(path);
        return;
    }
    written_ += batch;
    writer_.write(lines);
}

void SeenRecord::stop() {
    recording_ = false;
    headerDue_ = false;
    scored_.reset();
    rackSeat_ = 0;
    writer_.close();
    written_.clear();
}
