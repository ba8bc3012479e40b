#include "ai/computerplayers.h"

#include "ai/zorblebot.h"
#include "clientcore/gamemirror.h"

#include <algorithm>

namespace ai {

ComputerPlayers::ComputerPlayers(const GameMirror &table, QObject *parent)
    : QObject(parent), table_(table), port_(ZorbleBot::kDefaultPort),
      pauseMs_(ZorbleBot::kHumanePause), thinkingMs_(ZorbleBot::kThinkingMs) {
    connect(&hints_, &Thinker::bestFound, this, [this](const std::optional<Move> &move) {
        if (!move || move->tiles.isEmpty())
            emit hintFound(std::nullopt);
        else
            emit hintFound(hintText(hintFrom_, *move));
    });
}

ComputerPlayers::~ComputerPlayers() {
    // The players go quietly: their finished() would reach a half-gone set.
    for (ZorbleBot *player : std::as_const(players_))
        player->disconnect(this);
    qDeleteAll(players_);
}

void ComputerPlayers::setHost(const QString &address, quint16 port) {
    address_ = address;
    port_ = port;
}

void ComputerPlayers::findHint() {
    hintFrom_ = table_.position();
    hints_.findBest(hintFrom_, std::chrono::milliseconds(ZorbleBot::kThinkingMs));
}

int ComputerPlayers::arriving() const {
    return int(std::count_if(players_.begin(), players_.end(),
                             [](const ZorbleBot *p) { return p->mirror().localSeat() == 0; }));
}

QString ComputerPlayers::nextName() const {
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("Computer %1").arg(n);
        bool taken = std::any_of(players_.begin(), players_.end(),
                                 [&](const ZorbleBot *p) { return p->name() == name; });
        for (int s = 1; s <= game::kSeats && !taken; ++s)
            taken = table_.seats().name(s) == name;
        if (!taken)
            return name;
    }
}

QString ComputerPlayers::add(Level level, const QString &token) {
    hints_.prepare(); // the engine, built before the player's first turn needs it
    const QString name = nextName();
    auto *player = new ZorbleBot(address_, port_, name, level, pauseMs_, hints_.engine(), this);
    player->setThinkingTime(thinkingMs_);
    player->setRejoinToken(token);
    players_.append(player);
    connect(&player->mirror(), &GameMirror::ownSeatAnnounced, this, [this, player](int seat) {
        if (game::isSeat(seat)) {
            emit seated(player->name(), seat);
            return;
        }
        // Only a watcher's slot was free: a computer player has nothing to watch for.
        players_.removeOne(player);
        player->deleteLater();
        emit gone(player->name(), QStringLiteral("no seat is free"));
    });
    connect(player, &ZorbleBot::finished, this, [this, player](bool ok, const QString &why) {
        if (!players_.removeOne(player))
            return;
        player->deleteLater();
        emit gone(player->name(), ok ? QString() : why);
    });
    return name;
}

QString hintText(const Position &position, const Move &move) {
    QString text = move.word.toUpper();
    if (move.first) {
        text += QStringLiteral(" as the first word");
    } else {
        // The line of the main word: the tiles' own line, or for a single
        // tile the line in which it spells the word with letters on the board.
        const QList<rules::LaidTile> &tiles = move.tiles;
        const rules::LaidTile &t = tiles.first();
        auto letter = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= rules::kBoard || y >= rules::kBoard)
                return rules::kEmpty;
            for (const rules::LaidTile &laid : tiles) {
                if (laid.x == x && laid.y == y) {
                    const int dealt = position.rack[laid.rackslot];
                    return laid.flipped ? rules::flippedletter(dealt) : dealt;
                }
            }
            return position.board[x][y];
        };
        // The run of letters through the first tile, down or across: its
        // first square and what it spells.
        struct Run {
            int x;
            int y;
            QString word;
        };
        auto run = [&](bool down) {
            const int dx = down ? 0 : 1;
            const int dy = down ? 1 : 0;
            Run r{t.x, t.y, {}};
            while (letter(r.x - dx, r.y - dy) != rules::kEmpty) {
                r.x -= dx;
                r.y -= dy;
            }
            for (int x = r.x, y = r.y; letter(x, y) != rules::kEmpty; x += dx, y += dy)
                r.word += rules::converttoletter(letter(x, y));
            return r;
        };
        const Run column = run(true);
        const bool down = tiles.size() > 1 ? tiles[1].x == t.x
                                           : column.word.size() > 1 && column.word == move.word;
        const Run r = down ? column : run(false);
        text += QLatin1Char(' ') + game::squareName(r.x, r.y) +
                (down ? QStringLiteral(" down") : QStringLiteral(" across"));
    }
    text += QStringLiteral(" for %1 points").arg(move.score);
    if (move.zorbles == 1)
        text += QStringLiteral(" and a Zorble square");
    else if (move.zorbles > 1)
        text += QStringLiteral(" and %1 Zorble squares").arg(move.zorbles);
    // Double-sided tiles laid on their other face: the letters they show on
    // the rack.
    QStringList turned;
    for (const rules::LaidTile &t : move.tiles)
        if (t.flipped)
            turned << rules::converttoletter(position.rack[t.rackslot]).toUpper();
    if (!turned.isEmpty()) {
        const QString last = turned.takeLast();
        text +=
            QStringLiteral("; turn over the tile") +
            (turned.isEmpty() ? QString() : QStringLiteral("s")) + QStringLiteral(" of ") +
            (turned.isEmpty() ? last
                              : turned.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last);
    }
    return text;
}

} // namespace ai
