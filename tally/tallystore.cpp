#include "tally/tallystore.h"

#include "settings/userfile.h"
#include "tally/lzrw1.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A tally of kMaxRows opponents with long names stays far below these; a
// larger file, or one announcing more text, is no tally.
constexpr qint64 kMaxFileSize = UserFile::kMaxBytes;
constexpr qint64 kMaxTextSize = 16 * 1024 * 1024;

const QString Zero = QStringLiteral("0");

QString systemReason() {
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                      : QStringLiteral("not all of it could be written");
}

QString decodeText(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

} // namespace

TallyStore::TallyStore() : rows_{zeroRow()} {}

TallyStore::Row TallyStore::zeroRow() {
    Row row;
    row.fill(Zero);
    return row;
}

QString TallyStore::cell(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= RowCount())
        return {};
    return rows_[size_t(row)][size_t(column)];
}

QStringList TallyStore::names() const {
    QStringList list;
    for (size_t r = 1; r < rows_.size(); ++r)
        list << rows_[r][Name];
    return list;
}

int TallyStore::indexOf(const QString &name) const {
    for (size_t r = 1; r < rows_.size(); ++r)
        if (rows_[r][Name].compare(name, Qt::CaseInsensitive) == 0)
            return int(r) - 1;
    return -1;
}

int TallyStore::addit(int column, int row) {
    if (column < 1 || column >= kColumns || row < 0 || row >= RowCount())
        return 0;
    QString &text = rows_[size_t(row)][size_t(column)];
    bool ok = false;
    qint64 value = text.toLongLong(&ok);
    if (!ok)
        value = 0;
    if (value < INT_MAX)
        ++value;
    text = QString::number(value);
    return int(value);
}

bool TallyStore::follow(const QString &name) {
    // A line break would split the name over two lines of the file.
    if (indexOf(name) >= 0 || name.contains(QLatin1Char('\n')) ||
        name.contains(QLatin1Char('\r')) || RowCount() >= kMaxRows)
        return false;
    Row row = zeroRow();
    row[Name] = name;
    rows_.push_back(std::move(row));
    return true;
}

void TallyStore::moverow(int row) {
    if (row < 1 || row >= RowCount())
        return;
    rows_.erase(rows_.begin() + row);
}

void TallyStore::addgame(const QString &winner, const QStringList &players) {
    addtomine(Games);
    if (winner == kMine)
        addtomine(HisWins);
    for (const QString &player : players) {
        const int position = indexOf(player);
        if (position < 0)
            continue;
        const int r = position + 1;
        Row &row = rows_[size_t(r)];
        for (int c = Games; c < kColumns; ++c)
            if (row[size_t(c)].isEmpty())
                row[size_t(c)] = Zero;
        addit(Games, r);
        addit(SessionGames, r);
        if (row[Name] == winner) {
            addit(HisWins, r);
            addit(SessionHisWins, r);
        } else if (winner == kMine) {
            addit(MyWins, r);
            addit(SessionMyWins, r);
        } else {
            addit(OtherWins, r);
            addit(SessionOtherWins, r);
        }
    }
}

void TallyStore::reset() {
    rows_.assign(1, zeroRow());
}

void TallyStore::newSession() {
    for (size_t r = 1; r < rows_.size(); ++r)
        for (int c = SessionGames; c <= SessionOtherWins; ++c)
            rows_[r][size_t(c)] = Zero;
}

// ---- The text ---------------------------------------------------------------

bool TallyStore::SaveGridToFile(QIODevice &out) const {
    QByteArray text;
    const auto line = [&text](const QString &cell) {
        text += cell.toUtf8();
        text += "\r\n";
    };
    line(QString::number(kColumns));
    line(QString::number(RowCount()));
    for (int c = 0; c < kColumns; ++c)
        for (const Row &row : rows_)
            line(row[size_t(c)]);
    return out.write(text) == text.size();
}

void TallyStore::LoadGridFromFile(QIODevice &in) {
    QStringList lines = decodeText(in.readAll()).split(QLatin1Char('\n'));
    // The last line ends like the others: nothing follows its line end.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

    if (lines.size() < 2)
        throw TallyFormatError(QStringLiteral("it holds no column and row count"));
    bool ok = false;
    const int columns = lines[0].toInt(&ok);
    if (!ok || columns != kColumns)
        throw TallyFormatError(QStringLiteral("its column count is \"%1\", not 9").arg(lines[0]));
    const int rowCount = lines[1].toInt(&ok);
    if (!ok || rowCount < 1 || rowCount > kMaxRows)
        throw TallyFormatError(QStringLiteral("its row count \"%1\" is not between 1 and %2")
                                   .arg(lines[1])
                                   .arg(kMaxRows));
    const qsizetype cells = qsizetype(kColumns) * rowCount;
    if (lines.size() - 2 != cells)
        throw TallyFormatError(QStringLiteral("it holds %1 cells where its counts announce %2")
                                   .arg(lines.size() - 2)
                                   .arg(cells));

    std::vector<Row> rows(static_cast<size_t>(rowCount));
    qsizetype at = 2;
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < rowCount; ++r) {
            const QString &text = lines[at++];
            // Names are text; every other cell is a counter, or empty.
            if ((c != Name || r == 0) && !text.isEmpty()) {
                text.toInt(&ok);
                if (!ok)
                    throw TallyFormatError(
                        QStringLiteral("the cell of column %1, row %2 is \"%3\", not a number")
                            .arg(c)
                            .arg(r)
                            .arg(text));
            }
            rows[size_t(r)][size_t(c)] = text;
        }
    }
    rows_ = std::move(rows);
}

