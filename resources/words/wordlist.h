#pragma once

#include <QString>

// The path of the built-in word list resource, ":/TEXT_DEMO". Calling this also registers
// the resource, so it is present even when the linker would otherwise drop the object that
// registers it at start-up from a static library.
QString builtInWordListPath();
