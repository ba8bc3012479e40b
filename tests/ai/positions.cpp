#include "tests/ai/positions.h"

#include "game/position.h"

#include <algorithm>
#include <array>

namespace aitest {

namespace {

std::vector<int> shuffledBag(std::mt19937 &rng) {
    std::vector<int> bag;
    for (int letter = 0; letter < 26; ++letter)
        bag.insert(bag.end(), rules::kLetterCounts[letter], letter);
    std::shuffle(bag.begin(), bag.end(), rng);
    bag.pop_back(); // the last tile is never drawn
    return bag;
}

int pick(std::mt19937 &rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// The moves in an order of their own, whatever order a generator lists them
// in: by their tiles' squares, letters and sides. So the same seed plays the
// same games with any generator that finds the same moves.
std::vector<const ai::Move *> inOrder(const std::vector<ai::Move> &moves, const rules::Rack &rack) {
    using Key = std::vector<std::array<int, 4>>;
    std::vector<std::pair<Key, const ai::Move *>> keyed;
    keyed.reserve(moves.size());
    for (const ai::Move &m : moves) {
        Key key;
        for (const rules::LaidTile &t : m.tiles)
            key.push_back({t.x, t.y, rack[t.rackslot], t.flipped});
        std::sort(key.begin(), key.end());
        keyed.emplace_back(std::move(key), &m);
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<const ai::Move *> out;
    out.reserve(keyed.size());
    for (const auto &k : keyed)
        out.push_back(k.second);
    return out;
}

} // namespace

rules::Grid squaresOf(int arrangement, int zorbles) {
    std::array<int, 4> q{};
    for (int i = 0; i < 4; ++i)
        q[i] = (i + arrangement) % 4 + 1;
    rules::Grid squares = game::quarterKinds(q);
    game::markZorbleSquares(squares, zorbles);
    return squares;
}

std::vector<ai::Position> playedPositions(ai::MoveGenerator &generator, const rules::Rules &rules,
                                          std::mt19937 &rng, int games, const GameSetup &setup) {
    std::vector<ai::Position> out;
    playGames(generator, rules, rng, games, setup,
              [&](const ai::Position &p, const std::vector<ai::Move> &) { out.push_back(p); });
    return out;
}

void playGames(ai::MoveGenerator &generator, const rules::Rules &rules, std::mt19937 &rng,
               int games, const GameSetup &setup, const Turn &turn) {
    for (int game = 0; game < games; ++game) {
        ai::Position p;
        p.squares = squaresOf(pick(rng, 0, 3), 4 * pick(rng, 0, 5));
        p.doubleTiles = setup.doubleTiles;
        std::vector<int> bag = shuffledBag(rng);
        std::array<rules::Rack, 5> racks{};
        auto refill = [&](rules::Rack &rack) {
            for (int k = 1; k <= rules::kRackSlots; ++k) {
                if (rack[k] == rules::kEmpty && !bag.empty()) {
                    rack[k] = bag.back();
                    bag.pop_back();
                }
            }
        };
        for (int s = 1; s <= setup.seats; ++s) {
            racks[s].fill(rules::kEmpty);
            refill(racks[s]);
        }
        int passes = 0;
        for (int mover = pick(rng, 1, setup.seats); passes < setup.seats;
             mover = mover % setup.seats + 1) {
            rules::Rack &rack = racks[mover];
            refill(rack);
            if (std::all_of(rack.begin() + 1, rack.end(),
                            [](int v) { return v == rules::kEmpty; })) {
                ++passes;
                continue;
            }
            p.mover = mover;
            p.rack = rack;
            const std::vector<ai::Move> moves = generator.generate(p);
            turn(p, moves);
            if (moves.empty()) {
                ++passes;
                continue;
            }
            passes = 0;
            const std::vector<const ai::Move *> ordered = inOrder(moves, rack);
            const ai::Move *chosen = ordered[std::size_t(pick(rng, 0, int(moves.size()) - 1))];
            if (rng() % 2)
                chosen = *std::max_element(
                    ordered.begin(), ordered.end(),
                    [](const ai::Move *a, const ai::Move *b) { return a->score < b->score; });
            // Committed as the host commits it: where the rules put the tiles.
            const auto placed = rules::Rules::readMove(p.board, rack, chosen->tiles);
            const rules::Verdict v = rules.judge(
                p.board, p.squares, mover, placed.value_or(QList<rules::Placed>{}), p.firstWord());
            if (!v.valid)
                break; // the generator's own tests report such a move
            for (const rules::Placed &t : v.tiles) {
                p.board[t.x][t.y] = t.letter;
                rack[t.rackslot] = rules::kEmpty;
            }
            p.firstword = false;
        }
    }
}

rules::Rack randomRack(std::mt19937 &rng, int tiles) {
    rules::Rack rack;
    rack.fill(rules::kEmpty);
    std::vector<int> bag = shuffledBag(rng);
    for (int k = 1; k <= tiles; ++k)
        rack[k] = bag[k];
    return rack;
}

ai::Position randomFill(std::mt19937 &rng, bool doubleTiles, int maxTiles) {
    ai::Position p;
    p.squares = squaresOf(pick(rng, 0, 3), 4 * pick(rng, 0, 5));
    p.mover = pick(rng, 1, 4);
    p.doubleTiles = doubleTiles;
    p.rack.fill(rules::kEmpty);
    const int tiles = pick(rng, 1, maxTiles);
    std::vector<int> order{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::shuffle(order.begin(), order.end(), rng);
    for (int i = 0; i < tiles; ++i)
        p.rack[order[i]] = pick(rng, 0, 25);
    if (pick(rng, 0, 19) == 0)
        return p;
    // Scattered letters, then runs across and down.
    const int scattered = pick(rng, 1, 60);
    for (int i = 0; i < scattered; ++i)
        p.board[pick(rng, 0, 18)][pick(rng, 0, 18)] = pick(rng, 0, 25);
    const int runs = pick(rng, 0, 12);
    for (int i = 0; i < runs; ++i) {
        const bool down = rng() % 2;
        const int line = pick(rng, 0, 18);
        const int start = pick(rng, 0, 17);
        const int length = pick(rng, 2, std::min(8, 19 - start));
        for (int j = 0; j < length; ++j)
            (down ? p.board[line][start + j] : p.board[start + j][line]) = pick(rng, 0, 25);
    }
    p.firstword = p.boardEmpty();
    return p;
}

} // namespace aitest
