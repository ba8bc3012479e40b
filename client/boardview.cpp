#include "client/boardview.h"

#include "client/pictures.h"
#include "clientcore/gamemirror.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

constexpr int kBoard = game::kBoard;

bool onBoard(QPoint square) {
    return square.x() >= 0 && square.x() < kBoard && square.y() >= 0 && square.y() < kBoard;
}

} // namespace

BoardView::BoardView(GameMirror &mirror, const TilePictures *pictures, QWidget *parent)
    : QWidget(parent), mirror_(mirror), pictures_(pictures) {
    setObjectName(QStringLiteral("board"));
    setAccessibleName(QStringLiteral("Board"));
    setFixedSize(kSide, kSide);
    // Every pixel is a square's: nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The drag picture follows the pointer without a button held.
    setMouseTracking(true);
    // The keys are the chat entry's until the player clicks on the board.
    setFocusPolicy(Qt::ClickFocus);
}

void BoardView::setPictures(const TilePictures *pictures) {
    pictures_ = pictures;
    update();
}

std::optional<QPoint> BoardView::squareAt(QPoint pixel) {
    constexpr int s = TilePictures::kSquare;
    if (pixel.x() < 0 || pixel.y() < 0)
        return std::nullopt;
    const QPoint square((pixel.x() + 4) / s, (pixel.y() + 4) / s);
    if (!onBoard(square))
        return std::nullopt;
    return square;
}

void BoardView::paintEvent(QPaintEvent *event) {
    QPainter p(this);
    constexpr int s = TilePictures::kSquare;
    const QRect dirty = event->rect();
    for (int x = 0; x < kBoard; ++x) {
        for (int y = 0; y < kBoard; ++y) {
            const QPoint at(x * s, y * s);
            if (!dirty.intersects(QRect(at, QSize(s, s))))
                continue;
            p.drawPixmap(at, pictures_->color(mirror_.squareColor(x, y)));
            const int letter = mirror_.composer().shownLetter(x, y);
            if (letter != game::kEmpty)
                p.drawPixmap(at, pictures_->little(letter));
            if (mirror_.newest(x, y))
                p.drawPixmap(at, pictures_->little(TilePictures::kFrame));
        }
    }
    if (coordinates_)
        paintCoordinates(p);
    paintFrame(p, framed_);
    if (hasFocus()) {
        // The cursor: a white frame inside the square, thicker on the side
        // that typing moves towards.
        const QRect square(cursor_ * s, QSize(s, s));
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(square.adjusted(1, 1, -1, -1));
        p.fillRect(down_ ? QRect(square.left() + 2, square.bottom() - 3, s - 4, 3)
                         : QRect(square.right() - 3, square.top() + 2, 3, s - 4),
                   Qt::white);
    }
}

QRect BoardView::columnLabel(int x) {
    constexpr int s = TilePictures::kSquare;
    return QRect(x * s + 8, 0, s - 16, 9);
}

QRect BoardView::rowLabel(int y) {
    constexpr int s = TilePictures::kSquare;
    return QRect(0, y * s + 9, 12, s - 18);
}

void BoardView::paintCoordinates(QPainter &p) {
    // White on a dark patch: readable on every square colour and on tiles.
    QFont font = p.font();
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    const QColor patch(0, 0, 0, 150);
    for (int i = 0; i < kBoard; ++i) {
        const QRect column = columnLabel(i);
        p.fillRect(column, patch);
        p.drawText(column, Qt::AlignCenter, QString(QChar(u'A' + i)));
        const QRect row = rowLabel(i);
        p.fillRect(row, patch);
        p.drawText(row, Qt::AlignCenter, QString::number(i + 1));
    }
}

