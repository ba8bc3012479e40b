#pragma once

// The game window's part of the settings file: its place and size, the tile
// set, the chat's text, sounds and phrases, the game options last used, the
// board's coordinates, the lobby's keys, which it only reads, and the player's own keys (the name
// and the hosts last joined), written on their own when they change. Nothing else is written before
// the file was read: the window's built-in values would overwrite the user's.

#include "game/options.h"
#include "settings/playersettings.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class ChatPanel;
class QAction;
class QWidget;
class TileSetMenu;
class Tgameoptions;

class WindowSettings : public QObject {
    Q_OBJECT
public:
    // Where the lobby's installer comes from and where the installed lobby is.
    struct LobbyKeys {
        QString url;
        QString path;
        QString sha256;
    };
    // What the settings are read into and collected from.
    struct Parts {
        QWidget &window;
        ChatPanel &chat;
        TileSetMenu &tiles;
        std::function<Tgameoptions *()> gameOptions;
        QAction &coordinates; // View > Coordinates, checkable
    };

    explicit WindowSettings(const Parts &parts, QObject *parent = nullptr);

    // The settings file; without one nothing is kept on disk. Its lobby
    // keys and the player's keys are read at once.
    void setFile(const QString &path);
    bool settingsRead() const { return read_; }
    const LobbyKeys &lobby() const { return lobby_; }
    const PlayerSettings &player() const { return player_; }
    // Writes the player's name and recent hosts, and only those keys.
    void savePlayer(const PlayerSettings &player);

    // Reads the file and applies it to the window.
    void loadinifile();
    // Writes the window's settings as they stand, at the window's place or
    // at the given one.
    void saveinifile();
    void saveinifile(const QRect &geometry);
    // The phrase editor's phrases: only the phrase keys are written.
    void savePhrases(const QStringList &phrases);
    // The closing window records its place and size when they changed.
    void windowClosing();
    // Options > Reset Screen Location: back to the default place and size.
    void resetScreenLocation();

signals:
    void lobbyKeysRead(const WindowSettings::LobbyKeys &keys);
    void playerRead(const PlayerSettings &player);

private:
    QRect windowRect() const;
    QSize workArea() const;

    Parts parts_;
    QString file_;
    bool read_ = false;
    // The place and size last read from the file or recorded at a close; a
    // close that finds the window there writes nothing.
    QRect remembered_;
    LobbyKeys lobby_;
    PlayerSettings player_;
};
