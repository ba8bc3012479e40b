#pragma once

// Typed messages. A queue line is decoded once, into one small struct per
// message; receivers dispatch on the type with std::visit, so a receiver that
// lacks a handler for some message does not compile.
//
// Decoding yields Ignored for a line that no receiver acts on (no "+", or a
// command word this side does not handle), Refused for a line whose fields do
// not read (the receiver drops it with one line on standard error), or the
// message.

#include "net/command.h"
#include "net/protocol.h"

#include <variant>

namespace proto {

struct Ignored {};
struct Refused {
    const char *why;
};

// ---- Requests to the host ---------------------------------------------------

namespace tohost {
struct Login : LoginInfo {};
struct Chat {         // also CMD_action
    QString seatText; // the seat field as sent; the relay repeats it unchanged
    int seat = 0;
    QString rest; // the text, a "|" and the colour
    bool action = false;
};
struct PlaySound {
    int seat = 0;
    QString rest; // "wave" N "+"
};
struct Kick : KickHim {};
struct Watch : JustWatch {};
struct Start : StartGame {};
struct Move : Done {};
struct Exchange { // CMD_newtiles
    QString seatText;
    int seat = 0;
};
struct Pass {
    QString seatText;
    int seat = 0;
};
struct Rejoin {
    // kTokenLength hex digits; empty from a client that has none yet but
    // wants one.
    QString token;
};
struct FreeSeat {
    int seat = 0;
};
} // namespace tohost

// A rejoin token: 128 random bits as hex digits, and the game's name alike.
inline constexpr int kTokenLength = 32;
bool isToken(const QString &text);

using Request = std::variant<tohost::Login, tohost::Chat, tohost::PlaySound, tohost::Kick,
                             tohost::Watch, tohost::Start, tohost::Move, tohost::Exchange,
                             tohost::Pass, tohost::Rejoin, tohost::FreeSeat>;
using DecodedRequest = std::variant<Ignored, Refused, Request>;
DecodedRequest decodeRequest(const QString &line);

// A request as it goes on the wire: its text, and its bytes with the
// terminator. A login with a name ends in a second 0xFF, which the host reads
// as an empty message.
QString requestText(const Request &request);
QByteArray frameRequest(const Request &request);

// The requests a client makes, built once here.
namespace request {
tohost::Login login(int slot, const QString &version, const QString &name);
tohost::Chat chat(int seat, const QString &text, const QString &colour);
tohost::Chat action(int seat, const QString &text, const QString &colour);
tohost::PlaySound playasound(int seat, int wave);
tohost::Kick kick(int requester, int target);
tohost::Watch watch(int seat, bool sitOut);
tohost::Start start(const QString &name, const game::GameOptions &options);
tohost::Move move(int seat, const QList<game::LaidTile> &tiles);
tohost::Exchange exchange(int seat);
tohost::Pass pass(int seat);
tohost::Rejoin rejoin(const QString &token);
tohost::FreeSeat freeSeat(int seat);
} // namespace request

// ---- Messages to a client ---------------------------------------------------

namespace toclient {
struct SendLoginInfo {
    int slot = 0;
};
struct Full {};
struct NewPlayerInfo : SlotName {}; // also CMD_existingplayers
struct PlayerDisconnected : SlotName {};
struct WrongVersion {};
struct HaveWrongVersion {
    QString name;
};
struct ArrangeBoard {
    std::array<int, 4> quarters{};
};
struct ShowBoard : BoardLetter {}; // also CMD_placeletter
struct Settings : GameSettings {};
struct NextPlayer {
    int seat = 0;
};
struct Started : GameStarted {};
struct Atile : RackTile {};
struct TileCount {
    int count = 0;
};
struct SeatScore : proto::SeatScore {};
struct NoTiles {
    int seat = 0;
};
struct Passed {
    int seat = 0;
};
struct Already {};
struct NotEnough {};
struct Invalid {};
struct Exchanged : NewTiles {};
struct Reposition {
    QList<BoardLetter> tiles;
};
struct Scored : PostScore {};
struct NewWord {
    QList<BoardLetter> tiles;
};
struct TimeUp {
    int seat = 0;
};
struct Watching : JustWatching {};
struct Chat { // also CMD_action
    int seat = 0;
    QString text;   // the name and the text, as the host relayed them
    QString colour; // the colour text; null when the line had no "|"
};
struct ChatterSound {
    int seat = 0;
    QString sound; // "wave" N
};
enum class EndReason { PlayToScore, GameTime, NoMoreTiles, EveryonePassed };
struct GameOver {
    EndReason reason;
};
struct Winner {
    QList<int> seats;
};
struct RejoinToken {
    QString gameId;
    QString token;
    int grace = 0; // seconds the seat would be kept after a drop
};
struct Closing {};
struct SeatKept {
    int seat = 0;
    int seconds = 0; // of the grace period left; 0 once it is over
};
struct TurnClock {
    int seconds = 0; // left of the turn under way, as the host counts them
};
struct KeepAlive {};
} // namespace toclient

using HostMessage =
    std::variant<toclient::SendLoginInfo, toclient::Full, toclient::NewPlayerInfo,
                 toclient::PlayerDisconnected, toclient::WrongVersion, toclient::HaveWrongVersion,
                 toclient::ArrangeBoard, toclient::ShowBoard, toclient::Settings,
                 toclient::NextPlayer, toclient::Started, toclient::Atile, toclient::TileCount,
                 toclient::NoTiles, toclient::Passed, toclient::Already, toclient::NotEnough,
                 toclient::Invalid, toclient::Exchanged, toclient::Reposition, toclient::Scored,
                 toclient::NewWord, toclient::TimeUp, toclient::Watching, toclient::Chat,
                 toclient::ChatterSound, toclient::GameOver, toclient::Winner, toclient::SeatScore,
                 toclient::RejoinToken, toclient::SeatKept, toclient::Closing, toclient::TurnClock,
                 toclient::KeepAlive>;
using DecodedHostMessage = std::variant<Ignored, Refused, HostMessage>;
DecodedHostMessage decodeHostMessage(const QString &line);

// Calls the overload of a set of lambdas that fits (for std::visit).
template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace proto
