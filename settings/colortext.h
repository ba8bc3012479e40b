#pragma once

// Colour texts as the chat and the settings write them: a colour identifier
// such as "clWhite", "$" followed by hexadecimal digits, or a decimal number.
// Colour values are 0x00BBGGRR: red in the lowest byte.

#include <QString>

#include <optional>

// The first identifier whose value matches, else "$" and 8 upper-case hex digits.
QString colorToString(quint32 bgr);
// Identifiers in any letter case (also clLtGray and clDkGray), "$" + hex, or
// decimal. Nothing when the text is none of these or does not fit 32 bits.
std::optional<quint32> colorFromString(const QString &text);

inline constexpr quint32 kColourWhite = 0xFFFFFF;
inline constexpr quint32 kColourGreen = 0x008000; // the program's own notices
