#include "client/windowsettings.h"

#include "client/chat/chatpanel.h"
#include "client/tilesetmenu.h"
#include "settings/inifile.h"
#include "settings/zorblesettings.h"
#include "windows/tgameoptions.h"

#include <QAction>
#include <QScreen>
#include <QWidget>

#include <climits>
#include <cstdio>

namespace {

// Sizes beyond these no chat could show; such a value reads as the default.
constexpr int kSmallestTextSize = 1;
constexpr int kLargestTextSize = 72;

// The settings file as read; empty when there is no file, and with a line on
// standard error when it cannot be read.
IniFile readFile(const QString &path) {
    IniFile ini(path);
    if (!path.isEmpty() && !ini.load())
        std::fprintf(stderr, "zorble: cannot read the settings: %s\n",
                     qPrintable(ini.errorString()));
    return ini;
}

// Its "Zorble" section; the defaults where keys are missing.
ZorbleSettings readSettings(const QString &path) {
    ZorbleSettings s;
    s.load(readFile(path));
    return s;
}

} // namespace

WindowSettings::WindowSettings(const Parts &parts, QObject *parent)
    : QObject(parent), parts_(parts) {}

QRect WindowSettings::windowRect() const {
    return QRect(parts_.window.pos(), parts_.window.size());
}

QSize WindowSettings::workArea() const {
    if (const QScreen *s = parts_.window.screen())
        return s->availableGeometry().size();
    return QSize(INT_MAX, INT_MAX);
}

void WindowSettings::setFile(const QString &path) {
    file_ = path;
    // The lobby's keys count from the start, not only from the own login: a
    // solo game that cannot host still offers the download.
    const IniFile ini = readFile(file_);
    ZorbleSettings s;
    s.load(ini);
    lobby_ = {s.lobbyURL, s.lobbyPath, s.lobbySHA256};
    emit lobbyKeysRead(lobby_);
    player_.load(ini);
    emit playerRead(player_);
}

void WindowSettings::savePlayer(const PlayerSettings &player) {
    player_ = player;
    if (file_.isEmpty())
        return;
    IniFile ini(file_);
    ini.load();
    player_.save(ini);
    if (!ini.save())
        std::fprintf(stderr, "zorble: cannot save the settings: %s\n",
                     qPrintable(ini.errorString()));
}

void WindowSettings::loadinifile() {
    const ZorbleSettings s = readSettings(file_);

    remembered_ = QRect(s.left, s.top, s.width, s.height);
    const QRect place = windowGeometry(s);
    parts_.window.move(place.topLeft());
    parts_.window.resize(place.size());

    parts_.tiles.loadgrouptiles(s.tiles);

    ChatOptions chat = parts_.chat.options();
    chat.textSize = s.textSize >= kSmallestTextSize && s.textSize <= kLargestTextSize
                        ? s.textSize
                        : ZorbleSettings().textSize;
    chat.textColour = s.textColour;
    chat.playSounds = s.playSounds;
    chat.turnSound = s.newTurnSound ? 1 : 0;
    chat.chatterSounds = s.chatterSounds;
    parts_.chat.applyOptions(chat);
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n)
        parts_.chat.setPhrase(n, s.phrases[size_t(n - 1)]);

    parts_.gameOptions()->setValues(s.options);
    parts_.gameOptions()->setHostValues(s.host);
    parts_.coordinates.setChecked(s.coordinates);
    lobby_ = {s.lobbyURL, s.lobbyPath, s.lobbySHA256};
    emit lobbyKeysRead(lobby_);
    read_ = true;
}

void WindowSettings::saveinifile() {
    saveinifile(windowRect());
}

void WindowSettings::saveinifile(const QRect &geometry) {
    if (!read_ || file_.isEmpty())
        return;
    ZorbleSettings s;
    s.left = geometry.x();
    s.top = geometry.y();
    s.width = geometry.width();
    s.height = geometry.height();
    s.tiles = parts_.tiles.current();
    const ChatOptions chat = parts_.chat.options();
    s.textSize = chat.textSize;
    s.textColour = chat.textColour;
    s.playSounds = chat.playSounds;
    s.newTurnSound = chat.turnSound == 1;
    s.chatterSounds = chat.chatterSounds;
    s.options = parts_.gameOptions()->values();
    s.host = parts_.gameOptions()->hostValues();
    s.coordinates = parts_.coordinates.isChecked();

    IniFile ini(file_);
    ini.load();
    s.saveExceptPhrases(ini);
    if (!ini.save())
        std::fprintf(stderr, "zorble: cannot save the settings: %s\n",
                     qPrintable(ini.errorString()));
}

void WindowSettings::savePhrases(const QStringList &phrases) {
    if (file_.isEmpty())
        return;
    ZorbleSettings s;
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n)
        s.phrases[size_t(n - 1)] = phrases.value(n - 1);
    // Only the phrase keys: the rest may not have been read yet.
    IniFile ini(file_);
    ini.load();
    s.savePhrases(ini);
    if (!ini.save())
        std::fprintf(stderr, "zorble: cannot save the phrases: %s\n",
                     qPrintable(ini.errorString()));
}

void WindowSettings::windowClosing() {
    if (!read_)
        return;
    if (const auto geometry = closingGeometry(windowRect(), remembered_, workArea())) {
        remembered_ = *geometry;
        saveinifile(*geometry);
    }
}

void WindowSettings::resetScreenLocation() {
    const ZorbleSettings defaults;
    QWidget &w = parts_.window;
    w.setWindowState(w.windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    w.move(defaults.left, defaults.top);
    w.resize(defaults.width, defaults.height);
}
