#include "ai/wordgraph.h"

#include "dict/tdictn.h"
#include "rules/rules.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace ai {

namespace {

// The longest string a graph holds: a word of 14 letters and, in a GADDAG,
// the separator.
constexpr int kMaxString = 15;

// The order of symbols in a node: the separator before the letters.
int rank(char symbol) {
    return symbol == kSeparator ? -1 : symbol;
}

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// The word of one record as the lookup reads it: a NUL counts as a space,
// case does not count, and spaces around the word do not either. False for
// a record that holds anything but letters.
bool wordOfRecord(const char *record, Letters &w) {
    const char *field = record + 1;
    int begin = 0;
    int end = TDictn::RecordSize - 1;
    auto blank = [](char c) { return c == ' ' || c == '\0'; };
    while (begin < end && blank(field[begin]))
        ++begin;
    while (end > begin && blank(field[end - 1]))
        --end;
    w.clear();
    if (begin == end)
        return false;
    for (int i = begin; i < end; ++i) {
        const char c = field[i];
        if (c >= 'A' && c <= 'Z')
            w += static_cast<char>(c - 'A');
        else if (c >= 'a' && c <= 'z')
            w += static_cast<char>(c - 'a');
        else
            return false;
    }
    return true;
}

// Reads the list's records a piece at a time and hands each word to `f`;
// stops early when `f` returns false. False when the list cannot be read.
template <class F> bool eachWord(const TDictn &dict, F &&f) {
    QFile file(dict.wordFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kChunk = 4096 * TDictn::RecordSize;
    std::vector<char> chunk(kChunk);
    Letters w;
    for (;;) {
        const qint64 got = file.read(chunk.data(), kChunk);
        if (got <= 0)
            return got == 0;
        for (qint64 at = 0; at + TDictn::RecordSize <= got; at += TDictn::RecordSize)
            if (wordOfRecord(chunk.data() + at, w) && !f(w))
                return true;
        if (got % TDictn::RecordSize != 0)
            return true; // the list ends in a part of a record
    }
}

} // namespace

// Builds the minimal graph of sorted strings in one pass: the path of the
// last string stays open; when the next string leaves it, the nodes below the
// point where they part are final, and each is replaced by an equal node
// already registered, or registered itself (appended to the arcs).
class WordGraph::Builder {
public:
    enum class Added { Yes, Duplicate, OutOfOrder };

    // `expected`: about how many strings will come, to size the table of
    // nodes for.
    explicit Builder(std::vector<Arc> &arcs, std::size_t expected = 0) : arcs_(arcs) {
        std::size_t size = 1u << 12;
        while (size < expected)
            size *= 2;
        table_.assign(size, kLeaf);
    }

    // Adds the next string; it must sort after the last one, a string before
    // its extensions, the separator before the letters. Its last arc ends a word, or, with `target`
    // given, leads to that finished node and ends a word when `ends` says so.
    Added add(const Letters &s, Node target = kNone, bool ends = true) {
        const int len = int(s.size());
        if (len == 0 || len > kMaxString)
            return Added::Duplicate;
        int common = 0;
        while (common < len && common < prevLen_ && s[common] == prev_[common])
            ++common;
        if (common == len && common == prevLen_)
            return Added::Duplicate;
        if (common == len || (common < prevLen_ && rank(s[common]) < rank(prev_[common])))
            return Added::OutOfOrder;
        closeDownTo(common);
        for (int d = common; d < len; ++d) {
            Open &o = path_[d];
            o.symbols[o.count] = static_cast<std::uint8_t>(s[d]);
            o.ends[o.count] = false;
            o.targets[o.count] = kLeaf;
            ++o.count;
            path_[d + 1].count = 0;
        }
        Open &last = path_[len - 1];
        last.ends[last.count - 1] = ends;
        std::copy(s.begin(), s.end(), prev_.begin());
        prevLen_ = len;
        if (target != kNone) {
            last.targets[last.count - 1] = target;
            openDepth_ = len - 1;
        } else {
            openDepth_ = len;
        }
        return Added::Yes;
    }

    Node finish() {
        closeDownTo(0);
        prevLen_ = 0;
        return enrol(path_[0]);
    }

    static constexpr Node kNone = 0xFFFFFFFFu;

private:
    struct Open {
        int count = 0;
        std::array<std::uint8_t, kLetters + 1> symbols{};
        std::array<bool, kLetters + 1> ends{};
        std::array<Node, kLetters + 1> targets{};
    };

    void closeDownTo(int depth) {
        for (int d = openDepth_; d > depth; --d) {
            Open &parent = path_[d - 1];
            parent.targets[parent.count - 1] = enrol(path_[d]);
        }
        openDepth_ = std::min(openDepth_, depth);
    }

    static Arc arcOf(const Open &o, int i) {
        return Arc{std::uint32_t(o.symbols[i]) | (o.ends[i] ? kEndsWord : 0u) |
                   (i == o.count - 1 ? kLast : 0u) | o.targets[i] << kTargetShift};
    }

