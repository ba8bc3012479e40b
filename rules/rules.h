#pragma once

// The rules of a move: whether the tiles a player laid form a valid move on
// the board, and what the move scores. The class judges and sends nothing; the
// host commits an accepted move, and the same code serves anybody who wants
// to know what a move would score.
//
// The rules: all tiles lie in one row or one column; with the board letters
// next to them they form one unbroken word, the main word; every laid tile
// that touches board letters across the line forms a cross word; every word
// of two letters or more is in the word list; after the first word of the
// game a move must use a letter already on the board. Every letter of every
// word formed earns 10 points on a square of the mover's colour, otherwise 5.
// The first word of more than four tiles earns 5 per tile plus 20 instead,
// and the first word moves onto the centre line.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace rules {

inline constexpr int kBoard = 19;         // squares per row and column
inline constexpr int kCentre = 9;         // the centre row and column
inline constexpr int kEmpty = 100;        // no letter on a square or in a rack slot
inline constexpr int kZorbleSquare = 5;   // square kind of a Zorble square
inline constexpr int kRackSlots = 10;     // rack slots 1..10
inline constexpr int kMaxWordLength = 14; // the word list holds nothing longer

// How many tiles of each letter a..z the bag holds (99 in all).
inline constexpr std::array<int, 26> kLetterCounts = {10, 2, 2, 4, 13, 3, 3, 2, 6, 1, 1, 4, 2,
                                                      6,  9, 2, 1, 6,  4, 6, 4, 2, 2, 1, 2, 1};

using Grid = std::array<std::array<int, kBoard>, kBoard>; // [column][row]
using Rack = std::array<int, kRackSlots + 1>;             // slots 1..10
using WordLookup = std::function<bool(const QString &word)>;

// A tile as a move names it: its rack slot, its side and its square.
struct LaidTile {
    int rackslot = 0;
    bool flipped = false; // shows the second side of the tile
    int x = 0;
    int y = 0;
};

// A tile of a move with its letter, on its square.
struct Placed {
    int rackslot = 0;
    int x = 0;
    int y = 0;
    int letter = 0;
    bool operator==(const Placed &) const = default;
};

// Why a move was refused, as far as the better of its two tries got.
enum class Refusal {
    None,        // the move stands, or it named no tile
    NotInLine,   // the tiles are not in one row or column, or leave a gap
    NotAWord,    // `Verdict::badword` is not in the word list
    NotTouching, // after the first word, the move uses no letter on the board
};

struct Verdict {
    bool valid = false;
    Refusal refusal = Refusal::None;
    QString badword;        // NotAWord: the word, in lower case
    QString word;           // the main word in lower case, when it was found
    QStringList crosswords; // cross words of two letters or more that were tested
    int score = 0;          // points of the move, before any Zorble effect
    int zorbles = 0;        // Zorble squares the move covers
    bool first = false;     // the first word of the game, moved onto the centre line
    QList<Placed> tiles;    // rack-slot order, on their final squares
};

// "a".."z" for a letter index; "a" for anything else.
QString converttoletter(int letter);
// The letter on the other side of a double-sided tile: a-z, b-y, ... m-n.
int flippedletter(int letter);
// A move's points after the Zorble outcome: 1 plus 20, 2 minus 20, 3 double.
int withZorble(int points, int outcome);

class Rules {
public:
    explicit Rules(WordLookup lookup) : lookup_(std::move(lookup)) {}

    // The tiles of a move with their letters from the rack, in rack-slot
    // order; a rack slot named twice counts with its later entry. Nothing
    // when the move could not have come from a client: a rack slot outside
    // 1..10 or without a tile, a square off the board or already holding a
    // letter, or two tiles on one square.
    static std::optional<QList<Placed>> readMove(const Grid &board, const Rack &rack,
                                                 const QList<LaidTile> &tiles);

    // Judges the tiles of a move by `mover` (seat 1..4, whose colour earns
    // 10 points a square). The move is tried in its column first, then in
    // its row.
    Verdict judge(const Grid &board, const Grid &squares, int mover, const QList<Placed> &tiles,
                  bool firstword) const;

    // Whether a lower-case word is in the list.
    bool findWord(const QString &word) const;

private:
    struct Attempt;
    bool mainWord(Attempt &a, bool down) const;
    bool crossWord(Attempt &a, const Placed &tile, bool down) const;

    WordLookup lookup_;
};

} // namespace rules
