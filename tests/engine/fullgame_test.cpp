// Whole games over TCP: four clients play against a host that uses the
// built-in word list, with moves found from the client's own rack by a small
// search over real words of that list. Every message each client receives is
// checked against the message sequences of the protocol, and the totals each
// client shows against the sum of the posted turn scores.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "tests/engine/engineprobe.h"
#include "tests/engine/gameclient.h"
#include "tests/support/testclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace fullgame;

namespace {

class FullGame : public ::testing::Test {
protected:
    struct AppFirst {
        AppFirst() { ensureCoreApp(); }
    } app;
    TServer host; // the real word list
    TDictn dict;
    WordList words{dict, 7};
    std::array<Player, 5> players; // seats 1..4
    bool partners = false;

    void SetUp() override {
        ASSERT_TRUE(host.dictionaryOpen());
        ASSERT_TRUE(dict.isOpen());
        ASSERT_GT(words.words.size(), 1000);
        host.listen(0);
        for (int i = 1; i <= 4; ++i) {
            players[i].seat = players[i].client.join(host.port(), QStringLiteral("P%1").arg(i));
            ASSERT_EQ(players[i].seat, i);
        }
    }

    void handle(Player &pl, const QString &m) {
        if (!pl.started) {
            if (!m.startsWith(QStringLiteral("CMD_startgame+")))
                return;
            pl.started = true;
        }
        if (pl.over) {
            pl.problems << QStringLiteral("after the end: ") + m;
            return;
        }
        const QChar t = tokenOf(m);
        pl.tokens += t;
        const QString payload = m.mid(m.indexOf(QLatin1Char('+')) + 1);
        switch (t.toLatin1()) {
        case 'a': {
            const auto tile = proto::parseAtile(payload);
            if (!tile)
                pl.problems << m;
            else
                pl.rack[tile->rackslot] = tile->letter;
            break;
        }
        case 'c':
            pl.tilecount = payload.toInt();
            break;
        case 'N':
            pl.current = payload.toInt();
            if (pl.current == pl.seat)
                ++pl.turns;
            break;
        case 'I':
            if (pl.current != pl.seat)
                pl.problems << QStringLiteral("refusal for another seat's move");
            pl.pendingSlots.clear();
            --pl.acted; // the turn goes on
            break;
        case 'R':
        case 'w': {
            const auto tiles = proto::parseTileList(payload);
            if (!tiles) {
                pl.problems << m;
                break;
            }
            if (t == QLatin1Char('R')) {
                // The first word, laid across, moves onto the centre row with
                // its middle on the centre square; the tiles in rack-slot order.
                const int n = int(pl.sent.size());
                int low = 18;
                for (const auto &tile : pl.sent)
                    low = std::min(low, tile.x);
                if (pl.current != pl.seat || tiles->size() != n)
                    pl.problems << QStringLiteral("unexpected reposition: ") + m;
                for (int i = 0; i < n && i < tiles->size(); ++i) {
                    const proto::PlacedTile &tile = pl.sent[i];
                    const proto::BoardLetter moved{tile.x + 9 - n / 2 - low, 9,
                                                   pl.rack[tile.rackslot]};
                    const proto::BoardLetter &got = tiles->at(i);
                    if (got.x != moved.x || got.y != moved.y || got.letter != moved.letter)
                        pl.problems << QStringLiteral("first word not on the centre row: ") + m;
                }
                pl.repositioned = payload;
                break;
            }
            if (!pl.repositioned.isEmpty() && payload != pl.repositioned)
                pl.problems << QStringLiteral("new word differs from the reposition: ") + m;
            pl.repositioned.clear();
            for (const auto &b : *tiles) {
                if (pl.board[b.x][b.y] != kEmpty)
                    pl.problems << QStringLiteral("new word over a letter: ") + m;
                pl.board[b.x][b.y] = b.letter;
            }
            break;
        }
        case 'p': {
            const auto ps = proto::parsePostScore(payload);
            if (!ps) {
                pl.problems << m;
                break;
            }
            if (ps->seat != pl.current)
                pl.problems << QStringLiteral("score for a seat without the turn");
            pl.turnsum[ps->seat] += ps->turnscore;
            pl.shown[ps->seat] = ps->score;
            pl.shown[ps->partner] = ps->partnerscore;
            if (ps->seat == pl.seat) {
                for (int k : pl.pendingSlots)
                    pl.rack[k] = kEmpty;
                pl.pendingSlots.clear();
            }
            break;
        }
        case 'X': {
            const auto nt = proto::parseNewTiles(payload);
            if (!nt) {
                pl.problems << m;
                break;
            }
            pl.exchanges[nt->seat] += 10;
            pl.shown[nt->seat] = nt->score;
            pl.shown[nt->partner] = nt->partnerscore;
            if (nt->seat == pl.seat)
                --pl.acted; // the turn goes on with the new rack
            break;
        }
        case 'l':
        case 'e':
            pl.problems << QStringLiteral("exchange refused: ") + m;
            break;
        case 'W': {
            if (m != QStringLiteral("CMD_winner")) {
                const auto w = proto::parseWinner(m.mid(11));
                if (w)
                    pl.winners = *w;
                else
                    pl.problems << m;
            }
            if (m.startsWith(QStringLiteral("CMD_winner")) &&
                !pl.tokens.endsWith(QStringLiteral("GW")) &&
                !pl.tokens.endsWith(QStringLiteral("MW")))
                return; // an end reason follows
            pl.over = true;
            break;
        }
        case 'O':
        case 'E':
            pl.over = true;
            break;
        case '?':
            pl.problems << QStringLiteral("unexpected: ") + m;
            break;
        default:
            break;
        }
    }

