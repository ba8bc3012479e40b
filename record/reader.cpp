#include "record/reader.h"

#include "game/bag.h"

#include <QStringList>

namespace record {

namespace {

struct Refused {
    QString message;
};

int number(const QString &field, int lo, int hi, const char *what) {
    bool ok = false;
    const int n = field.toInt(&ok);
    if (!ok || n < lo || n > hi)
        throw Refused{QStringLiteral("%1 must be a number from %2 to %3, not \"%4\"")
                          .arg(QLatin1String(what))
                          .arg(lo)
                          .arg(hi)
                          .arg(field.left(40))};
    return n;
}

int seatField(const QString &field) {
    return number(field, 1, game::kSeats, "the seat");
}

bool onlyLetters(const QString &text, bool dots) {
    for (QChar c : text)
        if (!((c >= u'A' && c <= u'Z') || (dots && c == u'.')))
            return false;
    return true;
}

// "?" unknown, "-" empty, else letters.
void rackField(const QString &field, Entry &e) {
    e.rackKnown = field != QLatin1String("?");
    if (field == QLatin1String("?") || field == QLatin1String("-"))
        return;
    if (field.size() > game::kRackSlots || !onlyLetters(field, false))
        throw Refused{QStringLiteral("a rack holds up to ten letters A to Z")};
    e.rack = field;
}

void count(const QStringList &f, qsizetype n) {
    if (f.size() != n)
        throw Refused{QStringLiteral("\"%1\" takes %2 fields, not %3")
                          .arg(f[0])
                          .arg(n - 1)
                          .arg(f.size() - 1)};
}

// Reads one of the option fields "name=value".
int option(const QString &field, const char *name, int lo, int hi) {
    const QString prefix = QLatin1String(name) + QLatin1Char('=');
    if (!field.startsWith(prefix))
        throw Refused{QStringLiteral("expected %1").arg(prefix)};
    return number(field.mid(prefix.size()), lo, hi, name);
}

// Reads a record line by line, checking each move against the board so far
// and each total against the one before.
class Parser {
public:
    Game game;

    void header(const QStringList &f, const QString &rest) {
        if (!game.entries.isEmpty())
            throw Refused{QStringLiteral("\"%1\" belongs before the first turn").arg(f[0])};
        const QString &key = f[0];
        if (key == QLatin1String("date")) {
            count(f, 2);
            game.header.date = f[1];
        } else if (key == QLatin1String("seed")) {
            count(f, 2);
            bool ok = false;
            game.header.seed = f[1].toUInt(&ok);
            if (!ok)
                throw Refused{QStringLiteral("the seed must be a number from 0 to 4294967295")};
        } else if (key == QLatin1String("options")) {
            count(f, 7);
            game::GameOptions &o = game.header.options;
            o.turntime = option(f[1], "turntime", 0, 100000);
            o.squarecount = option(f[2], "squares", 0, 20);
            o.gametime = option(f[3], "gametime", 0, 100000);
            o.playtoscore = option(f[4], "playto", 0, 1000000);
            o.doubletiles = option(f[5], "double", 0, 1) == 1;
            o.partners = option(f[6], "partners", 0, 1) == 1;
        } else if (key == QLatin1String("quarters")) {
            count(f, 5);
            for (int i = 0; i < 4; ++i)
                game.header.quarters[size_t(i)] = number(f[i + 1], 1, 4, "a quarter");
        } else if (key == QLatin1String("player")) {
            if (f.size() < 3)
                throw Refused{QStringLiteral("a player needs a seat and a name")};
            const int seat = seatField(f[1]);
            game.header.names[size_t(seat)] = rest;
            game.header.seated[size_t(seat)] = true;
        } else {
            throw Refused{QStringLiteral("unknown line \"%1\"").arg(key.left(40))};
        }
    }

