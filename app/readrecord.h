#pragma once

#include "record/format.h"

#include <optional>

// A game record named on the command line, read whole; nothing (with the
// reason on standard error) when it cannot be read or is damaged.
std::optional<record::Game> readRecordArgument(const QString &path);
