// Resident memory of this process before and after a million lookups, split into anonymous
// memory (heap) and file-backed pages (the mapped word file, shared with the page cache).
// For comparison, the same figures for building a std::unordered_set of the whole list.
#include "bench/dict/lookupwords.h"
#include "dict/tdictn.h"

#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

struct Rss {
    long total = 0, anon = 0, file = 0; // kB
};

Rss rss() {
    Rss r;
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return r;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        long v = 0;
        if (std::sscanf(line, "VmRSS: %ld", &v) == 1)
            r.total = v;
        else if (std::sscanf(line, "RssAnon: %ld", &v) == 1)
            r.anon = v;
        else if (std::sscanf(line, "RssFile: %ld", &v) == 1)
            r.file = v;
    }
    std::fclose(f);
    return r;
}

void report(const char *what, const Rss &a, const Rss &b) {
    std::printf("%-40s VmRSS %+6ld kB   RssAnon %+6ld kB   RssFile %+6ld kB\n", what,
                b.total - a.total, b.anon - a.anon, b.file - a.file);
}

} // namespace

int main() {
    constexpr int lookups = 1000000;
    const LookupWords words(lookups / 2);
    if (words.all.empty()) {
        std::fprintf(stderr, "word list not available\n");
        return 1;
    }
    const std::vector<QString> found = toQStrings(words.found);
    const std::vector<QString> notFound = toQStrings(words.notFound);

    const Rss start = rss();
    const TDictn dict;
    if (!dict.isOpen()) {
        std::fprintf(stderr, "%s\n", dict.errorMessage().toLocal8Bit().constData());
        return 1;
    }
    const Rss opened = rss();
    long hits = 0;
    for (int i = 0; i < lookups / 2; ++i) {
        hits += dict.FindWord(found[static_cast<std::size_t>(i)]);
        hits += dict.FindWord(notFound[static_cast<std::size_t>(i)]);
    }
    const Rss looked = rss();

    std::printf("%zu words in the list, %d lookups, %ld found (expected %d)\n", words.all.size(),
                lookups, hits, lookups / 2);
    report("open (write the file, map it)", start, opened);
    report("1,000,000 lookups after open", opened, looked);

    const Rss beforeSet = rss();
    const std::unordered_set<std::string> set(words.all.begin(), words.all.end());
    long setHits = 0;
    for (int i = 0; i < lookups / 2; ++i) {
        setHits += static_cast<long>(set.count(words.found[static_cast<std::size_t>(i)]));
        setHits += static_cast<long>(set.count(words.notFound[static_cast<std::size_t>(i)]));
    }
    const Rss afterSet = rss();
    report("baseline: unordered_set + its lookups", beforeSet, afterSet);
    return hits == lookups / 2 && setHits == hits ? 0 : 1;
}
