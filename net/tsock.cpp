#include "net/tsock.h"

#include "net/sockaddress.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Process-wide cache of resolved host names (lower-cased name -> IPv4 address
// in network order). It only grows.
QHash<QString, quint32> &hostCache() {
    static QHash<QString, quint32> cache;
    return cache;
}

int g_hostLookups = 0;

TSock::ErrorHandler &uncaughtHandler() {
    static TSock::ErrorHandler handler = [](const QString &message) {
        std::fprintf(stderr, "zorble: %s\n", qPrintable(message));
    };
    return handler;
}

bool startsWithDigit(const QString &s) {
    return !s.isEmpty() && s.at(0).isDigit();
}

// Settings every connection gets: no delay for small messages, and keep-alive
// probes so that a peer that is gone without a word is noticed.
void tuneConnection(int fd) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &TSock::KeepAliveIdle, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &TSock::KeepAliveInterval, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &TSock::KeepAliveProbes, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &TSock::UnacknowledgedTimeoutMs, sizeof(int));
}

} // namespace

TSock::TSock(QObject *parent) : QObject(parent) {}

TSock::~TSock() {
    // Owners are often being torn down themselves: close without reports.
    OnInfo = nullptr;
    OnDisconnect = nullptr;
    closeNotifiers();
    if (fd_ >= 0)
        ::close(fd_);
}

void TSock::setUncaughtErrorHandler(ErrorHandler handler) {
    uncaughtHandler() = std::move(handler);
}

void TSock::clearHostCache() {
    hostCache().clear();
}

int TSock::hostLookups() {
    return g_hostLookups;
}

void TSock::info(TSocketInfo kind, const QString &msg) {
    if (!OnInfo)
        return;
    try {
        OnInfo(this, kind, msg);
    } catch (...) {
        throw ESockException(QStringLiteral("Error here"));
    }
}

void TSock::runNotification(const std::function<void()> &body) {
    try {
        body();
    } catch (const ESockException &e) {
        uncaughtHandler()(e.message());
    } catch (const std::exception &e) {
        uncaughtHandler()(QString::fromLocal8Bit(e.what()));
    }
}

void TSock::setSocketType(TSocketType type) {
    if (listening_)
        throw ESockException(
            QStringLiteral("SocketType - Can't Assign Socket Type While Listening"));
    if (connected_)
        throw ESockException(
            QStringLiteral("SocketType - Can't Assign Socket Type While Connected"));
    socketType_ = type;
}

void TSock::setHostName(const QString &name) {
    if (connected_ && socketType_ == stStream)
        info(siLookup, QStringLiteral("Setting HostName While Connected Has No Effect"));
    hostName_ = name;
}

void TSock::setPortName(const QString &name) {
    if (connected_)
        info(siLookup, QStringLiteral("Setting PortName While Connected Has No Effect"));
    portName_ = name;
}

void TSock::setBlocking(bool blocking) {
    if (blocking && fd_ >= 0 && !listening_)
        throw ESockException(QStringLiteral("Blocking - Blocking Sockets Are Not Supported"));
    blocking_ = blocking;
}

quint16 TSock::localPort() const {
    if (fd_ < 0)
        return 0;
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return 0;
    // The port lies at the same place in both families' addresses.
    return ntohs(reinterpret_cast<const sockaddr_in &>(addr).sin_port);
}

quint16 TSock::resolvePort() {
    info(siLookup, QStringLiteral("Lookup Of Port ") + portName_);
    if (startsWithDigit(portName_)) {
        // Read the leading digits, as a decimal conversion of a port text does.
        quint32 port = 0;
        for (QChar c : portName_) {
            if (!c.isDigit())
                break;
            port = port * 10 + static_cast<quint32>(c.digitValue());
            if (port > 65535)
                break;
        }
        return static_cast<quint16>(port);
    }
    if (portName_.isEmpty())
        return 0;
    const QByteArray name = portName_.toLatin1();
    servent *entry = ::getservbyname(name.constData(), socketType_ == stStream ? "tcp" : "udp");
    if (!entry)
        throw ESockException(QStringLiteral("Port Lookup - Could Not Find Service Entry"));
    return ntohs(static_cast<quint16>(entry->s_port));
}

