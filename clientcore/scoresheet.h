#pragma once

// The score sheet as a client sees the game: one row per turn the host
// announced (a move, new tiles, a pass or a time-out) with the player, the
// word and where it lies, the points, the Zorble outcome and every seat's
// total after it. The mirror feeds it from the host's messages; a client
// that joined mid-game has the rows from its arrival on.

#include "game/position.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <array>

struct ScoreRow {
    enum class Kind { Move, Exchange, Pass, TimeUp };
    Kind kind = Kind::Move;
    int turn = 0; // from 1
    int seat = 0;
    QString player;
    QString word;
    QString where;                              // "K1 down"; empty but for moves
    QList<QPoint> squares;                      // the word's squares (column, row), for moves
    int points = 0;                             // with the Zorble outcome; -10 for new tiles
    int bonus = 0;                              // the Zorble outcome 0..3
    std::array<int, game::kSeats + 1> totals{}; // seats 1..4 after the turn
};

class ScoreSheet {
public:
    const QList<ScoreRow> &rows() const { return rows_; }
    void clear() { rows_.clear(); }

    // A move was scored; where it lies follows with its tiles.
    void scored(int seat, const QString &player, const QString &word, int points, int bonus,
                const std::array<int, game::kSeats + 1> &totals);
    // The tiles of the move just scored, on the board they were laid on:
    // the row learns the word's squares and its placement.
    void laid(const QList<game::BoardLetter> &tiles, const game::Grid &board);
    void other(ScoreRow::Kind kind, int seat, const QString &player, int points,
               const std::array<int, game::kSeats + 1> &totals);

    // The word through laid tiles on a board that holds them: its squares
    // from first to last, and whether it runs down. A single tile runs the
    // way it has a neighbour, across when both or neither.
    static QList<QPoint> wordSquares(const QList<game::BoardLetter> &tiles, const game::Grid &board,
                                     bool *down);

private:
    QList<ScoreRow> rows_;
    bool awaitingTiles_ = false;
};
