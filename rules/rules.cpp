#include "rules/rules.h"

#include <algorithm>

namespace rules {

namespace {

bool onBoard(int v) {
    return v >= 0 && v < kBoard;
}

bool isLetter(int v) {
    return v >= 0 && v <= 25;
}

// The character of a letter index, "a" for anything else; words are built
// from these one character at a time.
QChar letterChar(int letter) {
    return QChar(u'a' + (isLetter(letter) ? letter : 0));
}

} // namespace

QString converttoletter(int letter) {
    return QString(letterChar(letter));
}

int flippedletter(int letter) {
    return isLetter(letter) ? 25 - letter : 0;
}

int withZorble(int points, int outcome) {
    switch (outcome) {
    case 1:
        return points + 20;
    case 2:
        return points - 20;
    case 3:
        return points * 2;
    default:
        return points;
    }
}

// One try of a move along one line: the tiles, which of them the main word
// took up, whether any word used a board letter, and the points so far.
struct Rules::Attempt {
    const Grid &board;
    const Grid &squares;
    int mover;
    QList<Placed> tiles;
    QList<bool> used;
    bool touching = false;
    int score = 0;
    QString word;
    QStringList crosswords;

    int points(int x, int y) const { return squares[x][y] == mover ? 10 : 5; }
};

std::optional<QList<Placed>> Rules::readMove(const Grid &board, const Rack &rack,
                                             const QList<LaidTile> &tiles) {
    std::array<std::optional<Placed>, kRackSlots + 1> bySlot;
    for (const LaidTile &t : tiles) {
        if (t.rackslot < 1 || t.rackslot > kRackSlots || !onBoard(t.x) || !onBoard(t.y) ||
            !isLetter(rack[t.rackslot]))
            return std::nullopt;
        const int letter = t.flipped ? flippedletter(rack[t.rackslot]) : rack[t.rackslot];
        bySlot[t.rackslot] = Placed{t.rackslot, t.x, t.y, letter};
    }
    QList<Placed> move;
    for (const auto &p : bySlot) {
        if (!p)
            continue;
        if (board[p->x][p->y] != kEmpty)
            return std::nullopt;
        for (const Placed &q : move)
            if (q.x == p->x && q.y == p->y)
                return std::nullopt;
        move.append(*p);
    }
    return move;
}

bool Rules::findWord(const QString &word) const {
    return word.size() <= kMaxWordLength && lookup_ && lookup_(word);
}

Verdict Rules::judge(const Grid &board, const Grid &squares, int mover, const QList<Placed> &tiles,
                     bool firstword) const {
    // A refused move reports the try that got furthest: its stage (0 line,
    // 1 run, 2 main word, 3 cross word, 4 touching), and on a tie the longer
    // word, so that a single tile is judged by the word it joins rather than
    // by the letter alone on its other line.
    Verdict refused;
    int reached = -1;
    qsizetype reachedLength = -1;
    auto refuse = [&](int stage, Refusal why, const QString &word = {}) {
        if (stage < reached || (stage == reached && word.size() <= reachedLength))
            return;
        reached = stage;
        reachedLength = word.size();
        refused.refusal = why;
        refused.badword = why == Refusal::NotAWord ? word : QString();
    };
    for (const bool down : {true, false}) {
        if (tiles.isEmpty())
            break;
        // The line is taken from the last tile in rack-slot order.
        const int line = down ? tiles.last().x : tiles.last().y;
        if (!std::all_of(tiles.begin(), tiles.end(),
                         [&](const Placed &p) { return (down ? p.x : p.y) == line; })) {
            refuse(0, Refusal::NotInLine);
            continue;
        }
        Attempt a{board, squares, mover, tiles, QList<bool>(tiles.size(), false), false, 0, {}, {}};
        if (!mainWord(a, down)) {
            if (a.used.contains(false))
                refuse(1, Refusal::NotInLine);
            else if (a.word.size() == 1 && !firstword)
                refuse(2, Refusal::NotTouching, a.word); // a lone tile joins nothing here
            else
                refuse(2, Refusal::NotAWord, a.word);
            continue;
        }
        // Every cross word is tested, even after one has failed.
        QString badCross;
        for (const Placed &p : a.tiles)
            if (!crossWord(a, p, !down) && badCross.isEmpty())
                badCross = a.crosswords.last();
        if (!badCross.isEmpty()) {
            refuse(3, Refusal::NotAWord, badCross);
            continue;
        }
        if (!firstword && !a.touching) {
            refuse(4, Refusal::NotTouching, a.word);
            continue; // the move uses no board letter
        }

        Verdict v;
        v.valid = true;
        v.word = a.word;
        v.crosswords = a.crosswords;
        v.score = a.score;
        v.first = firstword;
        if (firstword) {
            // The first word moves onto the centre line, its middle on the
            // centre square; five tiles or more earn a fixed score.
            const int n = int(a.tiles.size());
            int low = kBoard;
            for (const Placed &p : a.tiles)
                low = std::min(low, down ? p.y : p.x);
            if (n > 4)
                v.score = 5 * n + 20;
            for (Placed &p : a.tiles) {
                int &along = down ? p.y : p.x;
                along += kCentre - n / 2 - low;
                (down ? p.x : p.y) = kCentre;
            }
        }
        for (const Placed &p : a.tiles)
            if (squares[p.x][p.y] == kZorbleSquare)
                ++v.zorbles;
        v.tiles = a.tiles;
        return v;
    }
    return refused;
}

bool Rules::mainWord(Attempt &a, bool down) const {
    auto posOf = [down](const Placed &p) { return down ? p.y : p.x; };
    // The tile that comes first along the line; the first in rack-slot order
    // on a tie.
    const auto first =
        std::min_element(a.tiles.begin(), a.tiles.end(),
                         [&](const Placed &l, const Placed &r) { return posOf(l) < posOf(r); });
    const int p0 = posOf(*first);
    const int line = down ? first->x : first->y;
    auto square = [&](int p) { return down ? std::pair{line, p} : std::pair{p, line}; };
    auto boardAt = [&](int p) {
        const auto [x, y] = square(p);
        return a.board[x][y];
    };
    auto pointsAt = [&](int p) {
        const auto [x, y] = square(p);
        return a.points(x, y);
    };

    // Board letters just before the first tile belong to the word.
    int start = p0;
    while (start > 0 && boardAt(start - 1) != kEmpty)
        --start;
    QString word;
    word.reserve(kBoard);
    for (int p = start; p < p0; ++p) {
        word += letterChar(boardAt(p));
        a.touching = true;
        a.score += pointsAt(p);
    }
    for (int p = p0;; ++p) {
        int letter = kEmpty;
        for (qsizetype i = 0; i < a.tiles.size(); ++i) {
            if (posOf(a.tiles[i]) == p) {
                letter = a.tiles[i].letter;
                a.used[i] = true;
                a.score += pointsAt(p);
            }
        }
        if (letter == kEmpty && p < kBoard && boardAt(p) != kEmpty) {
            letter = boardAt(p);
            a.touching = true;
            a.score += pointsAt(p);
        }
        if (letter == kEmpty)
            break;
        word += letterChar(letter);
    }
    a.word = word; // also when refused: the caller names it
    if (a.used.contains(false))
        return false; // the tiles do not form one run
    return findWord(word);
}

bool Rules::crossWord(Attempt &a, const Placed &tile, bool down) const {
    // Walks along the column (down) or the row through the tile.
    auto at = [&](int p) { return down ? a.board[tile.x][p] : a.board[p][tile.y]; };
    auto points = [&](int p) { return down ? a.points(tile.x, p) : a.points(p, tile.y); };
    const int own = down ? tile.y : tile.x;

    int start = own;
    while (start > 0 && at(start - 1) != kEmpty)
        --start;
    QString word;
    word.reserve(kBoard);
    for (int p = start; p < own; ++p) {
        word += letterChar(at(p));
        a.touching = true;
        a.score += points(p);
    }
    word += letterChar(tile.letter);
    for (int p = own + 1; p < kBoard && at(p) != kEmpty; ++p) {
        word += letterChar(at(p));
        a.touching = true;
        a.score += points(p);
    }
    if (word.size() == 1)
        return true; // no cross word
    a.crosswords << word;
    if (!findWord(word))
        return false;
    a.score += points(own);
    return true;
}

} // namespace rules
