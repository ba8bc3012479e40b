#pragma once

// The message catalogue: every message between a client window and the game
// host is built and parsed here, in both directions.
//
// A message is a command word ("CMD_" + name) followed by fields, each
// introduced by "+". Free text always stands in the last field and is never
// escaped. On the connection each message is followed by one 0xFF byte
// (see framing.h); the texts here never include it.

#include "game/options.h"
#include "game/position.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace proto {

// The version text sent at login and compared exactly by the host.
inline constexpr char kVersion[] = "2.1.1";
inline constexpr int kMaxNameLength = 20;
inline constexpr int kMaxVersionLength = 15;
inline constexpr int kEmpty = 100; // empty square / empty rack slot marker

// Wire text is UTF-8; 0xFF never occurs in it.
QString decode(const QByteArray &bytes);
// The message text with its terminator, ready for TSock::Send.
QByteArray encode(const QString &message);

// A queue line split at its first "+". A line without "+" has an empty
// command and is ignored by every receiver ("CMD_zb", an empty line).
struct Line {
    QString command;
    QString payload;
};
Line splitLine(const QString &line);

// Strict decimal integer: optional minus sign, digits, fits in an int.
std::optional<int> toInt(QStringView text);

// Cuts a text to at most n characters, never splitting a surrogate pair.
QString cut(const QString &text, int n);

// Reads fields from the left: a field is the text up to the next "+", which
// is removed with it. Without a "+" left, the field is empty and the text is
// unchanged; the last field is whatever remains.
class FieldReader {
public:
    explicit FieldReader(QString text) : text_(std::move(text)) {}
    QString field();
    std::optional<int> intField();
    const QString &rest() const { return text_; }

private:
    QString text_;
};

// Reads a list of fixed-size entries the way the receivers do: "+@" is
// appended and entries are read until exactly "@" remains. Returns nothing
// when the text does not hold a whole number of entries.
std::optional<QList<QStringList>> readEntries(const QString &text, int entrySize);

// ---- Client to host -------------------------------------------------------

struct LoginInfo {
    int slot = 0;
    QString version; // cut to 15 characters
    QString name;    // cut to 20 characters
};
struct SeatText { // CMD_chat, CMD_action, CMD_playasound
    int seat = 0;
    QString rest; // everything after the seat field
};
struct KickHim {
    int requester = 0;
    int target = 0;
};
struct JustWatch {
    int seat = 0;
    QString code; // "1" sit out, "2" play again
};
struct StartGame {
    QString name; // who started it
    game::GameOptions options;
    QString payload; // the request's text after "CMD_startgame+", unchanged
};
struct Done {
    int seat = 0;
    QList<game::LaidTile> tiles; // side "y": the tile shows its second letter
};

namespace client {
QString logininfo(int slot, const QString &version, const QString &name);
QString chat(int seat, const QString &text, const QString &colour);
QString action(int seat, const QString &text, const QString &colour);
QString playasound(int seat, int wave);
QString kickhim(int requester, int target);
QString justwatch(int seat, bool sitOut);
QString startgame(const QString &name, const game::GameOptions &options);
QString done(int seat, const QList<game::LaidTile> &tiles);
QString newtiles(int seat);
QString pass(int seat);
} // namespace client

// Parsers of requests (payload = text after the command word's "+"). They
// check that numbers convert; ranges are the host's business.
std::optional<LoginInfo> parseLoginInfo(const QString &payload);
std::optional<SeatText> parseSeatText(const QString &payload);
std::optional<KickHim> parseKickHim(const QString &payload);
std::optional<JustWatch> parseJustWatch(const QString &payload);
std::optional<StartGame> parseStartGame(const QString &payload);
std::optional<Done> parseDone(const QString &payload);
std::optional<int> parseSeat(const QString &payload); // CMD_pass, CMD_newtiles

// ---- Host to client -------------------------------------------------------

