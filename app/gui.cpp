// The game window.
#include "app/modes.h"
#include "app/signalwatcher.h"
#include "client/chatconsole.h"
#include "client/gameprocess.h"
#include "client/instanceguard.h"
#include "client/networkmenu.h"
#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "clientcore/joinaddress.h"
#include "clientcore/statefile.h"
#include "settings/apppaths.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QJsonArray>
#include <QMenu>

#include <cstdio>

namespace {

// "--port N" (or "--port=N") before the other arguments: the port the
// window hosts on and joins. 0 when absent, -1 when it does not read.
int takePort(QStringList &args) {
    if (args.isEmpty() || !args[0].startsWith(QLatin1String("--port")))
        return 0;
    QString value;
    if (args[0].startsWith(QLatin1String("--port="))) {
        value = args.takeFirst().mid(7);
    } else if (args[0] == QLatin1String("--port") && args.size() > 1) {
        args.removeFirst();
        value = args.takeFirst();
    } else {
        return -1;
    }
    bool ok = false;
    const uint port = value.toUInt(&ok);
    return ok && port >= 1 && port <= 65535 ? int(port) : -1;
}

} // namespace

int runGui(int argc, char **argv) {
    // The arguments as typed: QApplication takes away the ones it knows.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const int port = takePort(args);
    if (port < 0) {
        std::fprintf(stderr, "zorble: --port needs a number from 1 to 65535\n");
        return 2;
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Zorble"));
    app.setDesktopFileName(QStringLiteral("io.github.zorble.Zorble"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/zorble.png")));
    // SIGINT and SIGTERM (and SIGUSR1 with a state file) are caught from the
    // start of main: one that comes while the windows are still being made
    // waits in the watcher until the window can close as File > Exit does, or
    // the state can be written.
    SignalWatcher watcher;

    // An invitation link given to a second start goes to the running game.
    const QString link = args.size() == 1 && join::isLink(args[0]) ? args[0] : QString();
    InstanceGuard guard;
    if (!InstanceGuard::disabled()) {
        switch (guard.acquire(3000, link)) {
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
    if (port > 0)
        game.setGamePort(quint16(port));

    // The help and about windows do not keep the program alive.
    app.setQuitOnLastWindowClosed(false);
    const QString statePath = qEnvironmentVariable("ZORBLE_STATE_FILE");
    // What outside the main window follows it: a join from the Join dialog
    // brings a new one.
    game.setWindowHook([&](Tchat &window) {
        if (ChatConsole::requested())
            new ChatConsole(window);
        QObject::connect(&window, &Tchat::closed, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
    });
    QObject::connect(&guard, &InstanceGuard::raiseRequested, &app,
                     [&game] { game.window().bringToFront(); });
    QObject::connect(&guard, &InstanceGuard::linkReceived, &app,
                     [&game](const QString &l) { game.window().networkMenu()->openLink(l); });
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app,
                     [&game](int) { game.window().close(); });

    // Scripts and tests read the game from a state file: written on SIGUSR1
    // and once more when the program ends.
    // The mirror's game, with what only the window knows: the preview under
    // the board, where the parts lie (for scripts that click on them), the
    // tile sets that Options > Tiles offers and the Join dialog.
    auto writeWindowState = [&] {
        Tchat &window = game.window();
        QJsonObject state = mirrorState(window.mirror());
        state.insert(QStringLiteral("preview"), window.previewText());
        state.insert(QStringLiteral("places"), window.places());
        state.insert(QStringLiteral("join"), window.networkMenu()->joinState());
        QJsonArray tileSets;
        for (const QAction *a : window.tileSets()->menu()->actions())
            tileSets.append(a->text());
        state.insert(QStringLiteral("tileSets"), tileSets);
        writeState(statePath, state);
    };
    if (!statePath.isEmpty()) {
        watcher.watchUser1();
        QObject::connect(&watcher, &SignalWatcher::stateRequested, &app, writeWindowState);
    }

    game.window().show();
    watcher.start();
    const int code = app.exec();
    if (!statePath.isEmpty())
        writeWindowState();
    return code;
}
