#include "clientcore/movecomposer.h"

#include "clientcore/gamemirror.h"

#include <algorithm>

namespace {

constexpr int kEmpty = game::kEmpty;

bool onBoard(int x, int y) {
    return x >= 0 && x < game::kBoard && y >= 0 && y < game::kBoard;
}

} // namespace

MoveComposer::MoveComposer(GameMirror &mirror) : mirror_(mirror) {
    for (int i = 1; i <= 10; ++i) {
        rackorder_[size_t(i)] = {0, i};
        tiletext_[size_t(i)] = QStringLiteral("n+*");
    }
    reset();
}

void MoveComposer::reset() {
    for (auto &column : placedtile_)
        column.fill(kEmpty);
    for (auto &square : tilesquare_)
        square = {kEmpty, kEmpty};
    laidorder_.fill(0);
}

int MoveComposer::shownLetter(int x, int y) const {
    if (!onBoard(x, y))
        return kEmpty;
    const int tile = placedtile_[size_t(x)][size_t(y)];
    return tile != kEmpty ? tileLetter(tile) : mirror_.letterAt(x, y);
}

int MoveComposer::placedTile(int x, int y) const {
    return onBoard(x, y) ? placedtile_[size_t(x)][size_t(y)] : kEmpty;
}

bool MoveComposer::onFreeSquare(int x, int y) const {
    return onBoard(x, y) && shownLetter(x, y) == kEmpty;
}

std::array<int, 2> MoveComposer::tileSquare(int tile) const {
    if (tile < 1 || tile > 10)
        return {kEmpty, kEmpty};
    return tilesquare_[size_t(tile)];
}

QString MoveComposer::tileText(int tile) const {
    return tile >= 1 && tile <= 10 ? tiletext_[size_t(tile)] : QString();
}

int MoveComposer::tileLetter(int tile) const {
    const int letter = mirror_.rackLetter(tile);
    if (letter == kEmpty)
        return kEmpty;
    return flipped_[size_t(tile)] ? 25 - letter : letter;
}

bool MoveComposer::tileOnRack(int tile) const {
    return tile >= 1 && tile <= 10 && mirror_.rackLetter(tile) != kEmpty &&
           tilesquare_[size_t(tile)][0] == kEmpty;
}

// ---- What the host's messages do ----------------------------------------------------

void MoveComposer::dealt(int rackslot, int letter) {
    flipped_[size_t(rackslot)] = false;
    tiletext_[size_t(rackslot)] = QStringLiteral("n+") + QString::number(letter);
    for (int i = 1; i <= 10; ++i)
        if (rackorder_[size_t(i)].tile == rackslot)
            rackorder_[size_t(i)].key = letter;
}

QList<int> MoveComposer::liftLaid() {
    QList<int> lifted;
    for (int k = 1; k <= 10; ++k) {
        const auto [x, y] = tilesquare_[size_t(k)];
        if (x == kEmpty)
            continue;
        placedtile_[size_t(x)][size_t(y)] = kEmpty;
        tilesquare_[size_t(k)] = {kEmpty, kEmpty};
        laidorder_[size_t(k)] = 0;
        lifted.append(k);
    }
    return lifted;
}

QList<int> MoveComposer::settle(const QList<game::BoardLetter> &word) {
    QList<int> spent;
    for (const game::BoardLetter &t : word) {
        const int k = placedTile(t.x, t.y);
        if (k == kEmpty)
            continue;
        tilesquare_[size_t(k)] = {kEmpty, kEmpty};
        placedtile_[size_t(t.x)][size_t(t.y)] = kEmpty;
        laidorder_[size_t(k)] = 0;
        spent.append(k);
    }
    return spent;
}

// ---- Laying -----------------------------------------------------------------------------

bool MoveComposer::layTile(int slot, int x, int y) {
    if (slot < 1 || slot > 10 || mirror_.rackLetter(slot) == kEmpty ||
        tilesquare_[size_t(slot)][0] != kEmpty || !onFreeSquare(x, y))
        return false;
    tilesquare_[size_t(slot)] = {x, y};
    placedtile_[size_t(x)][size_t(y)] = slot;
    laidorder_[size_t(slot)] = ++laidcount_;
    emit mirror_.boardChanged();
    emit mirror_.rackChanged();
    return true;
}

QList<game::LaidTile> MoveComposer::laidTiles() const {
    QList<game::LaidTile> tiles;
    for (int k = 1; k <= 10; ++k)
        if (tilesquare_[size_t(k)][0] != kEmpty)
            tiles.append(
                {k, flipped_[size_t(k)], tilesquare_[size_t(k)][0], tilesquare_[size_t(k)][1]});
    return tiles;
}

