#pragma once

#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

// Whether a label's text shows whole in the room the label has: on one line,
// or wrapped when the label wraps.
inline testing::AssertionResult fitsInLabel(const QLabel *label) {
    const QRect room = label->contentsRect();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(room.topLeft(), QSize(room.width(), 10000)), flags, label->text());
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << '"' << label->text().toStdString() << "\" needs " << needed.width() << " x "
           << needed.height() << ", has " << room.width() << " x " << room.height();
}
