#include "client/boardview.h"

#include "client/pictures.h"
#include "clientcore/gamemirror.h"

#include <QPaintEvent>
#include <QPainter>

BoardView::BoardView(const GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QWidget(parent), mirror_(mirror), pictures_(pictures) {
    setObjectName(QStringLiteral("board"));
    setFixedSize(kSide, kSide);
    // Every pixel is a square's: nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BoardView::setPictures(const TilePictures *pictures) {
    pictures_ = pictures;
    update();
}

void BoardView::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    constexpr int s = TilePictures::kSquare;
    const QRect dirty = event->rect();
    for (int x = 0; x < GameMirror::kBoard; ++x) {
        for (int y = 0; y < GameMirror::kBoard; ++y) {
            const QPoint at(x * s, y * s);
            if (!dirty.intersects(QRect(at, QSize(s, s))))
                continue;
            p.drawPixmap(at, pictures_->color(mirror_.squareColor(x, y)));
            const int letter = mirror_.letterAt(x, y);
            if (letter != GameMirror::kEmpty)
                p.drawPixmap(at, pictures_->little(letter));
            if (mirror_.newest(x, y))
                p.drawPixmap(at, pictures_->little(TilePictures::kFrame));
        }
    }
}
