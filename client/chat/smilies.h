#pragma once

// The chat's smiley pictures: 18 pictures of 17 x 16 pixels. In chat text a
// smiley is ":)#" followed by a two-character code, "10" to "27".

#include <QIcon>
#include <QImage>
#include <QStringView>

namespace smilies {

inline constexpr int kCount = 18;
inline constexpr int kFirstCode = 10;
inline constexpr char kMarker[] = ":)#";

// The picture for a code; anything but "10" .. "27" gives picture 0.
int indexOfCode(QStringView code);
// Picture 0 .. 17 (an index out of range gives picture 0).
QImage image(int index);
QIcon icon(int index);

} // namespace smilies
