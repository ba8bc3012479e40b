#include "client/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QtMath>

namespace {

// The seat tones on the board and the rack bar: red, lime, blue, yellow.
const std::array<QColor, 5> kSeatTone{QColor(), QColor(208, 52, 46), QColor(86, 178, 52),
                                      QColor(56, 116, 220), QColor(230, 192, 44)};
const QColor kTileLight(252, 242, 212);
const QColor kTileDark(232, 210, 152);
const QColor kTileEdge(140, 108, 58);
const QColor kInk(43, 29, 14);
const QColor kZorbleYellow(255, 214, 0);
const QColor kFrameYellow(255, 224, 0);

QFont boldFont(int pixels) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixels);
    return font;
}

// A transparent picture of `size` logical pixels at the ratio; `paint` draws
// on it in logical pixels.
template <class Paint> QPixmap draw(QSize size, qreal dpr, Paint paint) {
    QPixmap pix(qCeil(size.width() * dpr), qCeil(size.height() * dpr));
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    {
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paint(p);
    }
    return pix;
}

// A board square: a gentle gradient with a light top-left edge and a dark
// bottom-right edge, so that neighbouring squares read as a grid.
void paintSquare(QPainter &p, const QColor &base) {
    const int s = TilePictures::kSquare;
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, base.lighter(112));
    g.setColorAt(1, base.darker(108));
    p.fillRect(QRect(0, 0, s, s), g);
    p.fillRect(QRect(0, 0, s, 1), base.lighter(135));
    p.fillRect(QRect(0, 0, 1, s), base.lighter(135));
    p.fillRect(QRect(0, s - 1, s, 1), base.darker(165));
    p.fillRect(QRect(s - 1, 0, 1, s), base.darker(165));
}

QPolygonF diamond(QPointF centre, qreal radius) {
    return QPolygonF({centre + QPointF(0, -radius), centre + QPointF(radius, 0),
                      centre + QPointF(0, radius), centre + QPointF(-radius, 0)});
}

// The Zorble mark: a yellow diamond with a question mark in it.
void paintZorbleMark(QPainter &p, QPointF centre, qreal radius) {
    p.setPen(QPen(kZorbleYellow, radius / 7.0));
    p.setBrush(QColor(40, 34, 0));
    p.drawPolygon(diamond(centre, radius));
    p.setPen(kZorbleYellow);
    p.setFont(boldFont(qRound(radius * 1.05)));
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    p.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap background(int i, qreal dpr) {
    const int s = TilePictures::kSquare;
    return draw(QSize(s, s), dpr, [i, s](QPainter &p) {
        const QPointF centre(s / 2.0, s / 2.0);
        if (i >= 1 && i <= 4) {
            paintSquare(p, kSeatTone[i]);
        } else if (i == 0) {
            paintSquare(p, QColor(44, 44, 48));
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPolygon(diamond(centre, 8.5));
        } else {
            paintSquare(p, QColor(12, 12, 12));
            paintZorbleMark(p, centre, 11.5);
        }
    });
}

// A tile with its letter: the body fills `body` of a square picture `size`
// wide.
QPixmap tile(int size, QRectF body, qreal radius, int letterPixels, int letter, qreal dpr) {
    return draw(QSize(size, size), dpr, [&](QPainter &p) {
        QLinearGradient g(body.topLeft(), body.bottomRight());
        g.setColorAt(0, kTileLight);
        g.setColorAt(1, kTileDark);
        p.setPen(QPen(kTileEdge, 1));
        p.setBrush(g);
        p.drawRoundedRect(body, radius, radius);
        p.setPen(kInk);
        p.setFont(boldFont(letterPixels));
        p.drawText(body, Qt::AlignCenter, QString(QChar(u'A' + letter)));
    });
}

QPixmap frame(qreal dpr) {
    const int s = TilePictures::kSquare;
    return draw(QSize(s, s), dpr, [s](QPainter &p) {
        // A dark rim outside the yellow keeps the frame clear on a yellow
        // square too.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 170), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), 4, 4);
        p.setPen(QPen(kFrameYellow, 2));
        p.drawRoundedRect(QRectF(2, 2, s - 4, s - 4), 3, 3);
    });
}

// One 71 x 61 panel of the Zorble outcome: black with a yellow rim.
void paintOutcomePanel(QPainter &p, QRectF box) {
    p.setPen(QPen(kZorbleYellow, 2));
    p.setBrush(QColor(10, 10, 10));
    p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 6, 6);
}

