// Game engine: start of a game, board quarters, Zorble squares, the tile bag,
// turns, the one-second clock and the end of a game.
#include "dict/tdictn.h"
#include "host/tserver.h"

#include <chrono>
#include <climits>

namespace {

constexpr int kEmpty = proto::kEmpty;

using rules::kLetterCounts;

constexpr int bagTotal() {
    int n = 0;
    for (int c : kLetterCounts)
        n += c;
    return n;
}
static_assert(bagTotal() == TServer::kBagSize);

// The Zorble squares, four more for each step of the count 4, 8, 12, 16, 20.
constexpr std::array<std::array<int, 2>, 20> kZorbleSquares = {{
    {6, 6}, {12, 6}, {6, 12}, {12, 12}, // 4
    {4, 4}, {14, 4}, {4, 14}, {14, 14}, // 8
    {2, 2}, {16, 2}, {2, 16}, {16, 16}, // 12
    {0, 0}, {18, 0}, {0, 18}, {18, 18}, // 16
    {9, 3}, {3, 9},  {15, 9}, {9, 15},  // 20
}};

// The letter of tile number t (1..99): the tiles stand in alphabetical blocks.
int letterOfTile(int t) {
    for (int letter = 0; letter < 26; ++letter) {
        if (t <= kLetterCounts[letter])
            return letter;
        t -= kLetterCounts[letter];
    }
    return 0;
}

bool rackIsEmpty(const SeatSlot &s) {
    for (int k = 1; k <= 10; ++k)
        if (s.rack[k] != kEmpty)
            return false;
    return true;
}

bool holdsTile(const SeatSlot &s) {
    for (int k = 1; k <= 10; ++k)
        if (s.rack[k] >= 0 && s.rack[k] <= 25)
            return true;
    return false;
}

} // namespace

// ---- Set-up -------------------------------------------------------------------

