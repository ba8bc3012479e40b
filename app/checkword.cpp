// zorble --check-word [WORD...]: looks words up in the built-in word list.
//
// Prints, for each word given (or, with none, for each line of standard input), the word as
// given followed by ": found" or ": not found". Needs no display and starts no host.
#include "app/modes.h"
#include "dict/tdictn.h"

#include <QString>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void answer(const TDictn &dict, const char *word, std::size_t length) {
    const bool found = dict.FindWord(QString::fromLocal8Bit(word, static_cast<qsizetype>(length)));
    std::fwrite(word, 1, length, stdout);
    std::fputs(found ? ": found\n" : ": not found\n", stdout);
}

// Reads one line without its line end ("\n" or "\r\n"); false at the end of input.
bool readLine(std::FILE *in, std::string &line) {
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(in)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

} // namespace

int runCheckWord(int argc, char **argv) {
    const TDictn dict;
    if (!dict.isOpen())
        std::fprintf(stderr, "zorble: %s\n", dict.errorMessage().toLocal8Bit().constData());

    if (argc > 2) {
        for (int i = 2; i < argc; ++i)
            answer(dict, argv[i], std::strlen(argv[i]));
    } else {
        std::string line;
        while (readLine(stdin, line))
            answer(dict, line.data(), line.size());
    }
    std::fflush(stdout);
    // Without the list every answer would be "not found": do not let that pass for success.
    return dict.isOpen() ? 0 : 1;
}
