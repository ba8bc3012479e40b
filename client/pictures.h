#pragma once

#include <QPixmap>
#include <QSize>

#include <array>

// The pictures the board, the rack and the panels are drawn with. Views ask
// for them by kind and index and never draw a tile themselves, so a tile set
// read from disk can take the place of the drawn letters later. A picture that
// the set lacks (an index out of range) is a null pixmap, which draws nothing.
class TilePictures {
public:
    static constexpr int kSquare = 28;  // a board square and the tile on it
    static constexpr int kBigTile = 41; // a rack tile
    static constexpr int kLetters = 26; // A..Z
    static constexpr int kFrame = 26;   // little(kFrame): the newest word's frame
    static constexpr int kOutcomes = 3; // plus 20, minus 20, double word score
    static constexpr int kBackgrounds = 6;
    static constexpr QSize kOutcomeSize{142, 61}; // two frames side by side
    static constexpr QSize kOutcomeFrame{71, 61};
    static constexpr QSize kEyesSize{18, 10};
    static constexpr QSize kBarSize{484, 12};
    static constexpr QSize kSortSize{23, 53};

    virtual ~TilePictures() = default;

    // A square's background: 0 the centre square, 1..4 the seat colours red,
    // lime, blue and yellow, 5 the Zorble square.
    virtual QPixmap color(int i) const = 0;
    // 0..25: a board tile with the letter A..Z; kFrame: the frame drawn over
    // the letters of the newest word, transparent inside.
    virtual QPixmap little(int i) const = 0;
    // 0..25: a rack tile with the letter A..Z.
    virtual QPixmap big(int i) const = 0;
    // 0..2: the Zorble outcome (plus 20, minus 20, double word score) as two
    // frames side by side: the Zorble title, then the outcome.
    virtual QPixmap squares(int i) const = 0;
    // The mark of a seat that is just watching.
    virtual QPixmap eyes() const = 0;
    // 1..4: the bar under the rack in the local seat's colour.
    virtual QPixmap bar(int seat) const = 0;
    // The upright SORT label beside the rack.
    virtual QPixmap sort() const = 0;
};

// The pictures drawn by the program itself, at a device pixel ratio, so that
// they stay sharp on screens of high density. Each picture's size in logical
// pixels is the same at every ratio.
class ClassicPictures : public TilePictures {
public:
    explicit ClassicPictures(qreal devicePixelRatio = 1.0);

    QPixmap color(int i) const override;
    QPixmap little(int i) const override;
    QPixmap big(int i) const override;
    QPixmap squares(int i) const override;
    QPixmap eyes() const override { return eyes_; }
    QPixmap bar(int seat) const override;
    QPixmap sort() const override { return sort_; }

private:
    std::array<QPixmap, kBackgrounds> color_;
    std::array<QPixmap, kLetters + 1> little_;
    std::array<QPixmap, kLetters> big_;
    std::array<QPixmap, kOutcomes> squares_;
    std::array<QPixmap, 4> bars_;
    QPixmap eyes_;
    QPixmap sort_;
};
