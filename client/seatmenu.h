#pragma once

#include <QMenu>

// The hosting player's menu on a seat's name (right click): remove the
// player, or set the seat to watch or to play again. It only asks; the
// window decides whether a request may be sent.
class SeatMenu : public QMenu {
    Q_OBJECT
public:
    explicit SeatMenu(QWidget *parent = nullptr);

    // Enables the entries for a seat whose name label reads `name`: all three
    // for the hosting player, removal only when somebody sits there.
    // A seat kept for a player who did not come back within the grace period
    // (`abandoned`) may get a computer player or be freed.
    void prepare(bool isHost, const QString &name, int seat, bool abandoned = false);
    int seat() const { return seat_; }

    QAction *removeAction() const { return RemoveFromGame1; }
    QAction *setWatchAction() const { return SettoJustWatch1; }
    QAction *unsetWatchAction() const { return UnsetJustWatch1; }
    QAction *replaceAction() const { return ReplaceWithComputer1; }
    QAction *freeAction() const { return FreeTheSeat1; }

signals:
    void kickRequested(int seat);
    void watchRequested(int seat, bool sitOut);
    void replaceRequested(int seat);
    void freeRequested(int seat);

private:
    QAction *RemoveFromGame1;
    QAction *SettoJustWatch1;
    QAction *UnsetJustWatch1;
    QAction *ReplaceWithComputer1;
    QAction *FreeTheSeat1;
    int seat_ = 0;
};