    // The expected total of a seat from the turn scores and exchanges seen.
    int expectedTotal(const Player &pl, int seat) const {
        auto get = [](const std::map<int, int> &m, int k) {
            const auto it = m.find(k);
            return it == m.end() ? 0 : it->second;
        };
        const int partner = (seat + 1) % 4 + 1;
        int total = get(pl.turnsum, seat) - get(pl.exchanges, seat);
        if (partners)
            total += get(pl.turnsum, partner) - get(pl.exchanges, partner);
        return total;
    }

    // The perpendicular word through (x, y) with letter c there.
    static QString crossWord(const Board &b, int x, int y, bool across, int c) {
        auto at = [&](int p) { return across ? b[x][p] : b[p][y]; };
        const int own = across ? y : x;
        int s = own;
        while (s > 0 && at(s - 1) != kEmpty)
            --s;
        QString w;
        for (int p = s; p < own; ++p)
            w += QChar(u'a' + at(p));
        w += QChar(u'a' + c);
        for (int p = own + 1; p < 19 && at(p) != kEmpty; ++p)
            w += QChar(u'a' + at(p));
        return w;
    }

    // A move from the rack that forms only words of the list, or nothing.
    std::optional<QList<proto::PlacedTile>> search(const Player &pl) const {
        std::array<int, 26> have{};
        for (int k = 1; k <= 10; ++k)
            if (pl.rack[k] >= 0 && pl.rack[k] <= 25)
                ++have[pl.rack[k]];
        auto take = [&](const QList<int> &letters, QList<int> &chosen) {
            std::array<bool, 11> usedSlot{};
            for (int l : letters) {
                int found = 0;
                for (int k = 1; k <= 10 && !found; ++k)
                    if (!usedSlot[k] && pl.rack[k] == l)
                        found = k;
                if (!found)
                    return false;
                usedSlot[found] = true;
                chosen << found;
            }
            return true;
        };

        // Words that the rack spells with at most one letter from the board:
        // the letter it lacks, or -1 when it lacks none.
        std::vector<std::pair<int, int>> candidates;
        for (int wi = 0; wi < int(words.words.size()); ++wi) {
            std::array<int, 26> need{};
            int lacking = -1;
            bool ok = true;
            for (QChar c : words.words[wi]) {
                const int l = letterOf(c);
                if (++need[l] > have[l]) {
                    ok = lacking == -1;
                    lacking = l;
                    --need[l];
                    if (!ok)
                        break;
                }
            }
            if (ok)
                candidates.emplace_back(wi, lacking);
        }

        bool emptyBoard = true;
        for (const auto &column : pl.board)
            for (int v : column)
                emptyBoard = emptyBoard && v == kEmpty;
        if (emptyBoard) {
            for (const auto &[wi, lacking] : candidates) {
                if (lacking != -1)
                    continue;
                const QString &w = words.words[wi];
                QList<int> letters;
                for (QChar c : w)
                    letters << letterOf(c);
                QList<int> chosen;
                if (!take(letters, chosen))
                    continue;
                QList<proto::PlacedTile> move;
                for (int i = 0; i < w.size(); ++i)
                    move.append({chosen[i], false, 3 + i, 4});
                return move;
            }
            return std::nullopt;
        }

        for (int x = 0; x < 19; ++x) {
            for (int y = 0; y < 19; ++y) {
                const int anchor = pl.board[x][y];
                if (anchor == kEmpty)
                    continue;
                for (bool across : {true, false}) {
                    const int pos = across ? x : y;
                    auto sq = [&](int p) -> int {
                        return across ? pl.board[p][y] : pl.board[x][p];
                    };
                    for (const auto &[wi, lacking] : candidates) {
                        if (lacking != -1 && lacking != anchor)
                            continue;
                        const QString &w = words.words[wi];
                        for (int i = 0; i < w.size(); ++i) {
                            if (letterOf(w[i]) != anchor)
                                continue;
                            const int start = pos - i;
                            const int end = start + int(w.size()) - 1;
                            if (start < 0 || end > 18)
                                continue;
                            if ((start > 0 && sq(start - 1) != kEmpty) ||
                                (end < 18 && sq(end + 1) != kEmpty))
                                continue;
                            QList<int> letters;
                            QList<int> where;
                            bool fits = true;
                            std::array<int, 26> need{};
                            for (int j = 0; j < w.size() && fits; ++j) {
                                const int l = letterOf(w[j]);
                                const int on = sq(start + j);
                                if (on == kEmpty) {
                                    letters << l;
                                    where << start + j;
                                    fits = ++need[l] <= have[l];
                                } else {
                                    fits = on == l;
                                }
                            }
                            if (!fits || letters.isEmpty())
                                continue;
                            for (int j = 0; j < letters.size() && fits; ++j) {
                                const int cx = across ? where[j] : x;
                                const int cy = across ? y : where[j];
                                const QString cw = crossWord(pl.board, cx, cy, across, letters[j]);
                                fits = cw.size() == 1 || words.set.contains(cw);
                            }
                            QList<int> chosen;
                            if (!fits || !take(letters, chosen))
                                continue;
                            QList<proto::PlacedTile> move;
                            for (int j = 0; j < letters.size(); ++j)
                                move.append({chosen[j], false, across ? where[j] : x,
                                             across ? y : where[j]});
                            return move;
                        }
                    }
                }
            }
        }
        return std::nullopt;
    }

