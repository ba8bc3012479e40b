#include "resources/words/wordlist.h"

#include <QtGlobal>

QString builtInWordListPath() {
    // Registering twice is harmless: the resource system ignores a repeated registration.
    Q_INIT_RESOURCE(words);
    return QStringLiteral(":/TEXT_DEMO");
}
