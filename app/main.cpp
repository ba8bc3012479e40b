#include "app/modes.h"

#include <cstring>

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--serve") == 0)
        return runServe(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--check-word") == 0)
        return runCheckWord(argc, argv);
    return runGui(argc, argv);
}
