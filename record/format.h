#pragma once

// A game record: the header of a game and one entry per event, as the host
// saw them. docs/game-records.md describes the text format.

#include "game/events.h"
#include "game/options.h"
#include "game/position.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace record {

inline constexpr int kVersion = 1;
inline constexpr char kMagic[] = "#zorble-record";

enum class Kind { Move, Exchange, Pass, TimeUp, SitOut, Back, Arrive, Leave, End, Final, Winners };

// One line of the record after the header.
struct Entry {
    Kind kind = Kind::Pass;
    int line = 0; // its line number in the record, from 1
    int seat = 0; // 1..4
    QString rack; // the rack before the turn: letters A..Z, empty when it was empty
    bool rackKnown = false;
    // A move: its laid tiles, where its line starts and which way it runs.
    QList<game::BoardLetter> tiles;
    int x = 0;
    int y = 0;
    bool down = false;
    QString word;
    int points = 0;                         // with the Zorble outcome; an exchange's cost
    int total = 0;                          // the seat's total afterwards
    int bonus = 0;                          // Zorble outcome 0..3
    QString name;                           // who arrived
    game::event::End reason{};              // with End
    std::array<int, game::kSeats> finals{}; // with Final: seats 1..4
    QList<int> winners;                     // with Winners
    bool isTurn() const {
        return kind == Kind::Move || kind == Kind::Exchange || kind == Kind::Pass ||
               kind == Kind::TimeUp;
    }
};

struct Header {
    QString date; // ISO 8601, UTC
    std::optional<quint32> seed;
    game::GameOptions options;
    std::array<int, 4> quarters{1, 2, 3, 4};
    std::array<QString, game::kSeats + 1> names; // seats 1..4; empty when nobody sat there
    std::array<bool, game::kSeats + 1> seated{}; // seats 1..4 with a player line
};

struct Game {
    Header header;
    QList<Entry> entries;
    // How many turns (moves, exchanges, passes, time-outs) the record holds.
    int turns() const;
};

// The partner of seats 1..4 in a partner game: 3, 4, 1, 2.
inline int partnerOf(int seat) {
    return (seat + 1) % game::kSeats + 1;
}

// Board coordinates: columns A..S from the left, rows 1..19 from the top.
QString coordinate(int x, int y);
std::optional<std::pair<int, int>> parseCoordinate(const QString &text);
// A placement as players write it: "K1 down", "A10 across".
QString placement(int x, int y, bool down);

// The Zorble outcomes' names in the record: none, plus, minus, double.
QString outcomeName(int bonus);
int outcomeFromName(const QString &name); // -1 when unknown
QString endName(game::event::End reason);
std::optional<game::event::End> endFromName(const QString &name);

// The letters of a rack, upper case, empty slots left out.
QString rackLetters(const game::Rack &rack);

} // namespace record
