#pragma once

// The texts of a recorded game as the Game History window shows and exports
// them: one line per turn, and the whole game as plain text.

#include "record/format.h"

#include <QStringList>

namespace historytext {

// A turn's cells: turn number, player, word (or what the turn was), where it
// lies, points, Zorble outcome, the mover's total afterwards.
QStringList turnCells(const record::Game &game, const record::Entry &entry, int turn);
// The game as text: the header, one line per turn, the end and the totals.
QString gameText(const record::Game &game);

} // namespace historytext
