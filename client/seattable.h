#pragma once

#include <QTimer>
#include <QWidget>

#include <array>

class GameMirror;
class QLabel;
class TilePictures;

// The four seat rows at the top right: watching mark, name, score and the
// points of the last move. Seat 1 is the top row.
class SeatTable : public QWidget {
    Q_OBJECT
public:
    explicit SeatTable(const TilePictures *pictures, QWidget *parent = nullptr);

    // The watching marks from another picture set.
    void setPictures(const TilePictures *pictures);

    // Shows what the mirror holds for one seat. A seat kept for its absent
    // player shows the grace period left beside the name, counting down.
    void showSeat(const GameMirror &mirror, int seat);

    QLabel *nameLabel(int seat) const { return names_.at(seat - 1); }

private:
    void countDown();

    const GameMirror *mirror_ = nullptr;
    QTimer countdown_; // once a second while a seat is kept
    std::array<QLabel *, 4> eyes_{};
    std::array<QLabel *, 4> names_{};
    std::array<QLabel *, 4> scores_{};
    std::array<QLabel *, 4> bonuses_{};
};
