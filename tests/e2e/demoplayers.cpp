// Protocol players for demonstrations and screenshots: joins a host with up
// to three players that lay real words from their racks. Commands on standard
// input steer them, one per line:
//   play N    the players lay words until N words are on the board and one
//             of them has drawn a Zorble outcome (or nothing more can be laid)
//   pass      from now on they pass every turn
// After each command it prints "ready" once the players wait for the next.
//
// usage: zorble_demo_players PORT NAME...
#include "dict/tdictn.h"
#include "tests/engine/gameclient.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <list>
#include <unistd.h>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: zorble_demo_players PORT NAME...\n");
        return 2;
    }
    const quint16 port = quint16(args[1].toUInt());
    TDictn dict;
    const fullgame::WordList words(dict, 7);
    std::list<fullgame::Player> players;
    for (const QString &name : args.mid(2)) {
        fullgame::Player &p = players.emplace_back();
        if (!p.join(port, name)) {
            std::fprintf(stderr, "zorble_demo_players: %s cannot join\n", qPrintable(name));
            return 1;
        }
    }

    enum class Mode { Wait, Play, Pass } mode = Mode::Wait;
    int target = 0;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            app.quit();
            return;
        }
        const QString command = QString::fromLatin1(line).trimmed();
        if (command.startsWith(QLatin1String("play "))) {
            target = command.mid(5).toInt();
            mode = Mode::Play;
        } else if (command == QLatin1String("pass")) {
            mode = Mode::Pass;
        }
    });

    QTimer step;
    step.setInterval(50);
    QObject::connect(&step, &QTimer::timeout, [&] {
        const fullgame::Player &first = players.front();
        const int laid = int(first.tokens.count(QLatin1Char('w')));
        // The last word drew a Zorble outcome, which the windows show for a while.
        static const QRegularExpression withOutcome(
            QStringLiteral("^CMD_postscore\\+\\d+\\+\\d\\+[123]\\+"));
        const QStringList scores = first.lines.filter(QStringLiteral("CMD_postscore+"));
        const bool outcome = !scores.isEmpty() && withOutcome.match(scores.last()).hasMatch();
        if (mode == Mode::Play && ((laid >= target && outcome) || first.over)) {
            mode = Mode::Wait;
            std::printf("ready\n");
            std::fflush(stdout);
        }
        for (fullgame::Player &p : players) {
            if (!p.due() || mode == Mode::Wait)
                continue;
            ++p.acted;
            const auto move =
                mode == Mode::Play ? fullgame::findMove(p.mirror, words) : std::nullopt;
            if (move) {
                p.sendMove(*move);
            } else {
                p.send(proto::client::pass(p.seat));
                if (mode == Mode::Play) {
                    mode = Mode::Wait; // nothing more to lay
                    std::printf("ready\n");
                    std::fflush(stdout);
                }
            }
        }
    });
    step.start();
    return app.exec();
}
