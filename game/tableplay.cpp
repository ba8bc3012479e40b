// The table's game cycle: turns, moves, exchanges, passes, sitting out, the
// one-second clock and the end of a game.
#include "game/gametable.h"

#include <climits>

namespace game {

namespace {

bool rackIsEmpty(const GameTable::Seat &s) {
    for (int k = 1; k <= kRackSlots; ++k)
        if (s.rack[size_t(k)] != kEmpty)
            return false;
    return true;
}

bool holdsTile(const GameTable::Seat &s) {
    for (int k = 1; k <= kRackSlots; ++k)
        if (s.rack[size_t(k)] >= 0 && s.rack[size_t(k)] <= 25)
            return true;
    return false;
}

} // namespace

// ---- Turns ------------------------------------------------------------------------

void GameTable::findplayer() {
    if (!s_.running)
        return;
    // Seats found without a tile during this search. Meeting one of them again
    // means the search went all the way round without finding anybody who can
    // move, so the game ends instead of searching forever.
    std::array<bool, kSeats + 1> foundEmpty{};
    for (;;) {
        if (isSlot(s_.current))
            for (int k = 1; k <= kRackSlots; ++k)
                if (s_.seats[size_t(s_.current)].rack[size_t(k)] == kEmpty)
                    deal(s_.current, k);
        send(Audience::everyone(), event::TilesDrawn{s_.bag.drawn});

        int next = 0;
        for (int step = 0; step < kSeats; ++step) {
            ++s_.current;
            if (s_.current > kSeats)
                s_.current = 1;
            const Seat &seat = s_.seats[size_t(s_.current)];
            if (seat.present && !sitsOut(seat)) {
                next = s_.current;
                break;
            }
        }
        if (next == 0) {
            // Nobody among seats 1..4 can take a turn. While a kept seat may
            // still come back, the game waits for it without a turn.
            for (int i = 1; i <= kSeats; ++i)
                if (s_.seats[size_t(i)].present && s_.seats[size_t(i)].away) {
                    s_.current = 0;
                    s_.turnclock = kUntimed;
                    return;
                }
            findwinner();
            s_.current = 0;
            return;
        }

        Seat &seat = s_.seats[size_t(next)];
        if (!rackIsEmpty(seat)) {
            seat.passed = false;
            send(Audience::seats(), event::TurnBegan{next});
            s_.turnclock = s_.options.turntime;
            return;
        }
        send(Audience::seats(), event::OutOfTiles{next});
        if (checkforwin()) {
            s_.current = 0;
            return;
        }
        if (foundEmpty[size_t(next)]) {
            // Every seat at the table is out of tiles. A kept seat that still
            // holds some may come back to lay them: the game waits for it.
            for (int i = 1; i <= kSeats; ++i)
                if (s_.seats[size_t(i)].present && s_.seats[size_t(i)].away &&
                    !rackIsEmpty(s_.seats[size_t(i)])) {
                    s_.current = 0;
                    s_.turnclock = kUntimed;
                    return;
                }
            findwinner();
            send(Audience::everyone(), event::GameEnded{event::End::NoMoreTiles});
            s_.current = 0;
            return;
        }
        foundEmpty[size_t(next)] = true;
    }
}

Events GameTable::pass(int seat, const QString &seatField) {
    if (!s_.running || seat != s_.current)
        return {};
    s_.seats[size_t(seat)].passed = true;
    send(Audience::everyone(), event::TurnPassed{seatField});
    if (checkforwin())
        s_.current = 0;
    else
        findplayer();
    return flush();
}

Events GameTable::exchange(int seat, const QString &seatField) {
    if (!s_.running || seat != s_.current || seat < 1 || seat > kSeats)
        return {};
    Seat &s = s_.seats[size_t(seat)];
    if (s.boughttiles) {
        send(Audience::one(seat), event::AlreadyExchanged{});
        return flush();
    }
    if (!s_.bag.canExchange()) {
        send(Audience::one(seat), event::TooFewToExchange{});
        return flush();
    }
    s.boughttiles = true;
    // The old tiles go back among the undrawn ones; the count drawn stays.
    s_.bag.exchange(s.rack, [this](int lo, int hi) { return randomInt(lo, hi); });
    for (int k = 1; k <= kRackSlots; ++k)
        send(Audience::one(seat), event::TileDealt{k, s.rack[size_t(k)]});
    s.score -= 10;
    s.lastchange = QStringLiteral("-10");
    Seat &partner = s_.seats[size_t(partnerOf(seat))];
    if (s_.options.partners)
        partner.score = s.score;
    send(Audience::everyone(),
         event::Exchanged{seatField, s.score, partnerOf(seat), partner.score});
    return flush();
}

Events GameTable::watch(int seat, bool sitOut) {
    if (seat < 1 || seat > kSeats)
        return {};
    if (!sitOut) {
        s_.seats[size_t(seat)].watching = false;
        send(Audience::everyone(), event::WatchChanged{seat, false});
        return flush();
    }
    bool anotherActive = false;
    for (int i = 1; i <= kSeats; ++i)
        if (i != seat && s_.seats[size_t(i)].present && !sitsOut(s_.seats[size_t(i)]))
            anotherActive = true;
    if (!anotherActive)
        return {}; // the last active player cannot sit out
    s_.seats[size_t(seat)].watching = true;
    send(Audience::everyone(), event::WatchChanged{seat, true});
    if (seat == s_.current)
        findplayer();
    return flush();
}

// ---- Moves --------------------------------------------------------------------------

Events GameTable::move(int seat, const QList<LaidTile> &tiles) {
    if (!s_.running || seat != s_.current || seat < 1 || seat > kSeats)
        return {};
    // A move the client could never have made is refused as a whole before
    // anything is tested, so nothing outside the board or the rack is touched.
    const std::optional<rules::Verdict> verdict = judgeMove(rules_, positionOf(seat), tiles);
    if (!verdict) {
        send(Audience::one(seat), event::Dropped{"an impossible move"});
        send(Audience::one(seat), event::MoveRefused{});
        return flush();
    }
    if (!verdict->valid) {
        send(Audience::one(seat), event::MoveRefused{});
        return flush();
    }
    if (verdict->first) {
        s_.position.firstword = false;
        QList<BoardLetter> moved;
        for (const rules::Placed &p : verdict->tiles)
            moved.append({p.x, p.y, p.letter});
        send(Audience::one(seat), event::FirstWordMoved{moved});
    }
    endturn(*verdict);
    return flush();
}

void GameTable::endturn(const rules::Verdict &move) {
    const int mover = s_.current;
    Seat &s = s_.seats[size_t(mover)];
    s_.turnclock = kUntimed;
    s.bonus = 0;
    event::MoveAccepted accepted;
    for (const rules::Placed &p : move.tiles) {
        s_.position.board[size_t(p.x)][size_t(p.y)] = p.letter;
        accepted.tiles.append({p.x, p.y, p.letter});
        s.rack[size_t(p.rackslot)] = kEmpty;
    }
    // Each Zorble square covered draws an outcome; the last one drawn counts.
    for (int i = 0; i < move.zorbles; ++i)
        s.bonus = randomInt(1, 3);
    accepted.points = rules::withZorble(move.score, s.bonus);
    s.score += accepted.points;
    for (int i = 1; i <= kSeats; ++i)
        s_.seats[size_t(i)].lastchange.clear();
    s.lastchange = QStringLiteral("+") + QString::number(accepted.points);
    Seat &partner = s_.seats[size_t(partnerOf(mover))];
    if (s_.options.partners)
        partner.score = s.score;

    accepted.drawn = s_.bag.drawn;
    accepted.seat = mover;
    accepted.bonus = s.bonus;
    accepted.score = s.score;
    accepted.partner = partnerOf(mover);
    accepted.partnerScore = partner.score;
    accepted.word = move.word.left(20);
    send(Audience::everyone(), std::move(accepted));
    if (checkforwin())
        s_.current = 0;
    else
        findplayer();
}

// ---- The clock and the end ----------------------------------------------------------

Events GameTable::tick() {
    if (!s_.running)
        return {};
    ++s_.elapsed;
    // No turn runs out while none is timed (a game waiting for its kept seats).
    if (s_.turnclock != kUntimed && s_.turnclock > INT_MIN)
        --s_.turnclock;
    for (int i = 1; i <= kSeats; ++i) {
        Seat &seat = s_.seats[size_t(i)];
        if (seat.present && seat.away && seat.grace > 0 && --seat.grace == 0)
            send(Audience::everyone(), event::SeatKept{i, 0});
    }
    if (s_.turnclock < 0 && s_.turnclock != kUntimed) {
        s_.turnclock = kUntimed;
        send(Audience::everyone(), event::TimeUp{s_.current});
        if (checkforwin())
            s_.current = 0;
        else
            findplayer();
    }
    // A game that has just ended by the time-out is not ended a second time.
    if (s_.running && s_.options.gametime != 0 && s_.elapsed / 60 >= s_.options.gametime) {
        send(Audience::everyone(), event::GameEnded{event::End::GameTime});
        findwinner();
    }
    return flush();
}

Events GameTable::nextTurn() {
    findplayer();
    return flush();
}

bool GameTable::checkforwin() {
    bool someoneHoldsTiles = false;
    bool someonePlayingHoldsTiles = false;
    bool everyonePassed = true;
    bool overScore = false;
    for (int i = 1; i <= kSeats; ++i) {
        const Seat &s = s_.seats[size_t(i)];
        if (s.present && !s.passed && holdsTile(s)) {
            someoneHoldsTiles = true;
            // A kept seat's player may come back to lay its tiles.
            if (!sitsOut(s) || s.away)
                someonePlayingHoldsTiles = true;
        }
        if (!(s.passed || !s.present || sitsOut(s)))
            everyonePassed = false;
        if (s_.options.playtoscore != 0 && s.score > s_.options.playtoscore)
            overScore = true;
    }
    if (!someoneHoldsTiles) {
        findwinner();
        send(Audience::everyone(), event::GameEnded{event::End::NoMoreTiles});
        return true;
    }
    if (everyonePassed) {
        findwinner();
        send(Audience::everyone(), event::GameEnded{event::End::EveryonePassed});
        return true;
    }
    if (overScore) {
        send(Audience::everyone(), event::GameEnded{event::End::PlayToScore});
        findwinner();
        return true;
    }
    // A seat that sits out keeps no game alive with its tiles, just as one
    // that nobody holds: otherwise the last player could pass forever.
    if (!someonePlayingHoldsTiles) {
        findwinner();
        send(Audience::everyone(), event::GameEnded{event::End::NoMoreTiles});
        return true;
    }
    return false;
}

void GameTable::findwinner() {
    s_.running = false;
    int best = 0;
    for (int i = 1; i <= kSeats; ++i)
        if (s_.seats[size_t(i)].present && s_.seats[size_t(i)].score > best)
            best = s_.seats[size_t(i)].score;
    QList<int> winners;
    for (int i = 1; i <= kSeats; ++i)
        if (s_.seats[size_t(i)].present && s_.seats[size_t(i)].score == best)
            winners.append(i);
    send(Audience::seats(), event::Winners{winners});
}

} // namespace game
