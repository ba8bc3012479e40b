// What building a computer player's word graph adds to a program's peak
// memory: a program that already holds the word list (as every game window
// does, for its host) builds an engine, and the rise of its peak resident
// memory is set against the size of the finished graph.
//
// usage: graph_peak [dawg|gaddag]
#include "ai/engine.h"
#include "dict/tdictn.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

// A line of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
double statusKiB(const char *field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::strlen(field)));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool gaddag = argc > 1 && std::strcmp(argv[1], "gaddag") == 0;
    // The program's one word list, which the host and the engine share.
    const std::shared_ptr<const TDictn> list = TDictn::shared();
    if (!list->isOpen() || !list->FindWord(QStringLiteral("word")))
        return 1;
    const double before = statusKiB("VmRSS:");
    // Resets the peak to the memory held now.
    std::ofstream(std::string("/proc/self/clear_refs")) << "5";
    const ai::Engine engine(gaddag ? ai::WordGraph::Kind::Gaddag : ai::WordGraph::Kind::Dawg);
    const double peak = statusKiB("VmHWM:");
    const double graph = double(engine.graph().bytes()) / 1024.0;
    std::printf("%s: graph %.2f MB (%.2f MiB) built in %.1f ms; peak rose by %.2f MiB, "
                "%.2f MiB above the finished graph\n",
                gaddag ? "GADDAG" : "DAWG", double(engine.graph().bytes()) / 1e6, graph / 1024.0,
                engine.graphBuildMs(), (peak - before) / 1024.0, (peak - before - graph) / 1024.0);
    return 0;
}
