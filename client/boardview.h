#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

class GameMirror;
class QPainter;
class TilePictures;

// The 19 x 19 squares of the board, 28 pixels each: every square's
// background, the letter on it, and a frame around the letters of the newest
// word. It paints from the mirror; the window repaints it when the board
// changes.
//
// The local player lays the move here. With the mouse: a click with a tile
// picked up lays it, a right or middle click on a tile laid this turn takes
// it back, a right click anywhere else submits the move. With the keyboard,
// while the board has the focus (a click on it gives it): the arrows move a
// cursor, drawn as a frame; a letter lays the leftmost rack tile showing it
// at the cursor (Shift: one whose other side shows it, in a double-tile
// game) and moves the cursor on to the right or down, whichever way the last
// arrow pointed; Backspace takes the last tile back, Enter submits, Escape
// clears. Nothing is laid or taken back outside the own turn or in its last
// second.
//
// The board fills its frame to within three pixels, so the coordinates
// (columns A..S, rows 1..19) are carried by the edge squares: each top
// square names its column in a strip along its top, each left square its row
// in a strip along its left side. A word can be framed (a score sheet row
// clicked), drawn as one rectangle around its squares.
class BoardView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 532;

    BoardView(GameMirror &mirror, const TilePictures *pictures, QWidget *parent = nullptr);

    // Paints with another picture set from the next repaint on.
    void setPictures(const TilePictures *pictures);

    // The square that a pixel of the board addresses. The test is shifted 4
    // pixels against the drawn squares, to match the drag picture, which
    // lies 3 pixels right of and below the pointer; the last 4 pixels at the
    // right and bottom edges address no square.
    static std::optional<QPoint> squareAt(QPoint pixel);

    // The keyboard's cursor (column, row), and whether typing moves it down
    // rather than to the right.
    QPoint cursor() const { return cursor_; }

    // A tile carried from the rack was let go at this pixel of the board:
    // it is laid on a free square there during the own turn, else it goes
    // back to the rack.
    void dropCarried(QPoint pixel);
    bool typesDown() const { return down_; }

    // Whether the edge squares carry the coordinates.
    bool coordinates() const { return coordinates_; }
    void setCoordinates(bool on);
    // The strips of the edge squares that carry the coordinates.
    static QRect columnLabel(int x);
    static QRect rowLabel(int y);
    // Paints the coordinates' strips, and a frame round a word's squares:
    // the game history's board draws them the same way.
    static void paintCoordinates(QPainter &p);
    static void paintFrame(QPainter &p, const QList<QPoint> &squares);

    // The squares framed as one word, empty when none.
    const QList<QPoint> &framed() const { return framed_; }
    void frameWord(const QList<QPoint> &squares);

signals:
    // The move is to be submitted: a right click (byKey false) or Enter.
    void doneRequested(bool byKey);
    // The pointer moved over the board, to this global position.
    void pointerMoved(QPoint global);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void boardMouseDown(Qt::MouseButton button, int x, int y);
    void typeLetter(int letter, bool otherSide);
    void setCursor(QPoint square);
    void updateSquare(QPoint square);

    GameMirror &mirror_;
    const TilePictures *pictures_;
    QPoint cursor_{9, 9};
    bool down_ = false;
    bool coordinates_ = true;
    QList<QPoint> framed_;
};
