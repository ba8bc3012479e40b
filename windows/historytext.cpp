#include "windows/historytext.h"

namespace historytext {

namespace {

QString name(const record::Game &g, int seat) {
    const QString n = game::isSeat(seat) ? g.header.names[size_t(seat)] : QString();
    return n.isEmpty() ? QStringLiteral("Seat %1").arg(seat) : n;
}

} // namespace

QStringList turnCells(const record::Game &g, const record::Entry &e, int turn) {
    QString word;
    QString where;
    switch (e.kind) {
    case record::Kind::Move:
        word = e.word == QStringLiteral("-") ? QString() : e.word;
        where = record::placement(e.x, e.y, e.down);
        break;
    case record::Kind::Exchange:
        word = QStringLiteral("(new tiles)");
        break;
    case record::Kind::Pass:
        word = QStringLiteral("(pass)");
        break;
    default:
        word = QStringLiteral("(time up)");
        break;
    }
    const bool scores = e.kind == record::Kind::Move || e.kind == record::Kind::Exchange;
    return {QString::number(turn),
            name(g, e.seat),
            word,
            where,
            scores ? QString::number(e.points) : QStringLiteral("0"),
            game::outcomeText(e.bonus),
            scores ? QString::number(e.total) : QString()};
}

QString gameText(const record::Game &g) {
    QStringList out;
    out << QStringLiteral("Zorble game of %1").arg(g.header.date);
    QStringList players;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (!g.header.names[size_t(seat)].isEmpty())
            players << QStringLiteral("%1 %2").arg(seat).arg(g.header.names[size_t(seat)]);
    out << QStringLiteral("Players: ") + players.join(QStringLiteral(", "));
    const game::GameOptions &o = g.header.options;
    out << QStringLiteral("Options: %1 s a turn, %2 Zorble squares, game time %3 min, play to "
                          "%4, double-sided tiles %5, partners %6")
               .arg(o.turntime)
               .arg(o.squarecount)
               .arg(o.gametime)
               .arg(o.playtoscore)
               .arg(o.doubletiles ? QStringLiteral("yes") : QStringLiteral("no"),
                    o.partners ? QStringLiteral("yes") : QStringLiteral("no"));
    out << QString();
    int turn = 0;
    for (const record::Entry &e : g.entries) {
        if (e.isTurn()) {
            QStringList cells = turnCells(g, e, ++turn);
            cells.removeAll(QString());
            out << cells.join(QLatin1Char(' '));
        } else if (e.kind == record::Kind::End) {
            out << QStringLiteral("Game over: ") + record::endName(e.reason);
        } else if (e.kind == record::Kind::Final) {
            QStringList totals;
            for (int seat = 1; seat <= game::kSeats; ++seat)
                if (!g.header.names[size_t(seat)].isEmpty())
                    totals << QStringLiteral("%1 %2")
                                  .arg(name(g, seat))
                                  .arg(e.finals[size_t(seat - 1)]); // finals hold seats 1..4 from 0
            out << QStringLiteral("Final totals: ") + totals.join(QStringLiteral(", "));
        } else if (e.kind == record::Kind::Winners) {
            QStringList names;
            for (int seat : e.winners)
                names << name(g, seat);
            out << QStringLiteral("Won by ") + names.join(QStringLiteral(" and "));
        }
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace historytext
