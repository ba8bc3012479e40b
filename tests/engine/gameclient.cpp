#include "tests/engine/gameclient.h"

#include "net/messages.h"
#include "tests/support/testclient.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <vector>

namespace fullgame {

WordList::WordList(const TDictn &dict, int maxLength) {
    QFile f(dict.wordFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = f.readAll();
    for (qsizetype at = 0; at + TDictn::RecordSize <= all.size(); at += TDictn::RecordSize) {
        const QString w = QString::fromLatin1(all.mid(at + 1, 14)).trimmed().toLower();
        if (w.size() < 2 || w.size() > maxLength)
            continue;
        if (!std::all_of(w.begin(), w.end(), [](QChar c) { return c >= u'a' && c <= u'z'; }))
            continue;
        if (set.contains(w))
            continue;
        set.insert(w);
        words << w;
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
}

QChar tokenOf(const QString &m) {
    static const std::pair<const char *, char> table[] = {
        {"CMD_startgame+", 'S'},    {"CMD_arrangeboard+", 'A'},   {"CMD_zb", 'Z'},
        {"CMD_atile+", 'a'},        {"CMD_tilecount+", 'c'},      {"CMD_nextplayer+", 'N'},
        {"CMD_notiles+", 'n'},      {"CMD_pass+", 'P'},           {"CMD_already+", 'l'},
        {"CMD_notenough+", 'e'},    {"CMD_newtiles+", 'X'},       {"CMD_invalid+", 'I'},
        {"CMD_reposition+", 'R'},   {"CMD_postscore+", 'p'},      {"CMD_newword+", 'w'},
        {"CMD_timeup+", 'T'},       {"CMD_playergotscore+", 'G'}, {"CMD_gametimeup+", 'M'},
        {"CMD_nomoretiles+", 'O'},  {"CMD_everyonepassed+", 'E'}, {"CMD_winner", 'W'},
        {"CMD_justwatching+", 'j'}, {"CMD_seatscore+", 's'},      {"CMD_turnclock+", 't'},
    };
    for (const auto &[prefix, token] : table)
        if (m.startsWith(QLatin1String(prefix)))
            return QLatin1Char(token);
    return QLatin1Char('?');
}

const QRegularExpression &gameGrammar() {
    static const QRegularExpression re(
        QStringLiteral("^SAZ(?:a{10})?c"
                       "(?:j|a*c(?:nc)*N(?:j|I|a{10}X|X|l|e)*(?:R?pw|P|T))*"
                       "(?:(?<=[wPT])(?:GW|WO|WE)|a*c(?:nc)*n(?:GW|WO|WE)|a*c(?:nc)*N(?:j|I|a{10}X|"
                       "X|l|e)*MW|a*cW)$"));
    return re;
}

// ---- The player -----------------------------------------------------------------

Player::Player() {
    // The link announces each message before the mirror takes it, so the
    // checks below see the mirror as it was before the message.
    QObject::connect(&link, &HostLink::dispatching, [this](const QString &m) {
        lines << m;
        check(m);
    });
}

int Player::join(quint16 port, const QString &name) {
    mirror.setPlayerName(name);
    link.setLogin(name);
    link.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!waitUntil(
            [&] { return mirror.loggedIn() && mirror.seats().name(mirror.localSeat()) == name; }))
        return 0;
    seat = mirror.localSeat();
    return seat;
}

void Player::playIfDue(const WordList &words) {
    if (!due())
        return;
    ++acted;
    if (const auto move = findMove(mirror, words))
        sendMove(*move);
    else
        link.send(proto::request::pass(seat));
}

void Player::sendMove(const QList<game::LaidTile> &move) {
    for (const game::LaidTile &t : move)
        if (!mirror.composer().layTile(t.rackslot, t.x, t.y))
            problems << QStringLiteral("the mirror refused to lay slot %1").arg(t.rackslot);
    sent.clear();
    const QList<game::LaidTile> laid = mirror.composer().laidTiles();
    for (const game::LaidTile &t : laid)
        sent.append({t.x, t.y, mirror.composer().shownLetter(t.x, t.y)});
    link.send(proto::request::move(seat, laid));
}

void Player::verifyMirror() {
    if (!started_)
        return;
    for (const auto &[s, total] : told_)
        if (mirror.seats().score(s) != total)
            problems << QStringLiteral("mirror shows %1 for seat %2, the host said %3")
                            .arg(mirror.seats().score(s))
                            .arg(s)
                            .arg(total);
    if (tilesDrawn_ >= 0 &&
        mirror.texts().tilesLeftText() != QStringLiteral("Tiles Left: %1").arg(98 - tilesDrawn_))
        problems << QStringLiteral("mirror shows ") + mirror.texts().tilesLeftText();
    if (mirror.currentPlayer() != turn_)
        problems << QStringLiteral("mirror has seat %1 to play, the host said %2")
                        .arg(mirror.currentPlayer())
                        .arg(turn_);
    for (const proto::BoardLetter &b : newword_)
        if (!mirror.newest(b.x, b.y) || mirror.composer().shownLetter(b.x, b.y) != b.letter)
            problems << QStringLiteral("newest word not on the mirror's board");
}

void Player::check(const QString &m) {
    verifyMirror();
    // The connection's own messages (its rejoin token, the host's goodbye)
    // come at any time and are no part of the game's order.
    if (m.startsWith(QStringLiteral("CMD_rejointoken+")) || m == QStringLiteral("CMD_closing+"))
        return;
    if (!started_) {
        if (!m.startsWith(QStringLiteral("CMD_startgame+")))
            return;
        started_ = true;
    }
    if (over) {
        problems << QStringLiteral("after the end: ") + m;
        return;
    }
    const QChar t = tokenOf(m);
    tokens += t;
    if (t == QLatin1Char('?'))
        problems << QStringLiteral("unexpected: ") + m;
    const proto::DecodedHostMessage decoded = proto::decodeHostMessage(m);
    if (std::holds_alternative<proto::Refused>(decoded))
        problems << QStringLiteral("does not read: ") + m;
    const auto *message = std::get_if<proto::HostMessage>(&decoded);
    if (!message)
        return; // a message clients pass over, such as the Zorble squares
    const bool mine = mirror.currentPlayer() == seat;
    using namespace proto::toclient;
    std::visit(
        proto::Overloaded{
            [&](const NextPlayer &n) {
                turn_ = n.seat;
                if (n.seat == seat)
                    ++turns;
            },
            [&](const TileCount &c) { tilesDrawn_ = c.count; },
            [&](const Invalid &) {
                if (!mine)
                    problems << QStringLiteral("refusal for another seat's move");
                --acted; // the turn goes on
            },
            [&](const Reposition &r) {
                // The first word, laid across, moves onto the centre row with
                // its middle on the centre square; the tiles in rack-slot order.
                const int n = int(sent.size());
                int low = 18;
                for (const auto &tile : sent)
                    low = std::min(low, tile.x);
                if (!mine || r.tiles.size() != n)
                    problems << QStringLiteral("unexpected reposition: ") + m;
                for (int i = 0; i < n && i < r.tiles.size(); ++i) {
                    const proto::BoardLetter &got = r.tiles.at(i);
                    if (got.x != sent[i].x + 9 - n / 2 - low || got.y != 9 ||
                        got.letter != sent[i].letter)
                        problems << QStringLiteral("first word not on the centre row: ") + m;
                }
                repositioned_ = m.mid(m.indexOf(QLatin1Char('+')) + 1);
            },
            [&](const NewWord &w) {
                const QString payload = m.mid(m.indexOf(QLatin1Char('+')) + 1);
                if (!repositioned_.isEmpty() && payload != repositioned_)
                    problems << QStringLiteral("new word differs from the reposition: ") + m;
                repositioned_.clear();
                newword_ = w.tiles;
                // Another seat's word goes on empty squares; the own word is
                // already on show where it was laid or moved to.
                for (const auto &b : w.tiles) {
                    const int on = mirror.composer().shownLetter(b.x, b.y);
                    if (mine ? on != b.letter : on != kEmpty)
                        problems << QStringLiteral("new word over a letter: ") + m;
                }
            },
            [&](const Scored &s) {
                if (s.seat != mirror.currentPlayer())
                    problems << QStringLiteral("score for a seat without the turn");
                turnsum[s.seat] += s.turnscore;
                told_[s.seat] = s.score;
                told_[s.partner] = s.partnerscore;
            },
            [&](const Exchanged &x) {
                exchanges[x.seat] += 10;
                told_[x.seat] = x.score;
                told_[x.partner] = x.partnerscore;
                if (x.seat == seat)
                    --acted; // the turn goes on with the new rack
            },
            [&](const Already &) { problems << QStringLiteral("exchange refused: ") + m; },
            [&](const NotEnough &) { problems << QStringLiteral("exchange refused: ") + m; },
            [&](const Winner &w) {
                if (!w.seats.isEmpty())
                    turn_ = 0;
                // After a score or a time limit the winner ends the game; after
                // the others an end reason follows.
                if (tokens.endsWith(QStringLiteral("GW")) || tokens.endsWith(QStringLiteral("MW")))
                    over = true;
            },
            [&](const GameOver &g) {
                if (g.reason == EndReason::NoMoreTiles || g.reason == EndReason::EveryonePassed)
                    over = true;
            },
            [](const auto &) {},
        },
        *message);
}

// ---- The search -----------------------------------------------------------------

namespace {

int letterOf(QChar c) {
    return c.unicode() - u'a';
}

// The perpendicular word through (x, y) with letter c there.
QString crossWord(const Board &b, int x, int y, bool across, int c) {
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

} // namespace

std::optional<QList<game::LaidTile>> findMove(const GameMirror &mirror, const WordList &words) {
    const Board &board = mirror.board();
    std::array<int, 26> have{};
    for (int k = 1; k <= 10; ++k)
        if (mirror.rackLetter(k) >= 0 && mirror.rackLetter(k) <= 25)
            ++have[mirror.rackLetter(k)];
    auto take = [&](const QList<int> &letters, QList<int> &chosen) {
        std::array<bool, 11> usedSlot{};
        for (int l : letters) {
            int found = 0;
            for (int k = 1; k <= 10 && !found; ++k)
                if (!usedSlot[k] && mirror.rackLetter(k) == l)
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
    for (const auto &column : board)
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
            QList<game::LaidTile> move;
            for (int i = 0; i < w.size(); ++i)
                move.append({chosen[i], false, 3 + i, 4});
            return move;
        }
        return std::nullopt;
    }

    for (int x = 0; x < 19; ++x) {
        for (int y = 0; y < 19; ++y) {
            const int anchor = board[x][y];
            if (anchor == kEmpty)
                continue;
            for (bool across : {true, false}) {
                const int pos = across ? x : y;
                auto sq = [&](int p) -> int { return across ? board[p][y] : board[x][p]; };
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
                            const QString cw = crossWord(board, cx, cy, across, letters[j]);
                            fits = cw.size() == 1 || words.set.contains(cw);
                        }
                        QList<int> chosen;
                        if (!fits || !take(letters, chosen))
                            continue;
                        QList<game::LaidTile> move;
                        for (int j = 0; j < letters.size(); ++j)
                            move.append(
                                {chosen[j], false, across ? where[j] : x, across ? y : where[j]});
                        return move;
                    }
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace fullgame