void BoardView::paintFrame(QPainter &p, const QList<QPoint> &squares) {
    if (squares.isEmpty())
        return;
    constexpr int s = TilePictures::kSquare;
    QRect word;
    for (const QPoint &square : squares)
        word |= QRect(square * s, QSize(s, s));
    p.setPen(QPen(QColor(255, 200, 0), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(word.adjusted(1, 1, -2, -2));
}

void BoardView::setCoordinates(bool on) {
    if (on == coordinates_)
        return;
    coordinates_ = on;
    update();
}

void BoardView::frameWord(const QList<QPoint> &squares) {
    framed_ = squares;
    update();
}

void BoardView::updateSquare(QPoint square) {
    constexpr int s = TilePictures::kSquare;
    update(QRect(square * s, QSize(s, s)));
}

void BoardView::setCursor(QPoint square) {
    if (!onBoard(square) || square == cursor_)
        return;
    updateSquare(cursor_);
    cursor_ = square;
    updateSquare(cursor_);
}

void BoardView::mousePressEvent(QMouseEvent *event) {
    const std::optional<QPoint> square = squareAt(event->position().toPoint());
    if (!square)
        return; // the 4-pixel strip at the right and bottom edges
    setCursor(*square);
    boardMouseDown(event->button(), square->x(), square->y());
}

void BoardView::boardMouseDown(Qt::MouseButton button, int x, int y) {
    if (!mirror_.canLay())
        return; // a drag under way stays
    if (mirror_.composer().placedTile(x, y) != game::kEmpty) {
        // A tile of this turn: the right or middle button takes it back.
        if (button == Qt::RightButton || button == Qt::MiddleButton)
            mirror_.composer().takeBack(x, y);
        return;
    }
    if (button == Qt::RightButton) {
        emit doneRequested(false);
        return;
    }
    if ((button == Qt::LeftButton || button == Qt::MiddleButton) &&
        mirror_.composer().dragTile() != 0)
        mirror_.composer().dropDragged(x, y);
}

void BoardView::dropCarried(QPoint pixel) {
    const std::optional<QPoint> square = rect().contains(pixel) ? squareAt(pixel) : std::nullopt;
    if (!square || !mirror_.canLay() ||
        mirror_.composer().placedTile(square->x(), square->y()) != game::kEmpty) {
        mirror_.composer().cancelDrag();
        return;
    }
    setCursor(*square);
    mirror_.composer().dropDragged(square->x(), square->y()); // a letter there: back it goes
}

void BoardView::mouseMoveEvent(QMouseEvent *event) {
    emit pointerMoved(event->globalPosition().toPoint());
}

void BoardView::typeLetter(int letter, bool otherSide) {
    if (!mirror_.canLay())
        return;
    // Letters already on the board are stepped over, so that a word through
    // them is typed with the rack's letters alone.
    const QPoint step = down_ ? QPoint(0, 1) : QPoint(1, 0);
    QPoint at = cursor_;
    while (onBoard(at) && mirror_.composer().shownLetter(at.x(), at.y()) != game::kEmpty)
        at += step;
    if (!onBoard(at) || mirror_.composer().layLetter(letter, otherSide, at.x(), at.y()) == 0)
        return;
    setCursor(onBoard(at + step) ? at + step : at);
}

void BoardView::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
        const int d = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
        down_ = vertical;
        updateSquare(cursor_);
        setCursor(cursor_ + (vertical ? QPoint(0, d) : QPoint(d, 0)));
        return;
    }
    case Qt::Key_Backspace:
        if (mirror_.canLay()) {
            const auto [x, y] = mirror_.composer().takeBackLast();
            if (x != game::kEmpty)
                setCursor(QPoint(x, y));
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit doneRequested(true);
        return;
    case Qt::Key_Escape:
        mirror_.composer().clearLaid();
        return;
    default:
        break;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        typeLetter(key - Qt::Key_A,
                   (event->modifiers() & Qt::ShiftModifier) && mirror_.options().doubletiles);
        return;
    }
    QWidget::keyPressEvent(event);
}

void BoardView::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    updateSquare(cursor_);
}

void BoardView::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    updateSquare(cursor_);
}
