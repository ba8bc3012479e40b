#pragma once

// Test access to a game table: the table judges with a word list of the
// test's own, every message its events carry is recorded per receiving slot,
// and the test edits the table's state between commands (a working copy
// that is restored before each command and read back after it).
#include "game/gametable.h"
#include "host/wire.h"
#include "net/messages.h"
#include "net/protocol.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

struct TableProbe {
    using State = game::GameTable::State;

    rules::Rules rules;
    game::GameTable table{rules};
    State st = table.state();
    QList<QPair<int, QString>> sent; // (receiving slot, message)
    // Sees each command's events with the state after them, as the host's
    // game records do.
    std::function<void(const game::Events &, const State &)> observe;

    explicit TableProbe(rules::WordLookup lookup) : rules(std::move(lookup)) {}

    // Runs a command of the table on the working state and records what it
    // sends.
    template <class Command> void run(Command command) {
        table.restore(st);
        const game::Events events = command(table);
        st = table.state();
        if (observe)
            observe(events, st);
        record(events);
    }
    void record(const game::Events &events) {
        auto deliver = [&](int slot, const QString &m) {
            if (st.seats[size_t(slot)].present)
                sent.append({slot, m});
        };
        for (const game::Addressed &a : events) {
            for (const QString &m : hostwire::messages(a.event)) {
                switch (a.to.kind) {
                case game::Audience::Slot:
                    deliver(a.to.slot, m);
                    break;
                case game::Audience::Everyone:
                    for (int i = 1; i <= game::kMaxSlot; ++i)
                        deliver(i, m);
                    break;
                case game::Audience::Seats:
                    for (int i = 1; i <= game::kSeats; ++i)
                        deliver(i, m);
                    break;
                }
            }
        }
    }

    // A slot taken (or given up) without anything said.
    void connect(int slot, bool on = true) {
        st.seats[size_t(slot)].present = on;
        st.opened = std::max(st.opened, slot);
    }
    game::GameTable::Seat &seat(int slot) { return st.seats[size_t(slot)]; }

    // Requests, decoded as the host decodes them and played by the sender's
    // seat.
    void request(int sender, const QString &line) {
        const proto::DecodedRequest decoded = proto::decodeRequest(line);
        const auto *r = std::get_if<proto::Request>(&decoded);
        if (!r)
            return;
        using namespace proto::tohost;
        std::visit(
            proto::Overloaded{
                [&](const Start &m) {
                    run([&](auto &t) { return t.start(m.payload, m.options); });
                },
                [&](const Move &m) { run([&](auto &t) { return t.move(sender, m.tiles); }); },
                [&](const Exchange &m) {
                    run([&](auto &t) { return t.exchange(sender, m.seatText); });
                },
                [&](const Pass &m) { run([&](auto &t) { return t.pass(sender, m.seatText); }); },
                [&](const Watch &m) {
                    run([&](auto &t) { return t.watch(m.seat, m.code == "1"); });
                },
                [&](const auto &) {},
            },
            *r);
    }
    void startgame(const QString &payload) {
        request(1, QStringLiteral("CMD_startgame+") + payload);
    }
    void done(int sender, const QString &payload) {
        request(sender, QStringLiteral("CMD_done+") + payload);
    }
    void pass(int sender) { request(sender, proto::client::pass(sender)); }
    void newtiles(int sender) { request(sender, proto::client::newtiles(sender)); }
    void sitOut(int seat) { request(seat, proto::client::justwatch(seat, true)); }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            run([](auto &t) { return t.tick(); });
    }
    void login(int slot) {
        run([slot](auto &t) { return t.catchUp(slot); });
    }
    void findplayer() {
        run([](auto &t) { return t.nextTurn(); });
    }

    // Game state.
    int &arrangement() { return st.arrangement; }
    int &currentplayer() { return st.current; }
    bool gamerunning() const { return st.running; }
    bool &firstword() { return st.position.firstword; }
    int &tilesdrawn() { return st.bag.drawn; }
    int &turnclock() { return st.turnclock; }
    int &elapsed() { return st.elapsed; }
    int &board(int x, int y) { return st.position.board[size_t(x)][size_t(y)]; }
    const rules::Grid &boardGrid() const { return st.position.board; }
    const rules::Grid &squaresGrid() const { return st.position.squares; }
    int &square(int x, int y) { return st.position.squares[size_t(x)][size_t(y)]; }
    std::array<int, game::Bag::kSize + 1> &tileorder() { return st.bag.order; }
    std::mt19937 &rng() { return st.rng; }
    // Square kinds of quarters in these colours, with no Zorble square.
    void getboard(int a, int b, int c, int d) {
        st.position.squares = game::quarterKinds({a, b, c, d});
    }

    void clearBoard() {
        for (auto &column : st.position.board)
            column.fill(proto::kEmpty);
    }
    // Lays a word on the board, across or down from (x, y).
    void lay(int x, int y, bool down, const QString &word) {
        for (int i = 0; i < word.size(); ++i)
            board(down ? x : x + i, down ? y + i : y) = word[i].unicode() - u'a';
    }
    // Fills rack slots 1.. with the letters, the rest empty.
    void setRack(int slot, const QString &letters) {
        for (int k = 1; k <= 10; ++k)
            seat(slot).rack[size_t(k)] =
                k <= letters.size() ? letters[k - 1].unicode() - u'a' : proto::kEmpty;
    }

    QStringList to(int slot) const {
        QStringList out;
        for (const auto &[s, m] : sent)
            if (s == slot)
                out << m;
        return out;
    }
    QStringList startingWith(int slot, const QString &prefix) const {
        QStringList out;
        for (const QString &m : to(slot))
            if (m.startsWith(prefix))
                out << m;
        return out;
    }
    void clear() { sent.clear(); }
};

// Feeds one line of a recorded requests file ("SLOT request") to the table: a
// login names the seat, anything else is a request. Gives the slot, or 0 for
// a line that holds none.
inline int feedRecorded(TableProbe &p, const QByteArray &line) {
    const qsizetype space = line.indexOf(' ');
    if (space < 0)
        return 0;
    const int slot = line.left(space).toInt();
    const QString text = QString::fromUtf8(line.mid(space + 1));
    const auto login = proto::parseLoginInfo(proto::splitLine(text).payload);
    if (text.startsWith(QStringLiteral("CMD_logininfo+")) && login)
        p.seat(slot).name = login->name;
    else
        p.request(slot, text);
    return slot;
}
