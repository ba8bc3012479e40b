#include "settings/colortext.h"

#include <array>

namespace {

struct NamedColour {
    const char *name;
    quint32 value;
};

// Writing order: the first match wins, so clGray is written, never clDkGray.
constexpr std::array<NamedColour, 20> kNamed{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},  {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},   {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

// Read only: aliases of colours that are written under another name.
constexpr std::array<NamedColour, 2> kAliases{{{"clLtGray", 0xC0C0C0}, {"clDkGray", 0x808080}}};

} // namespace

QString colorToString(quint32 bgr) {
    for (const auto &c : kNamed)
        if (c.value == bgr)
            return QString::fromLatin1(c.name);
    return QStringLiteral("$") + QStringLiteral("%1").arg(bgr, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> colorFromString(const QString &text) {
    for (const auto &c : kNamed)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    for (const auto &c : kAliases)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;

    if (text.startsWith(QLatin1Char('$'))) {
        const QStringView digits = QStringView(text).mid(1);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        quint32 value = 0;
        for (QChar ch : digits) {
            const int d = QChar::isDigit(ch.unicode()) && ch.unicode() < 128 ? ch.unicode() - '0'
                          : (ch.unicode() >= 'a' && ch.unicode() <= 'f') ? ch.unicode() - 'a' + 10
                          : (ch.unicode() >= 'A' && ch.unicode() <= 'F') ? ch.unicode() - 'A' + 10
                                                                         : -1;
            if (d < 0)
                return std::nullopt;
            value = value * 16 + quint32(d);
        }
        return value;
    }

    // Decimal, with an optional sign; negative numbers stand for their 32-bit
    // two's complement, as a signed colour integer would.
    QStringView digits(text);
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (QChar ch : digits) {
        if (ch.unicode() < '0' || ch.unicode() > '9')
            return std::nullopt;
        value = value * 10 + (ch.unicode() - '0');
    }
    if (negative) {
        if (value > 0x80000000LL)
            return std::nullopt;
        return quint32(-value);
    }
    if (value > 0x7FFFFFFFLL)
        return std::nullopt;
    return quint32(value);
}
