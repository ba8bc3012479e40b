// The board and rack side of the game mirror: square backgrounds, letters,
// the newest word, the tiles laid this turn, the rack's tiles and order, and
// the drag.
#include "clientcore/gamemirror.h"

#include "net/protocol.h"

#include <algorithm>

namespace {

void fill(GameMirror::Grid &grid, int value) {
    for (auto &column : grid)
        column.fill(value);
}

bool onBoard(int x, int y) {
    return x >= 0 && x < GameMirror::kBoard && y >= 0 && y < GameMirror::kBoard;
}

// The Zorble squares of each layout; a layout of n squares takes the first n.
constexpr std::array<std::array<int, 2>, 20> kZorbleLayout{{
    {6, 6}, {12, 6}, {6, 12}, {12, 12}, // 4
    {4, 4}, {14, 4}, {4, 14}, {14, 14}, // 8
    {2, 2}, {16, 2}, {2, 16}, {16, 16}, // 12
    {0, 0}, {18, 0}, {0, 18}, {18, 18}, // 16
    {9, 3}, {3, 9},  {15, 9}, {9, 15},  // 20
}};

} // namespace

void GameMirror::clearall() {
    for (int n = 1; n <= kSeats; ++n) {
        watching_[n] = false;
        bonuses_[n].clear();
        scores_[n] = 0;
        emit seatChanged(n);
    }
    fill(squareletter_, kEmpty);
    fill(placedtile_, kEmpty);
    fill(newestword_, 0);
    for (auto &square : tilesquare_)
        square = {kEmpty, kEmpty};
    laidorder_.fill(0);
}

// ---- Square backgrounds -------------------------------------------------------

void GameMirror::getboard(int c1, int c2, int c3, int c4) {
    // Four pinwheel quarters of 90 squares each about the centre square.
    for (int x = 0; x < kBoard; ++x) {
        for (int y = 0; y < kBoard; ++y) {
            int colour = kCentre;
            if (x <= 9 && y <= 8)
                colour = c1;
            else if (x <= 8 && y >= 9)
                colour = c2;
            else if (x >= 10 && y <= 9)
                colour = c3;
            else if (x >= 9 && y >= 10)
                colour = c4;
            squarecolor_[x][y] = colour;
        }
    }
    zorbles(squarecount_);
}

void GameMirror::zorbles(int count) {
    if (count != 4 && count != 8 && count != 12 && count != 16 && count != 20)
        return;
    for (int i = 0; i < count; ++i)
        squarecolor_[kZorbleLayout[i][0]][kZorbleLayout[i][1]] = kZorbleSquare;
}

QList<std::array<int, 2>> GameMirror::zorbleSquares() const {
    QList<std::array<int, 2>> squares;
    for (int x = 0; x < kBoard; ++x)
        for (int y = 0; y < kBoard; ++y)
            if (squarecolor_[x][y] == kZorbleSquare)
                squares.append({x, y});
    return squares;
}

void GameMirror::handle(const proto::toclient::ArrangeBoard &m) {
    quarters_ = m.quarters;
    getboard(m.quarters[0], m.quarters[1], m.quarters[2], m.quarters[3]);
    emit boardChanged();
}

// ---- Letters from the host ------------------------------------------------------

void GameMirror::handle(const proto::toclient::ShowBoard &m) {
    squareletter_[m.x][m.y] = m.letter;
    emit boardChanged();
}

void GameMirror::handle(const proto::toclient::Reposition &m) {
    // The tiles laid this turn leave the board; their rack tiles are spent.
    liftLaid(true);
    for (const proto::BoardLetter &t : m.tiles)
        squareletter_[t.x][t.y] = t.letter;
    emit boardChanged();
    emit rackChanged();
}

void GameMirror::handle(const proto::toclient::NewWord &m) {
    fill(newestword_, 0);
    emit soundRequested(QStringLiteral("word"));
    for (const proto::BoardLetter &t : m.tiles) {
        newestword_[t.x][t.y] = 1;
        squareletter_[t.x][t.y] = t.letter;
        const int k = placedtile_[t.x][t.y];
        if (currentplayer_ == localseat_ && k != kEmpty) {
            // The laid tile becomes a permanent letter.
            tilesquare_[k] = {kEmpty, kEmpty};
            placedtile_[t.x][t.y] = kEmpty;
            laidorder_[k] = 0;
            rack_[k] = kEmpty;
        }
    }
    endOfTurn();
    emit boardChanged();
    emit rackChanged();
}

// ---- The rack ----------------------------------------------------------------------

void GameMirror::handle(const proto::toclient::Atile &m) {
    rack_[m.rackslot] = m.letter;
    flipped_[m.rackslot] = false;
    tiletext_[m.rackslot] = QStringLiteral("n+") + QString::number(m.letter);
    for (int i = 1; i <= 10; ++i)
        if (rackorder_[i].tile == m.rackslot)
            rackorder_[i].key = m.letter;
    emit rackChanged();
}

std::array<int, 2> GameMirror::tileSquare(int tile) const {
    if (tile < 1 || tile > 10)
        return {kEmpty, kEmpty};
    return tilesquare_[tile];
}

QString GameMirror::tileText(int tile) const {
    return tile >= 1 && tile <= 10 ? tiletext_[tile] : QString();
}

int GameMirror::tileLetter(int tile) const {
    if (tile < 1 || tile > 10 || rack_[tile] == kEmpty)
        return kEmpty;
    return flipped_[tile] ? 25 - rack_[tile] : rack_[tile];
}

