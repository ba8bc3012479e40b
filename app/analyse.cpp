// zorble --analyse FILE [--threads N]: each turn of a game record held
// against the best move the computer finds for the rack the record holds,
// with the points the player gave away; the turns are searched on as many
// threads as the machine has cores (or N).
#include "ai/analysis.h"
#include "app/modes.h"
#include "app/readrecord.h"
#include "record/turnposition.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

QString bestText(const ai::Move &m) {
    int x = m.tiles.first().x;
    int y = m.tiles.first().y;
    bool down = false;
    if (m.tiles.size() > 1)
        down = m.tiles[1].x == m.tiles.first().x;
    for (const rules::LaidTile &t : m.tiles) {
        x = std::min(x, t.x);
        y = std::min(y, t.y);
    }
    return QStringLiteral("%1 %2 %3")
        .arg(m.word.toUpper(), record::placement(x, y, down), QString::number(m.score));
}

QString playedText(const record::Entry &e) {
    switch (e.kind) {
    case record::Kind::Move:
        return QStringLiteral("%1 %2 %3")
            .arg(e.word, record::placement(e.x, e.y, e.down), QString::number(e.points));
    case record::Kind::Exchange:
        return QStringLiteral("new tiles %1").arg(e.points);
    case record::Kind::Pass:
        return QStringLiteral("pass");
    default:
        return QStringLiteral("time up");
    }
}

QStringList analysisLines(const record::Game &g, const std::vector<ai::TurnAnswer> &answers,
                          const QList<record::RecordedTurn> &turns) {
    QStringList out;
    std::array<int, game::kSeats + 1> given{};
    std::size_t asked = 0;
    for (const record::RecordedTurn &t : turns) {
        const record::Entry &e = g.entries[t.entry];
        QString line =
            QStringLiteral("%1 %2: %3")
                .arg(QString::number(t.turn), g.header.names[size_t(e.seat)], playedText(e));
        if (!t.rackKnown) {
            line += QStringLiteral("; rack not recorded");
        } else {
            const ai::TurnAnswer &a = answers[asked++];
            if (a.best)
                line += QStringLiteral("; best %1; gave away %2")
                            .arg(bestText(*a.best), QString::number(a.givenAway));
            else
                line += QStringLiteral("; no move was possible");
            given[size_t(e.seat)] += a.givenAway;
        }
        out << line;
    }
    QStringList totals;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (!g.header.names[size_t(seat)].isEmpty())
            totals << QStringLiteral("%1 %2").arg(g.header.names[size_t(seat)],
                                                  QString::number(given[size_t(seat)]));
    out << QStringLiteral("Points given away: ") + totals.join(QStringLiteral(", "));
    return out;
}

} // namespace

int runAnalyse(int argc, char **argv) {
    QString path;
    int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--analyse") && i + 1 < argc) {
            path = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == QLatin1String("--threads") && i + 1 < argc) {
            bool ok = false;
            threads = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || threads < 1 || threads > 64) {
                std::fprintf(stderr, "zorble: --threads needs a number from 1 to 64\n");
                return 2;
            }
        } else {
            std::fprintf(stderr,
                         "zorble: unknown argument for --analyse: %s\n"
                         "usage: zorble --analyse FILE [--threads N]\n",
                         argv[i]);
            return 2;
        }
    }
    const std::optional<record::Game> g = readRecordArgument(path);
    if (!g)
        return 1;
    const auto engine = ai::Engine::shared();
    if (!engine->isOpen()) {
        std::fprintf(stderr, "zorble: %s\n", qPrintable(engine->errorMessage()));
        return 1;
    }
    const QList<record::RecordedTurn> turns = record::recordedTurns(*g);
    std::vector<ai::TurnQuestion> questions;
    for (const record::RecordedTurn &t : turns)
        if (t.rackKnown)
            questions.push_back({t.position, t.played});
    const std::vector<ai::TurnAnswer> answers = ai::analyse(*engine, questions, threads);
    const QStringList lines = analysisLines(*g, answers, turns);
    std::fputs((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8().constData(), stdout);
    return 0;
}
