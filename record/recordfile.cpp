#include "record/recordfile.h"

#include <QDir>

#include <cstdio>

namespace record {

QString RecordWriter::fileName(const QDateTime &start,
                               const std::array<QString, game::kSeats + 1> &players,
                               const QString &tag) {
    QString name = start.toUTC().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    for (int s = 1; s <= game::kSeats; ++s) {
        if (players[size_t(s)].isEmpty())
            continue;
        // Only letters, digits, '-' and '_' of a name reach the file name.
        QString safe;
        for (QChar c : players[size_t(s)].left(20))
            safe += c.isLetterOrNumber() || c == u'-' || c == u'_' ? c : QChar(u'_');
        name += QLatin1Char('_') + safe;
    }
    if (!tag.isEmpty())
        name += QLatin1Char('.') + tag;
    return name + QStringLiteral(".zrec");
}

bool RecordWriter::open(const QString &folder, const QDateTime &start,
                        const std::array<QString, game::kSeats + 1> &players, const QString &tag) {
    close();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "zorble: cannot make the games folder %s\n", qPrintable(folder));
        file_.reset();
        return false;
    }
    const QString base = fileName(start, players, tag);
    QString path = QDir(folder).filePath(base);
    // Two games started in the same second get different names.
    for (int n = 2; QFile::exists(path); ++n)
        path = QDir(folder).filePath(base.chopped(5) + QStringLiteral("-%1.zrec").arg(n));
    file_ = std::make_unique<QFile>(path);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text)) {
        std::fprintf(stderr, "zorble: cannot write the game record %s: %s\n", qPrintable(path),
                     qPrintable(file_->errorString()));
        return false;
    }
    return true;
}

void RecordWriter::write(const QStringList &lines) {
    if (!isOpen() || lines.isEmpty())
        return;
    if (file_->write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 ||
        !file_->flush())
        std::fprintf(stderr, "zorble: cannot write the game record %s: %s\n",
                     qPrintable(file_->fileName()), qPrintable(file_->errorString()));
}

void RecordWriter::close() {
    if (isOpen())
        file_->close();
}

void RecordFile::feed(const game::Events &events, const game::GameTable::State &after) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QStringList lines = recorder_.feed(events, after, now);
    if (folder_.isEmpty())
        return;
    if (recorder_.gameStarted())
        writer_.open(folder_, now, recorder_.players());
    writer_.write(lines);
    if (!recorder_.recording())
        writer_.close();
}

} // namespace record
