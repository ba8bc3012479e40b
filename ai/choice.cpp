#include "ai/choice.h"

#include "ai/engine.h"
#include "ai/simulation.h"
#include "game/bag.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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
// How much the kept tiles count in the worth of a move before looking ahead.
constexpr double kKeptWeight = 0.5;

// Moves the rules are asked about before the player gives up on its turn.
constexpr std::size_t kTries = 8;

// The first move the rules accept among the first few of `order` (indexes in
// `plays`), as a move; a refusal means the generator and the rules disagree,
// which is worth a line for whoever looks into it.
std::optional<Move> firstAccepted(const std::vector<std::size_t> &order,
                                  const std::vector<Play> &plays, const Position &position,
                                  const rules::Rules &rules) {
    const bool first = position.firstWord();
    std::vector<std::size_t> tried;
    for (const std::size_t i : order) {
        if (tried.size() == kTries)
            break;
        if (std::find(tried.begin(), tried.end(), i) != tried.end())
            continue;
        tried.push_back(i);
        const Move m = moveOf(plays[i], position);
        const auto placed = rules::Rules::readMove(position.board, position.rack, m.tiles);
        if (placed &&
            rules.judge(position.board, position.squares, position.mover, *placed, first).valid)
            return m;
        std::fprintf(stderr, "zorble: the rules refuse the computer's move %s\n",
                     qPrintable(m.word));
    }
    return std::nullopt;
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

double expectedPoints(const Play &play) {
    return play.zorbles > 0 ? play.score * 4.0 / 3.0 : play.score;
}

std::array<int, 26> keptTiles(const rules::Rack &rack, const Play &play) {
    std::array<int, 26> kept{};
    for (int k = 1; k <= rules::kRackSlots; ++k)
        if (rack[k] >= 0 && rack[k] < kLetters)
            ++kept[rack[k]];
    for (int i = 0; i < play.count; ++i) {
        const int letter = rack[play.rackslot(i)];
        if (letter >= 0 && letter < kLetters)
            --kept[letter];
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

double worthNow(const Position &position, const Play &play, int tilesLeft) {
    const double kept = tilesLeft > 0 ? kKeptWeight * keptTilesWorth(keptTiles(position.rack, play),
                                                                     position.doubleTiles)
                                      : 0.0;
    return expectedPoints(play) + kept;
}

std::optional<std::size_t> choose(Level level, const Position &position,
                                  const std::vector<Play> &plays, const Turn &turn,
                                  std::mt19937 &rng) {
    if (plays.empty())
        return std::nullopt;
    switch (level) {
    case Level::Easy: {
        std::vector<std::size_t> order(plays.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return plays[a].score < plays[b].score;
        });
        const std::size_t half = std::max<std::size_t>(1, plays.size() / 2);
        return order[std::uniform_int_distribution<std::size_t>(0, half - 1)(rng)];
    }
    case Level::Normal:
        return std::size_t(
            std::max_element(plays.begin(), plays.end(),
                             [](const Play &a, const Play &b) { return a.score < b.score; }) -
            plays.begin());
    case Level::Hard:
        break;
    }
    std::size_t best = 0;
    double most = worthNow(position, plays[0], turn.tilesLeft);
    for (std::size_t i = 1; i < plays.size(); ++i) {
        const double w = worthNow(position, plays[i], turn.tilesLeft);
        if (w > most) {
            most = w;
            best = i;
        }
    }
    return best;
}

Decision decide(Level level, const Position &position, const Turn &turn, const Engine &engine,
                std::mt19937 &rng, const std::atomic<bool> *cancelled) {
    const Limits limits{turn.deadline, cancelled};
    MoveGenerator generator(engine.graph());
    const CrossChecks board(engine.graph(), position.board, position.squares);
    std::vector<Play> plays;
    generator.generate(board, position, plays, MoveGenerator::Keep::All, limits);
    Decision d;
    if (plays.empty()) {
        if (level == Level::Hard && turn.mayExchange)
            d.action = Decision::Action::Exchange;
        return d;
    }
    // The choice first, then the rest of the moves by points, in case the
    // rules refuse it.
    std::vector<std::size_t> order;
    if (level == Level::Hard && plays.size() > 1) {
        Simulation simulation(engine.graph(), position, board, plays, turn);
        order = simulation.candidates();
        const std::size_t chosen = simulation.run(rng, limits);
        d.simulations = simulation.rounds();
        order.insert(order.begin(), chosen);
    } else {
        order.push_back(*choose(level, position, plays, turn, rng));
    }
    std::vector<std::size_t> byPoints(plays.size());
    std::iota(byPoints.begin(), byPoints.end(), 0);
    std::stable_sort(byPoints.begin(), byPoints.end(),
                     [&](std::size_t a, std::size_t b) { return plays[a].score > plays[b].score; });
    order.insert(order.end(), byPoints.begin(), byPoints.end());
    if (const std::optional<Move> m = firstAccepted(order, plays, position, engine.rules())) {
        d.action = Decision::Action::Play;
        d.move = *m;
    }
    return d;
}

std::optional<Move> bestMove(const Position &position, const Engine &engine, const Limits &limits) {
    MoveGenerator generator(engine.graph());
    const CrossChecks board(engine.graph(), position.board, position.squares);
    std::vector<Play> plays;
    generator.generate(board, position, plays, MoveGenerator::Keep::All, limits);
    std::vector<std::size_t> order(plays.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return plays[a].score > plays[b].score; });
    return firstAccepted(order, plays, position, engine.rules());
}

} // namespace ai
