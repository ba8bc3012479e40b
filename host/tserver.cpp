// Host sessions: connection slots, the inbound queue and its dispatcher,
// login, removal, leaving, watching and the chat relays.
#include "host/tserver.h"

#include <cstdio>

namespace {

QString preview(const QString &line) {
    constexpr int kShown = 120;
    return line.size() > kShown ? line.left(kShown) + QStringLiteral("...") : line;
}

} // namespace

TServer::TServer(QObject *parent) : TServer(WordLookup{}, parent) {}

TServer::TServer(WordLookup lookup, QObject *parent) : QObject(parent) {
    Sock1.setSocketType(stStream);
    Sock1.setPortName(QStringLiteral("7772"));
    Sock1.OnAccept = [this](TSock *s) { Sock1Accept(s); };
    Sock1.OnRead = [this](TSock *s, int count) { Sock1Read(s, count); };
    tempsock.OnDisconnect = [this](TSock *s) { tempsockDisconnect(s); };
    tempsock.OnInfo = [this](TSock *s, TSocketInfo i, const QString &m) { tempsockInfo(s, i, m); };

    // Queued messages are handled as soon as control returns to the event
    // loop, each to its end before the next: the connections take turns, one
    // message each, and every connection's messages keep their order. After
    // kServiceSlice the rest waits for the next round of the event loop.
    socktimer.setSingleShot(true);
    socktimer.setInterval(0);
    connect(&socktimer, &QTimer::timeout, this, &TServer::socktimerTimer);
    initGame(std::move(lookup));
}

TServer::~TServer() {
    // The connections go with Sock1; nobody is left to hear about it.
    for (SeatSlot &s : seats)
        if (s.connection)
            s.connection->OnInfo = nullptr;
}

void TServer::listen(quint16 port) {
    Sock1.setPortName(QString::number(port));
    Sock1.setListen(true);
}

// ---- Connections ------------------------------------------------------------

void TServer::Sock1Accept(TSock *sender) {
    int slot = 0;
    if (slotcount == 0) {
        slotcount = 1;
        slot = 1;
    } else {
        int i = 1;
        while (seats[i].connected && i < slotcount)
            ++i;
        if (!seats[i].connected && i < 10) {
            slot = i;
        } else if (i == kSlots) {
            // Every slot is taken: tell the tenth connection and let it go.
            TSock *refused = nullptr;
            if (sender->Accept(refused)) {
                refused->OnInfo = nullptr;
                refused->OnDisconnect = nullptr;
                refused->OnRead = nullptr;
                refused->Send(proto::encode(proto::host::full()));
                delete refused;
            }
            return;
        } else {
            slot = ++slotcount;
        }
    }

    TSock *conn = nullptr;
    if (!sender->Accept(conn))
        return;
    SeatSlot &s = seats[slot];
    if (s.connection && s.connection != conn)
        s.connection->deleteLater();
    s.connection = conn;
    s.connected = true;
    s.link = ++links;
    s.ending = false;
    s.carry.clear();
    inbox[slot].clear();
    conn->Tag = slot;
    conn->OnDisconnect = tempsock.OnDisconnect;
    conn->OnInfo = tempsock.OnInfo;
    conn->OnRead = [this](TSock *c, int count) { Sock1Read(c, count); };
    conn->setMaxOutbound(kMaxOutbound);
    sendTo(slot, proto::host::sendlogininfo(slot));
}

void TServer::Sock1Read(TSock *sender, int) {
    const int slot = sender->Tag;
    const QByteArray bytes = sender->Receive();
    if (slot < 1 || slot > kSlots || seats[slot].connection != sender || seats[slot].ending)
        return; // not a connection of ours any more: its bytes go nowhere
    SeatSlot &s = seats[slot];
    std::deque<Inbound> &queue = inbox[slot];
    const bool withinLimit = s.carry.feed(bytes, [&](const QByteArray &message) {
        queue.push_back({s.link, false, message});
    });
    if (!queue.empty() && !socktimer.isActive())
        socktimer.start();
    if (!withinLimit) {
        std::fprintf(stderr,
                     "zorble host: slot %d sent more than %d bytes without a message end; "
                     "closing it\n",
                     slot, kMaxLine);
        s.carry.clear();
        sender->Close();
        return;
    }
    // A connection that sends faster than it is served waits in the system's
    // buffers, not in the host's memory.
    if (queue.size() >= kMaxQueued)
        sender->setReadPaused(true);
}

