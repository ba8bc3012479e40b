// zorble --serve [--port N] [--seed N] [--grace SECONDS] [--rejoin-by-name]
// [--resume]: the game host alone, without a window, published on the local
// network. It saves the running game after every turn; --resume goes on with
// an interrupted one.
#include "app/modes.h"
#include "app/signalwatcher.h"
#include "game/savedgame.h"
#include "host/gamepublisher.h"
#include "host/tserver.h"
#include "settings/apppaths.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <optional>

int runServe(int argc, char **argv) {
    quint16 port = 7772;
    std::optional<quint32> seed; // fixed seed: the same requests replay the same game
    int grace = TServer::kDefaultGrace;
    bool rejoinByName = false;
    bool resume = false; // goes on with the interrupted game, if there is one
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
        } else if (arg == QLatin1String("--grace") && i + 1 < argc) {
            bool ok = false;
            const int n = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || n < 0 || n > 3600) {
                std::fprintf(stderr, "zorble: --grace needs a number of seconds from 0 to 3600\n");
                return 2;
            }
            grace = n;
        } else if (arg == QLatin1String("--rejoin-by-name")) {
            rejoinByName = true;
        } else if (arg == QLatin1String("--resume")) {
            resume = true;
        } else {
            std::fprintf(stderr,
                         "zorble: unknown argument for --serve: %s\n"
                         "usage: zorble --serve [--port N] [--seed N] [--grace SECONDS] "
                         "[--rejoin-by-name] [--resume]\n",
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
    server.setGrace(grace);
    server.setRejoinByName(rejoinByName);
    const game::SaveFile save(AppPaths::locate(QCoreApplication::applicationDirPath()).saveFile);
    QString setAside;
    QString resumed; // told after the listening line
    if (const std::optional<game::SavedGame> saved = save.read(&setAside)) {
        if (resume) {
            server.resume(saved->state);
            resumed = QStringLiteral("Resumed the game saved at ") +
                      saved->saved.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
        } else {
            std::fprintf(
                stderr, "zorble: %s Start with --resume to go on with it.\n",
                qPrintable(saved->question().section(QLatin1Char('.'), 0, 0) + QLatin1Char('.')));
        }
    } else if (!setAside.isEmpty()) {
        std::fprintf(stderr, "zorble: the saved game could not be read; it was set aside as %s\n",
                     qPrintable(setAside));
    }
    server.setSaveFile(save.path());
    server.setRecordFolder(AppPaths::locate(QCoreApplication::applicationDirPath()).gamesFolder());
    try {
        server.listen(port);
    } catch (const ESockException &e) {
        const int err = server.listenErrno();
        std::fprintf(stderr, "zorble: cannot host on port %u: %s%s%s%s\n", port, e.what(),
                     err ? " (" : "", err ? std::strerror(err) : "", err ? ")" : "");
        return 1;
    }
    std::printf("Zorble host listening on port %u\n", server.port());
    if (!resumed.isEmpty())
        std::printf("%s\n", qPrintable(resumed));
    std::fflush(stdout);
    // Players on the local network find the game in their Join dialog.
    GamePublisher publisher(server);
    publisher.start(server.port());

    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app,
                     [&app](int) { app.quit(); });
    watcher.start();
    return app.exec();
}
