#pragma once

#include "net/framing.h"
#include "net/messages.h"
#include "net/tsock.h"
#include "rules/rules.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>

static_assert(proto::kEmpty == rules::kEmpty);

// One entry of the slot table. Slots 1..4 are player seats, 5..9 watchers;
// slot 10 exists only for a moment, to refuse a tenth connection.
struct SeatSlot {
    QString name;                  // at most 20 characters; empty when free
    rules::Rack rack{};            // rack slots 1..10: letter 0..25, 100 empty
    int partner = 0;               // 3, 4, 1, 2 for seats 1..4
    bool connected = false;        // the slot holds a connection whose end is not yet handled
    TSock *connection = nullptr;   // owned by Sock1
    quint64 link = 0;              // serial number of that connection
    bool ending = false;           // its end is queued behind its messages
    int score = 0;                 // total in the current game
    int turnscore = 0;             // points of the move being tested or last accepted
    int bonus = 0;                 // Zorble effect of the last accepted move, 0..3
    bool watching = false;         // sits out: keeps its place, gets no turn
    bool boughttiles = false;      // exchanged its rack during the current turn
    bool passed = false;           // passed on its last turn
    QString lastword;              // main word of the last accepted move
    FrameSplitter carry{8 * 1024}; // bytes after the connection's last 0xFF
};

class TDictn;
struct EngineProbe;

// Answers whether a lower-case word is in the word list.
using WordLookup = rules::WordLookup;

// The game host: accepts up to nine connections, logs players in, relays
// chat and runs the game. It has no window; the hosting player's own client
// connects to it over the loopback address like everybody else.
class TServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 9;             // slots 1..9 hold connections
    static constexpr int kMaxLine = 8 * 1024;    // longest message without 0xFF
    static constexpr int kMaxOutbound = 1 << 20; // unsent bytes before a peer is dropped
    // Messages queued for one connection before the host stops reading it.
    static constexpr std::size_t kMaxQueued = 256;
    // Longest stretch of queued messages handled before the event loop gets
    // its turn again (socket reads, the game clock).
    static constexpr std::chrono::microseconds kServiceSlice{2000};

    static constexpr int kBoard = rules::kBoard; // squares per row and column
    static constexpr int kBagSize = 99;          // tiles in the bag
    static constexpr int kMaxDrawn = 98;         // the last tile of the bag is never drawn
    static constexpr int kExchangeLimit = 86;    // no exchange once more tiles are drawn
    static constexpr int kUntimed = -1000;       // turnclock while no turn is timed

    // Looks words up in the built-in word list (spellit).
    explicit TServer(QObject *parent = nullptr);
    // Looks words up with the given function instead.
    explicit TServer(WordLookup lookup, QObject *parent = nullptr);
    ~TServer() override;

    // Restarts the random source from a fixed seed, so a game can be replayed.
    void seed(quint32 value) { rng.seed(value); }
    // Whether the word list could be opened, and why not.
    bool dictionaryOpen() const;
    QString dictionaryError() const;

    // Starts listening on the given port (0: any free port). Raises
    // ESockException when the port cannot be taken.
    void listen(quint16 port);
    quint16 port() const { return Sock1.localPort(); }
    // errno of a failed listen, 0 when none failed.
    int listenErrno() const { return Sock1.lastListenErrno(); }

    const SeatSlot &seat(int slot) const { return seats[slot]; }
    int slotCount() const { return slotcount; }
    int currentPlayer() const { return currentplayer; }
    bool gameRunning() const { return gamerunning; }
    // How many requests were dropped as malformed or not the sender's to make.
    int droppedRequests() const { return dropped_; }
    // The rules this host judges moves by, with its word list; a client in
    // the same program shares them to preview a move.
    const rules::Rules &moveRules() const { return *rules_; }

signals:
    // A player logged in or left, or a game started or ended.
    void tableChanged();

private:
    friend struct EngineProbe; // unit tests of the rules

    using Grid = rules::Grid;

    // An entry of a connection's queue: a message, or the end of the
    // connection, which comes after all of its messages. It names the
    // connection it came from, so that nothing queued acts for a later
    // connection in the same slot.
    struct Inbound {
        quint64 link;
        bool end;
        QByteArray text;
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
    void disconnectsock(int slot);
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    void justwatch(int sender, const proto::tohost::Watch &watch);
    void chat(int sender, const proto::tohost::Chat &line);
    void playasound(int sender, const proto::tohost::PlaySound &sound);
    void catchUp(int slot);

    // Game engine.
    void startgame(int sender, const proto::tohost::Start &request);
    void done(int sender, const proto::tohost::Move &move);
    void newtiles(int sender, const proto::tohost::Exchange &request);
    void pass(int sender, const proto::tohost::Pass &request);
    void gettile(int seat, int rackslot);
    void findplayer();
    void initGame(WordLookup lookup);
    void getboard(int a, int b, int c, int d);
    void getzorble(int count);
    void createtileorder();
    void endturn(const rules::Verdict &move);
    void Timer2Timer();
    bool checkforwin();
    void findwinner();
    std::array<int, 4> quarters() const;
    int randomInt(int lo, int hi); // uniform in lo..hi
    // Sends, and hands a copy to the tap when one is set.
    void gameSendTo(int slot, const QString &message);
    void gameSendAll(const QString &message);
    void gameSendSeats(const QString &message);

    // Sending.
    void sendTo(int slot, const QString &message);
    void sendAll(const QString &message);
    void sendSeats(const QString &message);
    void drop(int slot, const char *why);
    bool ownSeat(int sender, int seat);

    TSock Sock1;
    TSock tempsock;
    QTimer socktimer;
    std::array<std::deque<Inbound>, kSlots + 1> inbox; // per slot, oldest first
    int served = 0;                                    // the slot served last
    quint64 links = 0;                                 // connections accepted so far

    std::array<SeatSlot, 11> seats{};
    int slotcount = 0;
    int currentplayer = 0;
    bool gamerunning = false;
    int dropped_ = 0;

    // The game.
    int turntime = 0;    // seconds per turn
    int squarecount = 0; // Zorble squares asked for
    int gametime = 0;    // minutes, 0 = no limit
    int playtoscore = 0; // a total above it ends the game, 0 = none
    bool doubletiles = false;
    bool partners = false; // seats 1 and 3, 2 and 4 share one total
    int arrangement = 0;   // rotation of the seat colours, 0..3
    int elapsed = 0;       // seconds since the game started
    int turnclock = kUntimed;
    bool firstword = false;                    // the first word is still to be laid
    std::array<int, kBagSize + 1> tileorder{}; // slots 1..99: the shuffled bag
    int tilesdrawn = 0;                        // the next draw takes slot tilesdrawn + 1
    Grid board{};                              // letter on each square, 100 empty
    Grid squares{};                            // 0 centre, 1..4 quarter colour, 5 Zorble
    QTimer Timer2;                             // the game clock, once a second
    std::mt19937 rng;
    std::shared_ptr<TDictn> spellit; // the word list, unless a lookup was given
    std::optional<rules::Rules> rules_;
    QString current_; // the line being handled, for the log
    std::function<void(int slot, const QString &message)> tap_; // tests watch the output
};
