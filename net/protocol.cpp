#include "net/protocol.h"

#include "net/command.h"
#include "net/framing.h"

namespace proto {

namespace {

// A command word alone, and with the "+" that starts its first field.
QString word(Command c) {
    return QString(commandName(c));
}
QString head(Command c) {
    return word(c) + QLatin1Char('+');
}
QString num(int n) {
    return QString::number(n);
}
QString flag(bool b) {
    return b ? QStringLiteral("y") : QStringLiteral("n");
}
bool inRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}
bool isPoints(int v) {
    return inRange(v, -kMaxPoints, kMaxPoints);
}
// The clocks and the play-to score of a game as a client takes them.
bool clientTakes(int turntime, int gametime, int playtoscore) {
    return inRange(turntime, 0, kMaxTurnTime) && inRange(gametime, 0, kMaxGameTime) &&
           inRange(playtoscore, 0, kMaxPoints);
}

// Reads n integer fields; the last one may be the remaining text.
template <size_t N> std::optional<std::array<int, N>> ints(const QString &payload) {
    FieldReader r(payload);
    std::array<int, N> out{};
    for (size_t i = 0; i < N; ++i) {
        const std::optional<int> v = (i + 1 < N) ? r.intField() : toInt(r.rest());
        if (!v)
            return std::nullopt;
        out[i] = *v;
    }
    return out;
}

QString joinTiles(Command command, const QList<BoardLetter> &tiles) {
    QString s = word(command);
    for (const BoardLetter &t : tiles)
        s += QLatin1Char('+') + num(t.x) + QLatin1Char('+') + num(t.y) + QLatin1Char('+') +
             num(t.letter);
    return s;
}

// The name and the options of a game start; the partners flag is not read.
std::optional<std::pair<QString, game::GameOptions>> readOptions(FieldReader &r) {
    game::GameOptions o;
    const QString name = r.field();
    const auto tt = r.intField();
    const auto sc = r.intField();
    const auto gt = r.intField();
    const auto ps = r.intField();
    if (!tt || !sc || !gt || !ps)
        return std::nullopt;
    o.turntime = *tt;
    o.squarecount = *sc;
    o.gametime = *gt;
    o.playtoscore = *ps;
    o.doubletiles = r.field() == QLatin1String("y");
    return std::pair{name, o};
}

} // namespace

QString decode(const QByteArray &bytes) {
    return QString::fromUtf8(bytes);
}

QByteArray encode(const QString &message) {
    return frameMessage(message.toUtf8());
}

Line splitLine(const QString &line) {
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return {};
    return {line.left(plus), line.mid(plus + 1)};
}

