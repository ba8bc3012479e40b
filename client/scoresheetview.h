#pragma once

// The "Moves" tab beside the chat: the score sheet of the game seen so far,
// one row per turn (turn, player, word, where it lies, points, Zorble
// outcome, the mover's total; every seat's total in the row's tool tip).
// Clicking a move's row asks for its word to be framed on the board.

#include <QList>
#include <QPoint>
#include <QTableWidget>

class GameMirror;
struct ScoreRow;

class ScoreSheetView : public QTableWidget {
    Q_OBJECT
public:
    enum Column { Turn, Player, Word, Where, Points, Outcome, Total, Columns };

    explicit ScoreSheetView(const GameMirror &mirror, QWidget *parent = nullptr);
    // Reads the mirror's score sheet again.
    void refresh();
    // The texts of a row's cells, in column order.
    static QStringList cells(const ScoreRow &row);

signals:
    // A row was clicked: the squares of its word, none for other turns.
    void wordChosen(const QList<QPoint> &squares);

private:
    const GameMirror &mirror_;
};
