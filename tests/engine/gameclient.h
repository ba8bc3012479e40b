#pragma once

// The client's side of a whole game in the full-game tests: short words of
// the list, a player that follows the game through the real client core
// (HostLink and GameMirror), the search for a move from its rack, and the
// order in which one connection sees the messages of a game.
#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "dict/tdictn.h"
#include "net/protocol.h"

#include <QRegularExpression>
#include <QSet>

#include <map>
#include <optional>

namespace fullgame {

constexpr int kEmpty = proto::kEmpty;
using Board = game::Grid;

// Short words of the list, read from the dictionary's own word file, longer
// words first: the search takes the first move it finds.
struct WordList {
    QStringList words;
    QSet<QString> set;

    WordList(const TDictn &dict, int maxLength);
};

// One token per message of a game, for the sequence check.
QChar tokenOf(const QString &message);

// The order of messages one connection sees in one game: the start and the
// deal, then turns, each begun by a search (refill, count, skipped seats)
// and ended by a move, a pass or a time-out; then one of the four ends.
const QRegularExpression &gameGrammar();

// A player: the client core follows the game; besides, every message the
// connection hands to the mirror is checked here before the mirror sees it,
// and the turn scores and exchanges are summed on their own, so that the
// mirror's totals can be checked against them.
class Player {
public:
    Player();

    // Connects and logs in; the seat the host gave, 0 on failure.
    int join(quint16 port, const QString &name);
    void send(const QString &message) { link.sendLine(message); }
    void close() { link.close(); }

    GameMirror mirror;
    HostLink link{mirror};
    QStringList lines; // every message handed to the mirror, in order
    int seat = 0;
    QString tokens;               // from the start of the game on
    std::map<int, int> turnsum;   // seat -> sum of the posted turn scores
    std::map<int, int> exchanges; // seat -> points paid for new tiles
    int turns = 0;                // turns begun for this seat
    int acted = 0;                // turns this seat has answered
    bool over = false;
    bool bought = false;
    QStringList problems;
    // The tiles of the move sent, with their letters, in rack-slot order.
    QList<proto::BoardLetter> sent;

    // Whether it is this seat's turn and it has not answered it yet.
    bool due() const { return !over && mirror.currentPlayer() == seat && acted < turns; }
    // Lays a move on the mirror's board and sends what the mirror says was laid.
    void sendMove(const QList<game::LaidTile> &move);
    // When the seat's turn is due: lays the move findMove finds, or passes.
    void playIfDue(const WordList &words);

    // Compares the mirror with what the messages handled so far said: the
    // totals, the tiles left, whose turn it is and the newest word. Runs
    // before each message, so after each one the mirror has handled.
    void verifyMirror();

private:
    void check(const QString &message);

    bool started_ = false;
    QString repositioned_;              // the first word as the host moved it
    std::map<int, int> told_;           // seat -> total as the last message about it said
    int tilesDrawn_ = -1;               // the last tile count, -1 before one
    int turn_ = 0;                      // the seat of the last turn message, 0 after the end
    QList<proto::BoardLetter> newword_; // the last new word
};

// A move from the player's rack that forms only words of the list, or nothing.
std::optional<QList<game::LaidTile>> findMove(const GameMirror &mirror, const WordList &words);

} // namespace fullgame
