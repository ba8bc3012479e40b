#include "ai/simulation.h"

#include "game/bag.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace ai {

namespace {

// How many moves are played out, when the worse half drops out (after so
// many rounds), and how few stay in the running.
constexpr std::size_t kCandidates = 16;
constexpr int kFirstCut = 6;
constexpr std::size_t kFewest = 3;

// The tiles a play lays, as squares and letters: the same for every choice
// of tiles that shows those letters there.
std::vector<int> layOf(const Play &play, const rules::Rack &rack) {
    std::vector<int> key;
    for (const rules::Placed &t : placedOf(play, rack))
        key.push_back((t.x * rules::kBoard + t.y) * 32 + t.letter);
    std::sort(key.begin(), key.end());
    key.push_back(play.first);
    return key;
}

} // namespace

Simulation::Simulation(const WordGraph &graph, const Position &position, const CrossChecks &board,
                       const std::vector<Play> &plays, const Turn &turn)
    : position_(position), board_(board), plays_(plays), turn_(turn), generator_(graph) {
    if (turn_.opponents.empty())
        turn_.opponents.push_back(position.mover % 4 + 1);
    std::vector<std::pair<double, std::size_t>> ranked;
    ranked.reserve(plays.size());
    for (std::size_t i = 0; i < plays.size(); ++i)
        ranked.emplace_back(worthNow(position, plays[i], turn.tilesLeft), i);
    std::sort(ranked.begin(), ranked.end(),
              [](const auto &a, const auto &b) { return a.first > b.first; });
    // One choice of tiles per word and place: the one that keeps the best.
    std::set<std::vector<int>> seen;
    for (const auto &[worth, index] : ranked) {
        if (running_.size() == kCandidates)
            break;
        if (seen.insert(layOf(plays[index], position.rack)).second)
            running_.push_back({index, worth, 0});
    }
    const std::array<int, 26> unseen = game::unseenTiles(position);
    for (int letter = 0; letter < kLetters; ++letter)
        unseen_.insert(unseen_.end(), unseen[letter], letter);
}

std::vector<std::size_t> Simulation::candidates() const {
    std::vector<std::size_t> out;
    for (const Candidate &c : running_)
        out.push_back(c.index);
    return out;
}

Simulation::Draw Simulation::draw(std::mt19937 &rng) const {
    std::vector<int> tiles = unseen_;
    std::shuffle(tiles.begin(), tiles.end(), rng);
    // While the bag holds tiles, every opponent holds ten; after that the
    // unseen tiles are all on their racks.
    const int opponents = int(turn_.opponents.size());
    const int total = int(tiles.size());
    const int bag = std::clamp(turn_.tilesLeft, 0, total);
    Draw d;
    d.racks.resize(std::size_t(opponents));
    std::size_t next = 0;
    for (int o = 0; o < opponents; ++o) {
        rules::Rack &rack = d.racks[std::size_t(o)];
        rack.fill(rules::kEmpty);
        const int share = bag > 0 ? rules::kRackSlots
                                  : (total - bag) / opponents + (o < (total - bag) % opponents);
        for (int k = 1; k <= std::min(share, rules::kRackSlots) && next < tiles.size(); ++k)
            rack[k] = tiles[next++];
    }
    d.bag.assign(tiles.begin() + std::ptrdiff_t(next), tiles.end());
    if (int(d.bag.size()) > bag)
        d.bag.resize(std::size_t(bag));
    return d;
}

bool Simulation::playOut(const Candidate &c, const Draw &d, const Limits &limits, double &outcome) {
    const Play &play = plays_[c.index];
    CrossChecks board = board_;
    Position me = position_;
    me.firstword = false; // the candidate lays the first word if nobody has
    for (const rules::Placed &t : placedOf(play, me.rack)) {
        board.lay(t.x, t.y, t.letter);
        me.rack[t.rackslot] = rules::kEmpty;
    }
    std::size_t drawn = 0;
    for (int k = 1; k <= rules::kRackSlots; ++k)
        if (me.rack[k] == rules::kEmpty && drawn < d.bag.size())
            me.rack[k] = d.bag[drawn++];
    outcome = expectedPoints(play);

    Position them = me;
    for (std::size_t o = 0; o < d.racks.size(); ++o) {
        them.mover = turn_.opponents[o];
        them.rack = d.racks[o];
        scratch_.clear();
        generator_.generate(board, them, scratch_, MoveGenerator::Keep::Best, limits);
        if (!generator_.stats().complete)
            return false;
        if (scratch_.empty())
            continue;
        const Play &reply = scratch_.front();
        outcome -= expectedPoints(reply);
        for (const rules::Placed &t : placedOf(reply, them.rack))
            board.lay(t.x, t.y, t.letter);
    }
    scratch_.clear();
    generator_.generate(board, me, scratch_, MoveGenerator::Keep::Best, limits);
    if (!generator_.stats().complete)
        return false;
    if (!scratch_.empty())
        outcome += expectedPoints(scratch_.front());
    return true;
}

std::size_t Simulation::run(std::mt19937 &rng, const Limits &limits) {
    if (running_.empty())
        return 0;
    if (running_.size() == 1)
        return running_.front().index;
    std::vector<double> outcomes(running_.size());
    for (int cut = kFirstCut;;) {
        // A search checks the limits now and then; short ones never do.
        if (Clock::now() >= limits.deadline ||
            (limits.cancelled && limits.cancelled->load(std::memory_order_relaxed)))
            break;
        const Draw d = draw(rng);
        bool whole = true;
        for (std::size_t i = 0; i < running_.size() && whole; ++i)
            whole = playOut(running_[i], d, limits, outcomes[i]);
        if (!whole)
            break;
        for (std::size_t i = 0; i < running_.size(); ++i)
            running_[i].total += outcomes[i];
        ++rounds_;
        if (rounds_ == cut && running_.size() > kFewest) {
            std::stable_sort(
                running_.begin(), running_.end(),
                [](const Candidate &a, const Candidate &b) { return a.total > b.total; });
            running_.resize(std::max(kFewest, running_.size() / 2));
            outcomes.resize(running_.size());
            cut *= 2;
        }
    }
    if (rounds_ == 0)
        return running_.front().index;
    // Ties go to the better worth now, which comes first.
    const auto best =
        std::max_element(running_.begin(), running_.end(),
                         [](const Candidate &a, const Candidate &b) { return a.total < b.total; });
    return best->index;
}

} // namespace ai
