#pragma once

// What the game table tells the players, in the order it happens. Each event
// names who hears it: one slot, everybody connected, or the taken seats.

#include "game/options.h"
#include "game/position.h"

#include <QList>
#include <QString>

#include <array>
#include <variant>
#include <vector>

namespace game {

// The Zorble outcome of a move as players read it: "", "+20", "-20", "x2".
inline QString outcomeText(int bonus) {
    switch (bonus) {
    case 1:
        return QStringLiteral("+20");
    case 2:
        return QStringLiteral("-20");
    case 3:
        return QStringLiteral("x2");
    default:
        return {};
    }
}

namespace event {

// A game began. The hosting player's request is repeated as it came, with
// the partner rule as it applies (only with all four seats taken).
struct Started {
    QString request;
    bool partners = false;
};
struct BoardArranged {
    std::array<int, 4> quarters{}; // top left, bottom left, top right, bottom right
};
struct SquaresDrawn {}; // the Zorble squares of the options are on the board
struct TileDealt {
    int rackslot = 0;
    int letter = 0;
};
struct TilesDrawn {
    int drawn = 0;
};
struct TurnBegan {
    int seat = 0;
};
struct OutOfTiles {
    int seat = 0;
};
// The seat fields below are repeated as the request had them.
struct TurnPassed {
    QString seat;
};
struct AlreadyExchanged {};
struct TooFewToExchange {};
struct Exchanged {
    QString seat;
    int score = 0;
    int partner = 0;
    int partnerScore = 0;
};
struct MoveRefused {};
struct FirstWordMoved {
    QList<BoardLetter> tiles;
};
struct MoveAccepted {
    int drawn = 0; // tiles drawn so far
    int seat = 0;
    int bonus = 0;  // the Zorble outcome: 0 none, 1 plus 20, 2 minus 20, 3 double
    int points = 0; // the move's points, with the outcome
    int score = 0;
    int partner = 0;
    int partnerScore = 0;
    QString word;
    QList<BoardLetter> tiles;
};
struct TimeUp {
    int seat = 0;
};
struct WatchChanged {
    int seat = 0;
    bool watching = false;
};
enum class End { NoMoreTiles, EveryonePassed, PlayToScore, GameTime };
struct GameEnded {
    End reason;
};
struct Winners {
    QList<int> seats;
};
// A newcomer's catch-up: a letter on the board, the options with the game's
// elapsed seconds.
struct LetterShown {
    BoardLetter letter;
};
// A seat's total and its last change of score as shown ("+N", "-10" or empty).
struct ScoreShown {
    int seat = 0;
    int score = 0;
    QString change;
};
struct OptionsShown {
    GameOptions options;
    int elapsed = 0;
};
// A seat is kept for its absent player for `seconds` more; 0 once the grace
// period is over and the seat waits for the hosting player's choice.
struct SeatKept {
    int seat = 0;
    int seconds = 0;
};
// A newcomer's turn clock: the seconds left of the turn under way.
struct ClockShown {
    int seconds = 0;
};
// A request that no honest client sends; it is logged, nobody hears it.
struct Dropped {
    const char *why = "";
};

} // namespace event

using Event = std::variant<event::Started, event::BoardArranged, event::SquaresDrawn,
                           event::TileDealt, event::TilesDrawn, event::TurnBegan, event::OutOfTiles,
                           event::TurnPassed, event::AlreadyExchanged, event::TooFewToExchange,
                           event::Exchanged, event::MoveRefused, event::FirstWordMoved,
                           event::MoveAccepted, event::TimeUp, event::WatchChanged,
                           event::GameEnded, event::Winners, event::LetterShown, event::ScoreShown,
                           event::OptionsShown, event::SeatKept, event::ClockShown, event::Dropped>;

struct Audience {
    enum Kind { Slot, Everyone, Seats };
    Kind kind = Everyone;
    int slot = 0; // with Slot

    static Audience one(int slot) { return {Slot, slot}; }
    static Audience everyone() { return {Everyone, 0}; }
    static Audience seats() { return {Seats, 0}; }
};

struct Addressed {
    Audience to;
    Event event;
};
using Events = std::vector<Addressed>;

} // namespace game
