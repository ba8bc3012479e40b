#include "client/chat/colortext.h"

#include <gtest/gtest.h>

TEST(ColourText, WritesTheFirstMatchingIdentifierElseHex) {
    EXPECT_EQ(colorToString(0x000000), "clBlack");
    EXPECT_EQ(colorToString(0x0000FF), "clRed");
    EXPECT_EQ(colorToString(0xFF0000), "clBlue");
    EXPECT_EQ(colorToString(0x008000), "clGreen");
    EXPECT_EQ(colorToString(0xFFFFFF), "clWhite");
    // Gray and silver have aliases; the written name is the first in the table.
    EXPECT_EQ(colorToString(0x808080), "clGray");
    EXPECT_EQ(colorToString(0xC0C0C0), "clSilver");
    EXPECT_EQ(colorToString(0xA4A0A0), "clMedGray");
    EXPECT_EQ(colorToString(0x123456), "$00123456");
    EXPECT_EQ(colorToString(0x00ABCDEF), "$00ABCDEF");
}

TEST(ColourText, ReadsIdentifiersInAnyCaseHexAndDecimal) {
    EXPECT_EQ(colorFromString("clwhite"), 0xFFFFFFu);
    EXPECT_EQ(colorFromString("CLRED"), 0x0000FFu);
    EXPECT_EQ(colorFromString("clLtGray"), 0xC0C0C0u);
    EXPECT_EQ(colorFromString("cldkgray"), 0x808080u);
    EXPECT_EQ(colorFromString("clSkyBlue"), 0xF0CAA6u);
    EXPECT_EQ(colorFromString("$00123456"), 0x123456u);
    EXPECT_EQ(colorFromString("$ff"), 0xFFu);
    EXPECT_EQ(colorFromString("32768"), 0x8000u);
    EXPECT_EQ(colorFromString("-1"), 0xFFFFFFFFu);
}

TEST(ColourText, RejectsWhatIsNotAColour) {
    for (const char *bad : {"", "$", "$12345678A", "$12G", "white", "cl", "12a", "99999999999",
                            "2147483648", "+", "clWhite ", " 12"})
        EXPECT_FALSE(colorFromString(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(ColourText, RoundTripsEveryWrittenText) {
    for (quint32 v : {0x000000u, 0x0000FFu, 0x808080u, 0xC0DCC0u, 0xF0FBFFu, 0x010203u, 0xFFFFFEu,
                      0xA4A0A0u, 0x00FF00u}) {
        const QString text = colorToString(v);
        EXPECT_EQ(colorFromString(text), v) << text.toStdString();
        EXPECT_EQ(fromQColor(toQColor(v)), v);
    }
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x008000), QColor(0, 128, 0));
}
