// zorble --bot NAME [--host ADDRESS] [--port N] [--level easy|normal|hard]
//                   [--pause MS] [--think MS] [--start PLAYERS]: a computer
// player without a window. Ends with status 0 when the host closes the connection or removes
// it, 1 when it cannot connect or gets no slot.
#include "ai/zorblebot.h"
#include "app/modes.h"
#include "app/signalwatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

void say(const QString &line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int runBot(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption bot(QStringLiteral("bot"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption host(QStringLiteral("host"), QString(), QStringLiteral("ADDRESS"),
                                  QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"),
                                  QString::number(ai::ZorbleBot::kDefaultPort));
    const QCommandLineOption level(QStringLiteral("level"), QString(), QStringLiteral("LEVEL"),
                                   ai::nameOf(ai::Level::Normal));
    const QCommandLineOption pause(QStringLiteral("pause"), QString(), QStringLiteral("MS"));
    const QCommandLineOption think(QStringLiteral("think"), QString(), QStringLiteral("MS"));
    const QCommandLineOption start(QStringLiteral("start"), QString(), QStringLiteral("PLAYERS"));
    parser.addOptions({bot, host, port, level, pause, think, start});
    auto usage = [](const char *text) {
        std::fprintf(stderr,
                     "zorble: %s\nusage: zorble --bot NAME [--host ADDRESS] [--port N] "
                     "[--level easy|normal|hard] [--pause MS] [--think MS] [--start PLAYERS]\n",
                     text);
        return 2;
    };
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty())
        return usage("unknown arguments for --bot");
    const QString name = parser.value(bot).trimmed();
    if (name.isEmpty())
        return usage("--bot needs a name");
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber == 0 || portNumber > 65535)
        return usage("--port needs a number from 1 to 65535");
    const auto chosen = ai::levelNamed(parser.value(level));
    if (!chosen)
        return usage("--level is easy, normal or hard");
    int pauseMs = ai::ZorbleBot::kHumanePause;
    if (parser.isSet(pause)) {
        pauseMs = parser.value(pause).toInt(&ok);
        if (!ok || pauseMs < 0 || pauseMs > 60000)
            return usage("--pause needs milliseconds from 0 to 60000");
    }
    int thinkMs = ai::ZorbleBot::kThinkingMs;
    if (parser.isSet(think)) {
        thinkMs = parser.value(think).toInt(&ok);
        if (!ok || thinkMs < 1 || thinkMs > 60000)
            return usage("--think needs milliseconds from 1 to 60000");
    }
    int players = 0;
    if (parser.isSet(start)) {
        players = parser.value(start).toInt(&ok);
        if (!ok || players < 1 || players > 4)
            return usage("--start needs a number of players from 1 to 4");
    }

    ai::ZorbleBot player(parser.value(host), static_cast<quint16>(portNumber), name, *chosen,
                         pauseMs);
    player.setThinkingTime(thinkMs);
    if (players > 0) {
        // The game options' defaults.
        game::GameOptions options;
        options.turntime = 90;
        options.squarecount = 12;
        player.startGameWhenSeated(players, options);
    }
    int status = 0;
    QObject::connect(&player, &ai::ZorbleBot::finished, &app, [&](bool fine, const QString &why) {
        if (!fine)
            std::fprintf(stderr, "zorble: %s\n", qPrintable(why));
        status = fine ? 0 : 1;
        app.quit();
    });
    const GameMirror &m = player.mirror();
    QObject::connect(&m, &GameMirror::ownSeatAnnounced, &app, [&](int seat) {
        say(QStringLiteral("Zorble bot %1 (%2) in slot %3")
                .arg(player.name(), ai::nameOf(player.level()))
                .arg(seat));
    });
    QObject::connect(&player, &ai::ZorbleBot::played, &app, [&](const QString &what) {
        say(player.name() + QStringLiteral(": ") + what);
    });
    QObject::connect(&m, &GameMirror::gameOver, &app, [&] {
        QStringList scores;
        for (int s = 1; s <= game::kSeats; ++s)
            if (m.seats().name(s) != SeatList::kWaiting)
                scores << QStringLiteral("%1 %2").arg(m.seats().name(s)).arg(m.seats().score(s));
        say(QStringLiteral("Game over: ") + scores.join(QStringLiteral(", ")));
    });
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app,
                     [&app](int) { app.quit(); });
    watcher.start();
    app.exec();
    return status;
}
