// The game on the host's table: the start request, the table's events sent as
// messages, and the one-second game clock.
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "host/wire.h"

#include <QRandomGenerator>

#include <cstdio>

bool TServer::dictionaryOpen() const {
    return !spellit_ || spellit_->isOpen();
}

QString TServer::dictionaryError() const {
    return spellit_ ? spellit_->errorMessage() : QString();
}

void TServer::restore(const game::GameTable::State &state) {
    table_.restore(state);
    if (table_.running())
        Timer2.start();
    else
        Timer2.stop();
    runningTold_ = table_.running();
    emit tableChanged();
}

void TServer::startgame(int sender, const proto::tohost::Start &request) {
    if (sender != 1) {
        drop(sender, "a game start not sent by the hosting player");
        return;
    }
    const game::Events events = table_.start(request.payload, request.options);
    // Each game has tokens of its own: one of an earlier game gives no seat
    // back. They go before the start's messages, so that a window that ends
    // as soon as its first turn comes already holds the game's token.
    if (table_.running()) {
        table_.setGameId(newToken());
        for (int seat = 1; seat <= game::kSeats; ++seat)
            if (conns_[size_t(seat)].loggedIn)
                giveToken(seat);
    }
    Timer2.start();
    play(sender, events);
}

QString TServer::newToken() {
    std::array<quint32, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    QString text;
    for (const quint32 word : bits)
        text += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return text;
}

void TServer::releaseKeptSeats() {
    for (int seat = 1; seat <= game::kSeats; ++seat)
        if (table_.seat(seat).present && table_.seat(seat).away)
            release(seat);
}

void TServer::release(int seat) {
    const QString name = table_.seat(seat).name;
    if (conns_[size_t(seat)].socket)
        conns_[size_t(seat)].socket->Close(); // came back, but has not logged in yet
    const game::Events events = table_.leave(seat);
    sendAll(proto::host::playerdisconnected(seat, name));
    play(0, events);
}

void TServer::freeSeat(int sender, int seat) {
    if (sender != 1)
        return drop(sender, "a seat freed by another than the hosting player");
    if (table_.seat(seat).present && table_.seat(seat).away)
        release(seat);
}

QString TServer::handOver(int seat) {
    if (!game::isSeat(seat) || !table_.seat(seat).present || !table_.seat(seat).away)
        return {};
    if (table_.seat(seat).token.isEmpty()) {
        table_.setToken(seat, newToken());
        saveTurn(true);
    }
    return table_.seat(seat).token;
}

void TServer::setSaveFile(const QString &path) {
    save_ = path.isEmpty() ? nullptr : std::make_unique<game::SaveFile>(path);
}

void TServer::resume(const game::GameTable::State &saved) {
    game::GameTable::State state = saved;
    // Nobody is connected yet: the players get their seats back, watchers
    // come again as newcomers.
    for (int slot = 1; slot <= kSlots; ++slot) {
        game::GameTable::Seat &seat = state.seats[size_t(slot)];
        if (game::isSeat(slot) && seat.present && state.running) {
            seat.away = true;
            seat.grace = std::max(grace_, 1);
        } else if (!game::isSeat(slot)) {
            seat = game::GameTable::Seat{};
        }
    }
    // The turn's clock starts again once its player is back.
    state.turnclock = game::GameTable::kUntimed;
    restore(state);
}

void TServer::play(int sender, const game::Events &events) {
    records_.feed(events, table_.state());
    for (const game::Addressed &a : events) {
        if (const auto *dropped = std::get_if<game::event::Dropped>(&a.event)) {
            drop(sender, dropped->why);
            continue;
        }
        for (const QString &message : hostwire::messages(a.event)) {
            switch (a.to.kind) {
            case game::Audience::Slot:
                sendTo(a.to.slot, message);
                break;
            case game::Audience::Everyone:
                sendAll(message);
                break;
            case game::Audience::Seats:
                sendSeats(message);
                break;
            }
        }
    }
    if (!table_.running()) {
        Timer2.stop();
        releaseKeptSeats();
    }
    // A game started or ended: the published table follows.
    if (table_.running() != runningTold_) {
        runningTold_ = table_.running();
        emit tableChanged();
    }
    saveTurn(!events.empty());
}

void TServer::saveTurn(bool changed) {
    if (!save_)
        return;
    if (!table_.running()) {
        if (save_->exists())
            save_->remove(); // the game is over: nothing to resume
        return;
    }
    if (!changed)
        return;
    const auto begun = std::chrono::steady_clock::now();
    QString error;
    if (!save_->write(table_.state(), &error))
        std::fprintf(stderr, "zorble host: cannot save the game in %s: %s\n",
                     qPrintable(save_->path()), qPrintable(error));
    lastSave_ = std::chrono::steady_clock::now() - begun;
}

void TServer::Timer2Timer() {
    play(0, table_.tick());
    // Clients that rejoin hear every few seconds that the host is there, so
    // that one whose connection went silent notices and comes back.
    if (!table_.running() || ++ticks_ % kKeepAliveSeconds != 0)
        return;
    const QByteArray alive = proto::encode(proto::host::keepalive());
    for (const Connection &c : conns_)
        if (c.knowsRejoin && c.socket && c.socket->hasSocket())
            c.socket->Send(alive);
}
