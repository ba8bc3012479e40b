#include "client/movepreview.h"

#include "clientcore/gamemirror.h"

namespace movepreview {

std::optional<rules::Verdict> judgeLaid(const GameMirror &mirror, const rules::Rules &rules) {
    const QList<game::LaidTile> laid = mirror.composer().laidTiles();
    if (laid.isEmpty())
        return std::nullopt;
    // The mirror's position is the host's: the board without this turn's
    // tiles, and the rack with them.
    return game::judgeMove(rules, mirror.position(), laid);
}

QString describe(const rules::Verdict &verdict) {
    // Every text says "preview": the host's answer to the move is the one
    // that counts.
    if (verdict.valid)
        return QStringLiteral("preview: %1 %2 points")
            .arg(verdict.word.toUpper())
            .arg(verdict.score);
    switch (verdict.refusal) {
    case rules::Refusal::NotAWord:
        return QStringLiteral("preview: not a word: ") + verdict.badword.toUpper();
    case rules::Refusal::NotTouching:
        return QStringLiteral("preview: must touch the board");
    case rules::Refusal::NotInLine:
        return QStringLiteral("preview: not in one line");
    case rules::Refusal::None:
        break;
    }
    return {};
}

} // namespace movepreview
