#pragma once

// The Tiles menu: "classic" and the tile sets found in the user's tile-set
// folder and in the installed one. Choosing a set loads its pictures into
// the window's pictures.

#include <QObject>
#include <QString>

class QActionGroup;
class QMenu;
class TileSetPictures;

class TileSetMenu : public QObject {
    Q_OBJECT
public:
    TileSetMenu(QMenu *menu, TileSetPictures &pictures, QObject *parent = nullptr);

    // The user's own folder first, then the installed one.
    void setFolders(const QString &own, const QString &shared);
    QString current() const { return current_; }
    QMenu *menu() const { return menu_; }

    // Offers the sets found now.
    void grouptilesmenu();
    // A menu choice: loads the set, which the window then saves.
    void grouptilesmenuClick(const QString &name);
    // Loads a set without saving; nothing happens when its big strip is
    // missing, and a broken file is reported.
    void loadgrouptiles(const QString &name);

signals:
    // The pictures changed: the board and the rack draw again.
    void picturesChanged();
    // A set could not be read, with a sentence for the user.
    void broken(const QString &why);
    // The user chose a set from the menu.
    void chosen();

private:
    void tick();

    QMenu *menu_;
    TileSetPictures &pictures_;
    QActionGroup *group_ = nullptr;
    QString ownFolder_;
    QString sharedFolder_;
    QString current_;
};
