// zorble --replay FILE [--to N] [--json]: a game record read back and played
// to turn N, printed as a board with coordinates and the totals, or as JSON
// with the state file's fields board, seats and unseen.
#include "app/modes.h"
#include "app/readrecord.h"
#include "clientcore/statefile.h"
#include "record/reader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString boardText(const record::Snapshot &s) {
    QString out = QStringLiteral("   ");
    for (int x = 0; x < game::kBoard; ++x)
        out += QLatin1Char(' ') + QChar(u'A' + x);
    out += QLatin1Char('\n');
    for (int y = 0; y < game::kBoard; ++y) {
        out += QStringLiteral("%1 ").arg(y + 1, 2);
        for (int x = 0; x < game::kBoard; ++x) {
            const int letter = s.board[size_t(x)][size_t(y)];
            out += QLatin1Char(' ') +
                   (letter >= 0 && letter <= 25 ? QChar(u'A' + letter) : QChar(u'.'));
        }
        out += QStringLiteral("  %1\n").arg(y + 1);
    }
    return out;
}

QJsonObject stateFields(const record::Game &g, const record::Snapshot &s) {
    QJsonArray board;
    for (int y = 0; y < game::kBoard; ++y) {
        QString row;
        for (int x = 0; x < game::kBoard; ++x) {
            const int letter = s.board[size_t(x)][size_t(y)];
            row += letter >= 0 && letter <= 25 ? QChar(u'a' + letter) : QChar(u'.');
        }
        board.append(row);
    }
    QJsonArray seats;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        seats.append(QJsonObject{{QStringLiteral("name"), s.names[size_t(seat)]},
                                 {QStringLiteral("score"), QString::number(s.totals[size_t(seat)])},
                                 {QStringLiteral("bonus"), s.bonus[size_t(seat)]}});
    return QJsonObject{{QStringLiteral("board"), board},
                       {QStringLiteral("seats"), seats},
                       {QStringLiteral("unseen"), unseenState(record::unseenBy(g, s, 1))},
                       {QStringLiteral("turns"), s.turns}};
}

} // namespace

int runReplay(int argc, char **argv) {
    QString path;
    int to = -1;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--replay") && i + 1 < argc) {
            path = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--to") && i + 1 < argc) {
            bool ok = false;
            to = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || to < 0) {
                std::fprintf(stderr, "zorble: --to needs a turn number from 0\n");
                return 2;
            }
        } else if (arg == QLatin1String("--json")) {
            json = true;
        } else {
            std::fprintf(stderr,
                         "zorble: unknown argument for --replay: %s\n"
                         "usage: zorble --replay FILE [--to N] [--json]\n",
                         argv[i]);
            return 2;
        }
    }
    const std::optional<record::Game> g = readRecordArgument(path);
    if (!g)
        return 1;
    const record::Snapshot s = record::replay(*g, to);
    if (to > s.turns) {
        std::fprintf(stderr, "zorble: the record holds %d turns\n", s.turns);
        return 1;
    }
    if (json) {
        std::fputs(QJsonDocument(stateFields(*g, s)).toJson().constData(), stdout);
        return 0;
    }
    QString out = boardText(s);
    out += QStringLiteral("\nAfter turn %1 of %2:\n").arg(s.turns).arg(g->turns());
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (!s.names[size_t(seat)].isEmpty())
            out += QStringLiteral("%1 %2\n").arg(s.names[size_t(seat)],
                                                 QString::number(s.totals[size_t(seat)]));
    std::fputs(out.toUtf8().constData(), stdout);
    return 0;
}
