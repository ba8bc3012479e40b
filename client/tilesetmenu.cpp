#include "client/tilesetmenu.h"

#include "client/pictures.h"
#include "client/tilesets.h"

#include <QActionGroup>
#include <QMenu>

#include <cstdio>

TileSetMenu::TileSetMenu(QMenu *menu, TileSetPictures &pictures, QObject *parent)
    : QObject(parent), menu_(menu), pictures_(pictures), current_(tilesets::classic()) {
    grouptilesmenu();
}

void TileSetMenu::setFolders(const QString &own, const QString &shared) {
    ownFolder_ = own;
    sharedFolder_ = shared;
    grouptilesmenu();
}

void TileSetMenu::grouptilesmenu() {
    menu_->clear();
    delete group_;
    group_ = new QActionGroup(this);
    QStringList names{tilesets::classic()};
    for (const QString &folder : {ownFolder_, sharedFolder_})
        for (const QString &name : tilesets::names(folder))
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
    for (const QString &name : names) {
        QAction *a = menu_->addAction(name);
        a->setCheckable(true);
        a->setChecked(name.compare(current_, Qt::CaseInsensitive) == 0);
        group_->addAction(a);
        connect(a, &QAction::triggered, this, [this, name] { grouptilesmenuClick(name); });
    }
}

void TileSetMenu::grouptilesmenuClick(const QString &name) {
    loadgrouptiles(name);
    emit chosen();
}

void TileSetMenu::tick() {
    for (QAction *a : group_->actions())
        a->setChecked(a->text().compare(current_, Qt::CaseInsensitive) == 0);
}

void TileSetMenu::loadgrouptiles(const QString &name) {
    if (tilesets::isClassic(name)) {
        pictures_.useClassic();
        current_ = tilesets::classic();
        tick();
        emit picturesChanged();
        return;
    }
    // The user's own sets come first, then those installed with the game.
    tilesets::Loaded set = tilesets::load(ownFolder_, name);
    if (set.status == tilesets::Loaded::Missing && !sharedFolder_.isEmpty())
        set = tilesets::load(sharedFolder_, name);
    if (set.status == tilesets::Loaded::Missing) {
        tick(); // a menu choice of a set that is gone keeps the old tick
        return;
    }
    if (set.status == tilesets::Loaded::Broken) {
        std::fprintf(stderr, "zorble: %s\n", qPrintable(set.error));
        emit broken(set.error);
        tick();
        return;
    }
    current_ = name;
    tick();
    pictures_.setBig(set.big);
    // Without board letters the board keeps its pictures, and the rack
    // shows the new letters from its next change on.
    if (set.little) {
        pictures_.setLittle(*set.little);
        emit picturesChanged();
    }
}
