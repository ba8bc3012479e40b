// A submitted move: read against the mover's rack, judged by the rules, and
// either committed or refused.
#include "host/tserver.h"

void TServer::done(int sender, const proto::tohost::Move &move) {
    if (!ownSeat(sender, move.seat))
        return;
    if (!gamerunning || move.seat != currentplayer || move.seat < 1 || move.seat > 4)
        return;

    // A move the client could never have made is refused as a whole before
    // anything is tested, so nothing outside the board or the rack is touched.
    QList<rules::LaidTile> laid;
    for (const proto::PlacedTile &t : move.tiles)
        laid.append({t.rackslot, t.flipped, t.x, t.y});
    const auto tiles = rules::Rules::readMove(board, seats[move.seat].rack, laid);
    if (!tiles) {
        drop(sender, "an impossible move");
        gameSendTo(move.seat, proto::host::invalid());
        return;
    }

    const rules::Verdict verdict = rules_->judge(board, squares, move.seat, *tiles, firstword);
    if (!verdict.valid) {
        gameSendTo(currentplayer, proto::host::invalid());
        return;
    }
    SeatSlot &mover = seats[move.seat];
    mover.turnscore = verdict.score;
    mover.lastword = proto::cut(verdict.word, proto::kMaxNameLength);
    if (verdict.first) {
        firstword = false;
        QList<proto::BoardLetter> moved;
        for (const rules::Placed &p : verdict.tiles)
            moved.append({p.x, p.y, p.letter});
        gameSendTo(currentplayer, proto::host::reposition(moved));
    }
    endturn(verdict);
}
