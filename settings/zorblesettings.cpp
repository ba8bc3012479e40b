#include "settings/zorblesettings.h"

#include "settings/colortext.h"
#include "settings/inifile.h"

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("Zorble");

QString phraseKey(int i) {
    return QStringLiteral("Phrase%1").arg(i + 1);
}

class Reader {
public:
    explicit Reader(const IniFile &ini) : ini_(ini) {}

    QString text(const QString &key) const { return ini_.value(kSection, key).value_or(QString()); }

    int integer(const QString &key, int fallback) const {
        bool ok = false;
        const int v = text(key).toInt(&ok, 10);
        return ok ? v : fallback;
    }

    bool onUnlessFalse(const QString &key) const {
        return text(key).compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
    }

    bool onWhenOne(const QString &key) const { return text(key) == QStringLiteral("1"); }

private:
    const IniFile &ini_;
};

QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

void ZorbleSettings::load(const IniFile &ini) {
    const ZorbleSettings defaults;
    const Reader r(ini);
    top = r.integer(QStringLiteral("Top"), defaults.top);
    left = r.integer(QStringLiteral("Left"), defaults.left);
    width = r.integer(QStringLiteral("Width"), defaults.width);
    height = r.integer(QStringLiteral("Height"), defaults.height);
    tiles = r.text(QStringLiteral("Tiles"));
    if (tiles.isEmpty())
        tiles = defaults.tiles;
    textSize = r.integer(QStringLiteral("Textsize"), defaults.textSize);
    textColour = colorFromString(r.text(QStringLiteral("Textcolor"))).value_or(defaults.textColour);
    playSounds = r.onUnlessFalse(QStringLiteral("Playsounds"));
    for (int i = 0; i < kPhrases; ++i)
        phrases[size_t(i)] = r.text(phraseKey(i));
    turnTime = r.integer(QStringLiteral("Turntime"), defaults.turnTime);
    squares = r.integer(QStringLiteral("Squares"), defaults.squares);
    gameTime = r.integer(QStringLiteral("Gametime"), defaults.gameTime);
    score = r.integer(QStringLiteral("Score"), defaults.score);
    doubleScore = r.onWhenOne(QStringLiteral("Double"));
    team = r.onWhenOne(QStringLiteral("Team"));
    newTurnSound = r.onWhenOne(QStringLiteral("Turnsound"));
    chatterSounds = r.onUnlessFalse(QStringLiteral("ChatterSounds"));
}

void ZorbleSettings::save(IniFile &ini) const {
    const auto put = [&ini](const QString &key, const QString &value) {
        ini.setValue(kSection, key, value);
    };
    const auto trueFalse = [](bool on) {
        return on ? QStringLiteral("true") : QStringLiteral("false");
    };
    const auto oneZero = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };

    put(QStringLiteral("Top"), QString::number(top));
    put(QStringLiteral("Left"), QString::number(left));
    put(QStringLiteral("Width"), QString::number(width));
    put(QStringLiteral("Height"), QString::number(height));
    put(QStringLiteral("Tiles"), oneLine(tiles));
    put(QStringLiteral("Textsize"), QString::number(textSize));
    put(QStringLiteral("Textcolor"), colorToString(textColour));
    put(QStringLiteral("Playsounds"), trueFalse(playSounds));
    for (int i = 0; i < kPhrases; ++i)
        put(phraseKey(i), oneLine(phrases[size_t(i)]));
    put(QStringLiteral("Turntime"), QString::number(turnTime));
    put(QStringLiteral("Squares"), QString::number(squares));
    put(QStringLiteral("Gametime"), QString::number(gameTime));
    put(QStringLiteral("Score"), QString::number(score));
    put(QStringLiteral("Double"), oneZero(doubleScore));
    put(QStringLiteral("Team"), oneZero(team));
    put(QStringLiteral("Turnsound"), oneZero(newTurnSound));
    put(QStringLiteral("ChatterSounds"), trueFalse(chatterSounds));
}

QRect windowGeometry(const ZorbleSettings &s) {
    // Far beyond any screen, yet small enough that left + width fits an int.
    constexpr int kFar = 1 << 24;
    constexpr int kLargest = 1 << 16;
    return QRect(std::clamp(s.left, -kFar, kFar), std::clamp(s.top, -kFar, kFar),
                 std::clamp(s.width, kMinimumWindowWidth, kLargest),
                 std::clamp(s.height, kMinimumWindowHeight, kLargest));
}