std::optional<int> toInt(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

QString cut(const QString &text, int n) {
    if (text.size() <= n)
        return text;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

QString FieldReader::field() {
    const qsizetype plus = text_.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return QString();
    QString f = text_.left(plus);
    text_.remove(0, plus + 1);
    return f;
}

std::optional<int> FieldReader::intField() {
    return toInt(field());
}

std::optional<QList<QStringList>> readEntries(const QString &text, int entrySize) {
    FieldReader r(text + QStringLiteral("+@"));
    QList<QStringList> entries;
    while (r.rest() != QLatin1String("@")) {
        QStringList entry;
        for (int i = 0; i < entrySize; ++i) {
            if (!r.rest().contains(QLatin1Char('+')))
                return std::nullopt; // the text ends inside an entry
            entry << r.field();
        }
        entries << entry;
    }
    return entries;
}

ColouredText splitColour(const QString &text) {
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {text, QString()};
    return {text.left(bar), text.mid(bar + 1)};
}

// ---- Client to host -------------------------------------------------------

namespace client {

QString logininfo(int slot, const QString &version, const QString &name) {
    return head(Command::logininfo) + num(slot) + QLatin1Char('+') + version + QLatin1Char('+') +
           name;
}
QString chat(int seat, const QString &text, const QString &colour) {
    return head(Command::chat) + num(seat) + QLatin1Char('+') + text + QLatin1Char('|') + colour;
}
QString action(int seat, const QString &text, const QString &colour) {
    return head(Command::action) + num(seat) + QLatin1Char('+') + text + QLatin1Char('|') + colour;
}
QString playasound(int seat, int wave) {
    return head(Command::playasound) + num(seat) + QStringLiteral("+wave") + num(wave) +
           QLatin1Char('+');
}
QString kickhim(int requester, int target) {
    return head(Command::kickhim) + num(requester) + QLatin1Char('+') + num(target) +
           QLatin1Char('+');
}
QString justwatch(int seat, bool sitOut) {
    return head(Command::justwatch) + num(seat) +
           (sitOut ? QStringLiteral("+1") : QStringLiteral("+2"));
}
QString startgame(const QString &name, const game::GameOptions &o) {
    return head(Command::startgame) + name + QLatin1Char('+') + num(o.turntime) + QLatin1Char('+') +
           num(o.squarecount) + QLatin1Char('+') + num(o.gametime) + QLatin1Char('+') +
           num(o.playtoscore) + QLatin1Char('+') + flag(o.doubletiles) + QLatin1Char('+') +
           flag(o.partners) + QLatin1Char('+');
}
QString done(int seat, const QList<game::LaidTile> &tiles) {
    QString s = head(Command::done) + num(seat);
    for (const game::LaidTile &t : tiles)
        s += QLatin1Char('+') + num(t.rackslot) + QLatin1Char('+') +
             (t.flipped ? QStringLiteral("y") : QStringLiteral("n")) + QLatin1Char('+') + num(t.x) +
             QLatin1Char('+') + num(t.y);
    return s;
}
QString newtiles(int seat) {
    return head(Command::newtiles) + num(seat);
}
QString pass(int seat) {
    return head(Command::pass) + num(seat);
}

} // namespace client

std::optional<LoginInfo> parseLoginInfo(const QString &payload) {
    FieldReader r(payload);
    const auto slot = r.intField();
    if (!slot)
        return std::nullopt;
    LoginInfo info;
    info.slot = *slot;
    info.version = cut(r.field(), kMaxVersionLength);
    info.name = cut(r.rest(), kMaxNameLength);
    return info;
}

std::optional<SeatText> parseSeatText(const QString &payload) {
    FieldReader r(payload);
    const auto seat = r.intField();
    if (!seat)
        return std::nullopt;
    return SeatText{*seat, r.rest()};
}

std::optional<KickHim> parseKickHim(const QString &payload) {
    FieldReader r(payload);
    const auto requester = r.intField();
    const auto target = r.intField();
    if (!requester || !target)
        return std::nullopt;
    return KickHim{*requester, *target};
}

std::optional<JustWatch> parseJustWatch(const QString &payload) {
    FieldReader r(payload);
    const auto seat = r.intField();
    if (!seat)
        return std::nullopt;
    return JustWatch{*seat, r.rest()};
}

std::optional<StartGame> parseStartGame(const QString &payload) {
    FieldReader r(payload);
    auto options = readOptions(r);
    if (!options)
        return std::nullopt;
    options->second.partners = r.field() == QLatin1String("y");
    return StartGame{options->first, options->second, payload};
}

std::optional<Done> parseDone(const QString &payload) {
    // "2" alone is a seat and no tile, as is "2+".
    FieldReader r(payload.contains(QLatin1Char('+')) ? payload : payload + QLatin1Char('+'));
    const auto seat = r.intField();
    if (!seat)
        return std::nullopt;
    Done done;
    done.seat = *seat;
    // A move of no tiles reads, so that the host can refuse it as it refuses
    // any move that makes no word.
    if (r.rest().isEmpty())
        return done;
    const auto entries = readEntries(r.rest(), 4);
    if (!entries)
        return std::nullopt;
    for (const QStringList &e : *entries) {
        const auto slot = toInt(e[0]);
        const auto x = toInt(e[2]);
        const auto y = toInt(e[3]);
        if (!slot || !x || !y)
            return std::nullopt;
        done.tiles.append(game::LaidTile{*slot, e[1] == QLatin1String("y"), *x, *y});
    }
    return done;
}

std::optional<int> parseSeat(const QString &payload) {
    return toInt(payload);
}

// ---- Host to client -------------------------------------------------------

namespace host {

QString sendlogininfo(int slot) {
    return head(Command::sendlogininfo) + num(slot);
}
QString full() {
    return head(Command::full);
}
QString newplayerinfo(int slot, const QString &name) {
    return head(Command::newplayerinfo) + num(slot) + QLatin1Char('+') + name;
}
QString existingplayers(int slot, const QString &name) {
    return head(Command::existingplayers) + num(slot) + QLatin1Char('+') + name;
}
QString wrongversion() {
    return head(Command::wrongversion);
}
QString havewrongversion(const QString &name) {
    return head(Command::havewrongversion) + name;
}
QString arrangeboard(const std::array<int, 4> &q) {
    return head(Command::arrangeboard) + num(q[0]) + QLatin1Char('+') + num(q[1]) +
           QLatin1Char('+') + num(q[2]) + QLatin1Char('+') + num(q[3]);
}
QString showboard(int x, int y, int letter) {
    return head(Command::showboard) + num(x) + QLatin1Char('+') + num(y) + QLatin1Char('+') +
           num(letter);
}
QString gamesettings(const GameSettings &s) {
    const game::GameOptions &o = s.options;
    return head(Command::gamesettings) + num(o.turntime) + QLatin1Char('+') + num(o.squarecount) +
           QLatin1Char('+') + num(o.gametime) + QLatin1Char('+') + num(s.elapsed) +
           QLatin1Char('+') + num(o.playtoscore) + QLatin1Char('+') + flag(o.doubletiles) +
           QLatin1Char('+') + flag(o.partners);
}
QString nextplayer(int seat) {
    return head(Command::nextplayer) + num(seat);
}
QString startgame(const QString &requestPayload, bool partners) {
    return head(Command::startgame) + requestPayload + QLatin1Char('+') + flag(partners);
}
QString zb() {
    return word(Command::zb);
}
QString atile(int rackslot, int letter) {
    return head(Command::atile) + num(rackslot) + QLatin1Char('+') + num(letter);
}
QString tilecount(int count) {
    return head(Command::tilecount) + num(count);
}
QString notiles(int seat) {
    return head(Command::notiles) + num(seat) + QLatin1Char('+');
}
QString pass(const QString &seatText) {
    return head(Command::pass) + seatText;
}
QString already() {
    return head(Command::already);
}
QString notenough() {
    return head(Command::notenough);
}
QString newtiles(const QString &seatText, int score, int partner, int partnerscore) {
    return head(Command::newtiles) + seatText + QLatin1Char('+') + num(score) + QLatin1Char('+') +
           num(partner) + QLatin1Char('+') + num(partnerscore);
}
QString invalid() {
    return head(Command::invalid);
}
QString reposition(const QList<BoardLetter> &tiles) {
    return joinTiles(Command::reposition, tiles);
}
QString postscore(const PostScore &p) {
    return head(Command::postscore) + num(p.count) + QLatin1Char('+') + num(p.seat) +
           QLatin1Char('+') + num(p.bonus) + QLatin1Char('+') + num(p.turnscore) +
           QLatin1Char('+') + num(p.score) + QLatin1Char('+') + num(p.partner) + QLatin1Char('+') +
           num(p.partnerscore) + QLatin1Char('+') + p.word + QLatin1Char('+');
}
QString newword(const QList<BoardLetter> &tiles) {
    return joinTiles(Command::newword, tiles);
}
QString timeup(int seat) {
    return head(Command::timeup) + num(seat);
}
QString justwatching(int seat, int code) {
    return head(Command::justwatching) + num(seat) + QLatin1Char('+') + num(code);
}
QString playerdisconnected(int slot, const QString &name) {
    return head(Command::playerdisconnected) + num(slot) + QLatin1Char('+') + name;
}
QString chat(const QString &seatText, const QString &name, const QString &rest) {
    return head(Command::chat) + seatText + QLatin1Char('+') + name + QStringLiteral(" chats: ") +
           rest;
}
QString rejointoken(const QString &gameId, const QString &token, int grace) {
    return head(Command::rejointoken) + gameId + QLatin1Char('+') + token + QLatin1Char('+') +
           num(grace);
}
QString closing() {
    return head(Command::closing);
}
QString seatkept(int seat, int seconds) {
    return head(Command::seatkept) + num(seat) + QLatin1Char('+') + num(seconds);
}
QString turnclock(int seconds) {
    return head(Command::turnclock) + num(seconds);
}
QString keepalive() {
    return head(Command::keepalive);
}
QString notice(const QString &text) {
    // "clGreen" is the colour text of the notices' green (0x008000).
    return head(Command::chat) + QStringLiteral("0+") + text + QStringLiteral("|clGreen");
}
QString action(const QString &seatText, const QString &name, const QString &rest) {
    return head(Command::action) + seatText + QLatin1Char('+') + name + QLatin1Char(' ') + rest;
}
QString playasound(int seat, const QString &rest) {
    return head(Command::playasound) + num(seat) + QLatin1Char('+') + rest;
}
QString nomoretiles() {
    return head(Command::nomoretiles);
}
QString everyonepassed() {
    return head(Command::everyonepassed);
}
QString playergotscore() {
    return head(Command::playergotscore);
}
QString gametimeup() {
    return head(Command::gametimeup);
}
QString seatscore(int seat, int score, const QString &change) {
    return head(Command::seatscore) + num(seat) + QLatin1Char('+') + num(score) + QLatin1Char('+') +
           change;
}
QString winner(const QList<int> &seats) {
    QString s = word(Command::winner);
    for (int seat : seats)
        s += QLatin1Char('+') + num(seat);
    return s;
}
QString placeletter(int x, int y, int letter) {
    return head(Command::placeletter) + num(x) + QLatin1Char('+') + num(y) + QLatin1Char('+') +
           num(letter);
}

} // namespace host

std::optional<int> parseSlot(const QString &payload) {
    const auto v = toInt(payload);
    if (!v || !inRange(*v, 0, 10))
        return std::nullopt;
    return v;
}

std::optional<SlotName> parseSlotName(const QString &payload) {
    FieldReader r(payload);
    const auto slot = r.intField();
    if (!slot || !inRange(*slot, 1, 10))
        return std::nullopt;
    return SlotName{*slot, r.rest()};
}

std::optional<std::array<int, 4>> parseArrangeBoard(const QString &payload) {
    const auto q = ints<4>(payload);
    if (!q)
        return std::nullopt;
    for (int seat : *q)
        if (!inRange(seat, 1, 4))
            return std::nullopt;
    return q;
}

std::optional<BoardLetter> parseBoardLetter(const QString &payload) {
    const auto v = ints<3>(payload);
    if (!v || !inRange((*v)[0], 0, 18) || !inRange((*v)[1], 0, 18) || !inRange((*v)[2], 0, 25))
        return std::nullopt;
    return BoardLetter{(*v)[0], (*v)[1], (*v)[2]};
}

std::optional<GameSettings> parseGameSettings(const QString &payload) {
    FieldReader r(payload);
    std::array<std::optional<int>, 5> v;
    for (auto &field : v)
        field = r.intField();
    for (const auto &field : v)
        if (!field)
            return std::nullopt;
    GameSettings s;
    s.options.turntime = *v[0];
    s.options.squarecount = *v[1];
    s.options.gametime = *v[2];
    s.elapsed = *v[3];
    s.options.playtoscore = *v[4];
    s.options.doubletiles = r.field() == QLatin1String("y");
    s.options.partners = r.rest() == QLatin1String("y");
    if (!clientTakes(s.options.turntime, s.options.gametime, s.options.playtoscore) ||
        !inRange(s.elapsed, 0, kMaxElapsed))
        return std::nullopt;
    return s;
}

std::optional<GameStarted> parseGameStarted(const QString &payload) {
    // name+turntime+squarecount+gametime+playtoscore+double+asked+ +partners
    FieldReader r(payload);
    auto options = readOptions(r);
    if (!options)
        return std::nullopt;
    r.field(); // the partners flag as asked
    r.field(); // the empty field before the flag in force
    options->second.partners = r.rest() == QLatin1String("y");
    if (!clientTakes(options->second.turntime, options->second.gametime,
                     options->second.playtoscore))
        return std::nullopt;
    return GameStarted{options->first, options->second};
}

std::optional<RackTile> parseAtile(const QString &payload) {
    const auto v = ints<2>(payload);
    if (!v || !inRange((*v)[0], 1, 10) || !inRange((*v)[1], 0, 25))
        return std::nullopt;
    return RackTile{(*v)[0], (*v)[1]};
}

std::optional<int> parseCount(const QString &payload) {
    const auto v = toInt(payload);
    if (!v || !inRange(*v, 0, kMaxTileCount))
        return std::nullopt;
    return v;
}

std::optional<NewTiles> parseNewTiles(const QString &payload) {
    const auto v = ints<4>(payload);
    if (!v || !inRange((*v)[0], 1, 4) || !inRange((*v)[2], 1, 4) || !isPoints((*v)[1]) ||
        !isPoints((*v)[3]))
        return std::nullopt;
    return NewTiles{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
}

std::optional<PostScore> parsePostScore(const QString &payload) {
    FieldReader r(payload);
    std::array<std::optional<int>, 7> v;
    for (auto &field : v)
        field = r.intField();
    for (const auto &field : v)
        if (!field)
            return std::nullopt;
    PostScore p{*v[0], *v[1], *v[2], *v[3], *v[4], *v[5], *v[6], r.field()};
    if (!inRange(p.seat, 1, 4) || !inRange(p.partner, 1, 4) || !inRange(p.bonus, 0, 3) ||
        !inRange(p.count, 0, kMaxTileCount) || !isPoints(p.turnscore) || !isPoints(p.score) ||
        !isPoints(p.partnerscore))
        return std::nullopt;
    return p;
}

std::optional<QList<BoardLetter>> parseTileList(const QString &payload) {
    const auto entries = readEntries(payload, 3);
    if (!entries)
        return std::nullopt;
    QList<BoardLetter> tiles;
    for (const QStringList &e : *entries) {
        const auto tile = parseBoardLetter(e.join(QLatin1Char('+')));
        if (!tile)
            return std::nullopt;
        tiles.append(*tile);
    }
    return tiles;
}

std::optional<SeatScore> parseSeatScore(const QString &payload) {
    FieldReader r(payload);
    const auto seat = r.intField();
    const auto score = r.intField();
    const QString change = r.rest();
    if (!seat || !score || !inRange(*seat, 1, 4) || !isPoints(*score))
        return std::nullopt;
    // The change is empty, or a sign and a number of points.
    if (!change.isEmpty()) {
        const auto points = toInt(QStringView(change).mid(1));
        const bool sign = change[0] == u'+' || (change[0] == u'-' && points && *points >= 0);
        if (!sign || !points || !isPoints(*points))
            return std::nullopt;
    }
    return SeatScore{*seat, *score, change};
}

std::optional<JustWatching> parseJustWatching(const QString &payload) {
    const auto v = ints<2>(payload);
    if (!v || !inRange((*v)[0], 1, 4) || !inRange((*v)[1], 1, 2))
        return std::nullopt;
    return JustWatching{(*v)[0], (*v)[1]};
}

std::optional<QList<int>> parseWinner(const QString &payload) {
    const auto entries = readEntries(payload, 1);
    if (!entries)
        return std::nullopt;
    QList<int> seats;
    for (const QStringList &e : *entries) {
        const auto seat = toInt(e[0]);
        if (!seat || !inRange(*seat, 1, 4))
            return std::nullopt;
        seats.append(*seat);
    }
    return seats;
}

} // namespace proto
