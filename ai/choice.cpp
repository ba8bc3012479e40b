#include "ai/choice.h"

#include "game/bag.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ai {

namespace {

constexpr int kE = 4;
constexpr int kQ = 16;
constexpr int kU = 20;

bool isVowel(int letter) {
    return letter == 0 || letter == kE || letter == 8 || letter == 14 || letter == kU;
}

// The share of vowels among the tiles kept that leaves most words open.
constexpr double kVowelShare = 0.4;
// Points lost for each vowel too many or too few, for each repeated letter,
// for a q without a u; points won for a tile that can show either kind.
constexpr double kPerVowelOff = 3.0;
constexpr double kPerRepeat = 2.0;
constexpr double kLoneQ = 4.0;
constexpr double kEitherKind = 0.5;

// The hard level: how much the kept tiles count in the first ranking, how
// many of the best it looks ahead for, and how much the next turn's best
// move counts then. Tried in games between the levels.
constexpr double kKeptWeight = 0.5;
constexpr int kLookAhead = 6;
constexpr double kNextTurnWeight = 0.3;

double staticWorth(const Position &position, const Move &m, const Turn &turn) {
    const double kept = turn.tilesLeft > 0 ? kKeptWeight * keptTilesWorth(keptTiles(position, m),
                                                                          position.doubleTiles)
                                           : 0.0;
    return expectedPoints(m) + kept;
}

} // namespace

std::optional<Level> levelNamed(const QString &name) {
    for (const Level l : {Level::Easy, Level::Normal, Level::Hard})
        if (name == nameOf(l))
            return l;
    return std::nullopt;
}

QString nameOf(Level level) {
    switch (level) {
    case Level::Easy:
        return QStringLiteral("easy");
    case Level::Hard:
        return QStringLiteral("hard");
    case Level::Normal:
        break;
    }
    return QStringLiteral("normal");
}

double expectedPoints(const Move &move) {
    return move.zorbles > 0 ? move.score * 4.0 / 3.0 : move.score;
}

std::array<int, 26> keptTiles(const Position &position, const Move &move) {
    std::array<int, 26> kept{};
    for (int k = 1; k <= rules::kRackSlots; ++k) {
        const int letter = position.rack[k];
        if (letter < 0 || letter >= kLetters)
            continue;
        const bool played = std::any_of(move.tiles.begin(), move.tiles.end(),
                                        [k](const rules::LaidTile &t) { return t.rackslot == k; });
        if (!played)
            ++kept[letter];
    }
    return kept;
}

double keptTilesWorth(const std::array<int, 26> &kept, bool doubleTiles) {
    double tiles = 0;
    double vowels = 0;
    double worth = 0;
    for (int letter = 0; letter < kLetters; ++letter) {
        const int n = kept[letter];
        if (n == 0)
            continue;
        tiles += n;
        if (doubleTiles && isVowel(letter) != isVowel(kLetters - 1 - letter)) {
            vowels += 0.5 * n;
            worth += kEitherKind * n;
        } else if (isVowel(letter)) {
            vowels += n;
        }
        const int allowed = letter == kE ? 2 : 1;
        if (n > allowed)
            worth -= kPerRepeat * (n - allowed);
    }
    if (kept[kQ] > 0 && kept[kU] == 0)
        worth -= doubleTiles ? kLoneQ / 2 : kLoneQ;
    return worth - kPerVowelOff * std::abs(vowels - kVowelShare * tiles);
}

Decision choose(Level level, const Position &position, const std::vector<Move> &moves,
                const Turn &turn, std::mt19937 &rng) {
    Decision d;
    if (moves.empty()) {
        if (level == Level::Hard && turn.mayExchange)
            d.action = Decision::Action::Exchange;
        return d;
    }
    d.action = Decision::Action::Play;
    switch (level) {
    case Level::Easy: {
        std::vector<std::size_t> order(moves.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return moves[a].score < moves[b].score;
        });
        const std::size_t half = std::max<std::size_t>(1, moves.size() / 2);
        d.move = moves[order[std::uniform_int_distribution<std::size_t>(0, half - 1)(rng)]];
        break;
    }
    case Level::Normal:
        d.move = *std::max_element(moves.begin(), moves.end(),
                                   [](const Move &a, const Move &b) { return a.score < b.score; });
        break;
    case Level::Hard: {
        auto worth = [&](const Move &m) {
            const double later = turn.tilesLeft > 0
                                     ? keptTilesWorth(keptTiles(position, m), position.doubleTiles)
                                     : 0.0;
            return expectedPoints(m) + later;
        };
        d.move = *std::max_element(moves.begin(), moves.end(), [&](const Move &a, const Move &b) {
            return worth(a) < worth(b);
        });
        break;
    }
    }
    return d;
}

