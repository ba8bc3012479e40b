// Host sessions: connection slots, the inbound queue and its dispatcher,
// login, removal, leaving, watching and the chat relays.
#include "host/tserver.h"

#include "dict/tdictn.h"

#include <cstdio>

namespace {

QString preview(const QString &line) {
    constexpr int kShown = 120;
    return line.size() > kShown ? line.left(kShown) + QStringLiteral("...") : line;
}

} // namespace

namespace {

std::shared_ptr<const TDictn> ownList(const WordLookup &lookup) {
    return lookup ? nullptr : TDictn::shared();
}

WordLookup lookupIn(const std::shared_ptr<const TDictn> &list, WordLookup lookup) {
    if (lookup)
        return lookup;
    return [list](const QString &word) { return list->FindWord(word); };
}

} // namespace

TServer::TServer(QObject *parent) : TServer(WordLookup{}, parent) {}

TServer::TServer(WordLookup lookup, QObject *parent)
    : QObject(parent), spellit_(ownList(lookup)), rules_(lookupIn(spellit_, std::move(lookup))) {
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
    // The game clock ends turns: a coarse timer would shift its first ticks
    // by up to a twentieth of the interval and cut the first turn short.
    Timer2.setTimerType(Qt::PreciseTimer);
    Timer2.setInterval(1000);
    connect(&Timer2, &QTimer::timeout, this, &TServer::Timer2Timer);
    table_.setGameId(newToken());
}

TServer::~TServer() {
    // The connections go with Sock1; nobody is left to hear about it. The
    // clients learn that the host ends on purpose and do not try again.
    const QByteArray goodbye = proto::encode(proto::host::closing());
    for (Connection &c : conns_)
        if (c.socket) {
            c.socket->OnInfo = nullptr;
            if (c.knowsRejoin && c.socket->hasSocket()) {
                try {
                    c.socket->Send(goodbye);
                } catch (const ESockException &) {
                    // gone already
                }
            }
        }
}

void TServer::listen(quint16 port) {
    Sock1.setPortName(QString::number(port));
    Sock1.setListen(true);
}

// ---- Connections ------------------------------------------------------------

void TServer::Sock1Accept(TSock *sender) {
    const int slot = table_.freeSlot();
    if (slot == 0) {
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
    }

    TSock *conn = nullptr;
    if (!sender->Accept(conn))
        return;
    table_.attach(slot);
    Connection &c = conns_[size_t(slot)];
    if (c.socket && c.socket != conn)
        c.socket->deleteLater();
    c.socket = conn;
    c.link = ++links;
    c.ending = false;
    c.carry.clear();
    c.inbox.clear();
    c.flood = FloodControl{};
    c.floodHeld = false;
    c.loggedIn = false;
    c.movedFrom = 0;
    conn->Tag = slot;
    conn->OnDisconnect = tempsock.OnDisconnect;
    conn->OnInfo = tempsock.OnInfo;
    conn->OnRead = [this](TSock *s, int count) { Sock1Read(s, count); };
    conn->setMaxOutbound(kMaxOutbound);
    sendTo(slot, proto::host::sendlogininfo(slot));
}

