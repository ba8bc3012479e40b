// The classic picture set: every picture at its size and pixel ratio, and a
// picture of its own for every letter.
#include "client/pictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QList>

#include <vector>

namespace {

TEST(Pictures, EachKeepsItsLogicalSizeAtEveryPixelRatio) {
    for (qreal dpr : {1.0, 2.0}) {
        const ClassicPictures pics(dpr);
        struct Kind {
            const char *name;
            QList<QPixmap> set;
            QSize size;
        };
        QList<QPixmap> colors, little, big, outcomes, bars;
        for (int i = 0; i <= 5; ++i)
            colors << pics.color(i);
        for (int i = 0; i <= 26; ++i)
            little << pics.little(i);
        for (int i = 0; i <= 25; ++i)
            big << pics.big(i);
        for (int i = 0; i <= 2; ++i)
            outcomes << pics.squares(i);
        for (int seat = 1; seat <= 4; ++seat)
            bars << pics.bar(seat);
        const std::vector<Kind> kinds{
            {"color", colors, {28, 28}},
            {"little", little, {28, 28}},
            {"big", big, {41, 41}},
            {"squares", outcomes, {142, 61}},
            {"bar", bars, {484, 12}},
            {"eyes", {pics.eyes()}, {18, 10}},
            {"sort", {pics.sort()}, {23, 53}},
        };
        for (const Kind &kind : kinds) {
            for (const QPixmap &pix : kind.set) {
                EXPECT_EQ(pix.deviceIndependentSize().toSize(), kind.size) << kind.name << dpr;
                EXPECT_EQ(pix.size(), kind.size * dpr) << kind.name << dpr;
            }
        }
        // An index the set lacks draws nothing.
        for (const QPixmap &none : {pics.color(6), pics.little(27), pics.big(26), pics.squares(3),
                                    pics.bar(0), pics.bar(5)})
            EXPECT_TRUE(none.isNull()) << dpr;
    }
}

TEST(Pictures, EveryLetterHasAPictureOfItsOwn) {
    const ClassicPictures pics;
    for (int a = 0; a < TilePictures::kLetters; ++a) {
        for (int b = a + 1; b < TilePictures::kLetters; ++b) {
            EXPECT_NE(pics.little(a).toImage(), pics.little(b).toImage()) << a << " " << b;
            EXPECT_NE(pics.big(a).toImage(), pics.big(b).toImage()) << a << " " << b;
        }
    }
}

} // namespace