void TServer::socktimerTimer() {
    const auto until = std::chrono::steady_clock::now() + kServiceSlice;
    int idle = 0; // slots in a row found with nothing queued
    while (idle < kSlots) {
        served = served % kSlots + 1;
        std::deque<Inbound> &queue = inbox[served];
        if (queue.empty()) {
            ++idle;
            continue;
        }
        idle = 0;
        Inbound entry = std::move(queue.front());
        queue.pop_front();
        serve(served, std::move(entry));
        if (std::chrono::steady_clock::now() >= until) {
            socktimer.start();
            return;
        }
    }
}

void TServer::serve(int slot, Inbound entry) {
    SeatSlot &s = seats[slot];
    if (entry.link != s.link)
        return; // left behind by an earlier connection of the slot
    if (entry.end)
        return connectionEnded(slot);
    if (s.connection && s.connection->readPaused() && inbox[slot].size() <= kMaxQueued / 2)
        s.connection->setReadPaused(false);
    dispatch(slot, proto::decode(entry.text));
}

void TServer::dispatch(int slot, const QString &line) {
    current_ = line;
    const proto::DecodedRequest decoded = proto::decodeRequest(line);
    if (const auto *refused = std::get_if<proto::Refused>(&decoded))
        return drop(slot, refused->why);
    const auto *request = std::get_if<proto::Request>(&decoded);
    if (!request)
        return; // no command word, or one the host does not take
    using namespace proto::tohost;
    std::visit(proto::Overloaded{
                   [&](const Login &m) { receivedlogininfo(slot, m); },
                   [&](const Chat &m) { chat(slot, m); },
                   [&](const PlaySound &m) { playasound(slot, m); },
                   [&](const Kick &m) { kickhim(slot, m); },
                   [&](const Watch &m) { justwatch(slot, m); },
                   [&](const Start &m) { startgame(slot, m); },
                   [&](const Move &m) { done(slot, m); },
                   [&](const Exchange &m) { newtiles(slot, m); },
                   [&](const Pass &m) { pass(slot, m); },
               },
               *request);
}

void TServer::drop(int slot, const char *why) {
    ++dropped_;
    std::fprintf(stderr, "zorble host: dropped %s from slot %d: %s\n", why, slot,
                 qPrintable(preview(current_)));
}

bool TServer::ownSeat(int sender, int seat) {
    if (seat == sender)
        return true;
    drop(sender, "a request for another seat");
    return false;
}

// ---- Sending ----------------------------------------------------------------

void TServer::sendTo(int slot, const QString &message) {
    SeatSlot &s = seats[slot];
    if (!s.connected || !s.connection || !s.connection->hasSocket())
        return; // gone, or going: its end is still queued
    try {
        s.connection->Send(proto::encode(message));
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble host: slot %d: %s\n", slot, e.what());
    }
}

void TServer::sendAll(const QString &message) {
    const QByteArray bytes = proto::encode(message);
    for (int i = 1; i <= slotcount; ++i) {
        SeatSlot &s = seats[i];
        if (s.connected && s.connection && s.connection->hasSocket())
            s.connection->Send(bytes);
    }
}

void TServer::sendSeats(const QString &message) {
    const QByteArray bytes = proto::encode(message);
    for (int i = 1; i <= 4; ++i) {
        SeatSlot &s = seats[i];
        if (s.connected && s.connection && s.connection->hasSocket())
            s.connection->Send(bytes);
    }
}

// ---- Login --------------------------------------------------------------------

void TServer::receivedlogininfo(int sender, const proto::tohost::Login &login) {
    if (!ownSeat(sender, login.slot))
        return;
    const int slot = login.slot;
    seats[slot].name = login.name;
    seats[slot].connected = true;

    sendAll(proto::host::newplayerinfo(slot, login.name));
    for (int j = 1; j <= slotcount; ++j)
        if (j != slot)
            sendTo(slot, proto::host::existingplayers(j, seats[j].name));

    if (login.version != QLatin1String(proto::kVersion)) {
        sendTo(1, proto::host::havewrongversion(login.name));
        sendTo(slot, proto::host::wrongversion());
    }
    if (gamerunning)
        catchUp(slot);
    emit tableChanged();
}

