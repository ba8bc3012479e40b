#include "game/position.h"

namespace game {

namespace {

// The Zorble squares, four more for each step of the count 4, 8, 12, 16, 20.
constexpr std::array<std::array<int, 2>, 20> kZorbleSquares = {{
    {6, 6}, {12, 6}, {6, 12}, {12, 12}, // 4
    {4, 4}, {14, 4}, {4, 14}, {14, 14}, // 8
    {2, 2}, {16, 2}, {2, 16}, {16, 16}, // 12
    {0, 0}, {18, 0}, {0, 18}, {18, 18}, // 16
    {9, 3}, {3, 9},  {15, 9}, {9, 15},  // 20
}};

} // namespace

Position::Position() {
    for (auto &column : board)
        column.fill(kEmpty);
    rack.fill(kEmpty);
}

bool Position::boardEmpty() const {
    for (const auto &column : board)
        for (int letter : column)
            if (letter != kEmpty)
                return false;
    return true;
}

Grid quarterKinds(const std::array<int, 4> &quarters) {
    // Four pinwheel quarters of 90 squares each about the centre square.
    Grid kinds{};
    for (int x = 0; x < kBoard; ++x) {
        for (int y = 0; y < kBoard; ++y) {
            int kind = kCentreKind;
            if (x <= 9 && y <= 8)
                kind = quarters[0];
            else if (x <= 8 && y >= 9)
                kind = quarters[1];
            else if (x >= 10 && y <= 9)
                kind = quarters[2];
            else if (x >= 9 && y >= 10)
                kind = quarters[3];
            kinds[x][y] = kind;
        }
    }
    return kinds;
}

void markZorbleSquares(Grid &squares, int count) {
    if (count != 4 && count != 8 && count != 12 && count != 16 && count != 20)
        return;
    for (int i = 0; i < count; ++i)
        squares[kZorbleSquares[i][0]][kZorbleSquares[i][1]] = rules::kZorbleSquare;
}

std::optional<rules::Verdict> judgeMove(const rules::Rules &rules, const Position &position,
                                        const QList<LaidTile> &tiles) {
    const auto placed = rules::Rules::readMove(position.board, position.rack, tiles);
    if (!placed)
        return std::nullopt;
    return rules.judge(position.board, position.squares, position.mover, *placed,
                       position.firstword);
}

QString squareName(int x, int y) {
    return QChar(u'A' + x) + QString::number(y + 1);
}

} // namespace game
