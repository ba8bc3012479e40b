#pragma once

// File > Game History: the records in the games folder, newest first, and
// the chosen game step by step (first, back, forward, last, a slider) with
// its board and rack (a view the game window hands in), its score sheet
// beside them, and, where the record holds the rack, the computer's best
// move for the turn shown and the points given away. The game can be copied
// or saved as text.
//
// The best move is looked for on a worker thread of the pool; its answer
// comes back on the window's thread and is kept for the turn. The first
// question builds the computer's word graph there; the window keeps it.

#include "record/format.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace ai {
class Engine;
}

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QTableWidget;

class GameHistory : public QWidget {
    Q_OBJECT
public:
    // Shows a board, its square kinds, the squares to frame and a rack.
    using ShowTurn = std::function<void(const game::Grid &board, const game::Grid &squares,
                                        const QList<QPoint> &framed, const QString &rack)>;

    explicit GameHistory(QWidget *parent = nullptr);

    // The view that draws the board, placed left of the score sheet.
    void setBoardView(QWidget *view, ShowTurn show);
    // Lists the records of the folder (*.zrec, by name: newest first).
    void setFolder(const QString &folder);
    QListWidget *list() const { return list_; }
    // Reads a record and shows its end; false, with the reason shown, when
    // it cannot be read.
    bool open(const QString &path);
    bool hasGame() const { return loaded_; }
    const record::Game &game() const { return game_; }

    // The game after `turn` turns (0: the empty board), with that turn's
    // word framed and its player's rack.
    void showTurn(int turn);
    int turn() const { return turn_; }
    int turns() const { return game_.turns(); }
    QString statusText() const;
    QString bestText() const;

    // The game as text, to the clipboard or to a file.
    void copyText();
    bool saveText(const QString &path);

    QPushButton *button(const char *name) const;
    QSlider *slider() const { return slider_; }
    QTableWidget *sheet() const { return sheet_; }

signals:
    void turnShown(int turn);

private:
    void fillSheet();
    void askBest(int turn);
    void showBest();

    QListWidget *list_;
    QWidget *boardSlot_;
    ShowTurn show_;
    QTableWidget *sheet_;
    QSlider *slider_;
    QLabel *status_;
    QLabel *best_;
    QString folder_;
    record::Game game_;
    bool loaded_ = false;
    int turn_ = 0;
    int generation_ = 0;        // a new game drops the answers still on their way
    QHash<int, QString> bests_; // by turn
    // Kept from the first answer on, so that the word graph is built once.
    std::shared_ptr<ai::Engine> engine_;
};
