#pragma once

// The text of a record's lines, written from its header and entries. The
// host's recorder and a window's record of what it saw both write through
// these, so the two files read the same way.

#include "record/format.h"

#include <QStringList>

namespace record {

// The first line and the header: version, date, seed, options, quarters and
// a line for each seat in `header.seated`.
QStringList headerLines(const Header &header);
// One entry's line. A move's placement and tiles field are worked out from
// its laid tiles; words keep only their letters and names lose their control
// characters, so nothing a player typed can break the line.
QString entryLine(const Entry &entry);

} // namespace record
