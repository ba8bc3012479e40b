#pragma once

#include "game/options.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

// The hosting player's Game Options window: the options a game starts with.
// The number fields change only by their arrows; the start button reports
// through startRequested() and accepts the window. Closing it otherwise
// (Escape, the title bar) rejects it and starts nothing.
class Tgameoptions : public QDialog {
    Q_OBJECT
public:
    explicit Tgameoptions(QWidget *parent = nullptr);

    // The fields take the values, each brought into its field's range.
    void setValues(const game::GameOptions &values);
    game::GameOptions values() const;
    // The host's choices for seats whose player lost the connection.
    void setHostValues(const game::HostOptions &values);
    game::HostOptions hostValues() const;

    QSpinBox *turnTimeField() const { return turnTime_; }
    QSpinBox *squaresField() const { return squares_; }
    QSpinBox *gameTimeField() const { return gameTime_; }
    QSpinBox *scoreField() const { return score_; }
    QCheckBox *doubleBox() const { return double_; }
    QCheckBox *teamBox() const { return team_; }
    QPushButton *startButton() const { return start_; }
    QCheckBox *computerBox() const { return computer_; }
    QSpinBox *graceField() const { return grace_; }
    QCheckBox *byNameBox() const { return byName_; }

    // "Play against the computer" shows only at a solo start, when the
    // hosting player sits alone.
    void setComputerOffered(bool offered);
    // While a game runs no computer player joins: the tick box is greyed
    // and says so.
    void setGameRunning(bool running);
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
    QSpinBox *grace_;
    QCheckBox *byName_;
    QPushButton *start_;
};
