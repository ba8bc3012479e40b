// zorble --check-word [WORD...]
#include "modes.h"

#include <cstdio>

int runCheckWord(int, char **) {
    std::fprintf(stderr, "zorble: the word list is not part of this build yet\n");
    return 1;
}