    // Answers the turn of a seat: a move if one is found, else new tiles
    // once, else a pass. `badFirst` sends a move apart from the board first.
    bool act(Player &pl, bool badFirst) {
        ++pl.acted;
        if (badFirst && pl.board[0][18] == kEmpty && pl.board[1][18] == kEmpty) {
            bool anyLetter = false;
            for (const auto &column : pl.board)
                for (int v : column)
                    anyLetter = anyLetter || v != kEmpty;
            if (anyLetter) {
                pl.client.send(
                    proto::client::done(pl.seat, {{1, false, 0, 18}, {2, false, 1, 18}}));
                return true; // answered with a refusal, and then the turn goes on
            }
        }
        const auto move = search(pl);
        if (move) {
            // A client names its tiles in rack-slot order.
            pl.sent = *move;
            std::sort(pl.sent.begin(), pl.sent.end(),
                      [](const auto &a, const auto &b) { return a.rackslot < b.rackslot; });
            for (const auto &t : pl.sent)
                pl.pendingSlots << t.rackslot;
            pl.client.send(proto::client::done(pl.seat, pl.sent));
        } else if (!pl.bought && pl.tilecount <= 86) {
            pl.bought = true;
            pl.client.send(proto::client::newtiles(pl.seat));
        } else {
            pl.client.send(proto::client::pass(pl.seat));
        }
        return false;
    }

    // Plays until every client has seen the end. `skipTurn` names a seat
    // that lets its first turn run out; `refuseFirst` a seat that first sends
    // a move the host must refuse.
    void play(const proto::GameOptions &options, int skipTurn = 0, int refuseFirst = 0,
              int timeoutMs = 90000) {
        partners = options.partners;
        players[1].client.send(proto::client::startgame(options));
        QElapsedTimer clock;
        clock.start();
        std::array<bool, 5> skipped{};
        std::array<bool, 5> refusedOnce{};
        for (;;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            bool allOver = true;
            for (int i = 1; i <= 4; ++i) {
                Player &pl = players[i];
                while (pl.read < pl.client.lines().size())
                    handle(pl, pl.client.lines().at(pl.read++));
                allOver = allOver && pl.over;
            }
            if (allOver)
                break;
            ASSERT_LT(clock.elapsed(), timeoutMs) << "game did not end";
            for (int i = 1; i <= 4; ++i) {
                Player &pl = players[i];
                if (pl.over || pl.current != pl.seat || pl.acted >= pl.turns)
                    continue;
                if (i == skipTurn && !skipped[i]) {
                    skipped[i] = true;
                    ++pl.acted; // let the clock run out
                    continue;
                }
                if (act(pl, i == refuseFirst && !refusedOnce[i]))
                    refusedOnce[i] = true;
            }
        }
        // A moment for anything sent after the end to arrive.
        spin(50);
        for (int i = 1; i <= 4; ++i) {
            Player &pl = players[i];
            while (pl.read < pl.client.lines().size())
                handle(pl, pl.client.lines().at(pl.read++));
        }
    }

