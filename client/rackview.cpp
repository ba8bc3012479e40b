#include "client/rackview.h"

#include "client/pictures.h"
#include "clientcore/gamemirror.h"

#include <QLabel>

namespace {

// A picture label at a place of the main panel, given in the view's
// coordinates.
QLabel *pictureLabel(QWidget *parent, const QString &name, QPoint inPanel, QSize size) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(QRect(inPanel - RackView::kPlace.topLeft(), size));
    // Pictures larger than the label keep their top left corner in place.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

RackView::RackView(const GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QWidget(parent), mirror_(mirror), pictures_(pictures) {
    setObjectName(QStringLiteral("rack"));
    setGeometry(kPlace);

    // The bar lies under the tiles: made first, it stays behind them.
    bar_ = pictureLabel(this, QStringLiteral("image_bar"), kBar, TilePictures::kBarSize);
    bar_->hide();
    for (int k = 1; k <= kTiles; ++k) {
        QLabel *t = pictureLabel(this, QStringLiteral("tile_%1").arg(k), kFirstTile,
                                 QSize(kTileSide, kTileSide));
        t->hide();
        tiles_[k - 1] = t;
    }
    sort_ = pictureLabel(this, QStringLiteral("image_sort"), kSort, TilePictures::kSortSize);
    sort_->setToolTip(QStringLiteral("Sort the rack"));
    setPictures(pictures);
}

void RackView::setPictures(const TilePictures *pictures) {
    pictures_ = pictures;
    sort_->setPixmap(pictures_->sort());
    showSeat(seat_);
    showRack();
}

void RackView::showRack() {
    const auto &order = mirror_.rackOrder();
    for (int p = 1; p <= kTiles; ++p) {
        const int k = order[p].tile;
        if (k < 1 || k > kTiles)
            continue;
        QLabel *t = tile(k);
        const QPoint inPanel = kFirstTile + QPoint(kStep * (p - 1), 0);
        t->move(inPanel - kPlace.topLeft());
        const bool onRack = mirror_.tileOnRack(k);
        if (onRack)
            t->setPixmap(pictures_->big(mirror_.rackLetter(k)));
        t->setVisible(onRack);
    }
}

void RackView::showSeat(int seat) {
    seat_ = seat;
    const QPixmap bar = pictures_->bar(seat);
    bar_->setPixmap(bar);
    bar_->setVisible(!bar.isNull());
}