quint32 TSock::resolveHost(const QString &name) {
    if (name.isEmpty())
        return htonl(INADDR_ANY);
    info(siLookup, QStringLiteral("Lookup Of Host ") + name);
    if (startsWithDigit(name)) {
        in_addr addr{};
        if (::inet_aton(name.toLatin1().constData(), &addr) == 0)
            return INADDR_NONE;
        return addr.s_addr;
    }
    const QString key = name.toLower();
    auto cached = hostCache().constFind(key);
    if (cached != hostCache().constEnd())
        return *cached;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    ++g_hostLookups;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &result) != 0 || !result)
        throw ESockException(QStringLiteral("Host Lookup - Could Not Find Host Entry"));
    const quint32 address = reinterpret_cast<sockaddr_in *>(result->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(result);
    hostCache().insert(key, address);
    return address;
}

void TSock::closeNotifiers() {
    // We may be inside one of the notifiers' own signals: silence them now and
    // let the event loop free them.
    for (QSocketNotifier *n : {readNotifier_, writeNotifier_}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    readNotifier_ = nullptr;
    writeNotifier_ = nullptr;
}

void TSock::setReadPaused(bool paused) {
    readPaused_ = paused;
    if (readNotifier_ && !listening_)
        readNotifier_->setEnabled(!paused && !connecting_);
}

void TSock::applyBlocking() {
    if (fd_ < 0)
        return;
    closeNotifiers();
    readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, [this] { readyRead(); });
    if (listening_)
        return;
    writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(connecting_ || !outbound_.isEmpty());
    readNotifier_->setEnabled(!connecting_ && !readPaused_);
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this] { readyWrite(); });
}

void TSock::adoptDescriptor(int fd) {
    fd_ = fd;
    connected_ = true;
    applyBlocking();
}

void TSock::setListen(bool on) {
    if (fd_ >= 0 && !listening_) {
        listening_ = false;
        throw ESockException(QStringLiteral("Listen - Socket Already In Use"));
    }
    if (on && socketType_ == stDatagram) {
        listening_ = false;
        throw ESockException(QStringLiteral("Listen - Cannot Listen On A Datagram Socket"));
    }
    if (!on) {
        listening_ = false;
        Close();
        info(siListen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (listening_) {
        info(siListen, QStringLiteral("Listening Already Running"));
        return;
    }
    int err = 0;
    const int fd = sockaddress::listeningSocket(resolvePort(), err);
    if (fd < 0) {
        lastListenErrno_ = err;
        throw ESockException(QStringLiteral("Listen - Error Binding Socket"));
    }
    if (::listen(fd, 5) != 0) {
        lastListenErrno_ = errno;
        ::close(fd);
        throw ESockException(QStringLiteral("Listen - Error Starting Listen"));
    }
    fd_ = fd;
    listening_ = true;
    applyBlocking();
    info(siListen, QStringLiteral("Listening Started"));
}

bool TSock::Open() {
    if (fd_ >= 0)
        return connected_;
    if (socketType_ == stDatagram)
        throw ESockException(QStringLiteral("Open - Datagram Sockets Are Not Supported"));
    if (blocking_)
        throw ESockException(QStringLiteral("Open - Blocking Sockets Are Not Supported"));
    // An IPv6 address is taken as written; anything else is an IPv4 address
    // or a name looked up for IPv4, as before.
    sockaddr_storage addr{};
    socklen_t addrLength = sizeof(sockaddr_in);
    const quint16 port = htons(resolvePort());
    auto &v6 = reinterpret_cast<sockaddr_in6 &>(addr);
    if (sockaddress::readIPv6(hostName_, v6)) {
        info(siLookup, QStringLiteral("Lookup Of Host ") + hostName_);
        v6.sin6_port = port;
        addrLength = sizeof(sockaddr_in6);
    } else {
        auto &v4 = reinterpret_cast<sockaddr_in &>(addr);
        v4.sin_family = AF_INET;
        v4.sin_port = port;
        v4.sin_addr.s_addr = resolveHost(hostName_);
    }
    const int fd = ::socket(addr.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw ESockException(QStringLiteral("Open - Could Not Create Socket"));
    tuneConnection(fd);
    fd_ = fd;
    connecting_ = true;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), addrLength) != 0 &&
        errno != EINPROGRESS) {
        // The attempt failed at once; tell it the way a later failure is told.
        const int code = wsaCodeFromErrno(errno);
        connecting_ = false;
        QPointer<TSock> self(this);
        QTimer::singleShot(0, this, [self, code] {
            if (self)
                self->runNotification([&] { self->notifyError(code); });
        });
        return false;
    }
    applyBlocking();
    return false;
}

