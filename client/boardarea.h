#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The playing surface on the left of the window: a 538 x 538 frame holding
// the 532 x 532 board, the winner panel over it and, on narrow screens, the
// panel that asks for a larger screen.
class BoardArea : public QFrame {
    Q_OBJECT
public:
    explicit BoardArea(QWidget *parent = nullptr);

    QWidget *board() const { return board_; }
    QFrame *winnerPanel() const { return panel_winner; }
    QFrame *screenPanel() const { return panel_screen; }
    QPushButton *screenButton() const { return Image4; }

private:
    QWidget *board_;
    QFrame *panel_winner;
    QFrame *panel_screen;
    QPushButton *Image4;
};
