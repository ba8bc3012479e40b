#include "client/seattable.h"

#include "client/pictures.h"
#include "clientcore/gamemirror.h"

#include <QLabel>

namespace {

constexpr int kRowHeight = 22;

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QRect where,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    label->setAlignment(align);
    return label;
}

QColor seatColour(int seat) {
    switch (seat) {
    case 1:
        return QColor(255, 0, 0);
    case 2:
        return QColor(0, 255, 0);
    case 3:
        return QColor(67, 141, 252);
    default:
        return QColor(255, 255, 0);
    }
}

} // namespace

SeatTable::SeatTable(const TilePictures *pictures, QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("seattable"));
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &SeatTable::countDown);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(32, 32, 48));
    setPalette(pal);

    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < 4; ++i) {
        const int seat = i + 1;
        const int y = 4 + i * kRowHeight;
        const QString n = QString::number(seat);
        eyes_[i] = makeLabel(this, QStringLiteral("image_eyes") + n, QString(),
                             QRect(4, y, 20, kRowHeight), Qt::AlignCenter);
        eyes_[i]->setToolTip(QStringLiteral("Just watching"));
        eyes_[i]->hide();
        names_[i] = makeLabel(this, QStringLiteral("label_playername") + n, SeatList::kWaiting,
                              QRect(26, y, 160, kRowHeight));
        names_[i]->setProperty("tag", seat);
        names_[i]->setTextFormat(Qt::PlainText);
        names_[i]->setFont(bold);
        scores_[i] = makeLabel(this, QStringLiteral("label_score") + n, QStringLiteral("0"),
                               QRect(190, y, 56, kRowHeight), Qt::AlignRight | Qt::AlignVCenter);
        scores_[i]->setFont(bold);
        bonuses_[i] = makeLabel(this, QStringLiteral("label_bonus") + n, QString(),
                                QRect(250, y, 50, kRowHeight), Qt::AlignRight | Qt::AlignVCenter);
        for (QLabel *l : {names_[i], scores_[i], bonuses_[i]}) {
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, seatColour(seat));
            l->setPalette(p);
        }
    }
    setPictures(pictures);
}

void SeatTable::setPictures(const TilePictures *pictures) {
    for (QLabel *eyes : eyes_)
        eyes->setPixmap(pictures->eyes());
}

void SeatTable::showSeat(const GameMirror &mirror, int seat) {
    if (!game::isSeat(seat))
        return;
    const int i = seat - 1;
    const SeatList &seats = mirror.seats();
    QString name = seats.name(seat);
    if (seats.kept(seat))
        name += seats.keptSeconds(seat) > 0
                    ? QStringLiteral(" (%1)").arg(MirrorTexts::clock(seats.keptSeconds(seat)))
                    : QStringLiteral(" (away)");
    names_[i]->setText(name);
    scores_[i]->setText(QString::number(mirror.seats().score(seat)));
    bonuses_[i]->setText(mirror.seats().bonus(seat));
    eyes_[i]->setVisible(mirror.seats().watching(seat));
    mirror_ = &mirror;
    if (seats.kept(seat) && !countdown_.isActive())
        countdown_.start();
}

void SeatTable::countDown() {
    bool counting = false;
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (mirror_->seats().kept(seat)) {
            counting = counting || mirror_->seats().keptSeconds(seat) > 0;
            showSeat(*mirror_, seat);
        }
    if (!counting)
        countdown_.stop();
}