bool TSock::Close() {
    closeNotifiers();
    bool ok = false;
    if (fd_ >= 0) {
        ok = ::close(fd_) == 0;
        fd_ = -1;
    }
    connected_ = false;
    connecting_ = false;
    outbound_.clear();
    const bool wasListening = listening_;
    listening_ = false;
    if (!wasListening)
        info(siClose, QStringLiteral("Socket Closed"));
    return ok;
}

bool TSock::Send(const QByteArray &bytes) {
    if (fd_ < 0)
        throw ESockException(QStringLiteral("Send - Socket Not Connected"));
    if (listening_)
        throw ESockException(QStringLiteral("Send - Cannot Send On A Listener Socket"));
    if (socketType_ == stDatagram) {
        SendDatagram(bytes, hostName_);
        return true;
    }
    outbound_.append(bytes);
    if (outbound_.isEmpty())
        return true;
    info(siSend, QStringLiteral("Non-Blocking Outgoing Data"));
    if (fd_ < 0) // the report's handler closed us
        return true;
    flushOutbound();
    return true;
}

void TSock::flushOutbound() {
    if (!connecting_) {
        const ssize_t n =
            ::send(fd_, outbound_.constData(), static_cast<size_t>(outbound_.size()), MSG_NOSIGNAL);
        if (n > 0)
            outbound_.remove(0, n);
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(connecting_ || !outbound_.isEmpty());
    if (maxOutbound_ > 0 && outbound_.size() > maxOutbound_) {
        // The peer stopped reading. Close once the current handler is done, so
        // that nobody sees the connection vanish in the middle of their work.
        QPointer<TSock> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->fd_ >= 0 && self->outbound_.size() > self->maxOutbound_)
                self->runNotification([&] { self->Close(); });
        });
    }
}

QByteArray TSock::Receive(int max) {
    if (fd_ < 0 && inbound_.isEmpty())
        throw ESockException(QStringLiteral("Receive - Socket Not Connected"));
    if (listening_)
        throw ESockException(QStringLiteral("Receive - Cannot Receive On A Listener Socket"));
    if (socketType_ == stDatagram) {
        QByteArray text;
        QString sender;
        ReceiveDatagram(text, sender);
        return text;
    }
    if (max < 0 || max >= inbound_.size()) {
        QByteArray all;
        all.swap(inbound_);
        return all;
    }
    QByteArray part = inbound_.left(max);
    inbound_.remove(0, max);
    return part;
}

