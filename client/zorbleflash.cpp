#include "client/zorbleflash.h"

#include "client/pictures.h"

ZorbleFlash::ZorbleFlash(const TilePictures *pictures, QWidget *parent)
    : QLabel(parent), pictures_(pictures) {
    setObjectName(QStringLiteral("image_zb"));
    setGeometry(kPlace);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hide();
    timer_.setInterval(kInterval);
    connect(&timer_, &QTimer::timeout, this, &ZorbleFlash::step);
}

void ZorbleFlash::start(int outcome) {
    const QPixmap both = pictures_->squares(outcome - 1);
    if (both.isNull())
        return;
    // The picture holds both frames side by side; copy() counts device
    // pixels, so the halves are taken from the picture's own width.
    const int half = both.width() / 2;
    for (int i = 0; i < 2; ++i) {
        frames_[i] = both.copy(QRect(i * half, 0, half, both.height()));
        frames_[i].setDevicePixelRatio(both.devicePixelRatio());
    }
    changes_ = 0;
    hide();
    setPixmap(frames_[0]);
    timer_.start();
}

void ZorbleFlash::step() {
    if (frames_[0].isNull())
        return;
    ++changes_;
    if (changes_ >= kChanges) {
        timer_.stop();
        hide();
        return;
    }
    setPixmap(frames_[changes_ % 2]);
    show();
    raise();
}
