#include "record/recorder.h"

#include "record/format.h"

#include <algorithm>

namespace record {

namespace {

QString signedNumber(int n) {
    return n < 0 ? QString::number(n) : QLatin1Char('+') + QString::number(n);
}

QString letters(const QString &word) {
    QString out;
    for (QChar c : word)
        if (c.toLower() >= u'a' && c.toLower() <= u'z')
            out += c.toUpper();
    return out.isEmpty() ? QStringLiteral("-") : out;
}

// A name as the record holds it: the rest of its line, without control
// characters.
QString cleanName(const QString &name) {
    QString out = name;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    return out;
}

} // namespace

QStringList Recorder::feed(const game::Events &events, const game::GameTable::State &after,
                           const QDateTime &now) {
    QStringList lines;
    started_ = false;
    // Seats taken or left since the last batch, while a game is on.
    if (recording_)
        for (int s = 1; s <= game::kSeats; ++s) {
            const game::GameTable::Seat &seat = after.seats[size_t(s)];
            if (present_[size_t(s)] && !seat.present)
                lines << QStringLiteral("leave %1").arg(s);
            else if (seat.present && (!present_[size_t(s)] || names_[size_t(s)] != seat.name))
                lines << QStringLiteral("arrive %1 %2").arg(s).arg(cleanName(seat.name));
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
                    lines << moveLine(e);
                } else if constexpr (std::is_same_v<T, ev::Exchanged>) {
                    lines << QStringLiteral("exchange %1 %2 -10 %3")
                                 .arg(current_)
                                 .arg(rack(current_))
                                 .arg(e.score);
                } else if constexpr (std::is_same_v<T, ev::TurnPassed>) {
                    lines << QStringLiteral("pass %1 %2").arg(current_).arg(rack(current_));
                } else if constexpr (std::is_same_v<T, ev::TimeUp>) {
                    if (game::isSeat(e.seat))
                        lines << QStringLiteral("timeout %1 %2").arg(e.seat).arg(rack(e.seat));
                } else if constexpr (std::is_same_v<T, ev::WatchChanged>) {
                    lines << QStringLiteral("%1 %2")
                                 .arg(e.watching ? QStringLiteral("sitout")
                                                 : QStringLiteral("back"))
                                 .arg(e.seat);
                } else if constexpr (std::is_same_v<T, ev::GameEnded>) {
                    lines << QStringLiteral("end ") + endName(e.reason);
                } else if constexpr (std::is_same_v<T, ev::Winners>) {
                    QString final = QStringLiteral("final");
                    for (int s = 1; s <= game::kSeats; ++s)
                        final += QLatin1Char(' ') + QString::number(after.seats[size_t(s)].score);
                    QString winners = QStringLiteral("winners");
                    for (int s : e.seats)
                        winners += QLatin1Char(' ') + QString::number(s);
                    lines << final << winners;
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
    const game::GameOptions &o = after.options;
    QStringList lines{
        QStringLiteral("%1 %2").arg(QLatin1String(kMagic)).arg(kVersion),
        QStringLiteral("date ") + now.toUTC().toString(Qt::ISODate),
    };
    if (seed_)
        lines << QStringLiteral("seed %1").arg(*seed_);
    seed_.reset(); // the next game goes on from the random source's state
    lines << QStringLiteral("options turntime=%1 squares=%2 gametime=%3 playto=%4 double=%5 "
                            "partners=%6")
                 .arg(o.turntime)
                 .arg(o.squarecount)
                 .arg(o.gametime)
                 .arg(o.playtoscore)
                 .arg(int(o.doubletiles))
                 .arg(int(o.partners));
    QString quarters = QStringLiteral("quarters");
    for (int i = 0; i < 4; ++i)
        quarters += QLatin1Char(' ') + QString::number((i + after.arrangement) % 4 + 1);
    lines << quarters;
    for (int s = 1; s <= game::kSeats; ++s) {
        const game::GameTable::Seat &seat = after.seats[size_t(s)];
        players_[size_t(s)] = seat.present ? seat.name : QString();
        if (seat.present)
            lines << QStringLiteral("player %1 %2").arg(s).arg(cleanName(seat.name));
    }
    return lines;
}

QString Recorder::moveLine(const game::event::MoveAccepted &move) const {
    // The line of the move runs from its first tile to its last; squares in
    // between that held a letter already show as '.'.
    int x0 = game::kBoard, y0 = game::kBoard, x1 = -1, y1 = -1;
    for (const game::BoardLetter &t : move.tiles) {
        x0 = std::min(x0, t.x);
        y0 = std::min(y0, t.y);
        x1 = std::max(x1, t.x);
        y1 = std::max(y1, t.y);
    }
    const bool down = x0 == x1 && y1 > y0;
    QString tiles;
    if (move.tiles.isEmpty() || (x0 != x1 && y0 != y1)) {
        tiles = QStringLiteral("-"); // cannot happen for a move the rules accepted
    } else {
        const int length = down ? y1 - y0 + 1 : x1 - x0 + 1;
        tiles = QString(length, QLatin1Char('.'));
        for (const game::BoardLetter &t : move.tiles)
            tiles[down ? t.y - y0 : t.x - x0] = QChar(u'A' + t.letter);
    }
    return QStringLiteral("move %1 %2 %3 %4 %5 %6 %7 %8")
        .arg(move.seat)
        .arg(rack(move.seat))
        .arg(placement(x0, y0, down))
        .arg(tiles)
        .arg(letters(move.word))
        .arg(signedNumber(move.points))
        .arg(move.score)
        .arg(outcomeName(move.bonus));
}

QString Recorder::rack(int seat) const {
    if (!game::isSeat(seat))
        return QStringLiteral("?");
    const QString letters = rackLetters(racks_[size_t(seat)]);
    return letters.isEmpty() ? QStringLiteral("-") : letters;
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
