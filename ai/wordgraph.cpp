#include "ai/wordgraph.h"

#include "dict/tdictn.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace ai {

namespace {

// The longest string a graph holds: a word of 14 letters and, in a GADDAG,
// the separator.
constexpr int kMaxString = 15;

// A string of symbols as one sortable key: symbol + 1 in each byte from the
// most significant on, zero after its end, so that comparing keys as numbers
// orders the strings with every string before its extensions.
struct Key {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;

    void set(int i, int symbol) {
        const std::uint64_t v = static_cast<std::uint64_t>(symbol + 1);
        if (i < 8)
            hi |= v << (8 * (7 - i));
        else
            lo |= v << (8 * (15 - i));
    }
    int at(int i) const {
        const std::uint64_t word = i < 8 ? hi : lo;
        const int shift = 8 * (7 - (i & 7));
        return static_cast<int>((word >> shift) & 0xFF) - 1;
    }
    int length() const {
        int n = 0;
        while (n < 16 && at(n) >= 0)
            ++n;
        return n;
    }
    bool operator==(const Key &) const = default;
    bool operator<(const Key &o) const { return hi != o.hi ? hi < o.hi : lo < o.lo; }
};

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

} // namespace

// Builds the minimal automaton of sorted strings in one pass: the path of the
// last string stays open; when the next string leaves it, the nodes below the
// point where they part are final, and each is replaced by an equal node
// already registered, or registered itself.
class WordGraph::Builder {
public:
    explicit Builder(WordGraph &g) : g_(g) { table_.assign(1u << 16, kNone); }

    // Adds the next string. With `target`, the string's last symbol leads
    // to that node, already final, instead of ending a word.
    void add(const Key &k, Node target = kNone) {
        const int len = k.length();
        int common = 0;
        while (common < len && common < prevLen_ && k.at(common) == prev_.at(common))
            ++common;
        closeDownTo(common);
        for (int d = common; d < len; ++d) {
            Open &o = path_[d];
            o.symbols[static_cast<std::size_t>(o.count)] = static_cast<std::uint8_t>(k.at(d));
            o.targets[static_cast<std::size_t>(o.count)] = kNone;
            ++o.count;
            path_[static_cast<std::size_t>(d) + 1] = Open{};
        }
        prev_ = k;
        if (target == kNone) {
            path_[static_cast<std::size_t>(len)].terminal = true;
            prevLen_ = len;
        } else {
            Open &last = path_[static_cast<std::size_t>(len) - 1];
            last.targets[static_cast<std::size_t>(last.count) - 1] = target;
            prevLen_ = len - 1;
        }
    }

    Node finish() {
        closeDownTo(0);
        return enrol(path_[0]);
    }

private:
    struct Open {
        bool terminal = false;
        int count = 0;
        std::array<std::uint8_t, kLetters + 1> symbols{};
        std::array<Node, kLetters + 1> targets{};
    };

    void closeDownTo(int depth) {
        for (int d = prevLen_; d > depth; --d) {
            Open &parent = path_[d - 1];
            parent.targets[parent.count - 1] = enrol(path_[d]);
        }
        prevLen_ = std::min(prevLen_, depth);
    }

    // The registered node equal to o, registered now if there is none.
    Node enrol(const Open &o) {
        std::uint32_t mask = o.terminal ? kTerminalBit : 0;
        std::uint64_t h = mask;
        for (int i = 0; i < o.count; ++i) {
            mask |= 1u << o.symbols[i];
            h = mix(h ^ (static_cast<std::uint64_t>(o.targets[i]) << 5 ^ o.symbols[i]));
        }
        h = mix(h ^ mask);
        const std::size_t tableSize = table_.size();
        for (std::size_t at = h & (tableSize - 1);; at = (at + 1) & (tableSize - 1)) {
            const Node n = table_[at];
            if (n == kNone) {
                const Node id = static_cast<Node>(g_.nodes_.size());
                g_.nodes_.push_back({mask, static_cast<std::uint32_t>(g_.children_.size())});
                g_.children_.insert(g_.children_.end(), o.targets.begin(),
                                    o.targets.begin() + o.count);
                table_[at] = id;
                if (++used_ * 2 > tableSize)
                    grow();
                return id;
            }
            const Packed &p = g_.nodes_[n];
            if (p.mask == mask && std::equal(o.targets.begin(), o.targets.begin() + o.count,
                                             g_.children_.begin() + p.first))
                return n;
        }
    }

    std::uint64_t hashOf(Node n) const {
        const Packed &p = g_.nodes_[n];
        std::uint64_t h = p.mask & kTerminalBit;
        const int count = static_cast<int>(bitCount(p.mask & kSymbolBits));
        std::uint32_t rest = p.mask & kSymbolBits;
        for (int i = 0; i < count; ++i) {
            const int symbol = __builtin_ctz(rest);
            rest &= rest - 1;
            h = mix(h ^ (static_cast<std::uint64_t>(g_.children_[p.first + i]) << 5 ^
                         static_cast<std::uint64_t>(symbol)));
        }
        return mix(h ^ p.mask);
    }

