#include "record/lines.h"

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

QString rackField(const Entry &e) {
    if (!e.rackKnown)
        return QStringLiteral("?");
    return e.rack.isEmpty() ? QStringLiteral("-") : e.rack;
}

QString moveLine(const Entry &move) {
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
        tiles = QStringLiteral("-"); // no move the rules accepted
    } else {
        const int length = down ? y1 - y0 + 1 : x1 - x0 + 1;
        tiles = QString(length, QLatin1Char('.'));
        for (const game::BoardLetter &t : move.tiles)
            tiles[down ? t.y - y0 : t.x - x0] = QChar(u'A' + t.letter);
    }
    return QStringLiteral("move %1 %2 %3 %4 %5 %6 %7 %8")
        .arg(move.seat)
        .arg(rackField(move))
        .arg(placement(x0, y0, down))
        .arg(tiles)
        .arg(letters(move.word))
        .arg(signedNumber(move.points))
        .arg(move.total)
        .arg(outcomeName(move.bonus));
}

QString seatLine(const char *key, int seat) {
    return QStringLiteral("%1 %2").arg(QLatin1String(key)).arg(seat);
}

} // namespace

QStringList headerLines(const Header &header) {
    const game::GameOptions &o = header.options;
    QStringList lines{
        QStringLiteral("%1 %2").arg(QLatin1String(kMagic)).arg(kVersion),
        QStringLiteral("date ") + header.date,
    };
    if (header.seed)
        lines << QStringLiteral("seed %1").arg(*header.seed);
    lines << QStringLiteral("options turntime=%1 squares=%2 gametime=%3 playto=%4 double=%5 "
                            "partners=%6")
                 .arg(o.turntime)
                 .arg(o.squarecount)
                 .arg(o.gametime)
                 .arg(o.playtoscore)
                 .arg(int(o.doubletiles))
                 .arg(int(o.partners));
    QString quarters = QStringLiteral("quarters");
    for (int q : header.quarters)
        quarters += QLatin1Char(' ') + QString::number(q);
    lines << quarters;
    for (int s = 1; s <= game::kSeats; ++s)
        if (header.seated[size_t(s)])
            lines << QStringLiteral("player %1 %2").arg(s).arg(cleanName(header.names[size_t(s)]));
    return lines;
}

QString entryLine(const Entry &e) {
    switch (e.kind) {
    case Kind::Move:
        return moveLine(e);
    case Kind::Exchange:
        return QStringLiteral("exchange %1 %2 %3 %4")
            .arg(e.seat)
            .arg(rackField(e))
            .arg(e.points)
            .arg(e.total);
    case Kind::Pass:
        return QStringLiteral("pass %1 %2").arg(e.seat).arg(rackField(e));
    case Kind::TimeUp:
        return QStringLiteral("timeout %1 %2").arg(e.seat).arg(rackField(e));
    case Kind::SitOut:
        return seatLine("sitout", e.seat);
    case Kind::Back:
        return seatLine("back", e.seat);
    case Kind::Leave:
        return seatLine("leave", e.seat);
    case Kind::Arrive:
        return QStringLiteral("arrive %1 %2").arg(e.seat).arg(cleanName(e.name));
    case Kind::End:
        return QStringLiteral("end ") + endName(e.reason);
    case Kind::Final: {
        QString line = QStringLiteral("final");
        for (int total : e.finals)
            line += QLatin1Char(' ') + QString::number(total);
        return line;
    }
    case Kind::Winners: {
        QString line = QStringLiteral("winners");
        for (int s : e.winners)
            line += QLatin1Char(' ') + QString::number(s);
        return line;
    }
    }
    return QString();
}

} // namespace record
