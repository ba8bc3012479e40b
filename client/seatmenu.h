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
    void prepare(bool isHost, const QString &name, int seat);
    int seat() const { return seat_; }

    QAction *removeAction() const { return RemoveFromGame1; }
    QAction *setWatchAction() const { return SettoJustWatch1; }
    QAction *unsetWatchAction() const { return UnsetJustWatch1; }

signals:
    void kickRequested(int seat);
    void watchRequested(int seat, bool sitOut);

private:
    QAction *RemoveFromGame1;
    QAction *SettoJustWatch1;
    QAction *UnsetJustWatch1;
    int seat_ = 0;
};
