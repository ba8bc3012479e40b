// The game window.
#include "modes.h"

#include <cstdio>

int runGui(int, char **) {
    std::fprintf(stderr, "zorble: the game window is not part of this build yet\n");
    return 1;
}
