#pragma once

// The client's side of a whole game in the full-game tests: short words of
// the list, a player's mirror of the game, and the order in which one
// connection sees the messages of a game.
#include "net/protocol.h"
#include "dict/tdictn.h"
#include "tests/support/testclient.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <map>

namespace fullgame {

constexpr int kEmpty = proto::kEmpty;
using Board = std::array<std::array<int, 19>, 19>;

// Short words of the list, read from the dictionary's own word file.
struct WordList {
    QStringList words;
    QSet<QString> set;

    explicit WordList(const TDictn &dict, int maxLength) {
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
        // Longer words first: the search takes the first move it finds.
        std::stable_sort(words.begin(), words.end(),
                         [](const QString &a, const QString &b) { return a.size() > b.size(); });
    }
};

inline int letterOf(QChar c) {
    return c.unicode() - u'a';
}

// A client's side of the game: its mirror of board, rack and totals, and
// the search for a move.
struct Player {
    TestClient client;
    int seat = 0;
    int read = 0; // lines of the client already handled
    bool started = false;
    QString tokens; // one character per message of the game, for the sequence check
    Board board{};
    std::array<int, 11> rack{};
    std::map<int, int> shown;      // seat -> total as the messages told it
    std::map<int, int> turnsum;    // seat -> sum of the posted turn scores
    std::map<int, int> exchanges;  // seat -> points paid for new tiles
    int current = 0;               // seat whose turn it is
    int turns = 0;                 // turns begun for this seat
    int acted = 0;                 // turns this seat has answered
    QList<int> pendingSlots;       // rack slots of the move sent
    QList<proto::PlacedTile> sent; // the move sent, in rack-slot order
    QString repositioned;          // tiles of the first word as moved by the host
    QList<int> winners;
    bool over = false;
    bool bought = false;
    int tilecount = 0;
    QStringList problems;

    Player() {
        for (auto &column : board)
            column.fill(kEmpty);
        rack.fill(kEmpty);
    }
};

inline QChar tokenOf(const QString &m) {
    static const std::pair<const char *, char> table[] = {
        {"CMD_startgame+", 'S'},    {"CMD_arrangeboard+", 'A'},   {"CMD_zb", 'Z'},
        {"CMD_atile+", 'a'},        {"CMD_tilecount+", 'c'},      {"CMD_nextplayer+", 'N'},
        {"CMD_notiles+", 'n'},      {"CMD_pass+", 'P'},           {"CMD_already+", 'l'},
        {"CMD_notenough+", 'e'},    {"CMD_newtiles+", 'X'},       {"CMD_invalid+", 'I'},
        {"CMD_reposition+", 'R'},   {"CMD_postscore+", 'p'},      {"CMD_newword+", 'w'},
        {"CMD_timeup+", 'T'},       {"CMD_playergotscore+", 'G'}, {"CMD_gametimeup+", 'M'},
        {"CMD_nomoretiles+", 'O'},  {"CMD_everyonepassed+", 'E'}, {"CMD_winner", 'W'},
        {"CMD_justwatching+", 'j'},
    };
    for (const auto &[prefix, token] : table)
        if (m.startsWith(QLatin1String(prefix)))
            return QLatin1Char(token);
    return QLatin1Char('?');
}

// The order of messages one connection sees in one game: the start and the
// deal, then turns, each begun by a search (refill, count, skipped seats)
// and ended by a move, a pass or a time-out; then one of the four ends.
inline const QRegularExpression &gameGrammar() {
    static const QRegularExpression re(
        QStringLiteral("^SAZ(?:a{10})?c"
                       "(?:j|a*c(?:nc)*N(?:j|I|a{10}X|X|l|e)*(?:R?pw|P|T))*"
                       "(?:(?<=[wPT])(?:GW|WO|WE)|a*c(?:nc)*n(?:GW|WO|WE)|a*c(?:nc)*N(?:j|I|a{10}X|"
                       "X|l|e)*MW|a*cW)$"));
    return re;
}

} // namespace fullgame