Thinking::Thinking(Level level, const Position &position, const Turn &turn,
                   MoveGenerator &generator, const rules::Rules &rules, std::mt19937 &rng)
    : level_(level), position_(position), turn_(turn), generator_(generator), rules_(rules),
      rng_(rng) {}

bool Thinking::step() {
    if (done_)
        return false;
    if (!started_) {
        started_ = true;
        firstStep();
    } else {
        lookAhead();
    }
    if (!done_ && next_ >= ranked_.size())
        finish();
    return !done_;
}

void Thinking::firstStep() {
    moves_ = generator_.generate(position_, turn_.deadline);
    decision_ = choose(level_, position_, moves_, turn_, rng_);
    if (level_ != Level::Hard || moves_.size() < 2 || turn_.tilesLeft <= 0) {
        done_ = true;
        return;
    }
    ranked_.reserve(moves_.size());
    for (std::size_t i = 0; i < moves_.size(); ++i)
        ranked_.emplace_back(staticWorth(position_, moves_[i], turn_), i);
    const std::size_t ahead = std::min<std::size_t>(kLookAhead, ranked_.size());
    std::partial_sort(ranked_.begin(), ranked_.begin() + std::ptrdiff_t(ahead), ranked_.end(),
                      [](const auto &a, const auto &b) { return a.first > b.first; });
    ranked_.resize(ahead);
    const std::array<int, 26> unseen = game::unseenTiles(position_);
    for (int letter = 0; letter < kLetters; ++letter)
        pool_.insert(pool_.end(), unseen[letter], letter);
}

void Thinking::lookAhead() {
    const auto [worthNow, index] = ranked_[next_++];
    const Move &m = moves_[index];
    // The board after the move, where the rules put its tiles.
    const auto placed = rules::Rules::readMove(position_.board, position_.rack, m.tiles);
    const rules::Verdict v =
        rules_.judge(position_.board, position_.squares, position_.mover,
                     placed.value_or(QList<rules::Placed>{}), position_.firstWord());
    if (!v.valid)
        return;
    Position after = position_;
    for (const rules::Placed &t : v.tiles) {
        after.board[t.x][t.y] = t.letter;
        after.rack[t.rackslot] = rules::kEmpty;
    }
    // The rack filled up from what has not been seen.
    std::shuffle(pool_.begin(), pool_.end(), rng_);
    std::size_t drawn = 0;
    for (int k = 1; k <= rules::kRackSlots; ++k)
        if (after.rack[k] == rules::kEmpty && drawn < pool_.size() && int(drawn) < turn_.tilesLeft)
            after.rack[k] = pool_[drawn++];
    const std::vector<Move> replies = generator_.generate(after, turn_.deadline);
    if (!generator_.stats().complete) {
        finish(); // out of time: the candidates looked at so far decide
        return;
    }
    int nextBest = 0;
    for (const Move &r : replies)
        nextBest = std::max(nextBest, r.score);
    const double worth = worthNow + kNextTurnWeight * nextBest;
    if (!chosen_ || worth > best_) {
        best_ = worth;
        chosen_ = index;
    }
}

void Thinking::finish() {
    done_ = true;
    if (chosen_)
        decision_.move = moves_[*chosen_];
}

Decision decide(Level level, const Position &position, const Turn &turn, MoveGenerator &generator,
                const rules::Rules &rules, std::mt19937 &rng) {
    Thinking thinking(level, position, turn, generator, rules, rng);
    while (thinking.step()) {
    }
    return thinking.decision();
}

} // namespace ai
