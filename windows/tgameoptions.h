#pragma once

#include "game/options.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

// The hosting player's Game Options window: the options a game starts with.
// The number fields change only by their arrows; the start button reports
// through startRequested() and closes the window. Closing it otherwise
// starts nothing.
class Tgameoptions : public QDialog {
    Q_OBJECT
public:
    explicit Tgameoptions(QWidget *parent = nullptr);

    // The fields take the values, each brought into its field's range.
    void setValues(const game::GameOptions &values);
    game::GameOptions values() const;

    QSpinBox *turnTimeField() const { return turnTime_; }
    QSpinBox *squaresField() const { return squares_; }
    QSpinBox *gameTimeField() const { return gameTime_; }
    QSpinBox *scoreField() const { return score_; }
    QCheckBox *doubleBox() const { return double_; }
    QCheckBox *teamBox() const { return team_; }
    QPushButton *startButton() const { return start_; }
    QCheckBox *computerBox() const { return computer_; }

    // "Play against the computer" shows only at a solo start, when the
    // hosting player sits alone.
    void setComputerOffered(bool offered);
    // Whether the game starts with a computer player added first.
    bool playAgainstComputer() const;

signals:
    void startRequested();

private:
    QSpinBox *turnTime_;
    QSpinBox *squares_;
    QSpinBox *gameTime_;
    QSpinBox *score_;
    QCheckBox *double_;
    QCheckBox *team_;
    QCheckBox *computer_;
    QPushButton *start_;
};