// ---- The compressed file ----------------------------------------------------

TallyStore::LoadResult TallyStore::loadFile(const QString &path) {
    reset();
    keptFile_.clear();
    UserFile file = UserFile::read(path, kMaxFileSize);
    switch (file.status) {
    case UserFile::Read:
        break;
    case UserFile::Missing:
        return {LoadResult::Absent, {}};
    case UserFile::TooLarge:
        return putAside(path, QStringLiteral("it is too large to be a tally"));
    case UserFile::NotRegular:
    case UserFile::Unreadable:
        keptFile_ = path;
        return {LoadResult::Kept,
                QStringLiteral("The tally file %1 %2. It is left as it is, and the games of this "
                               "run are not saved in it.")
                    .arg(path, file.problem)};
    }
    QByteArray packed = std::move(file.bytes);

    // The size the file announces, checked before anything is decoded.
    if (packed.size() >= 8) {
        const auto byte = [&packed](int i) { return quint32(quint8(packed[i])); };
        const quint32 announced = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
        if (announced > kMaxTextSize)
            return putAside(path, QStringLiteral("it announces more text than a tally holds"));
    }

    QBuffer in(&packed);
    in.open(QIODevice::ReadOnly);
    QByteArray text;
    QBuffer out(&text);
    out.open(QIODevice::WriteOnly);
    Tlzrw1 codec;
    codec.setCompressMode(Fast);
    codec.setInputFile(path);
    codec.setOnIdle(idle_);
    try {
        codec.DecompressStream(in, out);
        out.close();
        QBuffer grid(&text);
        grid.open(QIODevice::ReadOnly);
        LoadGridFromFile(grid);
    } catch (const ELzrw1Exception &e) {
        return putAside(path, e.message());
    } catch (const TallyFormatError &e) {
        return putAside(path, e.message());
    }
    newSession();
    return {LoadResult::Loaded, {}};
}

TallyStore::LoadResult TallyStore::putAside(const QString &path, const QString &reason) {
    reset();
    const QString aside = path + QStringLiteral(".damaged");
    // rename() replaces an older damaged file in one step.
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0)
        return {LoadResult::Damaged,
                QStringLiteral("The tally file %1 is damaged (%2). It has been moved aside as %3, "
                               "and the tally starts empty.")
                    .arg(path, reason, aside)};
    const QString why = systemReason();
    keptFile_ = path;
    return {LoadResult::Kept,
            QStringLiteral("The tally file %1 is damaged (%2) and could not be moved aside as %3 "
                           "(%4). It is left as it is, and the games of this run are not saved "
                           "in it.")
                .arg(path, reason, aside, why)};
}

bool TallyStore::saveFile(const QString &path, QString *error) const {
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    };
    if (!keptFile_.isEmpty() && keptFile_ == path)
        return fail(QStringLiteral("the file there could not be read and is kept as it is"));

    QByteArray text;
    {
        QBuffer grid(&text);
        grid.open(QIODevice::WriteOnly);
        if (!SaveGridToFile(grid))
            return fail(QStringLiteral("the tally does not fit in memory"));
    }
    QBuffer in(&text);
    in.open(QIODevice::ReadOnly);

    // QSaveFile writes to a temporary file beside `path` and renames it over
    // `path` on commit; without a commit the temporary file is removed. It
    // follows a symbolic link, though, and writes where the link leads (making
    // a file there when nothing is): the tally would land in another folder.
    // A link in the tally's place is therefore replaced by a file of its own:
    // the tally goes to a temporary file in the tally's folder, renamed over
    // the link.
    struct stat place {};
    const bool overLink =
        ::lstat(QFile::encodeName(path).constData(), &place) == 0 && S_ISLNK(place.st_mode);
    QSaveFile save(path);
    QTemporaryFile beside(path + QStringLiteral(".XXXXXX"));
    QFileDevice &out = overLink ? static_cast<QFileDevice &>(beside) : save;
    const auto cancel = [&] {
        if (!overLink)
            save.cancelWriting();
    };
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    Tlzrw1 codec;
    codec.setCompressMode(Fast);
    codec.setOutputFile(path);
    codec.setOnIdle(idle_);
    try {
        codec.CompressStream(in, text.size(), out);
    } catch (const ELzrw1Exception &e) {
        cancel();
        return fail(e.message());
    }
    // commit() alone misses a write that fails when the buffer is flushed (a
    // full disk) and would put the cut-off file in place; flush() reports it.
    errno = 0;
    if (!out.flush() || out.error() != QFileDevice::NoError) {
        const QString reason = systemReason();
        cancel();
        return fail(reason);
    }
    if (!overLink)
        return save.commit() || fail(save.errorString());
    errno = 0;
    if (::fsync(beside.handle()) != 0 || ::rename(QFile::encodeName(beside.fileName()).constData(),
                                                  QFile::encodeName(path).constData()) != 0)
        return fail(systemReason());
    beside.setAutoRemove(false);
    std::fprintf(stderr,
                 "zorble: the tally file %s was a symbolic link; the tally is now a file of "
                 "its own there\n",
                 qPrintable(path));
    return true;
}
