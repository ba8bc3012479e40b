#pragma once

#include "resources/words/wordlist.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <random>
#include <string>
#include <unordered_set>
#include <vector>

// The words a lookup benchmark asks for: words of the built-in list in random order, and
// random letter strings that are not in it.
struct LookupWords {
    std::vector<std::string> all;      // every word of the list
    std::vector<std::string> found;    // a random sample of listed words
    std::vector<std::string> notFound; // random strings known not to be listed

    explicit LookupWords(std::size_t sample) {
        QFile f(builtInWordListPath());
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = f.readAll();
        for (qsizetype at = 0; at + 15 <= bytes.size(); at += 15)
            all.push_back(bytes.mid(at + 1, 14).trimmed().toStdString());
        if (all.empty())
            return;
        const std::unordered_set<std::string> listed(all.begin(), all.end());
        std::mt19937 rng(12345);
        std::uniform_int_distribution<std::size_t> pick(0, all.size() - 1);
        std::uniform_int_distribution<int> letter('A', 'Z');
        std::uniform_int_distribution<int> length(2, 12);
        while (found.size() < sample)
            found.push_back(all[pick(rng)]);
        while (notFound.size() < sample) {
            std::string s(static_cast<std::size_t>(length(rng)), ' ');
            for (char &c : s)
                c = static_cast<char>(letter(rng));
            if (!listed.count(s))
                notFound.push_back(s);
        }
    }
};

inline std::vector<QString> toQStrings(const std::vector<std::string> &words) {
    std::vector<QString> out;
    out.reserve(words.size());
    for (const std::string &w : words)
        out.push_back(QString::fromStdString(w));
    return out;
}