    void grow() {
        std::vector<Node> old(table_.size() * 2, kNone);
        old.swap(table_);
        const std::size_t tableSize = table_.size();
        for (Node n : old) {
            if (n == kNone)
                continue;
            std::size_t at = hashOf(n) & (tableSize - 1);
            while (table_[at] != kNone)
                at = (at + 1) & (tableSize - 1);
            table_[at] = n;
        }
    }

    WordGraph &g_;
    std::array<Open, kMaxString + 2> path_{};
    Key prev_;
    int prevLen_ = 0;
    std::vector<Node> table_;
    std::size_t used_ = 0;
};

std::vector<Letters> WordGraph::wordsOf(const TDictn &dict) {
    std::vector<Letters> words;
    QFile file(dict.wordFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return words;
    const QByteArray all = file.readAll();
    words.reserve(static_cast<std::size_t>(all.size() / TDictn::RecordSize));
    for (qsizetype at = 0; at + TDictn::RecordSize <= all.size(); at += TDictn::RecordSize) {
        // The field as the lookup compares it: a NUL counts as a space, case
        // does not count, and spaces around the word do not either.
        const char *field = all.constData() + at + 1;
        int begin = 0;
        int end = TDictn::RecordSize - 1;
        auto blank = [](char c) { return c == ' ' || c == '\0'; };
        while (begin < end && blank(field[begin]))
            ++begin;
        while (end > begin && blank(field[end - 1]))
            --end;
        if (begin == end)
            continue;
        Letters w;
        for (int i = begin; i < end; ++i) {
            const char c = field[i];
            if (c >= 'A' && c <= 'Z')
                w += static_cast<char>(c - 'A');
            else if (c >= 'a' && c <= 'z')
                w += static_cast<char>(c - 'a');
            else
                break;
        }
        if (static_cast<int>(w.size()) == end - begin)
            words.push_back(std::move(w));
    }
    return words;
}

WordGraph WordGraph::build(Kind kind, const std::vector<Letters> &words) {
    std::vector<Key> keys;
    keys.reserve(words.size());
    for (const Letters &w : words) {
        const int n = static_cast<int>(w.size());
        if (n == 0 || n >= kMaxString)
            continue;
        Key k;
        for (int i = 0; i < n; ++i)
            k.set(i, w[static_cast<std::size_t>(i)]);
        keys.push_back(k);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    WordGraph g;
    g.kind_ = kind;
    {
        Builder b(g);
        for (const Key &k : keys)
            b.add(k);
        g.root_ = b.finish();
    }
    if (kind == Kind::Gaddag) {
        // What may follow a prefix p after the separator is exactly what
        // follows p in the DAWG: the words that begin with p, without it. So
        // the GADDAG is the prefixes spelt backwards, each ending in a
        // separator that leads to the DAWG node of that prefix.
        std::vector<std::pair<Key, Node>> reversed;
        struct Step {
            Node node;
            Letters prefix;
        };
        std::vector<Step> stack{{g.root_, {}}};
        while (!stack.empty()) {
            Step s = std::move(stack.back());
            stack.pop_back();
            if (!s.prefix.empty()) {
                Key k;
                int at = 0;
                for (auto it = s.prefix.rbegin(); it != s.prefix.rend(); ++it)
                    k.set(at++, *it);
                k.set(at, kSeparator);
                reversed.emplace_back(k, s.node);
            }
            for (std::uint32_t rest = g.symbols(s.node); rest; rest &= rest - 1) {
                const int letter = __builtin_ctz(rest);
                stack.push_back({g.child(s.node, letter), s.prefix + static_cast<char>(letter)});
            }
        }
        std::sort(reversed.begin(), reversed.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; });
        Builder b(g);
        for (const auto &[k, target] : reversed)
            b.add(k, target);
        g.root_ = b.finish();
    }
    g.nodes_.shrink_to_fit();
    g.children_.shrink_to_fit();
    return g;
}

bool WordGraph::contains(std::string_view word) const {
    if (word.empty() || nodes_.empty())
        return false;
    Node n = root_;
    auto step = [&](int symbol) {
        if (n != kNone)
            n = child(n, symbol);
    };
    for (char c : word)
        if (c < 0 || c >= kLetters)
            return false;
    if (kind_ == Kind::Dawg) {
        for (char c : word)
            step(c);
    } else {
        for (auto it = word.rbegin(); it != word.rend(); ++it)
            step(*it);
        step(kSeparator);
    }
    return n != kNone && terminal(n);
}

} // namespace ai
