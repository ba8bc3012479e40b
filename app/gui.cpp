// The game window.
#include "app/modes.h"
#include "app/signalwatcher.h"
#include "client/chatconsole.h"
#include "client/gameprocess.h"
#include "client/instanceguard.h"
#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "clientcore/statefile.h"
#include "settings/apppaths.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QJsonArray>
#include <QMenu>

#include <cstdio>

int runGui(int argc, char **argv) {
    // The arguments as typed: QApplication takes away the ones it knows.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Zorble"));
    app.setDesktopFileName(QStringLiteral("io.github.zorble.Zorble"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/zorble.png")));
    // SIGINT and SIGTERM (and SIGUSR1 with a state file) are caught from the
    // start of main: one that comes while the windows are still being made
    // waits in the watcher until the window can close as File > Exit does, or
    // the state can be written.
    SignalWatcher watcher;

    InstanceGuard guard;
    if (!InstanceGuard::disabled()) {
        switch (guard.acquire()) {
        case InstanceGuard::First:
            break;
        case InstanceGuard::AlreadyRunning:
            return 0;
        case InstanceGuard::Failed:
            std::fprintf(stderr, "zorble: another game is running but does not answer (%s)\n",
                         qPrintable(guard.lockPath()));
            return 1;
        }
    }

    // Everything the program keeps lives where AppPaths decides: beside the
    // executable when it can write there, else in the user's data folder.
    GameProcess game(args, AppPaths::locate(QCoreApplication::applicationDirPath()));
    Tchat &window = game.window();
    QObject::connect(&guard, &InstanceGuard::raiseRequested, &window, &Tchat::bringToFront);

    if (ChatConsole::requested())
        new ChatConsole(window);

    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &window,
                     [&window](int) { window.close(); });
    // The help and about windows do not keep the program alive.
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(&window, &Tchat::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // Scripts and tests read the game from a state file: written on SIGUSR1
    // and once more when the program ends.
    const QString statePath = qEnvironmentVariable("ZORBLE_STATE_FILE");
    // The mirror's game, with what only the window knows: the preview under
    // the board, where the parts lie, for scripts that click on them, and the
    // tile sets that Options > Tiles offers.
    auto writeWindowState = [&] {
        QJsonObject state = mirrorState(window.mirror());
        state.insert(QStringLiteral("preview"), window.previewText());
        state.insert(QStringLiteral("places"), window.places());
        QJsonArray tileSets;
        for (const QAction *a : window.tileSets()->menu()->actions())
            tileSets.append(a->text());
        state.insert(QStringLiteral("tileSets"), tileSets);
        writeState(statePath, state);
    };
    if (!statePath.isEmpty()) {
        watcher.watchUser1();
        QObject::connect(&watcher, &SignalWatcher::stateRequested, &window, writeWindowState);
    }

    window.show();
    watcher.start();
    const int code = app.exec();
    if (!statePath.isEmpty())
        writeWindowState();
    return code;
}
