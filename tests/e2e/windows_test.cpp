// Two real programs with real windows on a virtual X server, played from
// outside their processes: xdotool moves the pointer, clicks and types on
// the windows as a player would. Ann hosts and Bob joins; the first move is
// laid with the mouse and submitted with a right click, the second typed on
// the board and submitted with Enter. Each program's state file must show
// the other's word, and the mover's the preview of its move before it goes.
// Needs Xvfb and xdotool; skipped without them.
#include "dict/tdictn.h"
#include "rules/rules.h"
#include "tests/e2e/display.h"
#include "tests/e2e/program.h"
#include "tests/engine/gameclient.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

QString letterAt(const QJsonObject &state, int x, int y) {
    return state["board"].toArray()[y].toString().mid(x, 1);
}

// Whether a word reads across or down anywhere on the board.
bool boardShows(const QJsonObject &state, const QString &word) {
    const QJsonArray rows = state["board"].toArray();
    for (int i = 0; i < 19; ++i) {
        QString column;
        for (int y = 0; y < 19; ++y)
            column += rows[y].toString().at(i);
        if (rows[i].toString().contains(word) || column.contains(word))
            return true;
    }
    return false;
}

// The mover's game as its state file tells it, and a move from its rack.
struct Plan {
    GameMirror mirror;
    QList<game::LaidTile> move;
    QString word;
};

bool plan(const QJsonObject &state, const fullgame::WordList &words, const TDictn &dict, Plan &p) {
    const QJsonArray rows = state["board"].toArray();
    p.mirror.handle(proto::toclient::SendLoginInfo{state["localseat"].toInt()});
    rules::Grid board{};
    bool first = true;
    for (int x = 0; x < 19; ++x) {
        for (int y = 0; y < 19; ++y) {
            const QChar c = rows[y].toString().at(x);
            board[x][y] = c == u'.' ? rules::kEmpty : c.unicode() - u'a';
            first = first && c == u'.';
            if (c != u'.')
                p.mirror.handle(proto::toclient::ShowBoard{{x, y, board[x][y]}});
        }
    }
    rules::Rack rack{};
    const QJsonArray tiles = state["rack"].toArray();
    for (int k = 1; k <= 10; ++k) {
        const QString t = tiles[k - 1].toString();
        rack[k] = t.isEmpty() ? rules::kEmpty : t.at(2).unicode() - u'a';
        if (!t.isEmpty())
            p.mirror.handle(proto::toclient::Atile{{k, rack[k]}});
    }
    const auto found = fullgame::findMove(p.mirror, words);
    if (!found)
        return false;
    p.move = *found;
    QList<rules::LaidTile> laid;
    for (const game::LaidTile &t : p.move)
        laid.append({t.rackslot, false, t.x, t.y});
    const rules::Rules r([&dict](const QString &w) { return dict.FindWord(w); });
    const auto placed = rules::Rules::readMove(board, rack, laid);
    const rules::Verdict v = r.judge(board, rules::Grid{}, state["localseat"].toInt(),
                                     placed.value_or(QList<rules::Placed>{}), first);
    p.word = v.word;
    return v.valid;
}