QPixmap outcome(int i, qreal dpr) {
    static const std::array<QString, TilePictures::kOutcomes> texts{
        QStringLiteral("Plus 20"), QStringLiteral("Minus 20"), QStringLiteral("Double Word Score")};
    static const std::array<QColor, TilePictures::kOutcomes> inks{
        QColor(96, 232, 96), QColor(255, 96, 80), QColor(120, 196, 255)};
    return draw(TilePictures::kOutcomeSize, dpr, [i](QPainter &p) {
        const QSize f = TilePictures::kOutcomeFrame;
        const QRectF title(0, 0, f.width(), f.height());
        paintOutcomePanel(p, title);
        paintZorbleMark(p, QPointF(title.center().x(), 21), 12);
        p.setPen(kZorbleYellow);
        p.setFont(boldFont(12));
        p.drawText(QRectF(0, 36, f.width(), 18), Qt::AlignCenter, QStringLiteral("ZORBLE!"));

        const QRectF result(f.width(), 0, f.width(), f.height());
        paintOutcomePanel(p, result);
        p.setPen(inks[i]);
        p.setFont(boldFont(13));
        p.drawText(result.adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap, texts[i]);
    });
}

QPixmap eyesPicture(qreal dpr) {
    return draw(TilePictures::kEyesSize, dpr, [](QPainter &p) {
        for (int x : {0, 9}) {
            p.setPen(Qt::black);
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(x + 0.5, 0.5, 8, 9));
            p.setBrush(Qt::black);
            p.drawEllipse(QRectF(x + 3, 3, 3.5, 4));
        }
    });
}

QPixmap barPicture(const QColor &tone, qreal dpr) {
    const QSize size = TilePictures::kBarSize;
    return draw(size, dpr, [&](QPainter &p) {
        QLinearGradient g(0, 0, 0, size.height());
        g.setColorAt(0, tone.lighter(150));
        g.setColorAt(0.45, tone);
        g.setColorAt(1, tone.darker(160));
        p.setPen(QPen(tone.darker(220), 1));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    });
}

QPixmap sortPicture(qreal dpr) {
    const QSize size = TilePictures::kSortSize;
    return draw(size, dpr, [&](QPainter &p) {
        QLinearGradient g(0, 0, size.width(), 0);
        g.setColorAt(0, QColor(120, 84, 50));
        g.setColorAt(1, QColor(74, 48, 26));
        p.setPen(QPen(QColor(46, 28, 14), 1));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
        p.setPen(kTileLight);
        p.setFont(boldFont(11));
        const QString word = QStringLiteral("SORT");
        for (int k = 0; k < word.size(); ++k)
            p.drawText(QRectF(0, 3 + 12 * k, size.width(), 12), Qt::AlignCenter, word.mid(k, 1));
    });
}

template <std::size_t N> QPixmap pick(const std::array<QPixmap, N> &set, int i) {
    return i >= 0 && i < int(N) ? set[i] : QPixmap();
}

} // namespace

ClassicPictures::ClassicPictures(qreal dpr) {
    for (int i = 0; i < kBackgrounds; ++i)
        color_[i] = background(i, dpr);
    for (int i = 0; i < kLetters; ++i) {
        little_[i] = tile(kSquare, QRectF(1.5, 1.5, kSquare - 3, kSquare - 3), 3, 18, i, dpr);
        big_[i] = tile(kBigTile, QRectF(0.5, 0.5, kBigTile - 2, kBigTile - 2), 4, 27, i, dpr);
    }
    little_[kFrame] = frame(dpr);
    for (int i = 0; i < kOutcomes; ++i)
        squares_[i] = outcome(i, dpr);
    for (int seat = 1; seat <= 4; ++seat)
        bars_[seat - 1] = barPicture(kSeatTone[seat], dpr);
    eyes_ = eyesPicture(dpr);
    sort_ = sortPicture(dpr);
}

QPixmap ClassicPictures::color(int i) const {
    return pick(color_, i);
}

QPixmap ClassicPictures::little(int i) const {
    return pick(little_, i);
}

QPixmap ClassicPictures::big(int i) const {
    return pick(big_, i);
}

QPixmap ClassicPictures::squares(int i) const {
    return pick(squares_, i);
}

QPixmap ClassicPictures::bar(int seat) const {
    return pick(bars_, seat - 1);
}