    static std::uint64_t hashOf(const Arc *a, int count) {
        std::uint64_t h = std::uint64_t(count);
        for (int i = 0; i < count; ++i)
            h = mix(h ^ a[i].bits);
        return h;
    }

    // The registered node equal to o, registered now if there is none.
    Node enrol(const Open &o) {
        if (o.count == 0)
            return kLeaf;
        std::array<Arc, kLetters + 1> run;
        for (int i = 0; i < o.count; ++i)
            run[i] = arcOf(o, i);
        const std::size_t mask = table_.size() - 1;
        for (std::size_t at = hashOf(run.data(), o.count) & mask;; at = (at + 1) & mask) {
            const Node n = table_[at];
            if (n == kLeaf) {
                const Node id = Node(arcs_.size());
                arcs_.insert(arcs_.end(), run.begin(), run.begin() + o.count);
                table_[at] = id;
                if (++used_ * 2 > table_.size())
                    grow();
                return id;
            }
            if (std::equal(run.begin(), run.begin() + o.count, arcs_.begin() + n,
                           [](const Arc &x, const Arc &y) { return x.bits == y.bits; }))
                return n;
        }
    }

    int countOf(Node n) const {
        int count = 1;
        while (!arcs_[n + count - 1].last())
            ++count;
        return count;
    }

    void grow() {
        std::vector<Node> old(table_.size() * 2, kLeaf);
        old.swap(table_);
        const std::size_t mask = table_.size() - 1;
        for (Node n : old) {
            if (n == kLeaf)
                continue;
            std::size_t at = hashOf(arcs_.data() + n, countOf(n)) & mask;
            while (table_[at] != kLeaf)
                at = (at + 1) & mask;
            table_[at] = n;
        }
    }

    std::vector<Arc> &arcs_;
    std::array<Open, kMaxString + 2> path_{};
    std::array<char, kMaxString + 1> prev_{};
    int prevLen_ = 0;
    int openDepth_ = 0;
    std::vector<Node> table_;
    std::size_t used_ = 0;
};

WordGraph::WordGraph() : arcs_{Arc{kNoSymbol | kLast}} {}

std::vector<Letters> WordGraph::wordsOf(const TDictn &dict) {
    std::vector<Letters> words;
    words.reserve(std::size_t(dict.recordCount()));
    eachWord(dict, [&](const Letters &w) {
        words.push_back(w);
        return true;
    });
    return words;
}

WordGraph WordGraph::build(Kind kind, std::vector<Letters> words) {
    std::sort(words.begin(), words.end());
    WordGraph g;
    {
        Builder b(g.arcs_);
        for (const Letters &w : words)
            b.add(w);
        g.root_ = b.finish();
    }
    words = {};
    g.arcs_.shrink_to_fit();
    return kind == Kind::Gaddag ? gaddagOf(std::move(g)) : g;
}

WordGraph WordGraph::build(Kind kind, const TDictn &dict) {
    WordGraph g;
    bool sorted = true;
    {
        // About one arc for every three words of a list like the built-in
        // one; the array grows by halves beyond that, not by doubling.
        g.arcs_.reserve(std::size_t(dict.recordCount() / 3) + 1024);
        Builder b(g.arcs_);
        eachWord(dict, [&](const Letters &w) {
            if (g.arcs_.size() + kLetters + 1 > g.arcs_.capacity())
                g.arcs_.reserve(g.arcs_.capacity() * 3 / 2);
            sorted = b.add(w) != Builder::Added::OutOfOrder;
            return sorted;
        });
        g.root_ = b.finish();
    }
    if (!sorted)
        return build(kind, wordsOf(dict));
    g.arcs_.shrink_to_fit();
    return kind == Kind::Gaddag ? gaddagOf(std::move(g)) : g;
}

// What may follow a prefix p after the separator is exactly what follows p
// in the DAWG: the words that begin with p, without it. So the GADDAG is the
// DAWG and, before it, the prefixes spelt backwards, each ending in a
// separator that leads to the DAWG node of that prefix and ends a word when
// the prefix is one.
namespace {

// One prefix p of the DAWG for the GADDAG: the string that leads to its
// separator, without p's last letter, which is kept apart. That string is
// the rest of p backwards, each letter as 1..26 in five bits from the top of
// `key` (12 letters; the 13th in `more`), so that sorting the numbers sorts
// the strings with the separator (0) first. `more` also holds p's last
// letter, whether p is a word, and p's node in the DAWG.
struct Prefix {
    std::uint64_t key = 0;
    std::uint32_t more = 0;