TEST(EndToEndWindows, TwoPlayersLayTheirFirstWordsWithMouseAndKeyboard) {
    ensureCoreApp();
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs Xvfb and xdotool";
    VirtualDisplay x;
    ASSERT_TRUE(x.start());
    ASSERT_TRUE(waitForFreePort(kGamePort));
    QTemporaryDir dir;

    std::array<Player, 3> seats; // seat 1 Ann, seat 2 Bob
    const std::array<QStringList, 3> args{QStringList{}, QStringList{"Ann", "x", "true"},
                                          QStringList{"Bob", "127.0.0.1", "false"}};
    for (int seat : {1, 2}) {
        Player &p = seats[seat];
        p.display = x.name;
        p.stateFile = dir.filePath(args[seat][0] + ".json");
        p.game =
            std::make_unique<Game>(args[seat], false, QString(), p.stateFile, QString(), x.name);
        ASSERT_TRUE(p.game->waitForLine("0+You are Connected.")) << p.game->out.toStdString();
        ASSERT_TRUE(p.findWindow());
        // Side by side: without a window manager nothing else places them.
        p.xdotool({"windowmove", "--sync", p.window, seat == 1 ? "0" : "900", "0"});
    }
    ASSERT_TRUE(seats[1].game->waitForLine("0+Bob is Connected."));

    TDictn dict;
    const fullgame::WordList words(dict, 5);
    seats[1].game->proc.write("/start\n");
    for (int turn = 0; turn < 2; ++turn) {
        SCOPED_TRACE(testing::Message() << "move " << turn + 1);
        const QJsonObject began = seats[1].waitForState([](const QJsonObject &s) {
            return s["currentplayer"].toInt() == 1 || s["currentplayer"].toInt() == 2;
        });
        const int seat = began["currentplayer"].toInt();
        ASSERT_NE(seat, 0) << "no turn began";
        Player &mover = seats[seat];
        Player &other = seats[3 - seat];
        const QJsonObject state =
            mover.waitForState([](const QJsonObject &s) { return s["ownturn"].toBool(); });
        Plan p;
        ASSERT_TRUE(plan(state, words, dict, p)) << "no move found";

        std::sort(p.move.begin(), p.move.end(),
                  [](const auto &a, const auto &b) { return a.x + a.y < b.x + b.y; });
        if (turn == 0) {
            // Each tile picked up from the rack and dropped on its square.
            for (const game::LaidTile &t : p.move) {
                mover.click(mover.centreOf(state, QStringLiteral("tile_%1").arg(t.rackslot)));
                mover.click(mover.square(state, t.x, t.y));
            }
        } else {
            // A click on the first square gives the board the keys; the
            // arrows point the way; the letters go down in order.
            const bool down = p.move.size() > 1 && p.move[0].x == p.move[1].x;
            mover.click(mover.square(state, p.move[0].x, p.move[0].y));
            const bool atEnd = (down ? p.move[0].y : p.move[0].x) == 18;
            const QStringList there =
                down ? QStringList{"Down", "Up"} : QStringList{"Right", "Left"};
            mover.keys(atEnd ? QStringList{there[1], there[0]} : there);
            QStringList letters;
            for (const game::LaidTile &t : p.move)
                letters << QString(QChar(u'a' + p.mirror.rackLetter(t.rackslot)));
            mover.keys(letters);
        }
        const QJsonObject laid = mover.waitForState([&](const QJsonObject &s) {
            for (const game::LaidTile &t : p.move)
                if (letterAt(s, t.x, t.y) != QChar(u'a' + p.mirror.rackLetter(t.rackslot)))
                    return false;
            return true;
        });
        EXPECT_TRUE(laid["preview"].toString().startsWith("preview: " + p.word.toUpper() + " "))
            << laid["preview"].toString().toStdString();

        if (turn == 0) {
            const QPoint elsewhere =
                p.move[0].x == 18 && p.move[0].y == 18 ? QPoint(0, 0) : QPoint(18, 18);
            mover.click(mover.square(state, elsewhere.x(), elsewhere.y()), 3);
        } else {
            mover.keys({"Return"});
        }
        // The other program writes the score line and shows the word.
        const QString scoreLine =
            QStringLiteral("0+*%1: %2 +").arg(args[seat][0], p.word.toUpper());
        EXPECT_TRUE(waitUntil([&] { return other.game->out.contains(scoreLine); }, 15000))
            << other.game->out.toStdString();
        std::printf("%s %s %s: %s\n", qPrintable(args[seat][0]), turn == 0 ? "clicked" : "typed",
                    qPrintable(p.word), qPrintable(laid["preview"].toString()));
        const QJsonObject seen = other.waitForState([&](const QJsonObject &s) {
            return boardShows(s, p.word) && s["currentplayer"].toInt() != seat;
        });
        EXPECT_TRUE(boardShows(seen, p.word)) << p.word.toStdString();
    }
    // The joining program first: once the host has gone, it ends on its own.
    for (int seat : {2, 1}) {
        QProcess &proc = seats[seat].game->proc;
        ASSERT_TRUE(seats[seat].game->terminate());
        EXPECT_TRUE(proc.exitStatus() == QProcess::NormalExit && proc.exitCode() == 0)
            << "status " << proc.exitStatus() << ", code " << proc.exitCode() << "\n"
            << proc.readAllStandardError().toStdString();
    }
}

} // namespace
