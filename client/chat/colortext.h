#pragma once

// Colour values (0x00BBGGRR) as the widgets' colours.

#include "settings/colortext.h"

#include <QColor>

// The RGB colour of a 0x00BBGGRR value (the high byte is ignored).
QColor toQColor(quint32 bgr);
// The 0x00BBGGRR value of a colour.
quint32 fromQColor(const QColor &colour);
