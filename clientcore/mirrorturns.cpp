// The host's messages about turns, moves, the board and the rack.
#include "clientcore/gamemirror.h"
#include "clientcore/mirrorupdate.h"
#include "game/bag.h"

#include <algorithm>

using namespace proto::toclient;

void MirrorUpdate::endOfTurn() {
    emit m.moveButtonsShown(false);
    m.composer_.cancelDrag();
}

void MirrorUpdate::clearLaid() {
    m.composer_.clearLaid();
}

std::array<int, game::kSeats + 1> MirrorUpdate::totals() const {
    std::array<int, game::kSeats + 1> out{};
    for (int n = 1; n <= game::kSeats; ++n)
        out[size_t(n)] = m.seats_.score(n);
    return out;
}

void MirrorUpdate::sheetRow(ScoreRow::Kind kind, int seat, int points) {
    if (!game::isSeat(seat))
        return;
    m.sheet_.other(kind, seat, nameOf(seat), points, totals());
    emit m.scoreSheetChanged();
}

// ---- Turns ----------------------------------------------------------------------------

void MirrorUpdate::operator()(const TurnClock &msg) {
    // A newcomer's turn goes on where the host's is; counted one below the
    // host's seconds, as a turn that begins here is.
    if (m.currentplayer_ == 0 || m.options_.turntime <= 0)
        return;
    m.turnclock_ = std::clamp(msg.seconds - 1, 0, m.options_.turntime - 1);
    m.texts_.showTurnClock(m.turnclock_);
    emit m.statusChanged();
}

void MirrorUpdate::operator()(const NextPlayer &msg) {
    clearLaid();
    m.currentplayer_ = msg.seat;
    m.turnclock_ = m.options_.turntime - 1;
    const bool own = m.ownTurn();
    m.texts_.showTurn(msg.seat, own, nameOf(msg.seat));
    emit m.turnChanged(msg.seat, own);
    // The buttons show during the own turn only, also after the own seat sat
    // out while it held the turn.
    emit m.moveButtonsShown(own);
    if (own)
        emit m.turnSoundRequested();
    if (!m.Timer2.isActive())
        m.Timer2.start();
    emit m.statusChanged();
}

void MirrorUpdate::operator()(const Passed &msg) {
    const bool own = msg.seat == m.localseat_;
    if (own)
        clearLaid();
    systemLine(MirrorTexts::passed(nameOf(msg.seat), own));
    sheetRow(ScoreRow::Kind::Pass, msg.seat, 0);
    endOfTurn();
}

void MirrorUpdate::operator()(const TimeUp &msg) {
    const bool own = msg.seat == m.localseat_;
    if (own)
        clearLaid();
    systemLine(MirrorTexts::timeUp(nameOf(msg.seat), own));
    sheetRow(ScoreRow::Kind::TimeUp, msg.seat, 0);
    if (own)
        emit m.soundRequested(QStringLiteral("time"));
    endOfTurn();
}

void MirrorUpdate::operator()(const Exchanged &msg) {
    // The "-10" is in place before the seat is redrawn.
    m.seats_.setBonus(msg.seat, QStringLiteral("-10"));
    setScore(msg.seat, msg.score);
    setScore(msg.partner, msg.partnerscore);
    const bool own = msg.seat == m.localseat_;
    if (own)
        clearLaid();
    systemLine(MirrorTexts::boughtTiles(nameOf(msg.seat), own));
    sheetRow(ScoreRow::Kind::Exchange, msg.seat, -10); // new tiles cost 10
    m.composer_.cancelDrag();
    emit m.tilesExchanged(msg.seat);
}

void MirrorUpdate::operator()(const SeatScore &msg) {
    // A newcomer learns the totals as they stand, without a chat line.
    m.seats_.setBonus(msg.seat, msg.change);
    setScore(msg.seat, msg.score);
}

void MirrorUpdate::operator()(const NoTiles &msg) {
    systemLine(MirrorTexts::outOfTiles(nameOf(msg.seat), msg.seat == m.localseat_));
    emit m.soundRequested(QStringLiteral("notiles"));
}