bool TSock::Accept(TSock *&newSock) {
    if (!listening_)
        throw ESockException(QStringLiteral("Accept - Socket Not In Listening Mode"));
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    const int fd =
        ::accept4(fd_, reinterpret_cast<sockaddr *>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    // Accept notifications resume once a pending connection has been taken.
    if (readNotifier_)
        readNotifier_->setEnabled(true);
    if (fd < 0) {
        info(siAccept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    tuneConnection(fd);
    auto *sock = new TSock(this);
    sock->blocking_ = blocking_;
    sock->blockingTimeout_ = blockingTimeout_;
    sock->OnRead = OnRead;
    sock->OnWrite = OnWrite;
    sock->OnDisconnect = OnDisconnect;
    sock->OnInfo = OnInfo;
    sock->adoptDescriptor(fd);
    sock->setPortName(portName_);
    sock->setHostName(sockaddress::text(peer));
    info(siAccept, QStringLiteral("Created New TSock Structure"));
    newSock = sock;
    return true;
}

void TSock::takeOver(TSock &other) {
    if (fd_ >= 0)
        throw ESockException(QStringLiteral("TakeOver - Socket Already In Use"));
    other.closeNotifiers();
    fd_ = std::exchange(other.fd_, -1);
    connected_ = std::exchange(other.connected_, false);
    connecting_ = std::exchange(other.connecting_, false);
    inbound_ = std::exchange(other.inbound_, {});
    outbound_ = std::exchange(other.outbound_, {});
    hostName_ = other.hostName_;
    portName_ = other.portName_;
    if (fd_ >= 0)
        applyBlocking();
}

void TSock::SendDatagram(const QByteArray &, const QString &) {
    if (fd_ < 0)
        throw ESockException(QStringLiteral("SendDatagram - Socket Not Connected"));
    if (socketType_ == stStream)
        throw ESockException(
            QStringLiteral("SendDatagram - Datagram Send Not Supported On Stream Sockets"));
    throw ESockException(QStringLiteral("SendDatagram - Datagram Sockets Are Not Supported"));
}

bool TSock::ReceiveDatagram(QByteArray &, QString &) {
    if (fd_ < 0)
        throw ESockException(QStringLiteral("ReceiveDatagram - Socket Not Connected"));
    if (socketType_ == stStream)
        throw ESockException(
            QStringLiteral("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets"));
    throw ESockException(QStringLiteral("ReceiveDatagram - Datagram Sockets Are Not Supported"));
}

void TSock::notifyError(int wsaCode) {
    info(siError, QStringLiteral("Error #%1 (%2)").arg(wsaCode).arg(wsaErrorName(wsaCode)));
}

void TSock::readyRead() {
    QPointer<TSock> self(this);
    runNotification([&] {
        if (listening_) {
            // Pending connection. Like the system's accept notice, the next one
            // comes only after this one has been taken with Accept.
            readNotifier_->setEnabled(false);
            if (autoAccept_ && OnAutoAccept) {
                TSock *sock = nullptr;
                if (Accept(sock) && self)
                    OnAutoAccept(this, sock);
            } else if (OnAccept) {
                OnAccept(this);
            } else {
                readNotifier_->setEnabled(true);
            }
            return;
        }
        char area[ReceiveAreaSize];
        const ssize_t n = ::recv(fd_, area, sizeof area, 0);
        if (n == 0) {
            // The peer closed its end.
            if (readNotifier_)
                readNotifier_->setEnabled(false);
            if (OnDisconnect)
                OnDisconnect(this);
            if (self)
                Close();
            return;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            // A failed connection (reset by the peer, most often, or timed out
            // when the peer stopped answering keep-alive probes) is unusable:
            // after the error report it is closed, so that its owner frees
            // whatever it holds for it instead of waiting forever.
            const int code = wsaCodeFromErrno(errno);
            if (readNotifier_)
                readNotifier_->setEnabled(false);
            notifyError(code);
            if (self && fd_ >= 0)
                Close();
            return;
        }
        if (n > 0)
            inbound_.append(area, n);
        info(siReceive, QStringLiteral("Non-Blocking Incoming Data"));
        if (self && OnRead)
            OnRead(this, static_cast<int>(inbound_.size()));
    });
}

void TSock::readyWrite() {
    QPointer<TSock> self(this);
    runNotification([&] {
        if (connecting_) {
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err != 0) {
                // The attempt failed; the object stays as it is, quietly.
                connecting_ = false;
                closeNotifiers();
                notifyError(wsaCodeFromErrno(err));
                return;
            }
            connecting_ = false;
            connected_ = true;
            readNotifier_->setEnabled(!readPaused_);
            writeNotifier_->setEnabled(!outbound_.isEmpty());
            info(siConnect, QStringLiteral("Non-Blocking Socket Connected"));
            if (self && OnConnect)
                OnConnect(this);
            if (!self || outbound_.isEmpty())
                return;
        }
        if (!outbound_.isEmpty())
            Send(QByteArray());
        if (!self || fd_ < 0)
            return;
        info(siSend, QStringLiteral("Non-Blocking Outgoing Data"));
        if (self && OnWrite)
            OnWrite(this);
    });
}