// ---- Removal and leaving ------------------------------------------------------

void TServer::kickhim(int sender, const proto::tohost::Kick &kick) {
    // Only the hosting player, in slot 1, removes anybody.
    if (kick.requester != 1 || sender != 1) {
        drop(sender, "a removal not sent by the hosting player");
        return;
    }
    if (kick.target < 1 || kick.target > kSlots) {
        drop(sender, "a removal of a slot out of range");
        return;
    }
    disconnectsock(kick.target);
}

void TServer::disconnectsock(int slot) {
    if (seats[slot].connected && seats[slot].connection)
        seats[slot].connection->Close();
}

void TServer::tempsockDisconnect(TSock *sender) {
    const int slot = sender->Tag;
    if (slot >= 1 && slot <= kSlots && seats[slot].connected && seats[slot].connection == sender)
        sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo, const QString &msg) {
    if (msg != QLatin1String("Socket Closed") || sender->Tag == 0)
        return;
    const int s = sender->Tag;
    if (s < 1 || s > kSlots || seats[s].connection != sender || seats[s].ending)
        return; // an old connection, or an end already queued
    // The end is handled after the messages that came before it, so a request
    // made while the connection was there still counts and none acts for it
    // once it is gone. Until then the slot stays taken.
    seats[s].ending = true;
    seats[s].carry.clear();
    inbox[s].push_back({seats[s].link, true, {}});
    if (!socktimer.isActive())
        socktimer.start();
}

void TServer::connectionEnded(int s) {
    SeatSlot &slot = seats[s];
    if (slot.connected) {
        const QByteArray bytes = proto::encode(proto::host::playerdisconnected(s, slot.name));
        for (int i = 1; i <= slotcount; ++i)
            if (i != s && seats[i].connected && seats[i].connection &&
                seats[i].connection->hasSocket())
                seats[i].connection->Send(bytes);
    }
    slot.connected = false;
    slot.ending = false;
    slot.name.clear();
    slot.carry.clear();
    if (slot.connection)
        slot.connection->deleteLater();
    slot.connection = nullptr;
    // The turn moves on even when the hosting player's own connection is the
    // one gone: a host without a window keeps the game going for the others.
    if (s == currentplayer && gamerunning)
        findplayer();
    emit tableChanged();
}

// ---- Watching -------------------------------------------------------------------

void TServer::justwatch(int sender, const proto::tohost::Watch &watch) {
    if (watch.seat < 1 || watch.seat > 4) {
        drop(sender, "a malformed watch request");
        return;
    }
    // Players switch their own seat; the hosting player may switch any seat.
    if (sender != 1 && !ownSeat(sender, watch.seat))
        return;
    const int seat = watch.seat;
    if (watch.code == QLatin1String("2")) {
        seats[seat].watching = false;
        sendAll(proto::host::justwatching(seat, 2));
    } else if (watch.code == QLatin1String("1")) {
        bool anotherActive = false;
        for (int i = 1; i <= 4; ++i)
            if (i != seat && seats[i].connected && !seats[i].watching)
                anotherActive = true;
        if (!anotherActive)
            return; // the last active player cannot sit out
        seats[seat].watching = true;
        sendAll(proto::host::justwatching(seat, 1));
        if (seat == currentplayer)
            findplayer();
    } else {
        drop(sender, "a watch request with an unknown code");
    }
}

// ---- Relays ---------------------------------------------------------------------

void TServer::chat(int sender, const proto::tohost::Chat &line) {
    if (!ownSeat(sender, line.seat))
        return;
    const QString &name = seats[sender].name;
    sendAll(line.action ? proto::host::action(line.seatText, name, line.rest)
                        : proto::host::chat(line.seatText, name, line.rest));
}

void TServer::playasound(int sender, const proto::tohost::PlaySound &sound) {
    if (!ownSeat(sender, sound.seat))
        return;
    sendAll(proto::host::playasound(sound.seat, sound.rest));
}