    void checkPlayers() {
        for (int i = 1; i <= 4; ++i) {
            const Player &pl = players[i];
            SCOPED_TRACE(QStringLiteral("seat %1: %2").arg(i).arg(pl.tokens).toStdString());
            EXPECT_TRUE(pl.problems.isEmpty()) << pl.problems.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(gameGrammar().match(pl.tokens).hasMatch());
            for (int s = 1; s <= 4; ++s) {
                const auto it = pl.shown.find(s);
                const int shown = it == pl.shown.end() ? 0 : it->second;
                EXPECT_EQ(shown, expectedTotal(pl, s)) << "seat " << s;
                EXPECT_EQ(host.seat(s).score, shown) << "seat " << s;
            }
            // The winners hold the best total.
            int best = 0;
            for (int s = 1; s <= 4; ++s)
                best = std::max(best, host.seat(s).score);
            QList<int> expected;
            for (int s = 1; s <= 4; ++s)
                if (host.seat(s).score == best)
                    expected << s;
            EXPECT_EQ(pl.winners, expected);
            // Each seat's board is the same as everybody else's.
            EXPECT_EQ(pl.board, players[1].board);
        }
        EXPECT_FALSE(host.gameRunning());
    }

    int count(int seat, QChar token) const { return int(players[seat].tokens.count(token)); }
};

TEST_F(FullGame, FourPlayersUntilNobodyCanMove) {
    host.seed(20261207);
    proto::GameOptions o;
    o.name = QStringLiteral("P1");
    o.turntime = 60;
    o.squarecount = 20;
    play(o, 0, 2);
    checkPlayers();
    EXPECT_GT(count(1, QLatin1Char('p')), 10); // a real game was played
    EXPECT_EQ(count(2, QLatin1Char('I')), 1);  // the refused attempt
    EXPECT_EQ(count(1, QLatin1Char('I')), 0);  // told to the mover only
    EXPECT_TRUE(players[1].tokens.endsWith(QStringLiteral("WO")) ||
                players[1].tokens.endsWith(QStringLiteral("WE")));
}

TEST_F(FullGame, PartnersPlayToAScoreWithATimeOut) {
    host.seed(7);
    proto::GameOptions o;
    o.name = QStringLiteral("P1");
    o.turntime = 3;
    o.squarecount = 8;
    o.playtoscore = 150;
    o.partners = true;
    o.doubletiles = true;
    play(o, 3, 0);
    checkPlayers();
    EXPECT_EQ(count(1, QLatin1Char('T')), 1);
    EXPECT_TRUE(players[2].tokens.endsWith(QStringLiteral("GW")));
    for (int s = 1; s <= 2; ++s)
        EXPECT_EQ(host.seat(s).score, host.seat(s + 2).score);
    EXPECT_GT(std::max(host.seat(1).score, host.seat(2).score), 150);
}

TEST_F(FullGame, EveryonePassesWhileOneSitsOut) {
    host.seed(99);
    players[4].client.send(proto::client::justwatch(4, true));
    ASSERT_FALSE(players[1].client.waitFor(QStringLiteral("CMD_justwatching+4+1")).isEmpty());
    proto::GameOptions o;
    o.name = QStringLiteral("P1");
    o.turntime = 60;
    // Seats 1..3 pass whenever their turn comes.
    players[1].client.send(proto::client::startgame(o));
    partners = false;
    QElapsedTimer clock;
    clock.start();
    while (!(players[1].over && players[2].over && players[3].over && players[4].over)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (int i = 1; i <= 4; ++i) {
            Player &pl = players[i];
            while (pl.read < pl.client.lines().size())
                handle(pl, pl.client.lines().at(pl.read++));
            if (!pl.over && pl.current == pl.seat && pl.acted < pl.turns) {
                ++pl.acted;
                pl.client.send(proto::client::pass(pl.seat));
            }
        }
        ASSERT_LT(clock.elapsed(), 20000);
    }
    checkPlayers();
    EXPECT_EQ(players[4].turns, 0); // the seat that sits out gets no turn
    EXPECT_TRUE(players[4].tokens.endsWith(QStringLiteral("WE")));
    EXPECT_EQ(players[1].winners, (QList<int>{1, 2, 3, 4}));
}

} // namespace

