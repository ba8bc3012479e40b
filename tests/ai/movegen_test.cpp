// The move generator against the rules: every move it lists is one the host
// accepts with the same points, and a search over every placement of up to
// three tiles finds no move it missed. Positions come from games played here
// turn by turn and from boards filled with random letters.
#include "ai/engine.h"
#include "dict/tdictn.h"
#include "tests/ai/positions.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <compare>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

// How many of a suite's positions this tree checks. The sanitizer tree looks for
// memory faults, which a fifth of the positions show as well as all of them;
// the plain tree checks every position against the rules.
int share(int positions) {
#ifdef ZORBLE_SANITIZED
    return std::max(1, positions / 5);
#else
    return positions;
#endif
}

using ai::Engine;
using ai::Move;
using ai::Position;
using Kind = ai::WordGraph::Kind;

// A move as the tiles it lays: square, the tile's front letter and side,
// whatever rack slot the tile came from.
using TileKey = std::tuple<int, int, int, bool>;
using MoveKey = std::vector<TileKey>;

MoveKey keyOf(const rules::Rack &rack, const QList<rules::LaidTile> &tiles) {
    MoveKey key;
    for (const rules::LaidTile &t : tiles)
        key.emplace_back(t.x, t.y, rack[t.rackslot], t.flipped);
    std::sort(key.begin(), key.end());
    return key;
}

// A first word by where it ends up: the squares and letters after the move
// onto the centre line, and the tiles used.
MoveKey outcomeOf(const rules::Rack &rack, const rules::Verdict &v,
                  const QList<rules::LaidTile> &laid) {
    MoveKey key;
    for (const rules::Placed &p : v.tiles) {
        const auto it = std::find_if(laid.begin(), laid.end(), [&](const rules::LaidTile &t) {
            return t.rackslot == p.rackslot;
        });
        key.emplace_back(p.x, p.y, rack[p.rackslot], it != laid.end() && it->flipped);
    }
    std::sort(key.begin(), key.end());
    return key;
}

std::string describe(const Position &p) {
    std::string s = "rack";
    for (int k = 1; k <= rules::kRackSlots; ++k)
        s += p.rack[k] == rules::kEmpty ? std::string(" -")
                                        : " " + std::string(1, char('a' + p.rack[k]));
    s += p.doubleTiles ? " (double), mover " : ", mover ";
    s += std::to_string(p.mover) + "\n";
    for (int y = 0; y < rules::kBoard; ++y) {
        for (int x = 0; x < rules::kBoard; ++x)
            s += p.board[x][y] == rules::kEmpty ? '.' : char('a' + p.board[x][y]);
        s += '\n';
    }
    return s;
}

class Engines : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine_ = std::make_unique<Engine>(); // the GADDAG
        dawg_ = std::make_unique<Engine>(Kind::Dawg);
    }
    static void TearDownTestSuite() {
        engine_.reset();
        dawg_.reset();
    }
    static std::unique_ptr<Engine> engine_;
    static std::unique_ptr<Engine> dawg_;
};
std::unique_ptr<Engine> Engines::engine_;
std::unique_ptr<Engine> Engines::dawg_;

// A move packed for sorting: one entry per tile (square, front letter, side)
// in order, then its points.
struct Packed {
    std::array<std::uint32_t, rules::kRackSlots> tiles{};
    int score = 0;
    auto operator<=>(const Packed &) const = default;
};

