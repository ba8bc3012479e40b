#include "client/chat/smilies.h"

#include <QPixmap>

// Registers the embedded pictures; the call also keeps the linker from
// dropping them from a static link.
static void initPictureResources() {
    Q_INIT_RESOURCE(zorble_pictures);
}

namespace smilies {

int indexOfCode(QStringView code) {
    if (code.size() != 2 || !code[0].isDigit() || !code[1].isDigit() || code[0].unicode() > '9' ||
        code[1].unicode() > '9')
        return 0;
    const int n = (code[0].unicode() - '0') * 10 + (code[1].unicode() - '0');
    if (n < kFirstCode || n >= kFirstCode + kCount)
        return 0;
    return n - kFirstCode;
}

QImage image(int index) {
    static const QList<QImage> pictures = [] {
        initPictureResources();
        QList<QImage> list;
        for (int i = 0; i < kCount; ++i)
            list.append(QImage(QStringLiteral(":/pictures/smiley%1.png").arg(i + kFirstCode)));
        return list;
    }();
    if (index < 0 || index >= kCount)
        index = 0;
    return pictures[index];
}

QIcon icon(int index) {
    return QIcon(QPixmap::fromImage(image(index)));
}

} // namespace smilies
