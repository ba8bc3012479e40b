#include "app/modes.h"
#include "app/signalwatcher.h"
#include "net/protocol.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  zorble [--port N]               a solo game: host and play on this machine (port\n"
    "                                  7772 unless given), under the name set with\n"
    "                                  Options > Your Name\n"
    "  zorble [--port N] NAME ADDRESS ROLE\n"
    "                                  as the lobby starts it: ROLE \"true\" hosts as NAME,\n"
    "                                  anything else joins the host at ADDRESS\n"
    "  zorble zorble://HOST:PORT       an invitation: the Join dialog opens with it filled\n"
    "                                  in (in the game already running, if one is)\n"
    "  zorble --serve [--port N] [--seed N] [--grace SECONDS] [--rejoin-by-name] [--resume]\n"
    "                                  a host without a window (port 7772 unless given;\n"
    "                                  a seed replays the same game); a dropped player's\n"
    "                                  seat is kept for 180 s unless given (0: not kept),\n"
    "                                  taken back by its name only with --rejoin-by-name;\n"
    "                                  --resume goes on with the interrupted game\n"
    "  zorble --check-word [WORD...]   look words up in the built-in word list (words\n"
    "                                  from standard input when none are given)\n"
    "  zorble --bot NAME [--host ADDRESS] [--port N] [--level easy|normal|hard] [--pause MS]\n"
    "                                  a computer player without a window (127.0.0.1, port\n"
    "                                  7772, normal and a pause of 1 to 3 s before each\n"
    "                                  move unless given); --think MS is the most it thinks\n"
    "                                  about a turn (1000, which hard takes in full);\n"
    "                                  --start PLAYERS starts a game as the hosting player\n"
    "                                  once PLAYERS seats are taken\n"
    "  zorble --replay FILE [--to N] [--json]\n"
    "                                  the board (with coordinates) and the totals of a game\n"
    "                                  record after turn N (the end unless given); --json\n"
    "                                  prints the board, seats and seat 1's unseen tiles\n"
    "  zorble --analyse FILE [--threads N]\n"
    "                                  each turn of a game record against the computer's\n"
    "                                  best move for the rack held, and the points given\n"
    "                                  away; on every core (or N threads)\n"
    "  zorble --help                   this text\n"
    "  zorble --version                the version sent when logging in\n"
    "\n"
    "Environment:\n"
    "  ZORBLE_NO_INSTANCE_GUARD=1      let several game windows run for one user\n"
    "  ZORBLE_CHAT_CONSOLE=1           chat lines to standard output; lines from standard\n"
    "                                  input are sent as chat (\"/me TEXT\" as an action),\n"
    "                                  except these console commands:\n"
    "    /start                        Start Game at once with the Game Options' values\n"
    "                                  (the hosting player only)\n"
    "    /pass                         Pass (on your turn)\n"
    "    /newtiles                     New Tiles (on your turn)\n"
    "    /hint                         Options > Show Hint\n"
    "    /computer LEVEL [PAUSE_MS]    File > Add Computer Player: LEVEL easy, normal or\n"
    "                                  hard; PAUSE_MS its wait before each move\n"
    "  ZORBLE_STATE_FILE=PATH          write the game as the window sees it to PATH as JSON,\n"
    "                                  on SIGUSR1 and at exit\n"
    "\n"
    "Files: vornlobby.ini (settings), zorbletiles/ (tile sets), zorbletally.tld (the\n"
    "tally), games/ (the record of each game hosted), zorblerejoin.txt (rejoin\n"
    "tokens), zorblegame.sav (the hosted game) and the lobby's installer live\n"
    "beside the program when it runs from a writable folder of the user's own that is\n"
    "no installed prefix; else the settings live in $XDG_CONFIG_HOME/zorble/, the rest\n"
    "in $XDG_DATA_HOME/zorble/ (the installer in its downloads/), and the tile sets\n"
    "installed with the game are listed too.\n";

// The options that choose a mode, read with the standard parser. Everything
// after the first word that is not an option belongs to the mode.
enum class Choice { Gui, Serve, CheckWord, Bot, Replay, Analyse, Help, Version, Error };