void MirrorUpdate::operator()(const TileCount &msg) {
    m.tilesleft_ = game::Bag::kMaxDrawn - msg.count;
    m.texts_.showTilesLeft(m.tilesleft_);
    emit m.tilesLeftChanged(m.tilesleft_);
    emit m.statusChanged();
}

void MirrorUpdate::operator()(const Already &) {
    systemLine(QStringLiteral("You already bought new tiles."));
}

void MirrorUpdate::operator()(const NotEnough &) {
    systemLine(QStringLiteral("Not enough tiles left to Buy New Ones."));
}

void MirrorUpdate::operator()(const Invalid &) {
    clearLaid();
    systemLine(QStringLiteral("Invalid Word!"));
    emit m.moveRefused();
}

void MirrorUpdate::operator()(const Scored &msg) {
    m.seats_.clearBonuses();
    const QString points = QStringLiteral("+") + QString::number(msg.turnscore);
    m.seats_.setBonus(msg.seat, points);
    setScore(msg.seat, msg.score);
    setScore(msg.partner, msg.partnerscore);
    for (int n = 1; n <= game::kSeats; ++n)
        emit m.seatChanged(n);
    systemLine(MirrorTexts::scored(nameOf(msg.seat), msg.word, m.seats_.bonus(msg.seat)));
    if (game::isSeat(msg.seat)) {
        m.sheet_.scored(msg.seat, nameOf(msg.seat), msg.word.toUpper(), msg.turnscore, msg.bonus,
                        totals());
        emit m.scoreSheetChanged();
    }
    if (msg.bonus >= 1 && msg.bonus <= 3) {
        emit m.zorbleOutcome(msg.bonus);
        emit m.soundRequested(msg.bonus == 3 ? QStringLiteral("zbbad") : QStringLiteral("zbgood"));
    }
}

// ---- The board ----------------------------------------------------------------------------

void MirrorUpdate::colourBoard() {
    m.position_.squares = game::quarterKinds(m.quarters_);
    game::markZorbleSquares(m.position_.squares, m.options_.squarecount);
}

void MirrorUpdate::operator()(const ArrangeBoard &msg) {
    m.quarters_ = msg.quarters;
    colourBoard();
    emit m.boardChanged();
}

void MirrorUpdate::operator()(const ShowBoard &msg) {
    m.position_.board[size_t(msg.x)][size_t(msg.y)] = msg.letter;
    m.position_.firstword = false;
    emit m.boardChanged();
}

void MirrorUpdate::operator()(const Reposition &msg) {
    // The tiles laid this turn leave the board; their rack tiles are spent.
    for (int k : m.composer_.liftLaid())
        m.position_.rack[size_t(k)] = game::kEmpty;
    for (const game::BoardLetter &t : msg.tiles)
        m.position_.board[size_t(t.x)][size_t(t.y)] = t.letter;
    m.position_.firstword = false;
    emit m.boardChanged();
    emit m.rackChanged();
}

void MirrorUpdate::operator()(const NewWord &msg) {
    for (auto &column : m.newestword_)
        column.fill(0);
    emit m.soundRequested(QStringLiteral("word"));
    for (const game::BoardLetter &t : msg.tiles) {
        m.newestword_[size_t(t.x)][size_t(t.y)] = 1;
        m.position_.board[size_t(t.x)][size_t(t.y)] = t.letter;
    }
    m.position_.firstword = false;
    // The laid tiles become letters of the board.
    if (m.currentplayer_ == m.localseat_)
        for (int k : m.composer_.settle(msg.tiles))
            m.position_.rack[size_t(k)] = game::kEmpty;
    endOfTurn();
    m.sheet_.laid(msg.tiles, m.position_.board);
    emit m.scoreSheetChanged();
    emit m.boardChanged();
    emit m.rackChanged();
}

// ---- The rack -------------------------------------------------------------------------------

void MirrorUpdate::operator()(const Atile &msg) {
    m.position_.rack[size_t(msg.rackslot)] = msg.letter;
    m.composer_.dealt(msg.rackslot, msg.letter);
    emit m.rackChanged();
}
