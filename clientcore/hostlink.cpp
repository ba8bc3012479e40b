#include "clientcore/hostlink.h"

#include "net/messages.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

// The longest message taken from the host, as the host takes from its
// clients. A longer one is dropped and the connection read on.
constexpr qsizetype kMaxMessage = 8 * 1024;

// How long the queue is worked off before the event loop gets its turn again
// (repainting, input, the sockets). One read brings at most one receive area
// of bytes per socket, which normally takes far less; a backlog built up while
// a handler waited on a dialog is worked off in slices of this length.
constexpr qint64 kSliceNs = 50 * 1000 * 1000;

// One printable line for a log: control characters become '?', long texts
// are cut.
QByteArray printable(const QString &text) {
    QByteArray bytes = text.left(200).toUtf8();
    for (char &c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return bytes;
}

} // namespace

HostLink::HostLink(GameMirror &mirror, QObject *parent)
    : QObject(parent), mirror_(mirror), sockCarry_(kMaxMessage), lobbyCarry_(kMaxMessage) {
    for (TSock *s : {&sock, &Sock11}) {
        s->setPortName(QString::number(s == &sock ? kGamePort : kLobbyPort));
        s->OnRead = [this](TSock *sender, int) { sockRead(sender); };
        s->OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &text) {
            sockInfo(sender, kind, text);
        };
    }
    // The queue is worked off as soon as control returns to the event loop:
    // every line in arrival order, each handler to its end before the next.
    Timer1.setSingleShot(true);
    Timer1.setInterval(0);
    connect(&Timer1, &QTimer::timeout, this, &HostLink::Timer1Timer);
    connect(&silenceCheck_, &QTimer::timeout, this, &HostLink::checkSilence);
    setSilenceLimit(kSilenceMs);
}

void HostLink::setSilenceLimit(int ms) {
    silenceLimitMs_ = ms;
    silenceCheck_.setInterval(std::max(10, ms / 4));
}

void HostLink::resetSilence() {
    hostKeepsAlive_ = false;
    silenceCheck_.stop();
}

void HostLink::checkSilence() {
    // Outside a game the host has no clock running and sends nothing.
    if (!hostKeepsAlive_ || closed_ || !mirror_.gameRunning() || !sock.hasSocket()) {
        lastHeard_.start();
        return;
    }
    if (lastHeard_.elapsed() < silenceLimitMs_)
        return;
    std::fprintf(stderr, "zorble: nothing came from the host for %lld s; the connection is lost\n",
                 static_cast<long long>(lastHeard_.elapsed() / 1000));
    resetSilence();
    // The socket goes without a report of its own; the loss is reported
    // once, after the lines that came before it.
    const auto report = sock.OnInfo;
    sock.OnInfo = nullptr;
    sock.Close();
    sock.OnInfo = report;
    receivedlist.push_back({QString(), true});
    Timer1.start();
}

HostLink::~HostLink() {
    // Closing the sockets reports "Socket Closed"; nobody is left to hear it.
    for (TSock *s : {&sock, &Sock11}) {
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
    }
}

void HostLink::connectToHost(const QString &address, quint16 port) {
    rejoinSent_ = false;
    resetSilence();
    sock.setHostName(address);
    sock.setPortName(QString::number(port));
    try {
        sock.Open();
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot connect to %s: %s\n", printable(address).constData(),
                     e.what());
        emit connectFailed(QString::fromStdString(e.what()));
    }
}

void HostLink::reconnect() {
    if (closed_)
        return;
    if (sock.hasSocket()) {
        // What is left of the failed connection goes without another report.
        const auto report = sock.OnInfo;
        sock.OnInfo = nullptr;
        sock.Close();
        sock.OnInfo = report;
    }
    reached_ = false;
    rejoinSent_ = false;
    resetSilence();
    sockCarry_.clear();
    try {
        sock.Open();
    } catch (const ESockException &e) {
        emit connectFailed(QString::fromStdString(e.what()));
    }
}

void HostLink::adopt(TSock &connection) {
    resetSilence();
    sock.takeOver(connection);
    reached_ = true;
    if (sock.inboundSize() > 0)
        sockRead(&sock);
    if (!sock.hasSocket()) {
        // It closed while changing hands.
        receivedlist.push_back({QString(), true});
        Timer1.start();
    }
}