std::optional<proto::tohost::Move> MoveComposer::move() const {
    const QList<game::LaidTile> tiles = laidTiles();
    if (tiles.isEmpty() || !mirror_.loggedIn())
        return std::nullopt;
    return proto::request::move(mirror_.localSeat(), tiles);
}

void MoveComposer::clearLaid() {
    const qsizetype returned = liftLaid().size();
    for (qsizetype i = 0; i < returned; ++i)
        emit mirror_.soundRequested(QStringLiteral("remove"));
    if (returned > 0) {
        emit mirror_.boardChanged();
        emit mirror_.rackChanged();
    }
}

bool MoveComposer::startDrag(int tile) {
    // A rack position that was never dealt a tile ("n+*") is not on the rack.
    if (dragtile_ != 0 || !tileOnRack(tile))
        return false;
    dragtile_ = tile;
    dragtext_ = tiletext_[size_t(tile)];
    emit mirror_.dragChanged();
    return true;
}

bool MoveComposer::dropDragged(int x, int y) {
    if (dragtile_ == 0)
        return false;
    const bool laid = layTile(dragtile_, x, y);
    if (laid)
        emit mirror_.soundRequested(QStringLiteral("place"));
    cancelDrag();
    return laid;
}

void MoveComposer::cancelDrag() {
    if (dragtile_ == 0 && dragtext_.isEmpty())
        return;
    dragtile_ = 0;
    dragtext_.clear();
    emit mirror_.dragChanged();
}

void MoveComposer::swapWithDragged(int tile) {
    if (dragtile_ == 0)
        return;
    int from = 0, to = 0;
    for (int p = 1; p <= 10; ++p) {
        if (rackorder_[size_t(p)].tile == dragtile_)
            from = p;
        if (rackorder_[size_t(p)].tile == tile)
            to = p;
    }
    cancelDrag();
    if (from == 0 || to == 0 || from == to)
        return;
    std::swap(rackorder_[size_t(from)], rackorder_[size_t(to)]);
    emit mirror_.rackChanged();
}

bool MoveComposer::takeBack(int x, int y) {
    const int k = placedTile(x, y);
    if (k == kEmpty)
        return false;
    tilesquare_[size_t(k)] = {kEmpty, kEmpty};
    laidorder_[size_t(k)] = 0;
    placedtile_[size_t(x)][size_t(y)] = kEmpty;
    emit mirror_.soundRequested(QStringLiteral("remove"));
    emit mirror_.boardChanged();
    emit mirror_.rackChanged();
    return true;
}

std::array<int, 2> MoveComposer::takeBackLast() {
    int last = 0;
    for (int k = 1; k <= 10; ++k)
        if (laidorder_[size_t(k)] > laidorder_[size_t(last)])
            last = k;
    if (last == 0)
        return {kEmpty, kEmpty};
    const std::array<int, 2> square = tilesquare_[size_t(last)];
    takeBack(square[0], square[1]);
    return square;
}

bool MoveComposer::flippit(int tile) {
    if (!mirror_.options().doubletiles || !tileOnRack(tile))
        return false;
    flipped_[size_t(tile)] = !flipped_[size_t(tile)];
    tiletext_[size_t(tile)] =
        (flipped_[size_t(tile)] ? QStringLiteral("y+") : QStringLiteral("n+")) +
        QString::number(tileLetter(tile));
    emit mirror_.rackChanged();
    return true;
}

void MoveComposer::sortthem() {
    std::stable_sort(rackorder_.begin() + 1, rackorder_.end(),
                     [](const RackPlace &a, const RackPlace &b) { return a.key < b.key; });
    emit mirror_.rackChanged();
}

int MoveComposer::layLetter(int letter, bool otherSide, int x, int y) {
    if (otherSide && !mirror_.options().doubletiles)
        return 0;
    for (int p = 1; p <= 10; ++p) {
        const int k = rackorder_[size_t(p)].tile;
        if (!tileOnRack(k))
            continue;
        const int shown = tileLetter(k);
        if ((otherSide ? 25 - shown : shown) != letter)
            continue;
        if (!onFreeSquare(x, y))
            return 0;
        if (otherSide)
            flippit(k);
        layTile(k, x, y);
        emit mirror_.soundRequested(QStringLiteral("place"));
        return k;
    }
    return 0;
}
