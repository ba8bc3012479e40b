#pragma once

#include <QPoint>
#include <QWidget>

#include <array>

class GameMirror;
class QLabel;
class TilePictures;

// The local player's rack below the board: the ten rack tiles in their rack
// order, the SORT label beside them and, under them, a bar in the local
// seat's colour. A tile shows while it stands on the rack. It paints from the
// mirror; the window tells it when the rack or the seat changes.
//
// At any time, turn or not: a left or middle click picks a tile up, or,
// with a tile already picked up, swaps the two on the rack; a right click
// drops the tile picked up and, in a double-tile game, turns the clicked
// tile over; a click on SORT sorts the rack. A tile pressed, moved and
// released is dropped where the button came up (dragReleased); the window
// lays it there or puts it back.
class RackView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTiles = 10;
    static constexpr int kTileSide = 40;
    // Where the view lies in the main panel, and the first tile's place and
    // the step from one rack position to the next, in the panel.
    static constexpr QRect kPlace{28, 543, 520, 62};
    static constexpr QPoint kFirstTile{33, 545};
    static constexpr int kStep = 48;
    static constexpr QPoint kSort{518, 545};
    static constexpr QPoint kBar{28, 579};

    RackView(GameMirror &mirror, const TilePictures *pictures, QWidget *parent = nullptr);

    void setPictures(const TilePictures *pictures);
    // Places each rack tile at its rack position with its letter, shown
    // while it stands on the rack.
    void showRack();
    // The bar in the colour of the local seat 1..4; none for a watcher.
    void showSeat(int seat);

    // Rack tile 1..10.
    QLabel *tile(int k) const { return tiles_.at(k - 1); }

signals:
    // The pointer moved over a rack tile, or picked one up, at this global
    // position.
    void pointerMoved(QPoint global);
    // A tile picked up by a press was carried away and let go here.
    void dragReleased(QPoint global);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tileMouseDown(int tile, Qt::MouseButton button, QPoint global);

    GameMirror &mirror_;
    const TilePictures *pictures_;
    std::array<QLabel *, kTiles> tiles_{};
    QLabel *sort_;
    QLabel *bar_;
    int seat_ = 0;
    int pressed_ = 0; // the tile a press picked up, until the button comes up
    QPoint pressedAt_;
};