void HostLink::openLobby(quint16 port) {
    Sock11.setHostName(QStringLiteral("127.0.0.1"));
    Sock11.setPortName(QString::number(port));
    try {
        Sock11.Open();
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot reach the lobby: %s\n", e.what());
    }
}

bool HostLink::connected() const {
    return sock.Connected();
}

void HostLink::send(const proto::Request &request) {
    if (!sock.Connected())
        return;
    try {
        sock.Send(proto::frameRequest(request));
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot send to the host: %s\n", e.what());
    }
}

void HostLink::sendLine(const QString &line) {
    if (!sock.Connected())
        return;
    try {
        sock.Send(proto::encode(line));
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot send to the host: %s\n", e.what());
    }
}

void HostLink::close() {
    if (closed_)
        return;
    closed_ = true;
    receivedlist.clear();
    // Let the host and the lobby see the connections end at once.
    for (TSock *s : {&sock, &Sock11}) {
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
        if (s->hasSocket())
            s->Close();
    }
}

// ---- Inbound path -------------------------------------------------------------

void HostLink::sockRead(TSock *sender) {
    if (sender == &sock)
        lastHeard_.start();
    FrameSplitter &carry = sender == &Sock11 ? lobbyCarry_ : sockCarry_;
    const QByteArray bytes = sender->Receive();
    carry.feedSkippingLong(
        bytes,
        [this](const QByteArray &message) {
            receivedlist.push_back({proto::decode(message), false});
        },
        [] {
            std::fprintf(stderr,
                         "zorble: dropped a message from the host: %lld bytes without a "
                         "message end\n",
                         static_cast<long long>(kMaxMessage));
        });
    if (!receivedlist.empty())
        Timer1.start();
}

void HostLink::sockInfo(TSock *sender, TSocketInfo kind, const QString &text) {
    if (sender == &sock && kind == siConnect)
        reached_ = true;
    if (sender == &sock && kind == siError && !reached_) {
        emit connectFailed(text);
        return;
    }
    if (text != QLatin1String("Socket Closed"))
        return;
    // The lines that arrived before the close are handled first.
    receivedlist.push_back({QString(), true});
    Timer1.start();
}

void HostLink::Timer1Timer() {
    // A handler that waits on a dialog lets the event loop run; the lines
    // that arrive meanwhile wait until it has finished.
    if (handling_)
        return;
    handling_ = true;
    QElapsedTimer slice;
    slice.start();
    while (!receivedlist.empty() && !closed_) {
        if (slice.nsecsElapsed() >= kSliceNs) {
            Timer1.start(); // the rest after the event loop's turn, still in order
            break;
        }
        Queued next = std::move(receivedlist.front());
        receivedlist.pop_front();
        if (next.socketClosed)
            emit connectionClosed();
        else
            dispatch(next.line);
    }
    handling_ = false;
}

void HostLink::dispatch(const QString &line) {
    ++dispatched_;
    emit dispatching(line);
    const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
    if (const auto *refused = std::get_if<proto::Refused>(&decoded)) {
        std::fprintf(stderr, "zorble: dropped a message from the host (%s): %s\n", refused->why,
                     printable(line).constData());
        return;
    }
    const auto *message = std::get_if<proto::HostMessage>(&decoded);
    if (!message)
        return; // no command word, or one a client does not take
    mirror_.handle(*message);
    if (std::holds_alternative<proto::toclient::RejoinToken>(*message) && !hostKeepsAlive_) {
        hostKeepsAlive_ = true;
        lastHeard_.start();
        silenceCheck_.start();
    }
    if (const auto *slot = std::get_if<proto::toclient::SendLoginInfo>(message)) {
        try {
            // The host moves a connection with a good token to its kept seat
            // and offers that slot again; the login for the first slot is
            // then ignored.
            if ((wantsRejoin_ || !rejoinToken_.isEmpty()) && !rejoinSent_) {
                rejoinSent_ = true;
                sock.Send(proto::frameRequest(proto::request::rejoin(rejoinToken_)));
            }
            sock.Send(proto::frameRequest(proto::request::login(slot->slot, version_, loginName_)));
        } catch (const ESockException &e) {
            std::fprintf(stderr, "zorble: cannot send the login: %s\n", e.what());
        }
    }
}
