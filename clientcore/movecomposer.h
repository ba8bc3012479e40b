#pragma once

// The move the local player is laying: which rack tiles lie on which squares
// this turn, which tiles are turned over, the order of the rack and the tile
// being dragged. It reads the board and rack from the mirror and gives the
// typed move that submits the tiles; the host's answer comes back through
// the mirror.

#include "game/position.h"
#include "net/messages.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

class GameMirror;

// It tells of its changes through the mirror's signals (boardChanged,
// rackChanged, dragChanged, soundRequested), which the views already follow.
class MoveComposer {
public:
    // One position of the rack, left to right: the tile standing there and
    // its sort key (the letter last dealt to it, 0 before any deal).
    struct RackPlace {
        int key = 0;
        int tile = 0;
    };

    explicit MoveComposer(GameMirror &mirror);

    // The letter shown on a square: a tile laid there this turn, or the
    // board's; game::kEmpty when none.
    int shownLetter(int x, int y) const;
    // The rack tile laid on a square this turn, game::kEmpty when none.
    int placedTile(int x, int y) const;
    // The square where rack tile 1..10 lies this turn, {kEmpty, kEmpty}
    // while it is on the rack.
    std::array<int, 2> tileSquare(int tile) const;
    // A rack tile's text: side ("n" front, "y" turned over), "+", and the
    // letter's index, or "*" before the tile was first dealt.
    QString tileText(int tile) const;
    // Whether rack tile 1..10 shows on the rack: dealt, and not laid or spent.
    bool tileOnRack(int tile) const;
    // The letter rack tile 1..10 shows (the other side's when turned over),
    // game::kEmpty when it holds none.
    int tileLetter(int tile) const;
    bool tileFlipped(int tile) const { return tile >= 1 && tile <= 10 && flipped_[size_t(tile)]; }
    // Rack positions 1..10 (entry 0 unused).
    const std::array<RackPlace, 11> &rackOrder() const { return rackorder_; }
    // The tile being dragged, 0 when none, and its text.
    int dragTile() const { return dragtile_; }
    QString dragText() const { return dragtext_; }

    // ---- Laying ----
    // Lays rack tile `slot` on an empty square, showing its letter; false
    // when it cannot go there.
    bool layTile(int slot, int x, int y);
    // The tiles laid this turn, in rack-slot order, as a move names them.
    QList<game::LaidTile> laidTiles() const;
    // The request that submits them; nothing when none lies on the board or
    // the player is not logged in.
    std::optional<proto::tohost::Move> move() const;
    // The Clear action: the tiles laid this turn go back to the rack, with
    // the "remove" sound once for each.
    void clearLaid();
    // Picks rack tile 1..10 up. Only a tile on the rack, and only while no
    // drag is under way.
    bool startDrag(int tile);
    // Lays the dragged tile on a free square with the "place" sound. The
    // drag ends either way: a drop on a letter leaves the tile on the rack.
    bool dropDragged(int x, int y);
    void cancelDrag();
    // The dragged tile and `tile` change places on the rack, key and all;
    // then the drag ends.
    void swapWithDragged(int tile);
    // Takes the tile laid this turn on a square back to the rack, with the
    // "remove" sound; false when none lies there.
    bool takeBack(int x, int y);
    // Takes back the tile laid last; the square it freed, {kEmpty, kEmpty}
    // when no tile was laid.
    std::array<int, 2> takeBackLast();
    // Turns a double-sided tile on the rack over: A and Z, B and Y, ... M
    // and N. Only in a game with double tiles.
    bool flippit(int tile);
    // Sorts the rack positions by key, ascending; equal keys keep their
    // order. Tiles on the board take part.
    void sortthem();
    // The keyboard's way of laying: the leftmost rack tile that shows
    // `letter` (with `otherSide`, in a double-tile game, one whose other
    // side shows it, turned over first) goes on the square with the "place"
    // sound. The tile laid, 0 when none could be.
    int layLetter(int letter, bool otherSide, int x, int y);

    // ---- What the host's messages do to the move ----
    // A new game: nothing laid, no tile turned.
    void reset();
    // A tile was dealt into a rack slot.
    void dealt(int rackslot, int letter);
    // Takes the tiles laid this turn off the board; the rack slots they came
    // from, in rack-slot order.
    QList<int> liftLaid();
    // The host laid the word: a tile laid on one of its squares stays there
    // as a letter of the board. The rack slots it came from.
    QList<int> settle(const QList<game::BoardLetter> &word);

private:
    bool onFreeSquare(int x, int y) const;

    GameMirror &mirror_;      // read, and told of each change through its signals
    game::Grid placedtile_{}; // rack slot laid on a square, or kEmpty
    std::array<std::array<int, 2>, 11> tilesquare_{}; // square of each laid rack tile
    std::array<bool, 11> flipped_{};                  // rack tile turned over
    std::array<QString, 11> tiletext_;                // "n+" letter, "n+*" before a deal
    std::array<RackPlace, 11> rackorder_{};
    std::array<int, 11> laidorder_{}; // when each laid tile was laid, 0 while on the rack
    int laidcount_ = 0;
    int dragtile_ = 0;
    QString dragtext_;
};
