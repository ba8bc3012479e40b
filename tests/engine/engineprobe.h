#pragma once

// Test access to the host's game state: the rules are driven directly, on
// boards built by the test, and every message the host sends is recorded.
#include "host/tserver.h"
#include "net/messages.h"
#include "tests/support/testclient.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

struct EngineProbe {
    TServer &host;
    QList<QPair<int, QString>> sent; // (receiving slot, message)

    explicit EngineProbe(TServer &server) : host(server) {
        host.tap_ = [this](int slot, const QString &message) { sent.append({slot, message}); };
    }
    ~EngineProbe() { host.tap_ = nullptr; }

    // Seats without a connection object still count as connected here; the
    // tap stands in for the wire.
    void connect(int slot, bool on = true) {
        host.seats[slot].connected = on;
        host.slotcount = std::max(host.slotcount, slot);
    }
    SeatSlot &seat(int slot) { return host.seats[slot]; }

    // Requests, decoded and dispatched as if they came from the sender's slot.
    void request(int sender, const QString &line) { host.dispatch(sender, line); }
    void startgame(const QString &payload, int sender = 1) {
        request(sender, QStringLiteral("CMD_startgame+") + payload);
    }
    void done(int sender, const QString &payload) {
        request(sender, QStringLiteral("CMD_done+") + payload);
    }
    void pass(int sender) { request(sender, proto::client::pass(sender)); }
    void newtiles(int sender) { request(sender, proto::client::newtiles(sender)); }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            host.Timer2Timer();
    }
    void login(int slot) { host.catchUp(slot); }
    void sitOut(int seat) { request(seat, proto::client::justwatch(seat, true)); }
    void findplayer() { host.findplayer(); }
    int &arrangement() { return host.arrangement; }

    // Game state.
    int &currentplayer() { return host.currentplayer; }
    bool gamerunning() const { return host.gamerunning; }
    bool &firstword() { return host.firstword; }
    int &tilesdrawn() { return host.tilesdrawn; }
    int &turnclock() { return host.turnclock; }
    int &elapsed() { return host.elapsed; }
    bool timerActive() const { return host.Timer2.isActive(); }
    int &board(int x, int y) { return host.board[x][y]; }
    const rules::Grid &boardGrid() const { return host.board; }
    const rules::Grid &squaresGrid() const { return host.squares; }
    int &square(int x, int y) { return host.squares[x][y]; }
    std::array<int, TServer::kBagSize + 1> &tileorder() { return host.tileorder; }
    std::mt19937 &rng() { return host.rng; }
    void getboard(int a, int b, int c, int d) { host.getboard(a, b, c, d); }
    void getzorble(int count) { host.getzorble(count); }
    void gettile(int seat, int k) { host.gettile(seat, k); }
    int turnscore(int seat) const { return host.seats[seat].turnscore; }

    void clearBoard() {
        for (auto &column : host.board)
            column.fill(proto::kEmpty);
    }
    // Lays a word on the board, across or down from (x, y).
    void lay(int x, int y, bool down, const QString &word) {
        for (int i = 0; i < word.size(); ++i)
            host.board[down ? x : x + i][down ? y + i : y] = word[i].unicode() - u'a';
    }
    // Fills rack slots 1.. with the letters, the rest empty.
    void setRack(int slot, const QString &letters) {
        for (int k = 1; k <= 10; ++k)
            host.seats[slot].rack[k] =
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
