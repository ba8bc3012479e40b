#include "game/savedgame.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sstream>

namespace game {

namespace {

constexpr quint32 kMagic = 0x5a534156; // "ZSAV"
constexpr quint32 kVersion = 1;
constexpr int kHashBytes = 32; // SHA-256 of everything before it
constexpr int kMaxScore = 1000000;

bool isLetter(int v) {
    return v >= 0 && v <= 25;
}
bool isLetterOrEmpty(int v) {
    return v == kEmpty || isLetter(v);
}
bool isTokenText(const QString &t) {
    if (t.isEmpty())
        return true;
    if (t.size() != 32)
        return false;
    for (const QChar c : t)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

template <class Array> void putInts(QDataStream &out, const Array &values) {
    for (const int v : values)
        out << qint32(v);
}
template <class Array> bool getInts(QDataStream &in, Array &values, bool (*ok)(int)) {
    for (int &v : values) {
        qint32 read = 0;
        in >> read;
        if (!ok(read))
            return false;
        v = read;
    }
    return true;
}
bool getInt(QDataStream &in, int &value, int lo, int hi) {
    qint32 read = 0;
    in >> read;
    if (read < lo || read > hi)
        return false;
    value = read;
    return true;
}

void putGrid(QDataStream &out, const Grid &grid) {
    for (const auto &column : grid)
        putInts(out, column);
}
bool getGrid(QDataStream &in, Grid &grid, bool (*ok)(int)) {
    for (auto &column : grid)
        if (!getInts(in, column, ok))
            return false;
    return true;
}

} // namespace

QByteArray encodeSave(const GameTable::State &s, const QDateTime &saved) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << saved.toMSecsSinceEpoch();
    for (int i = 1; i <= kMaxSlot; ++i) {
        const GameTable::Seat &seat = s.seats[size_t(i)];
        out << seat.name << seat.present;
        putInts(out, seat.rack);
        out << qint32(seat.score) << qint32(seat.bonus) << seat.watching << seat.boughttiles
            << seat.passed << seat.away << qint32(seat.grace) << seat.token;
    }
    const GameOptions &o = s.options;
    out << qint32(o.turntime) << qint32(o.squarecount) << qint32(o.gametime)
        << qint32(o.playtoscore) << o.doubletiles << o.partners;
    out << s.running << qint32(s.opened) << qint32(s.current) << qint32(s.arrangement)
        << qint32(s.elapsed) << qint32(s.turnclock);
    putGrid(out, s.position.board);
    putGrid(out, s.position.squares);
    out << s.position.doubleTiles << s.position.firstword;
    putInts(out, s.bag.order);
    out << qint32(s.bag.drawn);
    std::ostringstream rng;
    rng << s.rng;
    out << QByteArray::fromStdString(rng.str()) << s.gameId;
    bytes += QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    return bytes;
}

std::optional<SavedGame> decodeSave(const QByteArray &bytes) {
    if (bytes.size() <= kHashBytes)
        return std::nullopt;
    const QByteArray body = bytes.left(bytes.size() - kHashBytes);
    if (QCryptographicHash::hash(body, QCryptographicHash::Sha256) != bytes.right(kHashBytes))
        return std::nullopt;
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 version = 0;
    qint64 when = 0;
    in >> magic >> version >> when;
    if (magic != kMagic || version != kVersion)
        return std::nullopt;
    SavedGame g;
    g.saved = QDateTime::fromMSecsSinceEpoch(when);
    GameTable::State &s = g.state;
    for (int i = 1; i <= kMaxSlot; ++i) {
        GameTable::Seat &seat = s.seats[size_t(i)];
        in >> seat.name >> seat.present;
        if (seat.name.size() > 20 || !getInts(in, seat.rack, isLetterOrEmpty) ||
            !getInt(in, seat.score, -kMaxScore, kMaxScore) || !getInt(in, seat.bonus, 0, 3))
            return std::nullopt;
        in >> seat.watching >> seat.boughttiles >> seat.passed >> seat.away;
        if (!getInt(in, seat.grace, 0, HostOptions::kMaxGrace))
            return std::nullopt;
        in >> seat.token;
        if (!isTokenText(seat.token))
            return std::nullopt;
    }
    GameOptions &o = s.options;
    if (!getInt(in, o.turntime, 0, 100000) || !getInt(in, o.squarecount, 0, 100) ||
        !getInt(in, o.gametime, 0, 100000) || !getInt(in, o.playtoscore, 0, kMaxScore))
        return std::nullopt;
    in >> o.doubletiles >> o.partners >> s.running;
    if (!getInt(in, s.opened, 0, kMaxSlot) || !getInt(in, s.current, 0, kSeats) ||
        !getInt(in, s.arrangement, 0, 3) || !getInt(in, s.elapsed, 0, 1 << 30) ||
        !getInt(in, s.turnclock, GameTable::kUntimed, 100000))
        return std::nullopt;
    if (!getGrid(in, s.position.board, isLetterOrEmpty) ||
        !getGrid(in, s.position.squares, [](int v) { return v >= 0 && v <= 5; }))
        return std::nullopt;
    in >> s.position.doubleTiles >> s.position.firstword;
    if (!getInts(in, s.bag.order, isLetterOrEmpty) || !getInt(in, s.bag.drawn, 0, Bag::kSize))
        return std::nullopt;
    QByteArray rng;
    in >> rng >> s.gameId;
    std::istringstream rngText(rng.toStdString());
    rngText >> s.rng;
    if (rngText.fail() || !isTokenText(s.gameId) || in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    s.position.doubleTiles = o.doubletiles;
    return g;
}

QString SavedGame::question() const {
    QStringList names;
    for (int i = 1; i <= kSeats; ++i)
        if (state.seats[size_t(i)].present)
            names << state.seats[size_t(i)].name;
    return QStringLiteral("A game was interrupted at %1 (%2). Resume it?")
        .arg(saved.toLocalTime().toString(QStringLiteral("HH:mm")),
             names.join(QStringLiteral(", ")));
}

// The turn goes into a new file beside the save, which is then renamed over it: the
// save on disk is always one whole turn, the old or the new, whenever the program
// dies. The new file's data is not synced to the disk before the rename; that sync
// was most of a turn's save time. After a power cut the save may be torn, and then
// its hash fails on reading and it is set aside, never loaded half.
bool SaveFile::write(const GameTable::State &state, QString *error) const {
    const QByteArray bytes = encodeSave(state, QDateTime::currentDateTimeUtc());
    QTemporaryFile file(path_ + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(path_).constData()) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    file.setAutoRemove(false); // it is the save now
    return true;
}

void SaveFile::remove() const {
    QFile::remove(path_);
}

bool SaveFile::exists() const {
    return QFileInfo::exists(path_);
}

std::optional<SavedGame> SaveFile::read(QString *setAside) const {
    // A program that died while writing a turn leaves its unfinished new file.
    const QFileInfo info(path_);
    QDir folder = info.dir();
    for (const QString &stray : folder.entryList({info.fileName() + QStringLiteral(".??????")},
                                                 QDir::Files | QDir::Hidden))
        folder.remove(stray);
    if (!info.exists())
        return std::nullopt;
    std::optional<SavedGame> game;
    if (info.isFile() && info.size() <= kMaxBytes) {
        QFile file(path_);
        if (file.open(QIODevice::ReadOnly))
            game = decodeSave(file.read(kMaxBytes + 1));
    }
    if (!game) {
        const QString aside = path_ + QStringLiteral(".damaged");
        QFile::remove(aside);
        QFile::rename(path_, aside);
        if (setAside)
            *setAside = aside;
    }
    return game;
}

} // namespace game
