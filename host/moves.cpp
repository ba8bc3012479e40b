// Move validation and scoring: reading a submitted move, the main word along
// its line, the cross word of each laid tile, the connection rule and the
// first word of the game.
#include "tserver.h"

namespace {

constexpr int kEmpty = proto::kEmpty;

bool onBoard(int v) {
    return v >= 0 && v < TServer::kBoard;
}

} // namespace

QString TServer::converttoletter(int letter) {
    if (letter < 0 || letter > 25)
        letter = 0;
    return QString(QChar(u'a' + letter));
}

int TServer::flippedletter(int letter) {
    return letter >= 0 && letter <= 25 ? 25 - letter : 0;
}

int TServer::squarePoints(int x, int y) const {
    return squares[x][y] == currentplayer ? 10 : 5;
}

bool TServer::findWord(const QString &word) const {
    // The word list holds nothing longer than 14 letters.
    return word.size() < 15 && lookup_ && lookup_(word);
}

void TServer::done(int sender, const QString &payload) {
    const auto seat = proto::toInt(proto::FieldReader(payload).field());
    if (!seat || !ownSeat(sender, *seat, payload))
        return;
    if (!gamerunning || *seat != currentplayer || *seat < 1 || *seat > 4)
        return;
    const auto move = proto::parseDone(payload);
    if (!move) {
        drop(sender, "a malformed move", payload);
        return;
    }

    for (PlacedEntry &e : placed)
        e = PlacedEntry{};
    touching = false;

    // A move the client could never have made is refused as a whole before
    // anything is tested, so nothing outside the board or the rack is touched.
    const SeatSlot &mover = seats[*seat];
    for (const proto::PlacedTile &t : move->tiles) {
        if (t.rackslot < 1 || t.rackslot > 10 || !onBoard(t.x) || !onBoard(t.y) ||
            mover.rack[t.rackslot] < 0 || mover.rack[t.rackslot] > 25) {
            drop(sender, "an impossible move", payload);
            gameSendTo(*seat, proto::host::invalid());
            return;
        }
        // The same rack slot named twice: the later entry counts.
        PlacedEntry &e = placed[t.rackslot];
        e.x = t.x;
        e.y = t.y;
        e.letter = t.flipped ? flippedletter(mover.rack[t.rackslot]) : mover.rack[t.rackslot];
    }
    for (int k = 1; k <= 10; ++k) {
        const PlacedEntry &e = placed[k];
        if (e.letter == kEmpty)
            continue;
        bool clash = board[e.x][e.y] != kEmpty;
        for (int j = k + 1; j <= 10; ++j)
            if (placed[j].letter != kEmpty && placed[j].x == e.x && placed[j].y == e.y)
                clash = true;
        if (clash) {
            drop(sender, "a move onto an occupied square", payload);
            gameSendTo(*seat, proto::host::invalid());
            return;
        }
    }
    checkword();
}

void TServer::checkword() {
    if (checkfordown()) {
        endturn();
        return;
    }
    if (checkforacross()) {
        endturn();
        return;
    }
    gameSendTo(currentplayer, proto::host::invalid());
}

bool TServer::checkline(bool down) {
    seats[currentplayer].turnscore = 0;
    // The line of the move is taken from the last laid tile in rack-slot order.
    int line = kEmpty;
    for (int k = 10; k >= 1 && line == kEmpty; --k)
        if (placed[k].letter != kEmpty)
            line = down ? placed[k].x : placed[k].y;
    if (line == kEmpty)
        return false;
    for (int k = 1; k <= 10; ++k)
        if (placed[k].letter != kEmpty && (down ? placed[k].x : placed[k].y) != line)
            return false;
    return down ? checkmainworddown() : checkmainwordacross();
}

bool TServer::checkfordown() {
    return checkline(true);
}

bool TServer::checkforacross() {
    for (PlacedEntry &e : placed)
        e.used = false;
    touching = false;
    return checkline(false);
}

