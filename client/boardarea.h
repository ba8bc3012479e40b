#pragma once

#include <QFrame>

#include <array>

class BoardView;
class GameMirror;
class QLabel;
class QPushButton;
class TilePictures;

// The playing surface on the left of the window: a 538 x 538 frame holding
// the 532 x 532 board, the winner panel over it and, on narrow screens, the
// panel that asks for a larger screen.
class BoardArea : public QFrame {
    Q_OBJECT
public:
    BoardArea(GameMirror &mirror, const TilePictures *pictures, QWidget *parent = nullptr);

    BoardView *board() const { return board_; }
    QFrame *winnerPanel() const { return panel_winner; }
    QFrame *screenPanel() const { return panel_screen; }
    QPushButton *screenButton() const { return Image4; }
    // "Rematch" on the winner panel: shown to the hosting player only.
    QPushButton *rematchButton() const { return rematch_; }

    // The winner panel as the mirror has it: the title and the names, each
    // drawn twice a pixel apart for a shadow, shown while the mirror shows a
    // winner; with "Rematch" when the window hosts the game.
    void showWinner(const GameMirror &mirror);
    // Why the game ended, at the top of the winner panel.
    void setReason(const QString &text);

private:
    BoardView *board_;
    QFrame *panel_winner;
    QLabel *label_reason;
    // label_winner1 and 2: the title's shadow and the title; 3 and 4: the
    // names' shadow and the names.
    std::array<QLabel *, 4> winnerLabels_{};
    QPushButton *rematch_;
    QFrame *panel_screen;
    QPushButton *Image4;
};
