#include "record/turnposition.h"

namespace record {

int pointsBeforeOutcome(int points, int bonus) {
    switch (bonus) {
    case 1:
        return points - 20;
    case 2:
        return points + 20;
    case 3:
        return points / 2;
    default:
        return points;
    }
}

QList<RecordedTurn> recordedTurns(const Game &g) {
    QList<RecordedTurn> out;
    // One replay, carried along: each turn sees the board the turns before
    // it left.
    Snapshot before = replay(g, 0);
    int turn = 0;
    for (qsizetype i = 0; i < g.entries.size(); ++i) {
        const Entry &e = g.entries[i];
        if (!e.isTurn())
            continue;
        if (turn > 0)
            before = replay(g, turn);
        ++turn;
        RecordedTurn t;
        t.turn = turn;
        t.entry = int(i);
        t.position.board = before.board;
        t.position.squares = before.squares;
        t.position.mover = e.seat;
        t.position.doubleTiles = g.header.options.doubletiles;
        t.position.firstword = t.position.boardEmpty();
        t.rackKnown = e.rackKnown;
        t.position.rack.fill(game::kEmpty);
        for (qsizetype k = 0; k < e.rack.size() && k < game::kRackSlots; ++k)
            t.position.rack[size_t(k + 1)] = e.rack[k].unicode() - u'A';
        switch (e.kind) {
        case Kind::Move:
            t.played = pointsBeforeOutcome(e.points, e.bonus);
            break;
        case Kind::Exchange:
            t.played = e.points;
            break;
        default:
            break;
        }
        out.append(t);
    }
    return out;
}

} // namespace record