void TServer::Sock1Read(TSock *sender, int) {
    const int slot = sender->Tag;
    const QByteArray bytes = sender->Receive();
    if (slot < 1 || slot > kSlots || conns_[size_t(slot)].socket != sender ||
        conns_[size_t(slot)].ending)
        return; // not a connection of ours any more: its bytes go nowhere
    Connection &c = conns_[size_t(slot)];
    std::deque<Inbound> &queue = c.inbox;
    const bool withinLimit = c.carry.feed(bytes, [&](const QByteArray &message) {
        queue.push_back({c.link, false, message});
    });
    if (!queue.empty() && !socktimer.isActive())
        socktimer.start();
    if (!withinLimit) {
        std::fprintf(stderr,
                     "zorble host: slot %d sent more than %d bytes without a message end; "
                     "closing it\n",
                     slot, kMaxLine);
        c.carry.clear();
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
        std::deque<Inbound> &queue = conns_[size_t(served)].inbox;
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
    Connection &c = conns_[size_t(slot)];
    if (entry.link != c.link)
        return; // left behind by an earlier connection of the slot
    if (entry.end)
        return connectionEnded(slot);
    if (c.socket && c.socket->readPaused() && !c.floodHeld && c.inbox.size() <= kMaxQueued / 2)
        c.socket->setReadPaused(false);
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
                   [&](const Chat &m) {
                       if (floodAllows(slot))
                           chat(slot, m);
                   },
                   [&](const PlaySound &m) {
                       if (floodAllows(slot))
                           playasound(slot, m);
                   },
                   [&](const Kick &m) { kickhim(slot, m); },
                   [&](const Watch &m) { justwatch(slot, m); },
                   [&](const Start &m) { startgame(slot, m); },
                   [&](const Move &m) {
                       if (ownSeat(slot, m.seat))
                           play(slot, table_.move(m.seat, m.tiles));
                   },
                   [&](const Exchange &m) {
                       if (ownSeat(slot, m.seat))
                           play(slot, table_.exchange(m.seat, m.seatText));
                   },
                   [&](const Pass &m) {
                       if (ownSeat(slot, m.seat))
                           play(slot, table_.pass(m.seat, m.seatText));
                   },
                   [&](const Rejoin &m) { rejoin(slot, m); },
                   [&](const FreeSeat &m) { freeSeat(slot, m.seat); },
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
    if (slot < 1 || slot > kSlots || !connected(slot))
        return;
    TSock *socket = conns_[size_t(slot)].socket;
    if (!socket || !socket->hasSocket())
        return; // gone, or going: its end is still queued
    try {
        socket->Send(proto::encode(message));
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble host: slot %d: %s\n", slot, e.what());
    }
}

void TServer::sendAll(const QString &message) {
    const QByteArray bytes = proto::encode(message);
    for (int i = 1; i <= kSlots; ++i) {
        TSock *socket = conns_[size_t(i)].socket;
        if (connected(i) && socket && socket->hasSocket())
            socket->Send(bytes);
    }
}

void TServer::sendSeats(const QString &message) {
    const QByteArray bytes = proto::encode(message);
    for (int i = 1; i <= game::kSeats; ++i) {
        TSock *socket = conns_[size_t(i)].socket;
        if (connected(i) && socket && socket->hasSocket())
            socket->Send(bytes);
    }
}

// ---- Login --------------------------------------------------------------------

void TServer::receivedlogininfo(int sender, const proto::tohost::Login &login) {
    Connection &c = conns_[size_t(sender)];
    // The login sent with a rejoin still names the slot the connection had.
    if (c.movedFrom != 0 && login.slot == c.movedFrom && !c.loggedIn)
        return;
    if (!ownSeat(sender, login.slot))
        return;
    const int slot = login.slot;
    if (!c.loggedIn && rejoinByName_ && !table_.seat(slot).away) {
        if (const int kept = table_.keptSeat({}, login.name); kept != 0) {
            moveConnection(slot, kept);
            return;
        }
    }
    c.loggedIn = true;
    if (table_.seat(slot).away)
        play(slot, table_.rejoin(slot));
    table_.setName(slot, login.name);

    sendAll(proto::host::newplayerinfo(slot, login.name));
    for (int j = 1; j <= table_.state().opened; ++j)
        if (j != slot)
            sendTo(slot, proto::host::existingplayers(j, table_.seat(j).name));
    // Seats kept for their players show as such to the newcomer too.
    for (int j = 1; j <= game::kSeats; ++j)
        if (j != slot && table_.seat(j).present && table_.seat(j).away)
            sendTo(slot, proto::host::seatkept(j, table_.seat(j).grace));

    if (login.version != QLatin1String(proto::kVersion)) {
        sendTo(1, proto::host::havewrongversion(login.name));
        sendTo(slot, proto::host::wrongversion());
    }
    giveToken(slot);
    if (table_.running())
        play(slot, table_.catchUp(slot));
    emit tableChanged();
}

void TServer::rejoin(int sender, const proto::tohost::Rejoin &request) {
    if (conns_[size_t(sender)].loggedIn)
        return drop(sender, "a rejoin after the login");
    conns_[size_t(sender)].knowsRejoin = true;
    if (request.token.isEmpty())
        return; // a client that has no token yet asks for one
    // The token's seat may still have its old connection when that one went
    // silent without closing: the token shows it is the same player, who
    // takes the seat over and the old connection is let go.
    if (const int seat = table_.tokenSeat(request.token); seat != 0 && seat != sender)
        moveConnection(sender, seat);
    // An unknown token is no fault: the game it was given in may be over.
}

void TServer::moveConnection(int from, int to) {
    Connection &source = conns_[size_t(from)];
    Connection &target = conns_[size_t(to)];
    if (target.socket) {
        // A connection that came back and went quiet before its login, or
        // one that went silent in the middle of the game.
        target.socket->Close();
        target.socket->deleteLater();
    }
    target = std::move(source);
    source = Connection{};
    target.movedFrom = from;
    target.socket->Tag = to;
    play(from, table_.leave(from));
    sendTo(to, proto::host::sendlogininfo(to));
}

void TServer::giveToken(int slot) {
    if (grace_ <= 0 || !game::isSeat(slot) || !conns_[size_t(slot)].knowsRejoin)
        return;
    const QString token = newToken();
    table_.setToken(slot, token);
    // Saved before it goes out: a host that ends in between never leaves a
    // client holding a token that the restarted host does not know.
    saveTurn(true);
    sendTo(slot, proto::host::rejointoken(table_.state().gameId, token, grace_));
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
    if (connected(kick.target) && conns_[size_t(kick.target)].socket) {
        // Told first, so that its window does not try to come back.
        if (conns_[size_t(kick.target)].knowsRejoin)
            sendTo(kick.target, proto::host::closing());
        conns_[size_t(kick.target)].socket->Close();
    }
}

void TServer::tempsockDisconnect(TSock *sender) {
    const int slot = sender->Tag;
    if (slot >= 1 && slot <= kSlots && connected(slot) && conns_[size_t(slot)].socket == sender)
        sender->Close();
}

void TServer::tempsockInfo(TSock *sender, TSocketInfo, const QString &msg) {
    if (msg != QLatin1String("Socket Closed") || sender->Tag == 0)
        return;
    const int s = sender->Tag;
    if (s < 1 || s > kSlots || conns_[size_t(s)].socket != sender || conns_[size_t(s)].ending)
        return; // an old connection, or an end already queued
    // The end is handled after the messages that came before it, so a request
    // made while the connection was there still counts and none acts for it
    // once it is gone. Until then the slot stays taken.
    Connection &c = conns_[size_t(s)];
    c.ending = true;
    c.carry.clear();
    c.inbox.push_back({c.link, true, {}});
    if (!socktimer.isActive())
        socktimer.start();
}

void TServer::connectionEnded(int s) {
    Connection &c = conns_[size_t(s)];
    const bool keep = connected(s) && game::isSeat(s) && table_.running() && grace_ > 0 &&
                      (c.loggedIn || table_.seat(s).away);
    if (connected(s) && !keep) {
        const QByteArray bytes =
            proto::encode(proto::host::playerdisconnected(s, table_.seat(s).name));
        for (int i = 1; i <= kSlots; ++i) {
            TSock *socket = conns_[size_t(i)].socket;
            if (i != s && connected(i) && socket && socket->hasSocket())
                socket->Send(bytes);
        }
    }
    c.ending = false;
    c.carry.clear();
    if (c.socket)
        c.socket->deleteLater();
    c.socket = nullptr;
    c.loggedIn = false;
    c.movedFrom = 0;
    if (!keep)
        play(s, table_.leave(s));
    else if (!table_.seat(s).away)
        play(s, table_.keep(s, grace_));
    // A seat already kept, whose player came back and went again before its
    // login, stays kept with the grace period it had.
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
    if (watch.code == QLatin1String("2"))
        play(sender, table_.watch(watch.seat, false));
    else if (watch.code == QLatin1String("1"))
        play(sender, table_.watch(watch.seat, true));
    else
        drop(sender, "a watch request with an unknown code");
}

// ---- Relays ---------------------------------------------------------------------

void TServer::chat(int sender, const proto::tohost::Chat &line) {
    if (!ownSeat(sender, line.seat))
        return;
    const QString &name = table_.seat(sender).name;
    sendAll(line.action ? proto::host::action(line.seatText, name, line.rest)
                        : proto::host::chat(line.seatText, name, line.rest));
}

void TServer::playasound(int sender, const proto::tohost::PlaySound &sound) {
    if (!ownSeat(sender, sound.seat))
        return;
    sendAll(proto::host::playasound(sound.seat, sound.rest));
}

bool TServer::floodAllows(int sender) {
    switch (conns_[size_t(sender)].flood.take(floodClock_())) {
    case FloodControl::Verdict::Pass:
        return true;
    case FloodControl::Verdict::DropAndTell:
        sendTo(sender, proto::host::notice(QString::fromLatin1(FloodControl::kWarning)));
        holdBack(sender);
        break;
    case FloodControl::Verdict::Drop:
        holdBack(sender);
        break;
    case FloodControl::Verdict::Disconnect:
        std::fprintf(stderr,
                     "zorble host: slot %d flooded the chat for more than %lld s; "
                     "disconnecting it\n",
                     sender, static_cast<long long>(FloodControl::kLongestFlood.count()));
        if (conns_[size_t(sender)].socket)
            conns_[size_t(sender)].socket->Close();
        break;
    }
    return false;
}

void TServer::holdBack(int slot) {
    Connection &c = conns_[size_t(slot)];
    if (c.floodHeld || !c.socket)
        return;
    c.floodHeld = true;
    c.socket->setReadPaused(true);
    QTimer::singleShot(FloodControl::kHold, this, [this, slot, link = c.link] {
        Connection &held = conns_[size_t(slot)];
        if (held.link != link)
            return; // another connection holds the slot by now
        held.floodHeld = false;
        if (held.socket && held.inbox.size() <= kMaxQueued / 2)
            held.socket->setReadPaused(false);
    });
}