void TServer::initGame(WordLookup lookup) {
    rng.seed(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    if (!lookup) {
        spellit = std::make_shared<TDictn>();
        lookup = [dict = spellit](const QString &word) { return dict->FindWord(word); };
    }
    rules_.emplace(std::move(lookup));
    for (auto &column : board)
        column.fill(kEmpty);
    // The game clock ends turns: a coarse timer would shift its first ticks
    // by up to a twentieth of the interval and cut the first turn short.
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(1000);
    connect(&Timer2, &QTimer::timeout, this, &TServer::Timer2Timer);
}

bool TServer::dictionaryOpen() const {
    return !spellit || spellit->isOpen();
}

QString TServer::dictionaryError() const {
    return spellit ? spellit->errorMessage() : QString();
}

int TServer::randomInt(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

void TServer::gameSendTo(int slot, const QString &message) {
    if (slot < 1 || slot > 10 || !seats[slot].connected)
        return;
    if (tap_)
        tap_(slot, message);
    sendTo(slot, message);
}

void TServer::gameSendAll(const QString &message) {
    if (tap_)
        for (int i = 1; i <= slotcount; ++i)
            if (seats[i].connected)
                tap_(i, message);
    sendAll(message);
}

void TServer::gameSendSeats(const QString &message) {
    if (tap_)
        for (int i = 1; i <= 4; ++i)
            if (seats[i].connected)
                tap_(i, message);
    sendSeats(message);
}

void TServer::startgame(int sender, const proto::tohost::Start &request) {
    if (sender != 1) {
        drop(sender, "a game start not sent by the hosting player");
        return;
    }

    gamerunning = true;
    emit tableChanged();
    elapsed = 0;
    tilesdrawn = 0;
    turnclock = kUntimed;
    firstword = true;
    for (int i = 1; i <= 4; ++i) {
        SeatSlot &s = seats[i];
        s.score = 0;
        s.boughttiles = false;
        s.passed = false;
        for (int k = 1; k <= 10; ++k)
            s.rack[k] = kEmpty;
    }

    const proto::GameOptions &o = request.options;
    turntime = o.turntime;
    squarecount = o.squarecount;
    gametime = o.gametime;
    playtoscore = o.playtoscore;
    doubletiles = o.doubletiles;
    partners = o.partners;
    for (int i = 1; i <= 4; ++i)
        partners = partners && seats[i].connected;
    seats[1].partner = 3;
    seats[2].partner = 4;
    seats[3].partner = 1;
    seats[4].partner = 2;

    gameSendAll(proto::host::startgame(request.payload, partners));
    arrangement = randomInt(0, 3);
    const std::array<int, 4> q = quarters();
    getboard(q[0], q[1], q[2], q[3]);
    gameSendAll(proto::host::zb());

    tilesdrawn = 0;
    createtileorder();
    for (int i = 1; i <= 4; ++i)
        if (seats[i].connected)
            for (int k = 1; k <= 10; ++k)
                gettile(i, k);
    for (auto &column : board)
        column.fill(kEmpty);
    gameSendAll(proto::host::tilecount(tilesdrawn));
    getzorble(squarecount);

    elapsed = 0;
    turnclock = kUntimed;
    Timer2.start();
    currentplayer = randomInt(1, std::max(1, slotcount));
    findplayer();
}

std::array<int, 4> TServer::quarters() const {
    // Each arrangement turns the seat colours one quarter further.
    std::array<int, 4> q{};
    for (int i = 0; i < 4; ++i)
        q[i] = (i + arrangement) % 4 + 1;
    return q;
}

void TServer::getboard(int a, int b, int c, int d) {
    for (int x = 0; x < kBoard; ++x) {
        for (int y = 0; y < kBoard; ++y) {
            int kind;
            if (x <= 9 && y <= 8)
                kind = a;
            else if (x <= 8 && y >= 9)
                kind = b;
            else if (x >= 10 && y <= 9)
                kind = c;
            else
                kind = d;
            squares[x][y] = kind;
        }
    }
    squares[9][9] = 0;
    gameSendAll(proto::host::arrangeboard({a, b, c, d}));
}

void TServer::getzorble(int count) {
    if (count != 4 && count != 8 && count != 12 && count != 16 && count != 20)
        return;
    for (int i = 0; i < count; ++i)
        squares[kZorbleSquares[i][0]][kZorbleSquares[i][1]] = rules::kZorbleSquare;
}

void TServer::createtileorder() {
    tileorder.fill(kEmpty);
    for (int t = 1; t <= kBagSize; ++t) {
        int slot;
        do {
            slot = randomInt(1, kBagSize);
        } while (tileorder[slot] != kEmpty);
        tileorder[slot] = letterOfTile(t);
    }
}

void TServer::gettile(int seat, int rackslot) {
    if (seat < 1 || seat > 10 || rackslot < 1 || rackslot > 10)
        return;
    ++tilesdrawn;
    if (tilesdrawn > kMaxDrawn) {
        tilesdrawn = kMaxDrawn; // the bag is empty: the rack slot stays as it is
        return;
    }
    int letter = tileorder[tilesdrawn];
    if (letter < 0 || letter > 25)
        letter = 0;
    seats[seat].rack[rackslot] = letter;
    gameSendTo(seat, proto::host::atile(rackslot, letter));
}

// ---- A newcomer during a game -------------------------------------------------

void TServer::catchUp(int slot) {
    gameSendTo(slot, proto::host::arrangeboard(quarters()));
    for (int x = 0; x < kBoard; ++x)
        for (int y = 0; y < kBoard; ++y)
            if (board[x][y] != kEmpty)
                gameSendTo(slot, proto::host::showboard(x, y, board[x][y]));
    // A player seat that had nobody at the deal gets a full rack now; a
    // watcher's rack holds no empty marks and gets nothing. A player who takes
    // over a seat that still holds tiles is told those tiles, or its window
    // would show an empty rack while the host counts ten.
    for (int k = 1; k <= 10; ++k) {
        const int letter = seats[slot].rack[k];
        if (letter == kEmpty)
            gettile(slot, k);
        else if (slot <= 4 && letter >= 0 && letter <= 25)
            gameSendTo(slot, proto::host::atile(k, letter));
    }
    proto::GameSettings s;
    s.turntime = turntime;
    s.squarecount = squarecount;
    s.gametime = gametime;
    s.elapsed = elapsed;
    s.playtoscore = playtoscore;
    s.doubletiles = doubletiles;
    s.partners = partners;
    gameSendTo(slot, proto::host::gamesettings(s));
    gameSendTo(slot, proto::host::nextplayer(currentplayer));
}

// ---- Turns ----------------------------------------------------------------------

void TServer::findplayer() {
    if (!gamerunning)
        return;
    // Seats found without a tile during this search. Meeting one of them again
    // means the search went all the way round without finding anybody who can
    // move, so the game ends instead of searching forever.
    std::array<bool, 5> foundEmpty{};
    for (;;) {
        if (currentplayer >= 1 && currentplayer <= 10)
            for (int k = 1; k <= 10; ++k)
                if (seats[currentplayer].rack[k] == kEmpty)
                    gettile(currentplayer, k);
        gameSendAll(proto::host::tilecount(tilesdrawn));

        int next = 0;
        for (int step = 0; step < 4; ++step) {
            ++currentplayer;
            if (currentplayer > 4)
                currentplayer = 1;
            if (seats[currentplayer].connected && !seats[currentplayer].watching) {
                next = currentplayer;
                break;
            }
        }
        if (next == 0) {
            // Nobody among seats 1..4 can take a turn.
            findwinner();
            currentplayer = 0;
            return;
        }

        SeatSlot &s = seats[next];
        if (!rackIsEmpty(s)) {
            s.passed = false;
            gameSendSeats(proto::host::nextplayer(next));
            turnclock = turntime;
            return;
        }
        gameSendSeats(proto::host::notiles(next));
        if (checkforwin()) {
            currentplayer = 0;
            return;
        }
        if (foundEmpty[next]) {
            findwinner();
            gameSendAll(proto::host::nomoretiles());
            currentplayer = 0;
            return;
        }
        foundEmpty[next] = true;
    }
}

void TServer::pass(int sender, const proto::tohost::Pass &request) {
    if (!ownSeat(sender, request.seat))
        return;
    if (!gamerunning || request.seat != currentplayer)
        return;
    seats[request.seat].passed = true;
    gameSendAll(proto::host::pass(request.seatText));
    if (checkforwin())
        currentplayer = 0;
    else
        findplayer();
}

void TServer::newtiles(int sender, const proto::tohost::Exchange &request) {
    const int seat = request.seat;
    if (!ownSeat(sender, seat))
        return;
    if (!gamerunning || seat != currentplayer || seat < 1 || seat > 4)
        return;
    SeatSlot &s = seats[seat];
    if (s.boughttiles) {
        gameSendTo(seat, proto::host::already());
        return;
    }
    if (tilesdrawn > kExchangeLimit) {
        gameSendTo(seat, proto::host::notenough());
        return;
    }
    s.boughttiles = true;
    // The old tiles go back among the undrawn ones; the count drawn stays.
    for (int k = 1; k <= 10; ++k) {
        const int r = randomInt(tilesdrawn + 1, kMaxDrawn);
        std::swap(s.rack[k], tileorder[r]);
        gameSendTo(seat, proto::host::atile(k, s.rack[k]));
    }
    s.score -= 10;
    SeatSlot &partner = seats[s.partner];
    if (partners)
        partner.score = s.score;
    gameSendAll(proto::host::newtiles(request.seatText, s.score, s.partner, partner.score));
}

void TServer::endturn(const rules::Verdict &move) {
    SeatSlot &mover = seats[currentplayer];
    turnclock = kUntimed;
    mover.bonus = 0;
    QList<proto::BoardLetter> tiles;
    for (const rules::Placed &p : move.tiles) {
        board[p.x][p.y] = p.letter;
        tiles.append({p.x, p.y, p.letter});
        mover.rack[p.rackslot] = kEmpty;
    }
    // Each Zorble square covered draws an outcome; the last one drawn counts.
    for (int i = 0; i < move.zorbles; ++i)
        mover.bonus = randomInt(1, 3);
    mover.turnscore = rules::withZorble(mover.turnscore, mover.bonus);
    mover.score += mover.turnscore;
    SeatSlot &partner = seats[mover.partner];
    if (partners)
        partner.score = mover.score;

    proto::PostScore p;
    p.count = tilesdrawn;
    p.seat = currentplayer;
    p.bonus = mover.bonus;
    p.turnscore = mover.turnscore;
    p.score = mover.score;
    p.partner = mover.partner;
    p.partnerscore = partner.score;
    p.word = mover.lastword;
    gameSendAll(proto::host::postscore(p));
    gameSendAll(proto::host::newword(tiles));
    if (checkforwin())
        currentplayer = 0;
    else
        findplayer();
}

// ---- The clock and the end ----------------------------------------------------

void TServer::Timer2Timer() {
    if (!gamerunning)
        return;
    ++elapsed;
    if (turnclock > INT_MIN)
        --turnclock;
    if (turnclock < 0 && turnclock != kUntimed) {
        turnclock = kUntimed;
        gameSendAll(proto::host::timeup(currentplayer));
        if (checkforwin())
            currentplayer = 0;
        else
            findplayer();
    }
    // A game that has just ended by the time-out is not ended a second time.
    if (gamerunning && gametime != 0 && elapsed / 60 >= gametime) {
        Timer2.stop();
        gameSendAll(proto::host::gametimeup());
        findwinner();
    }
}

bool TServer::checkforwin() {
    bool someoneHoldsTiles = false;
    bool everyonePassed = true;
    bool overScore = false;
    for (int i = 1; i <= 4; ++i) {
        const SeatSlot &s = seats[i];
        if (s.connected && !s.passed && holdsTile(s))
            someoneHoldsTiles = true;
        if (!(s.passed || !s.connected || s.watching))
            everyonePassed = false;
        if (playtoscore != 0 && s.score > playtoscore)
            overScore = true;
    }
    if (!someoneHoldsTiles) {
        findwinner();
        gameSendAll(proto::host::nomoretiles());
        return true;
    }
    if (everyonePassed) {
        findwinner();
        gameSendAll(proto::host::everyonepassed());
        return true;
    }
    if (overScore) {
        gameSendAll(proto::host::playergotscore());
        findwinner();
        return true;
    }
    return false;
}

void TServer::findwinner() {
    Timer2.stop();
    gamerunning = false;
    emit tableChanged();
    int best = 0;
    for (int i = 1; i <= 4; ++i)
        if (seats[i].connected && seats[i].score > best)
            best = seats[i].score;
    QList<int> winners;
    for (int i = 1; i <= 4; ++i)
        if (seats[i].connected && seats[i].score == best)
            winners.append(i);
    gameSendSeats(proto::host::winner(winners));
}
