#include "client/recordview.h"

#include "client/boardview.h"
#include "client/pictures.h"

#include <QPainter>

RecordView::RecordView(const TilePictures *pictures, QWidget *parent)
    : QWidget(parent), pictures_(pictures) {
    setObjectName(QStringLiteral("record_board"));
    setAccessibleName(QStringLiteral("Board"));
    setFixedSize(BoardView::kSide, kRackTop + TilePictures::kSquare);
    for (auto &column : board_)
        column.fill(game::kEmpty);
}

void RecordView::showTurn(const game::Grid &board, const game::Grid &squares,
                          const QList<QPoint> &framed, const QString &rack) {
    board_ = board;
    squares_ = squares;
    framed_ = framed;
    rack_ = rack;
    update();
}

void RecordView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    constexpr int s = TilePictures::kSquare;
    p.fillRect(rect(), palette().window());
    for (int x = 0; x < game::kBoard; ++x) {
        for (int y = 0; y < game::kBoard; ++y) {
            const QPoint at(x * s, y * s);
            p.drawPixmap(at, pictures_->color(squares_[size_t(x)][size_t(y)]));
            const int letter = board_[size_t(x)][size_t(y)];
            if (letter != game::kEmpty)
                p.drawPixmap(at, pictures_->little(letter));
        }
    }
    BoardView::paintCoordinates(p);
    BoardView::paintFrame(p, framed_);
    for (qsizetype k = 0; k < rack_.size(); ++k)
        p.drawPixmap(QPoint(int(k) * s, kRackTop), pictures_->little(rack_[k].unicode() - u'A'));
}