namespace {

TEST_F(FullGame, NewcomerCatchesUpAndALeavingTurnMovesOn) {
    host.seed(5);
    // Seat 4 leaves before the game, so it gets no tiles at the deal.
    players[4].client.close();
    ASSERT_FALSE(players[1].client.waitFor(QStringLiteral("CMD_playerdisconnected+4+")).isEmpty());
    proto::GameOptions o;
    o.name = QStringLiteral("P1");
    o.turntime = 60;
    o.squarecount = 4;
    o.gametime = 10;
    o.doubletiles = true;
    players[1].client.send(proto::client::startgame(o));

    auto pump = [&] {
        for (int i = 1; i <= 3; ++i) {
            Player &pl = players[i];
            while (pl.read < pl.client.lines().size())
                handle(pl, pl.client.lines().at(pl.read++));
        }
    };
    ASSERT_TRUE(waitUntil([&] {
        pump();
        return players[1].current != 0;
    }));
    const int first = players[1].current;
    ASSERT_GE(first, 1);
    ASSERT_LE(first, 3);
    act(players[first], false);
    ASSERT_TRUE(waitUntil([&] {
        pump();
        return players[1].tokens.contains(QLatin1Char('w')) && players[1].current != first;
    }));
    const int second = players[1].current;
    EXPECT_EQ(second, first % 3 + 1); // seat 4 has nobody and is passed over

    // A newcomer takes seat 4 and is caught up on the game.
    TestClient newcomer;
    ASSERT_EQ(newcomer.join(host.port(), QStringLiteral("Late")), 4);
    ASSERT_TRUE(waitUntil(
        [&] { return newcomer.countStartingWith(QStringLiteral("CMD_nextplayer+")) == 1; }));
    QStringList caughtUp;
    for (const QString &l : newcomer.lines())
        if (!l.startsWith(QStringLiteral("CMD_sendlogininfo")) &&
            !l.startsWith(QStringLiteral("CMD_newplayerinfo")) &&
            !l.startsWith(QStringLiteral("CMD_existingplayers")))
            caughtUp << l;
    QString tokens;
    for (const QString &l : caughtUp)
        tokens += l.startsWith(QStringLiteral("CMD_showboard+"))      ? QLatin1Char('b')
                  : l.startsWith(QStringLiteral("CMD_gamesettings+")) ? QLatin1Char('g')
                                                                      : tokenOf(l);
    const int laid = int(players[first].sent.size());
    EXPECT_EQ(tokens, QStringLiteral("A") + QString(laid, QLatin1Char('b')) +
                          QString(10, QLatin1Char('a')) + QStringLiteral("gN"));
    Board seen{};
    for (auto &column : seen)
        column.fill(kEmpty);
    for (const QString &l : caughtUp) {
        if (l.startsWith(QStringLiteral("CMD_showboard+"))) {
            const auto b = proto::parseBoardLetter(l.mid(14));
            ASSERT_TRUE(b);
            seen[b->x][b->y] = b->letter;
        }
    }
    EXPECT_EQ(seen, players[1].board);
    const auto settings = proto::parseGameSettings(
        caughtUp.filter(QStringLiteral("CMD_gamesettings+")).value(0).mid(17));
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->turntime, 60);
    EXPECT_EQ(settings->squarecount, 4);
    EXPECT_EQ(settings->gametime, 10);
    EXPECT_GE(settings->elapsed, 0);
    EXPECT_LT(settings->elapsed, 30);
    EXPECT_EQ(settings->playtoscore, 0);
    EXPECT_TRUE(settings->doubletiles);
    EXPECT_FALSE(settings->partners);
    EXPECT_EQ(caughtUp.last(), QStringLiteral("CMD_nextplayer+%1").arg(second));

    // The seat holding the turn leaves: the others hear of it, then the next
    // connected seat gets the turn.
    const int other = second == 1 ? 2 : 1;
    const int before = int(players[other].client.lines().size());
    players[second].client.close();
    const int third = second % 4 + 1;
    ASSERT_FALSE(
        players[other].client.waitFor(QStringLiteral("CMD_nextplayer+%1").arg(third)).isEmpty());
    const QStringList after = players[other].client.lines().mid(before);
    ASSERT_EQ(after.size(), 3);
    EXPECT_TRUE(after[0].startsWith(QStringLiteral("CMD_playerdisconnected+%1+").arg(second)));
    EXPECT_TRUE(after[1].startsWith(QStringLiteral("CMD_tilecount+")));
    EXPECT_EQ(after[2], QStringLiteral("CMD_nextplayer+%1").arg(third));
}

} // namespace