    static constexpr int kNodeBits = 21;
    int last() const { return int((more >> kNodeBits) & 31); }
    bool ends() const { return (more >> (kNodeBits + 5)) & 1; }
    WordGraph::Node node() const { return more & ((1u << kNodeBits) - 1); }
    int symbol(int i) const {
        const int code = i < 12 ? int((key >> (59 - 5 * i)) & 31) : i == 12 ? int(more >> 27) : 0;
        return code == 0 ? kSeparator : code - 1;
    }
    bool operator<(const Prefix &o) const {
        if (last() != o.last())
            return last() < o.last();
        return key != o.key ? key < o.key : (more >> 27) < (o.more >> 27);
    }
};

// Calls f(arc, letters, depth) for every arc of the DAWG below `root` once
// for each path that leads to it, depth first: `letters` holds the `depth`
// letters of the path before the arc.
template <class F> void eachPrefix(const WordGraph &g, WordGraph::Node root, F &&f) {
    using Arc = WordGraph::Arc;
    std::array<const Arc *, 16> path{};
    std::array<int, 16> letters{};
    int depth = 0;
    path[0] = g.arcs(root);
    while (depth >= 0) {
        const Arc *a = path[depth];
        f(*a, letters, depth);
        if (a->target() != WordGraph::kLeaf && depth + 1 < rules::kMaxWordLength) {
            letters[depth] = a->symbol();
            path[++depth] = g.arcs(a->target());
            continue;
        }
        while (depth >= 0 && path[depth]->last())
            --depth;
        if (depth >= 0)
            ++path[depth];
    }
}

} // namespace

// The GADDAG is built a few last letters of the prefixes at a time, so that
// only their prefixes are held; nodes are shared within each last letter's
// part of the graph.
WordGraph WordGraph::gaddagOf(WordGraph dawg) {
    // Prefixes held at a time, at most (one letter's may be more).
    constexpr std::size_t kBatch = 120000;
    static_assert(rules::kMaxWordLength == 14);

    WordGraph g;
    g.kind_ = Kind::Gaddag;
    g.arcs_ = std::move(dawg.arcs_);
    // Room for the whole graph, some seven times the DAWG: the pages are
    // only taken as they are written, and nothing is copied on the way.
    g.arcs_.reserve(g.arcs_.size() * 8 + 1024);
    const Node dawgRoot = dawg.root_;
    if (g.arcs_.size() >= (std::size_t(1) << Prefix::kNodeBits))
        return {}; // a list far larger than any the game knows

    std::array<std::size_t, kLetters> count{};
    eachPrefix(g, dawgRoot, [&](const Arc &a, const auto &, int) { ++count[a.symbol()]; });

    std::array<Node, kLetters> firsts{};
    std::vector<Prefix> batch;
    for (int from = 0; from < kLetters;) {
        int to = from + 1; // the letters from..to-1 in this batch
        std::size_t size = count[from];
        while (to < kLetters && size + count[to] <= kBatch)
            size += count[to++];
        batch.clear();
        batch.reserve(size);
        eachPrefix(g, dawgRoot, [&](const Arc &a, const auto &letters, int depth) {
            if (a.symbol() < from || a.symbol() >= to)
                return;
            Prefix p;
            for (int i = 0; i < depth; ++i) {
                const std::uint32_t code = std::uint32_t(letters[depth - 1 - i]) + 1;
                if (i < 12)
                    p.key |= std::uint64_t(code) << (59 - 5 * i);
                else
                    p.more |= code << 27;
            }
            p.more |= (a.endsWord() ? 1u << (Prefix::kNodeBits + 5) : 0u) |
                      std::uint32_t(a.symbol()) << Prefix::kNodeBits | a.target();
            batch.push_back(p);
        });
        std::sort(batch.begin(), batch.end());
        Letters key;
        for (std::size_t i = 0; i < batch.size();) {
            const int last = batch[i].last();
            Builder b(g.arcs_, 2 * count[last]);
            for (; i < batch.size() && batch[i].last() == last; ++i) {
                key.clear();
                for (int k = 0;; ++k) {
                    key += char(batch[i].symbol(k));
                    if (batch[i].symbol(k) == kSeparator)
                        break;
                }
                b.add(key, batch[i].node(), batch[i].ends());
            }
            firsts[last] = b.finish();
        }
        from = to;
    }
    batch = {};

    // The root: an arc for each last letter.
    int lastFirst = -1;
    for (int c = 0; c < kLetters; ++c)
        if (firsts[c] != kLeaf)
            lastFirst = c;
    g.root_ = Node(g.arcs_.size());
    for (int c = 0; c <= lastFirst; ++c)
        if (firsts[c] != kLeaf)
            g.arcs_.push_back(
                Arc{std::uint32_t(c) | (c == lastFirst ? kLast : 0u) | firsts[c] << kTargetShift});
    return g;
}

bool WordGraph::contains(std::string_view word) const {
    if (word.empty())
        return false;
    for (char c : word)
        if (c < 0 || c >= kLetters)
            return false;
    Node n = root_;
    const Arc *a = nullptr;
    auto step = [&](int symbol) {
        a = find(n, symbol);
        n = a ? a->target() : kLeaf;
        return a != nullptr;
    };
    if (kind_ == Kind::Dawg) {
        for (char c : word)
            if (!step(c))
                return false;
    } else {
        for (auto it = word.rbegin(); it != word.rend(); ++it)
            if (!step(*it))
                return false;
        if (!step(kSeparator))
            return false;
    }
    return a->endsWord();
}

std::size_t WordGraph::nodeCount() const {
    return std::size_t(
        std::count_if(arcs_.begin() + 1, arcs_.end(), [](const Arc &a) { return a.last(); }));
}

} // namespace ai