std::vector<Packed> packed(const rules::Rack &rack, const std::vector<Move> &moves) {
    std::vector<Packed> out;
    out.reserve(moves.size());
    for (const Move &m : moves) {
        Packed p;
        p.score = m.score;
        for (int i = 0; i < int(m.tiles.size()); ++i) {
            const rules::LaidTile &t = m.tiles[i];
            p.tiles[i] = std::uint32_t(t.x * 19 + t.y + 1) << 8 |
                         std::uint32_t(rack[t.rackslot]) << 1 | std::uint32_t(t.flipped);
        }
        std::sort(p.tiles.begin(), p.tiles.begin() + m.tiles.size());
        out.push_back(p);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Every listed move, sent as a client sends it, is read and judged by the
// rules as the host does, and they agree with the listing on everything; no
// move is listed twice, and the search for the best alone finds one with the
// most points (in a whole listing). With `other`, the other graph's search
// lists the same.
void expectRulesAgree(const Position &p, const std::vector<Move> &moves, Engine &engine,
                      Engine *other, bool whole = true) {
    SCOPED_TRACE(describe(p));
    const rules::Rules &rules = engine.rules();
    const bool first = p.firstWord();
    for (const Move &m : moves) {
        const auto placed = rules::Rules::readMove(p.board, p.rack, m.tiles);
        ASSERT_TRUE(placed.has_value());
        const rules::Verdict v = rules.judge(p.board, p.squares, p.mover, *placed, first);
        const bool sideAllowed = std::all_of(m.tiles.begin(), m.tiles.end(), [&](const auto &t) {
            return !t.flipped || p.doubleTiles;
        });
        if (!v.valid || v.score != m.score || v.zorbles != m.zorbles || v.first != m.first ||
            v.word != m.word || !sideAllowed)
            ADD_FAILURE() << "listed " << m.word.toStdString() << " for " << m.score
                          << ", the rules say " << (v.valid ? "" : "invalid, ")
                          << v.word.toStdString() << " for " << v.score;
    }
    const std::vector<Packed> listed = packed(p.rack, moves);
    const auto twice =
        std::adjacent_find(listed.begin(), listed.end(),
                           [](const Packed &a, const Packed &b) { return a.tiles == b.tiles; });
    EXPECT_TRUE(twice == listed.end()) << "a move listed twice";
    if (!whole)
        return;
    std::vector<ai::Play> best;
    engine.generator().generate(ai::CrossChecks(engine.graph(), p.board, p.squares), p, best,
                                ai::MoveGenerator::Keep::Best);
    const int most =
        listed.empty()
            ? -1
            : std::max_element(moves.begin(), moves.end(), [](const Move &a, const Move &b) {
                  return a.score < b.score;
              })->score;
    EXPECT_EQ(best.empty() ? -1 : best.front().score, most);
    if (other) {
        EXPECT_TRUE(packed(p.rack, other->generator().generate(p)) == listed)
            << "the other graph lists other moves";
    }
}

struct Source {
    const char *name;
    bool games; // positions of games played here, else random fills
    bool doubleTiles;
    int positions; // at least this many
    int rackTiles; // at most this many tiles on a random fill's rack
};

class ListedMoves : public Engines, public ::testing::WithParamInterface<Source> {};

TEST_P(ListedMoves, AreAcceptedByTheRulesWithTheSamePoints) {
    const Source &src = GetParam();
    const int wanted = share(src.positions);
    std::mt19937 rng(20240611u + src.doubleTiles);
    int checked = 0;
    long moves = 0;
    if (src.games) {
        while (checked < wanted && !HasFatalFailure()) {
            aitest::playGames(engine_->generator(), engine_->rules(), rng, 1,
                              {int(rng() % 3) + 2, src.doubleTiles},
                              [&](const Position &p, const std::vector<Move> &found) {
                                  EXPECT_TRUE(engine_->generator().stats().complete);
                                  expectRulesAgree(p, found, *engine_,
                                                   checked % 4 ? nullptr : dawg_.get());
                                  ++checked;
                                  moves += long(found.size());
                              });
        }
    } else {
        for (; checked < wanted && !HasFatalFailure(); ++checked) {
            const Position p = aitest::randomFill(rng, src.doubleTiles, src.rackTiles);
            const std::vector<Move> found = engine_->generator().generate(p);
            EXPECT_TRUE(engine_->generator().stats().complete);
            expectRulesAgree(p, found, *engine_, checked % 4 ? nullptr : dawg_.get());
            moves += long(found.size());
        }
    }
    EXPECT_GE(checked, wanted);
    EXPECT_GT(moves, 10L * checked); // the positions offer moves to check
    std::printf("%d positions, %ld moves\n", checked, moves);
}

INSTANTIATE_TEST_SUITE_P(Positions, ListedMoves,
                         ::testing::Values(Source{"GamesSingleSided", true, false, 3500, 10},
                                           Source{"GamesDoubleSided", true, true, 500, 10},
                                           Source{"RandomSingleSided", false, false, 4500, 10},
                                           Source{"RandomDoubleSided", false, true, 1500, 7}),
                         [](const ::testing::TestParamInfo<Source> &param) {
                             return std::string(param.param.name);
                         });

// A search cut short by its deadline or by another thread says so, and
// what it found stands.
TEST_F(Engines, ADeadlineOrACancelStopsTheSearch) {
    std::mt19937 rng(3);
    Position p =
        aitest::playedPositions(engine_->generator(), engine_->rules(), rng, 1, {2, true})[8];
    p.rack = aitest::randomRack(rng);
    const std::size_t all = engine_->generator().generate(p).size();
    ASSERT_TRUE(engine_->generator().stats().complete);
    const std::atomic<bool> cancelled{true};
    const ai::CrossChecks board(engine_->graph(), p.board, p.squares);
    for (const ai::Limits &limits : {ai::Limits{ai::Clock::now(), nullptr},
                                     ai::Limits{ai::Clock::time_point::max(), &cancelled}}) {
        std::vector<ai::Play> plays;
        engine_->generator().generate(board, p, plays, ai::MoveGenerator::Keep::All, limits);
        EXPECT_FALSE(engine_->generator().stats().complete);
        EXPECT_LT(plays.size(), all);
        std::vector<Move> some;
        for (const ai::Play &play : plays)
            some.push_back(ai::moveOf(play, p));
        expectRulesAgree(p, some, *engine_, nullptr, false);
    }
}

// Laying the tiles of each move of a game on the cross-checks of the board
// before brings them to what working them out anew on the board after gives,
// with either graph.
TEST_F(Engines, LaidTilesBringTheCrossChecksUpToDate) {
    std::mt19937 rng(11);
    const std::vector<Position> turns =
        aitest::playedPositions(engine_->generator(), engine_->rules(), rng, 2, {3, false});
    ASSERT_GT(turns.size(), 40u);
    for (Engine *e : {engine_.get(), dawg_.get()}) {
        ai::CrossChecks running(e->graph(), turns[0].board, turns[0].squares);
        int laid = 0;
        for (std::size_t i = 1; i < turns.size(); ++i) {
            const Position &p = turns[i];
            if (p.firstWord()) { // the second game
                running = ai::CrossChecks(e->graph(), p.board, p.squares);
                continue;
            }
            for (int x = 0; x < rules::kBoard; ++x)
                for (int y = 0; y < rules::kBoard; ++y)
                    if (p.board[x][y] != turns[i - 1].board[x][y]) {
                        running.lay(x, y, p.board[x][y]);
                        ++laid;
                    }
            const ai::CrossChecks anew(e->graph(), p.board, p.squares);
            const ai::CrossChecks other(engine_->graph(), p.board, p.squares);
            for (int x = 0; x < rules::kBoard; ++x) {
                for (int y = 0; y < rules::kBoard; ++y) {
                    for (const ai::CrossChecks *c : {&anew, &other}) {
                        const auto &a = running.at(x, y);
                        const auto &b = c->at(x, y);
                        ASSERT_TRUE(a.letter == b.letter &&
                                    (a.letter >= 0 || (a.joins == b.joins && a.fits == b.fits &&
                                                       a.points == b.points)))
                            << "square " << x << "," << y << " after turn " << i << "\n"
                            << describe(p);
                    }
                }
            }
        }
        EXPECT_GT(laid, 100);
    }
}

// ---- Every placement of up to three tiles ----------------------------------

// Short words of the built-in list and three words of one letter, in a list
// of their own, so that a search of every placement stays quick.
class SmallList : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        std::vector<QByteArray> fields;
        for (const char *one : {"A", "I", "O"})
            fields.push_back(QByteArray(one).leftJustified(14, ' '));
        for (const ai::Letters &w : ai::WordGraph::wordsOf(TDictn())) {
            if (w.size() > 4)
                continue;
            QByteArray field;
            for (char c : w)
                field += char('A' + c);
            fields.push_back(field.leftJustified(14, ' '));
        }
        std::sort(fields.begin(), fields.end());
        QFile f(dir_->filePath(QStringLiteral("short-words")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QByteArray &field : fields)
            f.write(char(0x1E) + field);
        f.close();
        dawg_ = std::make_unique<Engine>(f.fileName(), Kind::Dawg);
        gaddag_ = std::make_unique<Engine>(f.fileName(), Kind::Gaddag);
        ASSERT_TRUE(dawg_->isOpen());
    }
    static void TearDownTestSuite() {
        dawg_.reset();
        gaddag_.reset();
        dir_.reset();
    }
    static std::unique_ptr<QTemporaryDir> dir_;
    static std::unique_ptr<Engine> dawg_;
    static std::unique_ptr<Engine> gaddag_;
};
std::unique_ptr<QTemporaryDir> SmallList::dir_;
std::unique_ptr<Engine> SmallList::dawg_;
std::unique_ptr<Engine> SmallList::gaddag_;

// Every valid move of one to three tiles, found by laying every choice of
// tiles and sides on every set of up to three empty squares in one line and
// asking the rules. A set of squares is only tried with tiles when the rules,
// with every word allowed, accept it: whether tiles lie in one line, leave no
// gap, touch the board and spell nothing too long does not depend on their
// letters. A first word is keyed by where it ends up, with its best points.
std::map<MoveKey, int> everyMoveByHand(const Position &p, const rules::Rules &rules) {
    const rules::Rules anyWord([](const QString &) { return true; });
    const bool first = p.firstWord();
    std::vector<std::pair<int, bool>> sides; // rack slot, turned over
    for (int k = 1; k <= rules::kRackSlots; ++k) {
        if (p.rack[k] == rules::kEmpty)
            continue;
        sides.emplace_back(k, false);
        if (p.doubleTiles)
            sides.emplace_back(k, true);
    }
    std::map<MoveKey, int> found;
    auto tryTiles = [&](const std::vector<std::pair<int, int>> &squares) {
        QList<rules::Placed> shape;
        for (int i = 0; i < int(squares.size()); ++i)
            shape.append({i + 1, squares[i].first, squares[i].second, 0});
        if (!anyWord.judge(p.board, p.squares, p.mover, shape, first).valid)
            return;
        QList<rules::LaidTile> laid;
        std::set<int> usedSlots;
        std::function<void(std::size_t)> place = [&](std::size_t i) {
            if (i == squares.size()) {
                const auto placed = rules::Rules::readMove(p.board, p.rack, laid);
                const rules::Verdict v =
                    rules.judge(p.board, p.squares, p.mover, placed.value(), first);
                if (!v.valid)
                    return;
                const MoveKey key = first ? outcomeOf(p.rack, v, laid) : keyOf(p.rack, laid);
                int &best = found.try_emplace(key, v.score).first->second;
                best = std::max(best, v.score);
                return;
            }
            for (const auto &[slot, flipped] : sides) {
                if (!usedSlots.insert(slot).second)
                    continue;
                laid.append({slot, flipped, squares[i].first, squares[i].second});
                place(i + 1);
                laid.removeLast();
                usedSlots.erase(slot);
            }
        };
        place(0);
    };
    for (const bool down : {true, false}) {
        for (int line = 0; line < rules::kBoard; ++line) {
            std::vector<std::pair<int, int>> empty;
            for (int pos = 0; pos < rules::kBoard; ++pos) {
                const int x = down ? line : pos;
                const int y = down ? pos : line;
                if (p.board[x][y] == rules::kEmpty)
                    empty.emplace_back(x, y);
            }
            const int n = int(empty.size());
            for (int a = 0; a < n; ++a) {
                if (down) // one tile: once, in the column pass
                    tryTiles({empty[a]});
                for (int b = a + 1; b < n; ++b) {
                    tryTiles({empty[a], empty[b]});
                    for (int c = b + 1; c < n; ++c)
                        tryTiles({empty[a], empty[b], empty[c]});
                }
            }
        }
    }
    return found;
}

// The generator's moves of up to three tiles, keyed as above.
std::map<MoveKey, int> listedUpToThree(const Position &p, Engine &engine) {
    std::map<MoveKey, int> listed;
    for (const Move &m : engine.generator().generate(p)) {
        if (m.tiles.size() > 3)
            continue;
        MoveKey key = keyOf(p.rack, m.tiles);
        if (m.first) {
            const auto placed = rules::Rules::readMove(p.board, p.rack, m.tiles);
            key = outcomeOf(p.rack,
                            engine.rules().judge(p.board, p.squares, p.mover, placed.value(), true),
                            m.tiles);
        }
        EXPECT_TRUE(listed.emplace(key, m.score).second);
    }
    return listed;
}

// At most `tiles` tiles of the rack, the others taken off.
Position withRackOf(Position p, int tiles) {
    int kept = 0;
    for (int k = 1; k <= rules::kRackSlots; ++k)
        if (p.rack[k] != rules::kEmpty && ++kept > tiles)
            p.rack[k] = rules::kEmpty;
    return p;
}

enum class Board { Games, Random, Empty };
struct Search {
    const char *name;
    Board board;
    bool doubleTiles;
    int positions;
    int rackTiles;
};

class EveryPlacement : public SmallList, public ::testing::WithParamInterface<Search> {};

TEST_P(EveryPlacement, FindsNoMoveTheGeneratorMissed) {
    const Search &s = GetParam();
    const int wanted = share(s.positions);
    std::mt19937 rng(77u + unsigned(s.board) * 2 + s.doubleTiles);
    std::vector<Position> positions;
    if (s.board == Board::Games) {
        // Turns spread over whole games.
        const auto played =
            aitest::playedPositions(dawg_->generator(), dawg_->rules(), rng, 4, {2, s.doubleTiles});
        for (std::size_t i = 0; i < played.size() && int(positions.size()) < wanted;
             i += std::max<std::size_t>(1, played.size() / std::size_t(wanted)))
            positions.push_back(played[i]);
    }
    while (int(positions.size()) < wanted) {
        Position p = aitest::randomFill(rng, s.doubleTiles);
        if (s.board == Board::Empty) {
            p.board = Position().board;
            p.firstword = true;
            p.rack = aitest::randomRack(rng, s.rackTiles);
        }
        if (s.board == Board::Random && p.firstWord())
            continue;
        positions.push_back(p);
    }
    int moves = 0;
    for (const Position &raw : positions) {
        const Position p = withRackOf(raw, s.rackTiles);
        SCOPED_TRACE(describe(p));
        const std::map<MoveKey, int> byHand = everyMoveByHand(p, dawg_->rules());
        EXPECT_EQ(listedUpToThree(p, *dawg_), byHand);
        EXPECT_EQ(listedUpToThree(p, *gaddag_), byHand);
        moves += int(byHand.size());
    }
    EXPECT_GT(moves, wanted); // the positions offer moves to find
    std::printf("%zu positions, %d moves of up to three tiles\n", positions.size(), moves);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, EveryPlacement,
    ::testing::Values(Search{"GamesSingleSided", Board::Games, false, 60, 6},
                      Search{"GamesDoubleSided", Board::Games, true, 60, 5},
                      Search{"RandomSingleSided", Board::Random, false, 60, 6},
                      Search{"RandomDoubleSided", Board::Random, true, 60, 5},
                      Search{"FirstWordSingleSided", Board::Empty, false, 6, 5},
                      Search{"FirstWordDoubleSided", Board::Empty, true, 6, 4}),
    [](const ::testing::TestParamInfo<Search> &param) { return std::string(param.param.name); });

} // namespace
