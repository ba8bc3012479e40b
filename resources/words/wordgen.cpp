// Builds the game's word list from plain word-per-line lists.
//
// Usage: zorble_wordgen OUTPUT INPUT...
//
// Keeps the lines made only of the letters a to z with at least two of them, upper-cases
// them, cuts them to 14 letters and writes each as a 15-byte record: the byte 0x1E followed
// by the word, left-aligned and filled with spaces. The records are sorted by their 14-byte
// fields compared as unsigned bytes (so a word precedes every longer word it begins), and
// duplicates are dropped. The lookup bisects over this order.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t fieldLength = 14;
constexpr char recordMark = 0x1E;

using Field = std::array<char, fieldLength>;

bool isWordLine(const std::string &line) {
    if (line.size() < 2)
        return false;
    return std::all_of(line.begin(), line.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

Field toField(const std::string &word) {
    Field field;
    field.fill(' ');
    const std::size_t n = std::min(word.size(), fieldLength);
    for (std::size_t i = 0; i < n; ++i)
        field[i] = static_cast<char>(word[i] - 'a' + 'A');
    return field;
}

bool fieldLess(const Field &a, const Field &b) {
    return std::memcmp(a.data(), b.data(), fieldLength) < 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT INPUT...\n", argv[0]);
        return 2;
    }

    std::vector<Field> fields;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
            return 1;
        }
        std::string line;
        while (std::getline(in, line)) {
            if (isWordLine(line))
                fields.push_back(toField(line));
        }
        if (in.bad()) {
            std::fprintf(stderr, "%s: error while reading %s\n", argv[0], argv[i]);
            return 1;
        }
    }
    if (fields.empty()) {
        std::fprintf(stderr, "%s: the inputs hold no usable word\n", argv[0]);
        return 1;
    }

    std::sort(fields.begin(), fields.end(), fieldLess);
    fields.erase(std::unique(fields.begin(), fields.end()), fields.end());

    // Write beside the target and rename, so an interrupted run never leaves a short list
    // that a later build would take for finished.
    const std::string output = argv[1];
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        for (const Field &f : fields) {
            out.put(recordMark);
            out.write(f.data(), fieldLength);
        }
        out.flush();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], partial.c_str());
            std::remove(partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "%s: cannot rename %s to %s\n", argv[0], partial.c_str(),
                     output.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    std::printf("%zu words\n", fields.size());
    return 0;
}
