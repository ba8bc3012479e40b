#pragma once

#include <QWidget>

class GameMirror;
class TilePictures;

// The 19 x 19 squares of the board, 28 pixels each: every square's
// background, the letter on it, and a frame around the letters of the newest
// word. It paints from the mirror; the window repaints it when the board
// changes.
class BoardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 532;

    BoardView(const GameMirror &mirror, const TilePictures *pictures, QWidget *parent = nullptr);

    // Paints with another picture set from the next repaint on.
    void setPictures(const TilePictures *pictures);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const GameMirror &mirror_;
    const TilePictures *pictures_;
};
