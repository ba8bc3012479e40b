#pragma once

// The program's own section, "Zorble", of the settings file: the window's
// place and size, the tile set, the chat text, sounds and phrases, and the
// game options last used. A value that is missing or cannot be read gives its
// default; integers are written in decimal, switches as the texts they are
// read from ("true"/"false" or "1"/"0").
//
// The lobby's keys are read and never written: the lobby or the user sets
// them.

#include "game/options.h"

#include <QRect>
#include <QString>

#include <array>
#include <optional>

class IniFile;

struct ZorbleSettings {
    static constexpr int kPhrases = 10;

    int top = 3;
    int left = 3;
    int width = 866;
    int height = 650;
    QString tiles = QStringLiteral("classic"); // also when stored empty
    int textSize = 8;
    // The colour of the own chat lines (0x00BBGGRR). Black when missing or not
    // a colour: white, an older default, cannot be read on the white chat view.
    quint32 textColour = 0x000000;
    bool playSounds = true;                // off only when "false"
    std::array<QString, kPhrases> phrases; // empty: the built-in phrase stays
    // Turntime, Squares, Gametime, Score, Double and Team; the switches are
    // on only when "1".
    game::GameOptions options = game::kDefaultOptions;
    // Grace (seconds, 0..3600) and RejoinByName ("1" is on).
    game::HostOptions host;
    bool newTurnSound = false; // Turnsound: "1" is the new sound
    bool chatterSounds = true; // off only when "false"
    bool coordinates = true;   // Coordinates: the board's; off only when "false"
    QString lobbyURL;          // LobbyURL: the lobby installer's address; none by default
    QString lobbyPath;   // LobbyPath: the installed lobby; empty for "vornexlobby" on the PATH
    QString lobbySHA256; // LobbySHA256: the installer's SHA-256 in hexadecimal, if any

    void load(const IniFile &ini);
    // Line breaks in the texts become spaces: a value is one line.
    void save(IniFile &ini) const;
    // The window writes its settings without the phrases, which only the
    // phrase editor writes, and those alone.
    void saveExceptPhrases(IniFile &ini) const;
    void savePhrases(IniFile &ini) const;

    bool operator==(const ZorbleSettings &) const = default;
};

inline constexpr int kMinimumWindowWidth = 859;
inline constexpr int kMinimumWindowHeight = 605;

// The window's place and size from the settings, the size raised to at least
// the minimum. Values too large for a window are brought into range, so that
// every edge of the rectangle fits an int.
QRect windowGeometry(const ZorbleSettings &s);

// What the closing window records as its place and size: nothing when it
// stands where it was remembered (read from the file, or recorded at an
// earlier close). Otherwise its geometry, made 15 pixels narrower when it is
// wider than the desktop's work area and 15 pixels lower when it is higher.
std::optional<QRect> closingGeometry(const QRect &window, const QRect &remembered,
                                     const QSize &workArea);