bool TServer::checkmainword(bool down) {
    SeatSlot &mover = seats[currentplayer];
    auto posOf = [down](const PlacedEntry &e) { return down ? e.y : e.x; };
    auto lineOf = [down](const PlacedEntry &e) { return down ? e.x : e.y; };

    // The laid tile that comes first along the line.
    int first = 0;
    for (int k = 1; k <= 10; ++k)
        if (placed[k].letter != kEmpty && (first == 0 || posOf(placed[k]) < posOf(placed[first])))
            first = k;
    if (first == 0)
        return false;
    const int p0 = posOf(placed[first]);
    const int line = lineOf(placed[first]);
    auto square = [&](int p) -> std::pair<int, int> {
        return down ? std::pair{line, p} : std::pair{p, line};
    };
    auto boardAt = [&](int p) {
        const auto [x, y] = square(p);
        return board[x][y];
    };
    auto pointsAt = [&](int p) {
        const auto [x, y] = square(p);
        return squarePoints(x, y);
    };

    // Board letters just before the first laid tile belong to the word.
    int start = p0;
    while (start > 0 && boardAt(start - 1) != kEmpty)
        --start;
    QString word;
    for (int p = start; p < p0; ++p) {
        word += converttoletter(boardAt(p));
        touching = true;
        mover.turnscore += pointsAt(p);
    }
    for (int p = p0;; ++p) {
        int letter = kEmpty;
        for (int k = 1; k <= 10; ++k) {
            PlacedEntry &e = placed[k];
            if (e.letter != kEmpty && posOf(e) == p) {
                letter = e.letter;
                e.used = true;
                mover.turnscore += pointsAt(p);
            }
        }
        if (letter == kEmpty && p < kBoard && boardAt(p) != kEmpty) {
            letter = boardAt(p);
            touching = true;
            mover.turnscore += pointsAt(p);
        }
        if (letter == kEmpty)
            break;
        word += converttoletter(letter);
    }

    for (int k = 1; k <= 10; ++k)
        if (placed[k].letter != kEmpty && !placed[k].used)
            return false; // the laid tiles do not form one run
    if (!findWord(word))
        return false;
    mover.lastword = proto::cut(word, proto::kMaxNameLength);

    // Every cross word is tested, even after one has failed.
    bool result = true;
    for (int k = 1; k <= 10; ++k)
        if (placed[k].letter != kEmpty && !(down ? checkotheracross(k) : checkotherdown(k)))
            result = false;

    if (result && !firstword && !touching)
        return false; // the move does not use any tile already on the board

    if (result && firstword) {
        firstword = false;
        int n = 0;
        int low = kBoard;
        for (int k = 1; k <= 10; ++k) {
            if (placed[k].letter != kEmpty) {
                ++n;
                low = std::min(low, posOf(placed[k]));
            }
        }
        if (n > 4)
            mover.turnscore = 5 * n + 20;
        // The first word moves onto the centre line, its middle on the centre.
        QList<proto::BoardLetter> moved;
        for (int k = 1; k <= 10; ++k) {
            PlacedEntry &e = placed[k];
            if (e.letter == kEmpty)
                continue;
            const int p = posOf(e) + 9 - n / 2 - low;
            if (down) {
                e.y = p;
                e.x = 9;
            } else {
                e.x = p;
                e.y = 9;
            }
            moved.append({e.x, e.y, e.letter});
        }
        gameSendTo(currentplayer, proto::host::reposition(moved));
    }
    return result;
}

bool TServer::checkother(int k, bool down) {
    SeatSlot &mover = seats[currentplayer];
    const PlacedEntry &e = placed[k];
    // Walk along the column (down) or the row (across) through the tile.
    auto at = [&](int p) { return down ? board[e.x][p] : board[p][e.y]; };
    auto points = [&](int p) { return down ? squarePoints(e.x, p) : squarePoints(p, e.y); };
    const int own = down ? e.y : e.x;

    int start = own;
    while (start > 0 && at(start - 1) != kEmpty)
        --start;
    QString word;
    int gained = 0;
    for (int p = start; p < own; ++p) {
        word += converttoletter(at(p));
        touching = true;
        gained += points(p);
    }
    word += converttoletter(e.letter);
    for (int p = own + 1; p < kBoard && at(p) != kEmpty; ++p) {
        word += converttoletter(at(p));
        touching = true;
        gained += points(p);
    }
    mover.turnscore += gained;
    if (word.size() == 1)
        return true;
    if (!findWord(word))
        return false;
    mover.turnscore += points(own);
    return true;
}
