#pragma once

// Tile sets: letter pictures that a user drops into the tile-set folder to
// restyle the tiles. A set named S is
//
//   S_big.bmp     the 26 rack letters A..Z side by side, 41 x 41 pixels each;
//                 pure green (0, 255, 0) is transparent;
//   S_little.bmp  optional: the 26 board letters and then the frame of the
//                 newest word, 28 x 28 each; white is transparent.
//
// File names match without regard to letter case. "classic" is the set the
// program draws itself; a file of that name is not offered.

#include "client/pictures.h"
#include "settings/userfile.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tilesets {

using BigLetters = std::array<QPixmap, TilePictures::kLetters>;
using LittleLetters = std::array<QPixmap, TilePictures::kLetters + 1>;

inline constexpr int kBigPictures = TilePictures::kLetters;
inline constexpr int kLittlePictures = TilePictures::kLetters + 1;
// Larger files are no tile strips: a strip is some hundred kilobytes.
inline constexpr qint64 kMaxFileBytes = UserFile::kMaxBytes;

QString classic();
bool isClassic(const QString &name);

// The sets in the folder: for each file whose name ends in "_big.bmp", the
// name up to its first "_". Sorted without regard to case, each name once.
QStringList names(const QString &folder);

// The path of the folder's file whose name matches without regard to case
// (the first in sorted order when several do); empty when there is none.
QString findFile(const QString &folder, const QString &fileName);

// Cuts a BMP strip into `count` square pictures of `side` pixels, the first
// at the left edge; pixels of the colour `transparent` become transparent.
// Nothing, with a message saying what is wrong, when the bytes are no
// complete BMP picture or the picture is too small.
std::optional<QList<QImage>> cutStrip(const QByteArray &bmp, int side, int count, QRgb transparent,
                                      QString *error);

struct Loaded {
    enum Status { Done, Missing, Broken };
    Status status = Missing;
    QString error; // Broken: a sentence for the user
    BigLetters big;
    std::optional<LittleLetters> little; // when the set has a little file
};

// Reads set S from the folder. Missing when S_big.bmp is not there; Broken
// when either file is not a regular file, cannot be read, is larger than
// kMaxFileBytes or is not a strip of the right size.
Loaded load(const QString &folder, const QString &name);

} // namespace tilesets

// The classic pictures with the letters of a tile set in their place. The
// board, the rack and the panels keep drawing from the one object while the
// sets change under it.
class TileSetPictures : public TilePictures {
public:
    explicit TileSetPictures(qreal devicePixelRatio = 1.0);

    // Back to the letters the program draws.
    void useClassic();
    void setBig(const tilesets::BigLetters &big) { big_ = big; }
    void setLittle(const tilesets::LittleLetters &little) { little_ = little; }

    QPixmap color(int i) const override { return classic_.color(i); }
    QPixmap little(int i) const override;
    QPixmap big(int i) const override;
    QPixmap squares(int i) const override { return classic_.squares(i); }
    QPixmap eyes() const override { return classic_.eyes(); }
    QPixmap bar(int seat) const override { return classic_.bar(seat); }
    QPixmap sort() const override { return classic_.sort(); }

private:
    ClassicPictures classic_;
    std::optional<tilesets::BigLetters> big_;
    std::optional<tilesets::LittleLetters> little_;
};
