#include "client/movepreview.h"

#include "clientcore/gamemirror.h"

namespace movepreview {

std::optional<rules::Verdict> judgeLaid(const GameMirror &mirror, const rules::Rules &rules) {
    const QList<game::LaidTile> laid = mirror.laidTiles();
    if (laid.isEmpty())
        return std::nullopt;

    // The board as the host has it: the mirror's letters without this
    // turn's tiles. Until the first word is accepted it holds no letter.
    rules::Grid board = mirror.board();
    rules::Grid squares{};
    bool firstword = true;
    for (int x = 0; x < rules::kBoard; ++x) {
        for (int y = 0; y < rules::kBoard; ++y) {
            if (mirror.placedTile(x, y) != GameMirror::kEmpty)
                board[x][y] = rules::kEmpty;
            else if (board[x][y] != rules::kEmpty)
                firstword = false;
            squares[x][y] = mirror.squareColor(x, y);
        }
    }
    rules::Rack rack{};
    for (int k = 1; k <= rules::kRackSlots; ++k)
        rack[k] = mirror.rackLetter(k);
    QList<rules::LaidTile> tiles;
    for (const game::LaidTile &t : laid)
        tiles.append({t.rackslot, t.flipped, t.x, t.y});

    const auto move = rules::Rules::readMove(board, rack, tiles);
    if (!move)
        return std::nullopt;
    return rules.judge(board, squares, mirror.localSeat(), *move, firstword);
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
