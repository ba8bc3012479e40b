#include "clientcore/scoresheet.h"

namespace {

bool holds(const game::Grid &board, QPoint square) {
    return square.x() >= 0 && square.x() < game::kBoard && square.y() >= 0 &&
           square.y() < game::kBoard &&
           board[size_t(square.x())][size_t(square.y())] != game::kEmpty;
}

} // namespace

void ScoreSheet::scored(int seat, const QString &player, const QString &word, int points, int bonus,
                        const std::array<int, game::kSeats + 1> &totals) {
    ScoreRow row;
    row.kind = ScoreRow::Kind::Move;
    row.turn = int(rows_.size()) + 1;
    row.seat = seat;
    row.player = player;
    row.word = word;
    row.points = points;
    row.bonus = bonus;
    row.totals = totals;
    rows_.append(row);
    awaitingTiles_ = true;
}

void ScoreSheet::laid(const QList<game::BoardLetter> &tiles, const game::Grid &board) {
    if (!awaitingTiles_ || rows_.isEmpty() || tiles.isEmpty())
        return;
    awaitingTiles_ = false;
    bool down = false;
    ScoreRow &row = rows_.last();
    row.squares = wordSquares(tiles, board, &down);
    const QPoint first = row.squares.first();
    row.where = game::squareName(first.x(), first.y()) +
                (down ? QStringLiteral(" down") : QStringLiteral(" across"));
}

void ScoreSheet::other(ScoreRow::Kind kind, int seat, const QString &player, int points,
                       const std::array<int, game::kSeats + 1> &totals) {
    awaitingTiles_ = false;
    ScoreRow row;
    row.kind = kind;
    row.turn = int(rows_.size()) + 1;
    row.seat = seat;
    row.player = player;
    row.points = points;
    row.totals = totals;
    rows_.append(row);
}

QList<QPoint> ScoreSheet::wordSquares(const QList<game::BoardLetter> &tiles,
                                      const game::Grid &board, bool *down) {
    const QPoint start(tiles.first().x, tiles.first().y);
    bool vertical = false;
    if (tiles.size() > 1) {
        vertical = tiles[1].x == tiles.first().x;
    } else {
        const bool across =
            holds(board, start - QPoint(1, 0)) || holds(board, start + QPoint(1, 0));
        vertical =
            !across && (holds(board, start - QPoint(0, 1)) || holds(board, start + QPoint(0, 1)));
    }
    const QPoint step = vertical ? QPoint(0, 1) : QPoint(1, 0);
    // From the tile nearest the top left, back to the word's first letter,
    // then on to its last; the laid tiles lie in between.
    QPoint at = start;
    for (const game::BoardLetter &t : tiles)
        if (t.x + t.y < at.x() + at.y())
            at = QPoint(t.x, t.y);
    while (holds(board, at - step))
        at -= step;
    QList<QPoint> squares;
    for (; holds(board, at); at += step)
        squares.append(at);
    if (squares.isEmpty())
        squares.append(start);
    if (down)
        *down = vertical;
    return squares;
}
