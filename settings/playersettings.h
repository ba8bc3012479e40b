#pragma once

// The player's own keys in the "Zorble" section of the settings file: the
// name used to host and join ("PlayerName"), and the hosts last joined,
// newest first ("RecentHost1" to "RecentHost10"). They are written on their
// own, when they change, so that the window's other settings (written at
// other times) never overwrite them with stale values, nor they those.

#include <QString>
#include <QStringList>

class IniFile;

struct PlayerSettings {
    static constexpr int kRecentHosts = 10;
    static constexpr int kMaxHostText = 255;

    QString name;            // empty: none set yet
    QStringList recentHosts; // newest first, at most kRecentHosts

    // A name or host that cannot be valid (too long, more than one line) is
    // read as missing; the caller checks the rest.
    void load(const IniFile &ini);
    void save(IniFile &ini) const;

    // Puts a host first, dropping an earlier entry of the same text (letter
    // case aside) and the oldest beyond kRecentHosts.
    void remember(const QString &host);

    bool operator==(const PlayerSettings &) const = default;
};
