#pragma once

#include "framing.h"
#include "protocol.h"
#include "tsock.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <deque>

// One entry of the slot table. Slots 1..4 are player seats, 5..9 watchers;
// slot 10 exists only for a moment, to refuse a tenth connection.
struct SeatSlot {
    QString name;                   // at most 20 characters; empty when free
    std::array<int, 11> rack{};     // rack slots 1..10: letter 0..25, 100 empty
    int partner = 0;                // 3, 4, 1, 2 for seats 1..4
    bool connected = false;         // the slot holds an open connection
    TSock *connection = nullptr;    // owned by Sock1
    int score = 0;                  // total in the current game
    int turnscore = 0;              // points of the move being tested or last accepted
    int bonus = 0;                  // Zorble effect of the last accepted move, 0..3
    bool watching = false;          // sits out: keeps its place, gets no turn
    bool boughttiles = false;       // exchanged its rack during the current turn
    bool passed = false;            // passed on its last turn
    QString lastword;               // main word of the last accepted move
    FrameSplitter carry{8 * 1024};  // bytes after the connection's last 0xFF
};

// The game host: accepts up to nine connections, logs players in, relays
// chat and runs the game. It has no window; the hosting player's own client
// connects to it over the loopback address like everybody else.
class TServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 9;              // slots 1..9 hold connections
    static constexpr int kMaxLine = 8 * 1024;     // longest message without 0xFF
    static constexpr int kMaxOutbound = 1 << 20;  // unsent bytes before a peer is dropped

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

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

private:
    // A message taken off a connection, with the slot it came from.
    struct QueuedLine {
        int slot;
        QByteArray text;
    };

    // Sessions.
    void Sock1Accept(TSock *sender);
    void Sock1Read(TSock *sender, int count);
    void socktimerTimer();
    void dispatch(int slot, const QString &line);
    void receivedlogininfo(int sender, const QString &payload);
    void kickhim(int sender, const QString &payload);
    void disconnectsock(int slot);
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo info, const QString &msg);
    void justwatch(int sender, const QString &payload);
    void chat(int sender, const QString &payload);
    void action(int sender, const QString &payload);
    void playasound(int sender, const QString &payload);
    void catchUp(int slot);

    // Game engine.
    void startgame(int sender, const QString &payload);
    void done(int sender, const QString &payload);
    void newtiles(int sender, const QString &payload);
    void pass(int sender, const QString &payload);
    void gettile(int seat, int rackslot);
    void findplayer();

    // Sending.
    void sendTo(int slot, const QString &message);
    void sendAll(const QString &message);
    void sendSeats(const QString &message);
    void drop(int slot, const char *why, const QString &line);
    bool ownSeat(int sender, int seat, const QString &line);

    TSock Sock1;
    TSock tempsock;
    QTimer socktimer;
    std::deque<QueuedLine> receivedlist;

    std::array<SeatSlot, 11> seats{};
    int slotcount = 0;
    int currentplayer = 0;
    bool gamerunning = false;
    int dropped_ = 0;
};
