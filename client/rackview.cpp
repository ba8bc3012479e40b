#include "client/rackview.h"

#include "client/pictures.h"
#include "clientcore/gamemirror.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include <utility>

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

RackView::RackView(GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QWidget(parent), mirror_(mirror), pictures_(pictures) {
    setObjectName(QStringLiteral("rack"));
    setGeometry(kPlace);

    // The bar lies under the tiles: made first, it stays behind them.
    bar_ = pictureLabel(this, QStringLiteral("image_bar"), kBar, TilePictures::kBarSize);
    bar_->hide();
    for (int k = 1; k <= kTiles; ++k) {
        QLabel *t = pictureLabel(this, QStringLiteral("tile_%1").arg(k), kFirstTile,
                                 QSize(kTileSide, kTileSide));
        t->setAccessibleName(QStringLiteral("Tile %1").arg(k));
        // The drag picture follows the pointer without a button held.
        t->setMouseTracking(true);
        t->installEventFilter(this);
        t->hide();
        tiles_[k - 1] = t;
    }
    sort_ = pictureLabel(this, QStringLiteral("image_sort"), kSort, TilePictures::kSortSize);
    sort_->setToolTip(QStringLiteral("Sort the rack"));
    sort_->setAccessibleName(QStringLiteral("Sort"));
    sort_->installEventFilter(this);
    setPictures(pictures);
}

void RackView::setPictures(const TilePictures *pictures) {
    pictures_ = pictures;
    sort_->setPixmap(pictures_->sort());
    showSeat(seat_);
    showRack();
}

void RackView::showRack() {
    const auto &order = mirror_.composer().rackOrder();
    for (int p = 1; p <= kTiles; ++p) {
        const int k = order[p].tile;
        if (k < 1 || k > kTiles)
            continue;
        QLabel *t = tile(k);
        const QPoint inPanel = kFirstTile + QPoint(kStep * (p - 1), 0);
        t->move(inPanel - kPlace.topLeft());
        const bool onRack = mirror_.composer().tileOnRack(k);
        const int letter = mirror_.composer().tileLetter(k);
        if (onRack)
            t->setPixmap(pictures_->big(letter));
        t->setAccessibleDescription(letter == game::kEmpty ? QString()
                                                           : QString(QChar(u'A' + letter)));
        t->setVisible(onRack);
    }
}

void RackView::showSeat(int seat) {
    seat_ = seat;
    const QPixmap bar = pictures_->bar(seat);
    bar_->setPixmap(bar);
    bar_->setVisible(!bar.isNull());
}

bool RackView::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    // A second click in quick succession comes as a double click: it is one
    // more press all the same.
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        const int tile = std::exchange(pressed_, 0);
        // A release where the press was keeps the tile picked up: the click
        // and click way.
        if (tile != 0 && mirror_.composer().dragTile() == tile &&
            (global - pressedAt_).manhattanLength() >= QApplication::startDragDistance())
            emit dragReleased(global);
        return false;
    }
    if (!press && type != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (watched == sort_) {
        if (press && mouse->button() == Qt::LeftButton)
            mirror_.composer().sortthem();
        return press;
    }
    for (int k = 1; k <= kTiles; ++k) {
        if (watched != tile(k))
            continue;
        const QPoint global = mouse->globalPosition().toPoint();
        if (press)
            tileMouseDown(k, mouse->button(), global);
        else
            emit pointerMoved(global);
        return press;
    }
    return QWidget::eventFilter(watched, event);
}

void RackView::tileMouseDown(int tile, Qt::MouseButton button, QPoint global) {
    if (button == Qt::RightButton) {
        mirror_.composer().cancelDrag();
        mirror_.composer().flippit(tile); // only in a double-tile game
        return;
    }
    if (button != Qt::LeftButton && button != Qt::MiddleButton)
        return;
    if (mirror_.composer().dragTile() != 0) {
        mirror_.composer().swapWithDragged(tile);
        return;
    }
    emit pointerMoved(global);
    if (mirror_.composer().startDrag(tile) && button == Qt::LeftButton) {
        pressed_ = tile;
        pressedAt_ = global;
    }
}