    void entry(const QStringList &f, const QString &rest, int line) {
        Entry e;
        e.line = line;
        const QString &key = f[0];
        if (key == QLatin1String("move")) {
            count(f, 10);
            e.kind = Kind::Move;
            move(f, e);
        } else if (key == QLatin1String("exchange")) {
            count(f, 5);
            e.kind = Kind::Exchange;
            e.seat = seatField(f[1]);
            rackField(f[2], e);
            e.points = number(f[3], -10, -10, "an exchange's cost");
            total(f[4], e);
        } else if (key == QLatin1String("pass") || key == QLatin1String("timeout")) {
            count(f, 3);
            e.kind = key == QLatin1String("pass") ? Kind::Pass : Kind::TimeUp;
            e.seat = seatField(f[1]);
            rackField(f[2], e);
        } else if (key == QLatin1String("sitout") || key == QLatin1String("back") ||
                   key == QLatin1String("leave")) {
            count(f, 2);
            e.kind = key == QLatin1String("sitout") ? Kind::SitOut
                     : key == QLatin1String("back") ? Kind::Back
                                                    : Kind::Leave;
            e.seat = seatField(f[1]);
        } else if (key == QLatin1String("arrive")) {
            if (f.size() < 3)
                throw Refused{QStringLiteral("an arrival needs a seat and a name")};
            e.kind = Kind::Arrive;
            e.seat = seatField(f[1]);
            e.name = rest;
        } else if (key == QLatin1String("end")) {
            count(f, 2);
            e.kind = Kind::End;
            const auto reason = endFromName(f[1]);
            if (!reason)
                throw Refused{QStringLiteral("unknown end \"%1\"").arg(f[1].left(40))};
            e.reason = *reason;
        } else if (key == QLatin1String("final")) {
            count(f, 5);
            e.kind = Kind::Final;
            for (int s = 0; s < game::kSeats; ++s)
                e.finals[size_t(s)] = number(f[s + 1], -1000000, 1000000, "a total");
        } else if (key == QLatin1String("winners")) {
            e.kind = Kind::Winners;
            for (qsizetype i = 1; i < f.size(); ++i)
                e.winners << seatField(f[i]);
        } else {
            header(f, rest);
            return;
        }
        game.entries.append(e);
    }

private:
    void total(const QString &field, Entry &e) {
        e.total = number(field, -1000000, 1000000, "a total");
        int &before = totals_[size_t(e.seat)];
        if (e.total != before + e.points)
            throw Refused{QStringLiteral("the total %1 is not %2 %3")
                              .arg(e.total)
                              .arg(before)
                              .arg(e.points < 0 ? QString::number(e.points)
                                                : QLatin1Char('+') + QString::number(e.points))};
        before = e.total;
        if (game.header.options.partners)
            totals_[size_t(partnerOf(e.seat))] = e.total;
    }

    void move(const QStringList &f, Entry &e) {
        e.seat = seatField(f[1]);
        rackField(f[2], e);
        const auto at = parseCoordinate(f[3]);
        if (!at)
            throw Refused{QStringLiteral("\"%1\" is no square A1 to S19").arg(f[3].left(40))};
        if (f[4] != QLatin1String("down") && f[4] != QLatin1String("across"))
            throw Refused{QStringLiteral("a move runs across or down")};
        e.x = at->first;
        e.y = at->second;
        e.down = f[4] == QLatin1String("down");
        const QString &tiles = f[5];
        if (!onlyLetters(tiles, true) || (!onlyLetters(f[6], false) && f[6] != QLatin1String("-")))
            throw Refused{QStringLiteral("tiles and words are letters A to Z")};
        const int end = (e.down ? e.y : e.x) + int(tiles.size());
        if (end > game::kBoard)
            throw Refused{QStringLiteral("the tiles run off the board")};
        for (int i = 0; i < tiles.size(); ++i) {
            const int x = e.down ? e.x : e.x + i;
            const int y = e.down ? e.y + i : e.y;
            int &square = board_[size_t(x)][size_t(y)];
            if (tiles[i] == u'.') {
                if (square == game::kEmpty)
                    throw Refused{QStringLiteral("%1 holds no letter").arg(coordinate(x, y))};
                continue;
            }
            if (square != game::kEmpty)
                throw Refused{QStringLiteral("%1 is taken").arg(coordinate(x, y))};
            square = tiles[i].unicode() - u'A';
            e.tiles.append({x, y, square});
        }
        if (e.tiles.isEmpty())
            throw Refused{QStringLiteral("a move lays a tile")};
        e.word = f[6] == QLatin1String("-") ? QString() : f[6];
        if (!f[7].startsWith(u'+') && !f[7].startsWith(u'-'))
            throw Refused{QStringLiteral("a move's points carry their sign")};
        e.points = number(f[7], -100000, 100000, "the points");
        total(f[8], e);
        e.bonus = outcomeFromName(f[9]);
        if (e.bonus < 0)
            throw Refused{QStringLiteral("unknown Zorble outcome \"%1\"").arg(f[9].left(40))};
    }

