#pragma once

// The tiles the local player has not seen: the bag's letters less the board
// and the own rack, as counts per letter with their total. In a game with
// double-sided tiles each letter is shown with its other face.

#include <QWidget>

#include <array>

class GameMirror;
class QLabel;

class UnseenView : public QWidget {
    Q_OBJECT
public:
    explicit UnseenView(const GameMirror &mirror, QWidget *parent = nullptr);
    // Reads the mirror's position again.
    void refresh();
    // The text shown, one letter and count after another, then the total.
    static QString describe(const std::array<int, 26> &counts, bool doubleTiles);

private:
    const GameMirror &mirror_;
    QLabel *counts_ = nullptr;
};
