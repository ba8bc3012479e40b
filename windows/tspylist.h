#pragma once

#include <QDialog>
#include <QStringList>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;

// The Spy List: a small window over the others that lists the watchers, one
// entry slot ": " name each ("7: Alice"). Its pop-up menu's "Remove From
// Game" asks for the watcher under the mouse pointer to be removed; the
// entry stays until the host reports the watcher gone. Only the hosting
// player's window enables the menu entry.
class Tspylist : public QDialog {
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    void setEntries(const QStringList &entries);
    QStringList entries() const;
    // "Remove From Game": disabled until the window's game is hosted here.
    void setRemoveEnabled(bool on);
    QAction *removeAction() const { return popup_kickhim; }
    QListWidget *list() const { return listbox_spys; }
    QMenu *popupMenu() const { return popup_; }
    // The entry the pointer last moved over, -1 when it was over none.
    int entryUnderPointer() const { return hovered_; }

    // "Remove From Game": the seat is read from the entry under the pointer,
    // up to its ":"; nothing happens without one, or when it is no number.
    void popup_kickhimClick();

signals:
    void kickRequested(int seat);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *listbox_spys = nullptr;
    QMenu *popup_ = nullptr;
    QAction *popup_kickhim = nullptr;
    QPushButton *button_done = nullptr;
    int hovered_ = -1;
};
