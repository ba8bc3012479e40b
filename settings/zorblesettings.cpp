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
    options.turntime = r.integer(QStringLiteral("Turntime"), defaults.options.turntime);
    options.squarecount = r.integer(QStringLiteral("Squares"), defaults.options.squarecount);
    options.gametime = r.integer(QStringLiteral("Gametime"), defaults.options.gametime);
    options.playtoscore = r.integer(QStringLiteral("Score"), defaults.options.playtoscore);
    options.doubletiles = r.onWhenOne(QStringLiteral("Double"));
    options.partners = r.onWhenOne(QStringLiteral("Team"));
    host.grace = std::clamp(r.integer(QStringLiteral("Grace"), defaults.host.grace), 0,
                            game::HostOptions::kMaxGrace);
    host.rejoinByName = r.onWhenOne(QStringLiteral("RejoinByName"));
    newTurnSound = r.onWhenOne(QStringLiteral("Turnsound"));
    chatterSounds = r.onUnlessFalse(QStringLiteral("ChatterSounds"));
    coordinates = r.onUnlessFalse(QStringLiteral("Coordinates"));
    lobbyURL = r.text(QStringLiteral("LobbyURL"));
    lobbyPath = r.text(QStringLiteral("LobbyPath"));
    lobbySHA256 = r.text(QStringLiteral("LobbySHA256"));
}

namespace {

enum class Part { All, AllButPhrases, Phrases };

void write(const ZorbleSettings &s, IniFile &ini, Part part) {
    const auto put = [&ini](const QString &key, const QString &value) {
        ini.setValue(kSection, key, value);
    };
    const auto trueFalse = [](bool on) {
        return on ? QStringLiteral("true") : QStringLiteral("false");
    };
    const auto oneZero = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };

    if (part == Part::Phrases) {
        for (int i = 0; i < ZorbleSettings::kPhrases; ++i)
            put(phraseKey(i), oneLine(s.phrases[size_t(i)]));
        return;
    }
    put(QStringLiteral("Top"), QString::number(s.top));
    put(QStringLiteral("Left"), QString::number(s.left));
    put(QStringLiteral("Width"), QString::number(s.width));
    put(QStringLiteral("Height"), QString::number(s.height));
    put(QStringLiteral("Tiles"), oneLine(s.tiles));
    put(QStringLiteral("Textsize"), QString::number(s.textSize));
    put(QStringLiteral("Textcolor"), colorToString(s.textColour));
    put(QStringLiteral("Playsounds"), trueFalse(s.playSounds));
    if (part == Part::All)
        write(s, ini, Part::Phrases);
    put(QStringLiteral("Turntime"), QString::number(s.options.turntime));
    put(QStringLiteral("Squares"), QString::number(s.options.squarecount));
    put(QStringLiteral("Gametime"), QString::number(s.options.gametime));
    put(QStringLiteral("Score"), QString::number(s.options.playtoscore));
    put(QStringLiteral("Double"), oneZero(s.options.doubletiles));
    put(QStringLiteral("Team"), oneZero(s.options.partners));
    put(QStringLiteral("Grace"), QString::number(s.host.grace));
    put(QStringLiteral("RejoinByName"), oneZero(s.host.rejoinByName));
    put(QStringLiteral("Turnsound"), oneZero(s.newTurnSound));
    put(QStringLiteral("ChatterSounds"), trueFalse(s.chatterSounds));
    put(QStringLiteral("Coordinates"), trueFalse(s.coordinates));
}

} // namespace

void ZorbleSettings::save(IniFile &ini) const {
    write(*this, ini, Part::All);
}

void ZorbleSettings::saveExceptPhrases(IniFile &ini) const {
    write(*this, ini, Part::AllButPhrases);
}

void ZorbleSettings::savePhrases(IniFile &ini) const {
    write(*this, ini, Part::Phrases);
}

QRect windowGeometry(const ZorbleSettings &s) {
    // Far beyond any screen, yet small enough that left + width fits an int.
    constexpr int kFar = 1 << 24;
    constexpr int kLargest = 1 << 16;
    return QRect(std::clamp(s.left, -kFar, kFar), std::clamp(s.top, -kFar, kFar),
                 std::clamp(s.width, kMinimumWindowWidth, kLargest),
                 std::clamp(s.height, kMinimumWindowHeight, kLargest));
}

std::optional<QRect> closingGeometry(const QRect &window, const QRect &remembered,
                                     const QSize &workArea) {
    if (window == remembered)
        return std::nullopt;
    // A window larger than the work area is stored a little smaller, so that
    // it comes closer to fitting when it opens again.
    constexpr int kShrink = 15;
    QRect saved = window;
    if (saved.width() > workArea.width())
        saved.setWidth(saved.width() - kShrink);
    if (saved.height() > workArea.height())
        saved.setHeight(saved.height() - kShrink);
    return saved;
}
