#pragma once

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
    struct Values {
        int turnTime = 90; // seconds
        int squares = 12;  // Zorble squares
        int gameTime = 0;  // minutes, 0 no limit
        int score = 0;     // play-to score, 0 none
        bool doubleSided = false;
        bool team = false;

        bool operator==(const Values &) const = default;
    };

    explicit Tgameoptions(QWidget *parent = nullptr);

    // The fields take the values, each brought into its field's range.
    void setValues(const Values &values);
    Values values() const;

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
