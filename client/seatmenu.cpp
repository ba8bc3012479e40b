#include "client/seatmenu.h"

#include "clientcore/gamemirror.h"

SeatMenu::SeatMenu(QWidget *parent) : QMenu(parent) {
    setObjectName(QStringLiteral("popup_kick"));
    RemoveFromGame1 = addAction(QStringLiteral("Remove From Game"));
    RemoveFromGame1->setObjectName(QStringLiteral("RemoveFromGame1"));
    SettoJustWatch1 = addAction(QStringLiteral("Set to Just Watch"));
    SettoJustWatch1->setObjectName(QStringLiteral("SettoJustWatch1"));
    UnsetJustWatch1 = addAction(QStringLiteral("Unset Just Watch"));
    UnsetJustWatch1->setObjectName(QStringLiteral("UnsetJustWatch1"));
    addSeparator();
    ReplaceWithComputer1 = addAction(QStringLiteral("Replace with Computer Player"));
    ReplaceWithComputer1->setObjectName(QStringLiteral("ReplaceWithComputer1"));
    FreeTheSeat1 = addAction(QStringLiteral("Free the Seat"));
    FreeTheSeat1->setObjectName(QStringLiteral("FreeTheSeat1"));
    connect(ReplaceWithComputer1, &QAction::triggered, this,
            [this] { emit replaceRequested(seat_); });
    connect(FreeTheSeat1, &QAction::triggered, this, [this] { emit freeRequested(seat_); });
    connect(RemoveFromGame1, &QAction::triggered, this, [this] { emit kickRequested(seat_); });
    connect(SettoJustWatch1, &QAction::triggered, this,
            [this] { emit watchRequested(seat_, true); });
    connect(UnsetJustWatch1, &QAction::triggered, this,
            [this] { emit watchRequested(seat_, false); });
}

void SeatMenu::prepare(bool isHost, const QString &name, int seat, bool abandoned) {
    for (QAction *a : {RemoveFromGame1, SettoJustWatch1, UnsetJustWatch1})
        a->setEnabled(isHost);
    if (name == SeatList::kWaiting)
        RemoveFromGame1->setEnabled(false);
    ReplaceWithComputer1->setEnabled(isHost && abandoned);
    FreeTheSeat1->setEnabled(isHost && abandoned);
    seat_ = seat;
}
