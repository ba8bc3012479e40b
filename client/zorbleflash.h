#pragma once

#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <array>

class TilePictures;

// The Zorble outcome of a move, shown beside the status: the Zorble title and
// the outcome take turns every half second, fifteen changes in all, and then
// the picture goes away.
class ZorbleFlash : public QLabel {
    Q_OBJECT
public:
    static constexpr int kInterval = 500;            // ms between frame changes
    static constexpr int kChanges = 15;              // frame changes before it hides
    static constexpr QRect kPlace{764, 116, 71, 61}; // in the main panel

    ZorbleFlash(const TilePictures *pictures, QWidget *parent = nullptr);

    void setPictures(const TilePictures *pictures) { pictures_ = pictures; }
    // Starts over with outcome 1 (plus 20), 2 (minus 20) or 3 (double word
    // score); anything else is ignored.
    void start(int outcome);
    // One frame change: the other frame shows; the last change hides it.
    // The timer calls it; tests call it directly.
    void step();

    int changes() const { return changes_; }
    bool running() const { return timer_.isActive(); }

private:
    const TilePictures *pictures_;
    std::array<QPixmap, 2> frames_; // the title, the outcome
    int changes_ = 0;
    QTimer timer_;
};
