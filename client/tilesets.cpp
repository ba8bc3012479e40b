#include "client/tilesets.h"

#include "settings/userfile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace tilesets {

namespace {

const QString kBigSuffix = QStringLiteral("_big.bmp");
const QString kLittleSuffix = QStringLiteral("_little.bmp");
// More pixels than this are no tile strip (and would take much memory).
constexpr qint64 kMaxPixels = 16 << 20;

quint32 le(const QByteArray &b, qsizetype at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | quint8(b[at + i]);
    return v;
}

// Whether the pixel data of an uncompressed BMP fit in the bytes. Qt reads a
// file that ends early without a complaint and leaves the missing rows
// undefined. Compressed pictures are left to Qt's reader.
bool endsEarly(const QByteArray &bmp) {
    if (bmp.size() < 26 || !bmp.startsWith("BM"))
        return false; // not a BMP: the reader says so
    const qint64 dataAt = le(bmp, 10, 4);
    const quint32 headerSize = le(bmp, 14, 4);
    qint64 width = 0, height = 0, bits = 0, compression = 0;
    if (headerSize == 12) {
        width = le(bmp, 18, 2);
        height = le(bmp, 20, 2);
        bits = le(bmp, 24, 2);
    } else {
        if (bmp.size() < 34)
            return true;
        width = qint32(le(bmp, 18, 4));
        height = qint32(le(bmp, 22, 4));
        bits = le(bmp, 28, 2);
        compression = le(bmp, 30, 4);
    }
    constexpr qint64 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression != kRgb && compression != kBitFields && compression != kAlphaBitFields)
        return false;
    if (width <= 0 || height == 0 || bits <= 0 || bits > 32)
        return false; // the reader refuses it
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    return dataAt + rowBytes * (height < 0 ? -height : height) > bmp.size();
}

QImage transparentKey(const QImage &piece, QRgb key) {
    QImage out = piece.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & RGB_MASK) == (key & RGB_MASK))
                line[x] = 0;
    }
    return out;
}

std::optional<QByteArray> readFile(const QString &path, QString *error) {
    UserFile file = UserFile::read(path, kMaxFileBytes);
    if (!file.ok()) {
        *error = file.status == UserFile::Missing ? QStringLiteral("is gone") : file.problem;
        return std::nullopt;
    }
    return std::move(file.bytes);
}

} // namespace

QString classic() {
    return QStringLiteral("classic");
}

bool isClassic(const QString &name) {
    return name.compare(classic(), Qt::CaseInsensitive) == 0;
}

QStringList names(const QString &folder) {
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QStringList found;
    for (const QString &file : files) {
        // Regular files only (links to them included): no pipe or device is offered.
        if (!file.endsWith(kBigSuffix, Qt::CaseInsensitive) ||
            !UserFile::isRegular(dir.filePath(file)))
            continue;
        const QString name = file.left(file.indexOf(QLatin1Char('_')));
        if (name.isEmpty() || isClassic(name) || found.contains(name, Qt::CaseInsensitive))
            continue;
        found << name;
    }
    return found;
}

QString findFile(const QString &folder, const QString &fileName) {
    if (folder.isEmpty() || fileName.isEmpty())
        return {};
    const QDir dir(folder);
    // A pipe or a device of the name is found too, so that reading it says
    // what it is rather than the set seeming to be gone.
    QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &file : files)
        if (file.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(file);
    return {};
}

std::optional<QList<QImage>> cutStrip(const QByteArray &bmp, int side, int count, QRgb transparent,
                                      QString *error) {
    QByteArray bytes = bmp;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    const QSize declared = reader.size();
    if (!reader.canRead() || !declared.isValid()) {
        *error = QStringLiteral("is not a BMP picture");
        return std::nullopt;
    }
    if (qint64(declared.width()) * declared.height() > kMaxPixels) {
        *error = QStringLiteral("is too large for a tile set");
        return std::nullopt;
    }
    const QSize needed(side * count, side);
    if (declared.width() < needed.width() || declared.height() < needed.height()) {
        *error = QStringLiteral("is %1 x %2 pixels; it needs to be at least %3 x %4")
                     .arg(declared.width())
                     .arg(declared.height())
                     .arg(needed.width())
                     .arg(needed.height());
        return std::nullopt;
    }
    if (endsEarly(bmp)) {
        *error = QStringLiteral("ends before its picture does");
        return std::nullopt;
    }
    const QImage image = reader.read();
    if (image.isNull() || image.width() < needed.width() || image.height() < needed.height()) {
        *error = QStringLiteral("is not a readable BMP picture");
        return std::nullopt;
    }
    QList<QImage> pieces;
    for (int i = 0; i < count; ++i)
        pieces << transparentKey(image.copy(i * side, 0, side, side), transparent);
    return pieces;
}

Loaded load(const QString &folder, const QString &name) {
    Loaded loaded;
    const QString bigPath = findFile(folder, name + kBigSuffix);
    if (bigPath.isEmpty())
        return loaded;

    const auto fail = [&](const QString &path, const QString &what) {
        loaded.status = Loaded::Broken;
        loaded.error = QStringLiteral("Cannot load the tile set %1: %2 %3.")
                           .arg(name, QFileInfo(path).fileName(), what);
        return loaded;
    };
    QString error;
    const auto bigBytes = readFile(bigPath, &error);
    if (!bigBytes)
        return fail(bigPath, error);
    const auto big =
        cutStrip(*bigBytes, TilePictures::kBigTile, kBigPictures, qRgb(0, 255, 0), &error);
    if (!big)
        return fail(bigPath, error);
    for (int i = 0; i < kBigPictures; ++i)
        loaded.big[size_t(i)] = QPixmap::fromImage(big->at(i));

    const QString littlePath = findFile(folder, name + kLittleSuffix);
    if (!littlePath.isEmpty()) {
        const auto littleBytes = readFile(littlePath, &error);
        if (!littleBytes)
            return fail(littlePath, error);
        const auto little = cutStrip(*littleBytes, TilePictures::kSquare, kLittlePictures,
                                     qRgb(255, 255, 255), &error);
        if (!little)
            return fail(littlePath, error);
        loaded.little.emplace();
        for (int i = 0; i < kLittlePictures; ++i)
            (*loaded.little)[size_t(i)] = QPixmap::fromImage(little->at(i));
    }
    loaded.status = Loaded::Done;
    return loaded;
}

} // namespace tilesets

TileSetPictures::TileSetPictures(qreal devicePixelRatio) : classic_(devicePixelRatio) {}

void TileSetPictures::useClassic() {
    big_.reset();
    little_.reset();
}

QPixmap TileSetPictures::little(int i) const {
    if (little_ && i >= 0 && i < int(little_->size()))
        return (*little_)[size_t(i)];
    return classic_.little(i);
}

QPixmap TileSetPictures::big(int i) const {
    if (big_ && i >= 0 && i < int(big_->size()))
        return (*big_)[size_t(i)];
    return classic_.big(i);
}