bool GameMirror::tileOnRack(int tile) const {
    return tile >= 1 && tile <= 10 && rack_[tile] != kEmpty && tilesquare_[tile][0] == kEmpty;
}

void GameMirror::cancelDrag() {
    if (dragtile_ == 0 && dragtext_.isEmpty())
        return;
    dragtile_ = 0;
    dragtext_.clear();
    emit dragChanged();
}

// ---- A move being laid ----------------------------------------------------------------

bool GameMirror::layTile(int slot, int x, int y) {
    if (slot < 1 || slot > 10 || rack_[slot] == kEmpty || tilesquare_[slot][0] != kEmpty ||
        !onBoard(x, y) || squareletter_[x][y] != kEmpty)
        return false;
    tilesquare_[slot] = {x, y};
    placedtile_[x][y] = slot;
    squareletter_[x][y] = tileLetter(slot);
    laidorder_[slot] = ++laidcount_;
    emit boardChanged();
    emit rackChanged();
    return true;
}

QList<game::LaidTile> GameMirror::laidTiles() const {
    QList<game::LaidTile> tiles;
    for (int k = 1; k <= 10; ++k)
        if (tilesquare_[k][0] != kEmpty)
            tiles.append({k, flipped_[k], tilesquare_[k][0], tilesquare_[k][1]});
    return tiles;
}

int GameMirror::liftLaid(bool spend) {
    int lifted = 0;
    for (int k = 1; k <= 10; ++k) {
        const auto [x, y] = tilesquare_[k];
        if (x == kEmpty)
            continue;
        placedtile_[x][y] = kEmpty;
        squareletter_[x][y] = kEmpty;
        tilesquare_[k] = {kEmpty, kEmpty};
        laidorder_[k] = 0;
        if (spend)
            rack_[k] = kEmpty;
        ++lifted;
    }
    return lifted;
}

void GameMirror::clearLaid() {
    const int returned = liftLaid(false);
    for (int i = 0; i < returned; ++i)
        emit soundRequested(QStringLiteral("remove"));
    if (returned > 0) {
        emit boardChanged();
        emit rackChanged();
    }
}

bool GameMirror::startDrag(int tile) {
    // A rack position that was never dealt a tile ("n+*") is not on the rack.
    if (dragtile_ != 0 || !tileOnRack(tile))
        return false;
    dragtile_ = tile;
    dragtext_ = tiletext_[tile];
    emit dragChanged();
    return true;
}

bool GameMirror::dropDragged(int x, int y) {
    if (dragtile_ == 0)
        return false;
    const bool laid = layTile(dragtile_, x, y);
    if (laid)
        emit soundRequested(QStringLiteral("place"));
    cancelDrag();
    return laid;
}

void GameMirror::swapWithDragged(int tile) {
    if (dragtile_ == 0)
        return;
    int from = 0, to = 0;
    for (int p = 1; p <= 10; ++p) {
        if (rackorder_[p].tile == dragtile_)
            from = p;
        if (rackorder_[p].tile == tile)
            to = p;
    }
    cancelDrag();
    if (from == 0 || to == 0 || from == to)
        return;
    std::swap(rackorder_[from], rackorder_[to]);
    emit rackChanged();
}

bool GameMirror::takeBack(int x, int y) {
    if (!onBoard(x, y) || placedtile_[x][y] == kEmpty)
        return false;
    const int k = placedtile_[x][y];
    tilesquare_[k] = {kEmpty, kEmpty};
    laidorder_[k] = 0;
    placedtile_[x][y] = kEmpty;
    squareletter_[x][y] = kEmpty;
    emit soundRequested(QStringLiteral("remove"));
    emit boardChanged();
    emit rackChanged();
    return true;
}

std::array<int, 2> GameMirror::takeBackLast() {
    int last = 0;
    for (int k = 1; k <= 10; ++k)
        if (laidorder_[k] > laidorder_[last])
            last = k;
    if (last == 0)
        return {kEmpty, kEmpty};
    const std::array<int, 2> square = tilesquare_[last];
    takeBack(square[0], square[1]);
    return square;
}

bool GameMirror::flippit(int tile) {
    if (!doubletiles_ || !tileOnRack(tile))
        return false;
    flipped_[tile] = !flipped_[tile];
    tiletext_[tile] = (flipped_[tile] ? QStringLiteral("y+") : QStringLiteral("n+")) +
                      QString::number(tileLetter(tile));
    emit rackChanged();
    return true;
}

void GameMirror::sortthem() {
    std::stable_sort(rackorder_.begin() + 1, rackorder_.end(),
                     [](const RackPlace &a, const RackPlace &b) { return a.key < b.key; });
    emit rackChanged();
}

int GameMirror::layLetter(int letter, bool otherSide, int x, int y) {
    if (otherSide && !doubletiles_)
        return 0;
    for (int p = 1; p <= 10; ++p) {
        const int k = rackorder_[p].tile;
        if (!tileOnRack(k))
            continue;
        const int shown = tileLetter(k);
        if ((otherSide ? 25 - shown : shown) != letter)
            continue;
        if (!onBoard(x, y) || squareletter_[x][y] != kEmpty)
            return 0;
        if (otherSide)
            flippit(k);
        layTile(k, x, y);
        emit soundRequested(QStringLiteral("place"));
        return k;
    }
    return 0;
}

std::optional<QString> GameMirror::doneRequest() const {
    const QList<game::LaidTile> tiles = laidTiles();
    if (tiles.isEmpty() || !loggedin_)
        return std::nullopt;
    return proto::client::done(localseat_, tiles);
}