struct SlotName { // CMD_newplayerinfo, CMD_existingplayers, CMD_playerdisconnected
    int slot = 0;
    QString name;
};
// CMD_showboard, CMD_placeletter, entries of newword/reposition
using BoardLetter = game::BoardLetter;
struct GameSettings {
    game::GameOptions options;
    int elapsed = 0;
};
struct RackTile { // CMD_atile
    int rackslot = 0;
    int letter = 0;
};
struct NewTiles {
    int seat = 0;
    int score = 0;
    int partner = 0;
    int partnerscore = 0;
};
struct PostScore {
    int count = 0;
    int seat = 0;
    int bonus = 0;
    int turnscore = 0;
    int score = 0;
    int partner = 0;
    int partnerscore = 0;
    QString word;
};
struct SeatScore { // CMD_seatscore
    int seat = 0;
    int score = 0;
    QString change; // the last change of score as shown: "+N", "-N" or empty
};
struct JustWatching {
    int seat = 0;
    int code = 0; // 1 sits out, 2 plays again
};
struct GameStarted { // the host's CMD_startgame
    QString name;
    game::GameOptions options;
};

namespace host {
QString sendlogininfo(int slot);
QString full();
QString newplayerinfo(int slot, const QString &name);
QString existingplayers(int slot, const QString &name);
QString wrongversion();
QString havewrongversion(const QString &name);
QString arrangeboard(const std::array<int, 4> &quarters);
QString showboard(int x, int y, int letter);
QString gamesettings(const GameSettings &s);
QString nextplayer(int seat);
QString startgame(const QString &requestPayload, bool partners);
QString zb();
QString atile(int rackslot, int letter);
QString tilecount(int count);
QString notiles(int seat);
QString pass(const QString &seatText);
QString already();
QString notenough();
QString newtiles(const QString &seatText, int score, int partner, int partnerscore);
QString invalid();
QString reposition(const QList<BoardLetter> &tiles);
QString postscore(const PostScore &p);
QString newword(const QList<BoardLetter> &tiles);
QString timeup(int seat);
QString justwatching(int seat, int code);
QString playerdisconnected(int slot, const QString &name);
QString chat(const QString &seatText, const QString &name, const QString &rest);
// A line of the host's own to one client, shown as the program's own notices
// are (seat 0, in green).
QString notice(const QString &text);
QString action(const QString &seatText, const QString &name, const QString &rest);
QString playasound(int seat, const QString &rest);
QString nomoretiles();
QString everyonepassed();
QString playergotscore();
QString gametimeup();
QString winner(const QList<int> &seats);
// A newcomer is told each seat's total and last change of score.
QString seatscore(int seat, int score, const QString &change);
QString placeletter(int x, int y, int letter);
QString rejointoken(const QString &gameId, const QString &token, int grace);
QString closing();
QString seatkept(int seat, int seconds);
QString turnclock(int seconds);
QString keepalive();
} // namespace host

// Parsers of host messages. Besides number conversion they check the ranges
// a client indexes its tables with: slots 1..10, seats 0..10 where a seat may
// be "none", letters 0..25, squares 0..18, rack slots 1..10. Every other
// number is held to the limits below, wide enough for any game a host runs,
// so that a client's clocks and counts never overflow.
inline constexpr int kMaxTurnTime = 24 * 3600;         // seconds
inline constexpr int kMaxGameTime = 1000 * 1000;       // minutes
inline constexpr int kMaxElapsed = 1000 * 1000 * 1000; // seconds
inline constexpr int kMaxPoints = 10 * 1000 * 1000;    // a score or a play-to score, either sign
inline constexpr int kMaxTileCount = 99;               // tiles drawn from the bag
std::optional<int> parseSlot(const QString &payload);  // sendlogininfo, nextplayer, timeup
std::optional<SlotName> parseSlotName(const QString &payload);
std::optional<std::array<int, 4>> parseArrangeBoard(const QString &payload);
std::optional<BoardLetter> parseBoardLetter(const QString &payload);
std::optional<GameSettings> parseGameSettings(const QString &payload);
std::optional<GameStarted> parseGameStarted(const QString &payload);
std::optional<RackTile> parseAtile(const QString &payload);
std::optional<int> parseCount(const QString &payload); // tilecount
std::optional<NewTiles> parseNewTiles(const QString &payload);
std::optional<PostScore> parsePostScore(const QString &payload);
std::optional<QList<BoardLetter>> parseTileList(const QString &payload); // newword, reposition
std::optional<JustWatching> parseJustWatching(const QString &payload);
std::optional<SeatScore> parseSeatScore(const QString &payload);
std::optional<QList<int>> parseWinner(const QString &payload);

// Chat and action texts carry their colour after the first "|"; a "|" typed in
// the text therefore cuts it there.
struct ColouredText {
    QString text;
    QString colour; // empty when there is no "|"
};
ColouredText splitColour(const QString &text);

} // namespace proto