Choice choose(const QStringList &args, QString &error) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption serve(QStringLiteral("serve"));
    const QCommandLineOption checkWord(QStringLiteral("check-word"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"), QString(), QStringLiteral("N"));
    const QCommandLineOption bot(QStringLiteral("bot"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption host(QStringLiteral("host"), QString(), QStringLiteral("ADDRESS"));
    const QCommandLineOption level(QStringLiteral("level"), QString(), QStringLiteral("LEVEL"));
    const QCommandLineOption pause(QStringLiteral("pause"), QString(), QStringLiteral("MS"));
    const QCommandLineOption think(QStringLiteral("think"), QString(), QStringLiteral("MS"));
    const QCommandLineOption start(QStringLiteral("start"), QString(), QStringLiteral("PLAYERS"));
    const QCommandLineOption replay(QStringLiteral("replay"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption to(QStringLiteral("to"), QString(), QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption grace(QStringLiteral("grace"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption byName(QStringLiteral("rejoin-by-name"));
    const QCommandLineOption resume(QStringLiteral("resume"));
    const QCommandLineOption analyse(QStringLiteral("analyse"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption threads(QStringLiteral("threads"), QString(), QStringLiteral("N"));
    parser.addOptions({help, version, serve, checkWord, port, seed, bot, host, level, pause, think,
                       start, replay, to, json, grace, byName, resume, analyse, threads});
    if (!parser.parse(args)) {
        error = parser.errorText();
        return Choice::Error;
    }
    if (parser.isSet(help))
        return Choice::Help;
    if (parser.isSet(version))
        return Choice::Version;
    if (parser.isSet(replay))
        return Choice::Replay;
    if (parser.isSet(analyse))
        return Choice::Analyse;
    if (parser.isSet(threads)) {
        error = QStringLiteral("--threads goes with --analyse.");
        return Choice::Error;
    }
    if (parser.isSet(to) || parser.isSet(json)) {
        error = QStringLiteral("--to and --json go with --replay.");
        return Choice::Error;
    }
    const bool botOption = parser.isSet(host) || parser.isSet(level) || parser.isSet(pause) ||
                           parser.isSet(think) || parser.isSet(start);
    if (parser.isSet(bot)) {
        if (parser.isSet(serve) || parser.isSet(checkWord) || parser.isSet(seed) ||
            parser.isSet(grace) || parser.isSet(byName) || parser.isSet(resume)) {
            error = QStringLiteral("--bot goes with --host, --port, --level, --pause, --think and "
                                   "--start only.");
            return Choice::Error;
        }
        return Choice::Bot;
    }
    if (botOption) {
        error = QStringLiteral("--host, --level, --pause, --think and --start go with --bot.");
        return Choice::Error;
    }
    if (parser.isSet(serve))
        return Choice::Serve;
    if (parser.isSet(checkWord))
        return Choice::CheckWord;
    if (parser.isSet(grace) || parser.isSet(byName) || parser.isSet(resume)) {
        error = QStringLiteral("--grace, --rejoin-by-name and --resume go with --serve.");
        return Choice::Error;
    }
    if (parser.isSet(seed)) {
        error = QStringLiteral("--seed goes with --serve.");
        return Choice::Error;
    }
    // --port N: the window hosts and joins on that port.
    return Choice::Gui;
}

} // namespace

int main(int argc, char **argv) {
    // The lobby's start (NAME ADDRESS ROLE) and a solo start go straight to
    // the window, whatever the words are. Signals are caught before anything
    // else happens: the loading of the libraries before main takes longer
    // than anything main does until the window shows.
    if (argc < 2 || argv[1][0] != '-') {
        SignalWatcher::catchEarly(!qEnvironmentVariableIsEmpty("ZORBLE_STATE_FILE"));
        return runGui(argc, argv);
    }

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QString error;
    switch (choose(args, error)) {
    case Choice::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Choice::Version:
        std::printf("zorble %s\n", proto::kVersion);
        return 0;
    case Choice::Serve:
        SignalWatcher::catchEarly(false);
        return runServe(argc, argv);
    case Choice::CheckWord:
        return runCheckWord(argc, argv);
    case Choice::Replay:
        return runReplay(argc, argv);
    case Choice::Analyse:
        return runAnalyse(argc, argv);
    case Choice::Bot:
        SignalWatcher::catchEarly(false);
        return runBot(argc, argv);
    case Choice::Error:
        std::fprintf(stderr, "zorble: %s\nTry 'zorble --help' for more information.\n",
                     qPrintable(error));
        return 2;
    case Choice::Gui:
        break;
    }
    SignalWatcher::catchEarly(!qEnvironmentVariableIsEmpty("ZORBLE_STATE_FILE"));
    return runGui(argc, argv);
}