    game::Grid board_ = [] {
        game::Grid g{};
        for (auto &column : g)
            column.fill(game::kEmpty);
        return g;
    }();
    std::array<int, game::kSeats + 1> totals_{};
};

} // namespace

ReadResult read(const QByteArray &text) {
    if (text.size() > kMaxRecordBytes)
        return {std::nullopt, {1, QStringLiteral("the record is larger than 4 MiB")}};
    const QList<QByteArray> lines = text.split('\n');
    Parser parser;
    int line = 0;
    try {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            line = int(i) + 1;
            const QByteArray &raw = lines[i];
            if (i == lines.size() - 1) {
                if (!raw.isEmpty())
                    throw Refused{QStringLiteral("the line is cut off")};
                break;
            }
            const QString s = QString::fromUtf8(raw);
            if (s.contains(QChar::ReplacementCharacter) || s.contains(u'\r'))
                throw Refused{QStringLiteral("the line is not clean UTF-8 text")};
            if (i == 0) {
                const QString magic = QLatin1String(kMagic) + QLatin1Char(' ');
                if (!s.startsWith(magic))
                    throw Refused{QStringLiteral("this is no Zorble game record")};
                if (s.mid(magic.size()) != QString::number(kVersion))
                    throw Refused{QStringLiteral("unknown record version \"%1\"")
                                      .arg(s.mid(magic.size()).left(40))};
                continue;
            }
            if (s.isEmpty())
                continue;
            const QStringList f = s.split(u' ');
            // Names are the rest of their line after the seat.
            const qsizetype second = s.indexOf(u' ', s.indexOf(u' ') + 1);
            const QString rest = second < 0 ? QString() : s.mid(second + 1);
            if (f.contains(QString()) && f[0] != QLatin1String("player") &&
                f[0] != QLatin1String("arrive"))
                throw Refused{QStringLiteral("fields are parted by single spaces")};
            parser.entry(f, rest, line);
        }
    } catch (const Refused &r) {
        return {std::nullopt, {line, r.message}};
    }
    if (lines.size() < 2)
        return {std::nullopt, {1, QStringLiteral("the record is empty")}};
    return {std::move(parser.game), {}};
}

Snapshot replay(const Game &g, int turns) {
    Snapshot s;
    for (auto &column : s.board)
        column.fill(game::kEmpty);
    s.squares = game::quarterKinds(g.header.quarters);
    game::markZorbleSquares(s.squares, g.header.options.squarecount);
    s.names = g.header.names;
    for (qsizetype i = 0; i < g.entries.size(); ++i) {
        const Entry &e = g.entries[i];
        if (e.isTurn() && turns >= 0 && s.turns == turns)
            break;
        s.lastEntry = int(i);
        if (e.isTurn()) {
            ++s.turns;
            if (e.rackKnown)
                s.racks[size_t(e.seat)] = e.rack;
        }
        switch (e.kind) {
        case Kind::Move:
            for (const game::BoardLetter &t : e.tiles) {
                s.board[size_t(t.x)][size_t(t.y)] = t.letter;
                // The laid tiles leave the rack; in a double-sided game a
                // tile may lie on its other face.
                QString &rack = s.racks[size_t(e.seat)];
                qsizetype at = rack.indexOf(QChar(u'A' + t.letter));
                if (at < 0 && g.header.options.doubletiles)
                    at = rack.indexOf(QChar(u'Z' - t.letter));
                if (at >= 0)
                    rack.remove(at, 1);
            }
            s.bonus[size_t(e.seat)] = e.bonus;
            [[fallthrough]];
        case Kind::Exchange:
            s.totals[size_t(e.seat)] = e.total;
            if (g.header.options.partners)
                s.totals[size_t(partnerOf(e.seat))] = e.total;
            break;
        case Kind::Arrive:
            s.names[size_t(e.seat)] = e.name;
            break;
        case Kind::Final:
            for (int seat = 1; seat <= game::kSeats; ++seat)
                s.totals[size_t(seat)] = e.finals[size_t(seat - 1)];
            break;
        default:
            break;
        }
    }
    return s;
}

std::array<int, 26> unseenBy(const Game &g, const Snapshot &snapshot, int seat) {
    game::Position p;
    p.board = snapshot.board;
    p.doubleTiles = g.header.options.doubletiles;
    if (game::isSeat(seat)) {
        const QString &rack = snapshot.racks[size_t(seat)];
        for (int k = 0; k < rack.size() && k < game::kRackSlots; ++k)
            p.rack[size_t(k + 1)] = rack[k].unicode() - u'A';
    }
    return game::unseenTiles(p);
}

} // namespace record
