#pragma once

#include "game/gametable.h"
#include "game/savedgame.h"
#include "host/floodcontrol.h"
#include "net/framing.h"
#include "net/messages.h"
#include "net/tsock.h"
#include "record/recordfile.h"
#include "rules/rules.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>

static_assert(proto::kEmpty == rules::kEmpty);

class TDictn;

// Answers whether a lower-case word is in the word list.
using WordLookup = rules::WordLookup;

// The game host: accepts up to nine connections, logs players in, relays
// chat and runs the game on its table. It has no window; the hosting
// player's own client connects to it over the loopback address like
// everybody else.
class TServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = game::kMaxSlot; // slots 1..9 hold connections
    static constexpr int kMaxLine = 8 * 1024;     // longest message without 0xFF
    static constexpr int kMaxOutbound = 1 << 20;  // unsent bytes before a peer is dropped
    // Messages queued for one connection before the host stops reading it.
    static constexpr std::size_t kMaxQueued = 256;
    // Longest stretch of queued messages handled before the event loop gets
    // its turn again (socket reads, the game clock).
    static constexpr std::chrono::microseconds kServiceSlice{2000};

    // Looks words up in the program's one built-in word list.
    explicit TServer(QObject *parent = nullptr);
    // Looks words up with the given function instead.
    explicit TServer(WordLookup lookup, QObject *parent = nullptr);
    ~TServer() override;

    // How long a seat is kept for a player whose connection ended during a
    // game; 0 gives the seat up at once.
    static constexpr int kDefaultGrace = game::HostOptions{}.grace;
    // Seconds between the keep-alives a game sends to clients that rejoin.
    static constexpr int kKeepAliveSeconds = 5;
    void setGrace(int seconds) { grace_ = std::max(0, seconds); }
    int grace() const { return grace_; }
    // Whether a login without a token takes a kept seat back by its name.
    void setRejoinByName(bool on) { rejoinByName_ = on; }
    void setHostOptions(const game::HostOptions &o) {
        setGrace(o.grace);
        setRejoinByName(o.rejoinByName);
    }

    // Restarts the random source from a fixed seed, so a game can be replayed.
    void seed(quint32 value) {
        table_.seed(value);
        records_.setSeed(value);
    }
    // Writes each game's record into this folder; none without one.
    void setRecordFolder(const QString &folder) { records_.setFolder(folder); }
    // The record of the game being played, or of the last one.
    QString recordPath() const { return records_.path(); }
    // Whether the word list could be opened, and why not.
    bool dictionaryOpen() const;
    QString dictionaryError() const;

    // Starts listening on the given port (0: any free port). Raises
    // ESockException when the port cannot be taken.
    void listen(quint16 port);
    quint16 port() const { return Sock1.localPort(); }
    // errno of a failed listen, 0 when none failed.
    int listenErrno() const { return Sock1.lastListenErrno(); }

    // Where the running game is saved after every turn; no saving without
    // it. A game that ends removes its save.
    void setSaveFile(const QString &path);
    // Goes on with a saved game: every seat is kept for its player for the
    // grace period, and windows that come back with their tokens return to
    // their seats.
    void resume(const game::GameTable::State &state);
    // The token that gives a kept seat to whoever presents it (a computer
    // player that takes the seat over); one is made when the seat's player
    // never asked for one. Empty for a seat that is not kept.
    QString handOver(int seat);
    // How long the last save took, for the log and the benchmark.
    std::chrono::nanoseconds lastSaveTime() const { return lastSave_; }

    // The game: seats, board, bag, turn.
    const game::GameTable &table() const { return table_; }
    // Goes on from a state of the table; the slots keep their connections,
    // so the state's taken slots must be those that are connected.
    void restore(const game::GameTable::State &state);
    bool gameRunning() const { return table_.running(); }
    // How many requests were dropped as malformed or not the sender's to make.
    int droppedRequests() const { return dropped_; }
    // The rules this host judges moves by, with its word list; a client in
    // the same program shares them to preview a move.
    const rules::Rules &moveRules() const { return rules_; }
    // The clock the flood control reads; tests move it on themselves.
    void setFloodClock(std::function<FloodControl::Clock::time_point()> clock) {
        floodClock_ = std::move(clock);
    }

