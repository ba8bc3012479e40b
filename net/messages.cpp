#include "net/messages.h"

#include "net/framing.h"

namespace proto {

namespace {

// The result of a field parser as a decoded message of type M, or a refusal.
template <class M, class Variant, class Parsed>
Variant wrap(const std::optional<Parsed> &parsed, const char *why) {
    if (!parsed)
        return Refused{why};
    return M{*parsed};
}

// The seat field of a request and the text after it; a request that carries
// text must have the "+" that starts it.
struct SeatAndRest {
    QString seatText;
    std::optional<int> seat;
    QString rest;
    bool hasRest = false;
};
SeatAndRest seatAndRest(const QString &payload) {
    const qsizetype plus = payload.indexOf(QLatin1Char('+'));
    SeatAndRest s;
    s.seatText = plus < 0 ? payload : payload.left(plus);
    s.seat = toInt(s.seatText);
    s.hasRest = plus >= 0;
    if (s.hasRest)
        s.rest = payload.mid(plus + 1);
    return s;
}

constexpr int kMaxSlot = 9;

bool inRange(int n, int lo, int hi) {
    return n >= lo && n <= hi;
}

bool isSlot(int n) {
    return inRange(n, 1, kMaxSlot);
}

} // namespace

bool isToken(const QString &text) {
    if (text.size() != kTokenLength)
        return false;
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

DecodedRequest decodeRequest(const QString &line) {
    using namespace tohost;
    const Line l = splitLine(line);
    const std::optional<Command> command = commandOf(l.command);
    if (!command)
        return Ignored{};
    const QString &p = l.payload;
    switch (*command) {
    case Command::logininfo: {
        const auto login = parseLoginInfo(p);
        if (!login)
            return Refused{"a malformed login"};
        return Request{Login{*login}};
    }
    case Command::chat:
    case Command::action: {
        const bool action = *command == Command::action;
        const SeatAndRest s = seatAndRest(p);
        if (!s.seat || !s.hasRest)
            return Refused{action ? "a malformed action line" : "a malformed chat line"};
        return Request{Chat{s.seatText, *s.seat, s.rest, action}};
    }
    case Command::playasound: {
        const SeatAndRest s = seatAndRest(p);
        if (!s.seat || !s.hasRest)
            return Refused{"a malformed sound request"};
        return Request{PlaySound{*s.seat, s.rest}};
    }
    case Command::kickhim: {
        const auto kick = parseKickHim(p);
        if (!kick)
            return Refused{"a malformed removal"};
        return Request{Kick{*kick}};
    }
    case Command::justwatch: {
        const auto watch = parseJustWatch(p);
        if (!watch)
            return Refused{"a malformed watch request"};
        return Request{Watch{*watch}};
    }
    case Command::startgame: {
        const auto start = parseStartGame(p);
        if (!start)
            return Refused{"a malformed game start"};
        return Request{Start{*start}};
    }
    case Command::done: {
        const auto move = parseDone(p);
        if (!move)
            return Refused{"a malformed move"};
        return Request{Move{*move}};
    }
    case Command::freeseat: {
        const auto seat = toInt(p);
        if (!seat || !game::isSeat(*seat))
            return Refused{"a malformed seat to free"};
        return Request{FreeSeat{*seat}};
    }
    case Command::rejoin:
        if (!p.isEmpty() && !isToken(p))
            return Refused{"a malformed rejoin token"};
        return Request{Rejoin{p}};
    case Command::newtiles:
    case Command::pass: {
        const auto seat = parseSeat(p);
        if (!seat)
            return Refused{"a request with a malformed seat"};
        if (*command == Command::pass)
            return Request{Pass{p, *seat}};
        return Request{Exchange{p, *seat}};
    }
    default:
        return Ignored{}; // a word only the host sends
    }
}

DecodedHostMessage decodeHostMessage(const QString &line) {
    using namespace toclient;
    const Line l = splitLine(line);
    const std::optional<Command> command = commandOf(l.command);
    if (!command)
        return Ignored{};
    const QString &p = l.payload;
    using V = DecodedHostMessage;
    auto message = [](auto m) -> V { return HostMessage{std::move(m)}; };
    auto seatIn = [&](int lo, int hi) -> std::optional<int> {
        const auto seat = toInt(p);
        return seat && *seat >= lo && *seat <= hi ? seat : std::nullopt;
    };
    auto slotName = [&]() -> std::optional<SlotName> {
        const auto s = parseSlotName(p);
        return s && isSlot(s->slot) ? s : std::nullopt;
    };

    switch (*command) {
    case Command::sendlogininfo: {
        const auto slot = seatIn(1, 9);
        if (!slot)
            return Refused{"bad seat"};
        return message(SendLoginInfo{*slot});
    }
    case Command::full:
        return message(Full{});
    case Command::newplayerinfo:
    case Command::existingplayers: {
        const auto s = slotName();
        if (!s)
            return Refused{"bad seat"};
        return message(NewPlayerInfo{*s});
    }
    case Command::playerdisconnected: {
        const auto s = slotName();
        if (!s)
            return Refused{"bad seat"};
        return message(PlayerDisconnected{*s});
    }
    case Command::wrongversion:
        return message(WrongVersion{});
    case Command::havewrongversion:
        return message(HaveWrongVersion{p});
    case Command::arrangeboard: {
        const auto q = parseArrangeBoard(p);
        if (!q)
            return Refused{"bad board arrangement"};
        return message(ArrangeBoard{*q});
    }
    case Command::showboard:
    case Command::placeletter:
        return wrap<ShowBoard, V>(parseBoardLetter(p), "bad board letter");
    case Command::gamesettings:
        return wrap<Settings, V>(parseGameSettings(p), "bad game settings");
    case Command::nextplayer: {
        // Only seats 1..4 take turns.
        const auto seat = seatIn(1, 4);
        if (!seat)
            return Refused{"a turn for no seat"};
        return message(NextPlayer{*seat});
    }
    case Command::startgame:
        return wrap<Started, V>(parseGameStarted(p), "bad game start");
    case Command::atile:
        return wrap<Atile, V>(parseAtile(p), "bad rack tile");
    case Command::tilecount: {
        const auto count = parseCount(p);
        if (!count)
            return Refused{"bad tile count"};
        return message(TileCount{*count});
    }
    case Command::notiles: {
        const auto seat = toInt(FieldReader(p).field());
        if (!seat || *seat < 0 || *seat > 10)
            return Refused{"bad seat"};
        return message(NoTiles{*seat});
    }
    case Command::pass:
    case Command::timeup: {
        const auto seat = seatIn(0, 10);
        if (!seat)
            return Refused{"bad seat"};
        if (*command == Command::pass)
            return message(Passed{*seat});
        return message(TimeUp{*seat});
    }
    case Command::already:
        return message(Already{});
    case Command::notenough:
        return message(NotEnough{});
    case Command::invalid:
        return message(Invalid{});
    case Command::newtiles:
        return wrap<Exchanged, V>(parseNewTiles(p), "bad exchange");
    case Command::reposition:
    case Command::newword: {
        const auto tiles = parseTileList(p);
        if (!tiles)
            return Refused{"bad tile list"};
        if (*command == Command::reposition)
            return message(Reposition{*tiles});
        return message(NewWord{*tiles});
    }
    case Command::postscore:
        return wrap<Scored, V>(parsePostScore(p), "bad score");
    case Command::justwatching:
        return wrap<Watching, V>(parseJustWatching(p), "bad watching mark");
    case Command::chat:
    case Command::action: {
        const qsizetype plus = p.indexOf(QLatin1Char('+'));
        const auto seat = toInt(plus < 0 ? QStringView(p) : QStringView(p).left(plus));
        // 0 is the lobby's or the host's own notice, 1..9 the speaker's slot.
        if (plus < 0 || !seat || !inRange(*seat, 0, kMaxSlot))
            return Refused{"bad chat line"};
        const ColouredText text = splitColour(p.mid(plus + 1));
        return message(Chat{*seat, text.text, text.colour});
    }
    case Command::playasound: {
        FieldReader r(p);
        const auto seat = r.intField();
        if (!seat || !isSlot(*seat))
            return Refused{"chatter sound with a bad seat"};
        return message(ChatterSound{*seat, r.field()});
    }
    case Command::playergotscore:
        return message(GameOver{EndReason::PlayToScore});
    case Command::gametimeup:
        return message(GameOver{EndReason::GameTime});
    case Command::nomoretiles:
        return message(GameOver{EndReason::NoMoreTiles});
    case Command::everyonepassed:
        return message(GameOver{EndReason::EveryonePassed});
    case Command::winner:
        return wrap<Winner, V>(parseWinner(p), "bad winner list");
    case Command::seatscore:
        return wrap<toclient::SeatScore, V>(parseSeatScore(p), "bad seat score");
    case Command::rejointoken: {
        FieldReader r(p);
        const QString gameId = r.field();
        const QString token = r.field();
        const auto grace = toInt(r.rest());
        if (!isToken(gameId) || !isToken(token) || !grace || *grace < 0 ||
            *grace > game::HostOptions::kMaxGrace)
            return Refused{"a malformed rejoin token"};
        return message(RejoinToken{gameId, token, *grace});
    }
    case Command::closing:
        return message(Closing{});
    case Command::seatkept: {
        FieldReader r(p);
        const auto seat = r.intField();
        const auto seconds = toInt(r.rest());
        if (!seat || !game::isSeat(*seat) || !seconds || *seconds < 0 || *seconds > 24 * 3600)
            return Refused{"a malformed kept seat"};
        return message(SeatKept{*seat, *seconds});
    }
    case Command::turnclock: {
        const auto seconds = toInt(p);
        if (!seconds || *seconds < 0 || *seconds > kMaxTurnTime)
            return Refused{"a malformed turn clock"};
        return message(TurnClock{*seconds});
    }
    case Command::keepalive:
        return message(KeepAlive{});
    default:
        return Ignored{}; // a word only clients send
    }
}

namespace request {

tohost::Login login(int slot, const QString &version, const QString &name) {
    return {{slot, version, name}};
}
tohost::Chat chat(int seat, const QString &text, const QString &colour) {
    return {QString::number(seat), seat, text + QLatin1Char('|') + colour, false};
}
tohost::Chat action(int seat, const QString &text, const QString &colour) {
    return {QString::number(seat), seat, text + QLatin1Char('|') + colour, true};
}
tohost::PlaySound playasound(int seat, int wave) {
    return {seat, QStringLiteral("wave") + QString::number(wave) + QLatin1Char('+')};
}
tohost::Kick kick(int requester, int target) {
    return {{requester, target}};
}
tohost::Watch watch(int seat, bool sitOut) {
    return {{seat, sitOut ? QStringLiteral("1") : QStringLiteral("2")}};
}
tohost::Start start(const QString &name, const game::GameOptions &options) {
    return {{name, options, {}}};
}
tohost::Move move(int seat, const QList<game::LaidTile> &tiles) {
    return {{seat, tiles}};
}
tohost::Exchange exchange(int seat) {
    return {QString::number(seat), seat};
}
tohost::Pass pass(int seat) {
    return {QString::number(seat), seat};
}
tohost::Rejoin rejoin(const QString &token) {
    return {token};
}
tohost::FreeSeat freeSeat(int seat) {
    return {seat};
}

} // namespace request

QString requestText(const Request &request) {
    using namespace tohost;
    auto seatLine = [](Command c, const QString &seat, const QString &rest) {
        return QString(commandName(c)) + QLatin1Char('+') + seat + QLatin1Char('+') + rest;
    };
    return std::visit(
        Overloaded{
            [](const Login &m) { return client::logininfo(m.slot, m.version, m.name); },
            [&](const Chat &m) {
                return seatLine(m.action ? Command::action : Command::chat, m.seatText, m.rest);
            },
            [&](const PlaySound &m) {
                return seatLine(Command::playasound, QString::number(m.seat), m.rest);
            },
            [](const Kick &m) { return client::kickhim(m.requester, m.target); },
            [&](const Watch &m) {
                return seatLine(Command::justwatch, QString::number(m.seat), m.code);
            },
            [](const Start &m) { return client::startgame(m.name, m.options); },
            [](const Move &m) { return client::done(m.seat, m.tiles); },
            [](const Exchange &m) {
                return QString(commandName(Command::newtiles)) + QLatin1Char('+') + m.seatText;
            },
            [](const Pass &m) {
                return QString(commandName(Command::pass)) + QLatin1Char('+') + m.seatText;
            },
            [](const FreeSeat &m) {
                return QString(commandName(Command::freeseat)) + QLatin1Char('+') +
                       QString::number(m.seat);
            },
            [](const Rejoin &m) {
                return QString(commandName(Command::rejoin)) + QLatin1Char('+') + m.token;
            },
        },
        request);
}

QByteArray frameRequest(const Request &request) {
    QByteArray bytes = encode(requestText(request));
    if (const auto *login = std::get_if<tohost::Login>(&request); login && !login->name.isEmpty())
        bytes.append(FrameSplitter::Terminator);
    return bytes;
}

} // namespace proto
