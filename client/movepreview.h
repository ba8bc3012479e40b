#pragma once

// What the host would make of the tiles the local player has laid: the move
// is read and judged by the host's own rules class, on the board, rack and
// square colours the mirror holds, so the preview scores exactly as the host
// will. The host still decides; the preview only informs.

#include "rules/rules.h"

#include <QString>

#include <optional>

class GameMirror;

namespace movepreview {

// The verdict on the tiles laid this turn; nothing when none lie on the board
// or they could not be read as a move.
std::optional<rules::Verdict> judgeLaid(const GameMirror &mirror, const rules::Rules &rules);

// "preview: WORD 23 points", or why the move would be refused.
QString describe(const rules::Verdict &verdict);

} // namespace movepreview