signals:
    // A player logged in or left, or a game started or ended.
    void tableChanged();

private:
    // An entry of a connection's queue: a message, or the end of the
    // connection, which comes after all of its messages. It names the
    // connection it came from, so that nothing queued acts for a later
    // connection in the same slot.
    struct Inbound {
        quint64 link;
        bool end;
        QByteArray text;
    };
    // What the host keeps of one connection; the seat it sits in is the
    // table's.
    struct Connection {
        TSock *socket = nullptr;       // owned by Sock1
        quint64 link = 0;              // serial number of the connection
        bool ending = false;           // its end is queued behind its messages
        FrameSplitter carry{kMaxLine}; // bytes after the connection's last 0xFF
        std::deque<Inbound> inbox;     // oldest first
        FloodControl flood;            // what its chat may still send
        bool floodHeld = false;        // not read for a while: it floods the chat
        bool loggedIn = false;         // its login came
        int movedFrom = 0;             // the slot it had before it took a kept seat back
        bool knowsRejoin = false;      // it sent a rejoin: it gets tokens and a goodbye
    };

    // Sessions.
    void Sock1Accept(TSock *sender);
    void Sock1Read(TSock *sender, int count);
    void socktimerTimer();
    void serve(int slot, Inbound entry);
    void dispatch(int slot, const QString &line);
    void connectionEnded(int slot);
    void receivedlogininfo(int sender, const proto::tohost::Login &login);
    void kickhim(int sender, const proto::tohost::Kick &kick);
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    void justwatch(int sender, const proto::tohost::Watch &watch);
    void chat(int sender, const proto::tohost::Chat &line);
    void playasound(int sender, const proto::tohost::PlaySound &sound);
    // Charges a chat line, action or chatter sound to the sender's flood
    // control: false when it is not to be relayed.
    bool floodAllows(int sender);
    // Stops reading a flooding connection for FloodControl::kHold.
    void holdBack(int slot);
    void startgame(int sender, const proto::tohost::Start &request);
    // Rejoining: a connection that has not logged in yet takes a kept seat.
    void rejoin(int sender, const proto::tohost::Rejoin &request);
    void moveConnection(int from, int to);
    void giveToken(int slot);
    // 128 random bits as hex digits, from the system's source.
    static QString newToken();
    // Kept seats are given up once their game is over, or one at the hosting
    // player's request.
    void releaseKeptSeats();
    void release(int seat);
    void freeSeat(int sender, int seat);
    bool connected(int slot) const { return table_.seat(slot).present; }

    // The table's events as messages, and the game clock that follows them.
    void play(int sender, const game::Events &events);
    void Timer2Timer();
    // Saves the running game when `changed`; removes the save of one that ended.
    void saveTurn(bool changed);

    // Sending.
    void sendTo(int slot, const QString &message);
    void sendAll(const QString &message);
    void sendSeats(const QString &message);
    void drop(int slot, const char *why);
    bool ownSeat(int sender, int seat);

    std::shared_ptr<const TDictn> spellit_; // the word list, unless a lookup was given
    rules::Rules rules_;
    game::GameTable table_{rules_};
    TSock Sock1;
    TSock tempsock;
    QTimer socktimer;
    QTimer Timer2;                               // the game clock, once a second
    std::array<Connection, kSlots + 1> conns_{}; // per slot
    int served = 0;                              // the slot served last
    quint64 links = 0;                           // connections accepted so far
    std::function<FloodControl::Clock::time_point()> floodClock_ = &FloodControl::Clock::now;
    int dropped_ = 0;
    int grace_ = kDefaultGrace;
    std::unique_ptr<game::SaveFile> save_;
    std::chrono::nanoseconds lastSave_{0};
    bool rejoinByName_ = false;
    record::RecordFile records_; // fed every batch of the table's events
    bool runningTold_ = false;   // whether tableChanged last saw a game running
    int ticks_ = 0;              // of the game clock, for the keep-alives
    QString current_;            // the line being handled, for the log
};
