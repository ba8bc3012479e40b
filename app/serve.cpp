// zorble --serve [--port N] [--seed N]: the game host alone, without a window.
#include "app/modes.h"
#include "app/signalwatcher.h"
#include "host/tserver.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <optional>

int runServe(int argc, char **argv) {
    quint16 port = 7772;
    std::optional<quint32> seed; // fixed seed: the same requests replay the same game
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--port") && i + 1 < argc) {
            const auto n = QString::fromLocal8Bit(argv[++i]).toUInt();
            if (n == 0 || n > 65535) {
                std::fprintf(stderr, "zorble: --port needs a number from 1 to 65535\n");
                return 2;
            }
            port = static_cast<quint16>(n);
        } else if (arg == QLatin1String("--seed") && i + 1 < argc) {
            bool ok = false;
            const auto n = QString::fromLocal8Bit(argv[++i]).toUInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "zorble: --seed needs a number from 0 to 4294967295\n");
                return 2;
            }
            seed = n;
        } else {
            std::fprintf(stderr,
                         "zorble: unknown argument for --serve: %s\n"
                         "usage: zorble --serve [--port N] [--seed N]\n",
                         argv[i]);
            return 2;
        }
    }

    QCoreApplication app(argc, argv);
    TServer server;
    if (!server.dictionaryOpen())
        std::fprintf(stderr, "%s\n", qPrintable(server.dictionaryError()));
    if (seed)
        server.seed(*seed);
    try {
        server.listen(port);
    } catch (const ESockException &e) {
        const int err = server.listenErrno();
        std::fprintf(stderr, "zorble: cannot host on port %u: %s%s%s%s\n", port, e.what(),
                     err ? " (" : "", err ? std::strerror(err) : "", err ? ")" : "");
        return 1;
    }
    std::printf("Zorble host listening on port %u\n", server.port());
    std::fflush(stdout);

    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app,
                     [&app](int) { app.quit(); });
    watcher.start();
    return app.exec();
}
