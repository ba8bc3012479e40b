#pragma once

#include <QFont>
#include <QWidget>

class GameMirror;
class QLabel;
class QPushButton;

// Whose turn it is, the clocks, the tiles left and the settings of the
// current game, with the Start Game button below them.
class StatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget *parent = nullptr);

    QPushButton *startButton() const { return button_startgame; }
    QPushButton *doneButton() const { return button_done; }
    QPushButton *clearButton() const { return button_clear; }
    QPushButton *newTilesButton() const { return button_newtiles; }
    QPushButton *passButton() const { return button_pass; }

    // The turn, the clocks and the tiles left, in the colour of the seat
    // whose turn it is.
    void showStatus(const GameMirror &mirror);
    // The settings of the current game.
    void showSettings(const GameMirror &mirror);
    // Done, Clear, New Tiles and Pass.
    void showMoveButtons(bool shown);

private:
    QFont turnFont_; // the turn's font at its full size
    QLabel *label_turn;
    QLabel *label_timeofgame;
    QLabel *label_timeofturn;
    QLabel *label_tilesleft;
    QLabel *label_turntime;
    QLabel *label_gametime;
    QLabel *label_playtoscore;
    QLabel *label_double;
    QLabel *label_partners;
    QPushButton *button_startgame;
    QPushButton *button_done;
    QPushButton *button_clear;
    QPushButton *button_newtiles;
    QPushButton *button_pass;
};
