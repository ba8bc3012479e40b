#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <stdexcept>

class QSocketNotifier;

enum TSocketType { stStream, stDatagram };
enum TLineBreak { lbCRLF, lbCR, lbLF, lbSmart };
enum TSocketInfo { siLookup, siConnect, siClose, siListen, siReceive, siSend, siAccept, siError };

// Raised for every failure that stops a socket operation.
class ESockException : public std::runtime_error {
public:
    explicit ESockException(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// Display name of an information kind ("Lookup", "Connect", ...).
QString socketInfoName(TSocketInfo kind);
// The Windows Sockets code that stands for a Linux errno value.
int wsaCodeFromErrno(int err);
// The Windows Sockets symbolic name of a code, or "UNKNOWN ERROR".
QString wsaErrorName(int code);

// A TCP endpoint driven by readiness notifications from the Qt event loop.
//
// The object listens, accepts, connects, sends and receives without ever
// blocking. What happens is told through event callbacks and through OnInfo
// reports with fixed texts; the owner recognises the end of a connection by
// the report "Socket Closed". Bytes travel unchanged in both directions.
class TSock : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TSock *sender)>;
    using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
    using TNotifyInfoEvent =
        std::function<void(TSock *sender, TSocketInfo info, const QString &msg)>;
    using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;

    // Size of the area one read notification receives into.
    static constexpr int ReceiveAreaSize = 32768;

    // TCP keep-alive on every connection, accepted or opened: after this many
    // idle seconds the system starts probing, every KeepAliveInterval seconds,
    // and gives up after KeepAliveProbes unanswered probes. A peer that
    // vanished without closing (power cut, lost network) is so noticed after
    // about 90 seconds; its connection then ends with "Error #10060
    // (WSAETIMEDOUT)" and "Socket Closed", as a reset one does.
    static constexpr int KeepAliveIdle = 60;
    static constexpr int KeepAliveInterval = 10;
    static constexpr int KeepAliveProbes = 3;
    // Keep-alive probes are only sent while nothing is waiting for an
    // acknowledgement; sent data that the peer never acknowledges is given up
    // on after the same time, instead of after the system's retransmission
    // limit of a quarter of an hour or more.
    static constexpr int UnacknowledgedTimeoutMs =
        (KeepAliveIdle + KeepAliveInterval * KeepAliveProbes) * 1000;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override;

    // Properties.
    TSocketType SocketType() const { return socketType_; }
    void setSocketType(TSocketType type);
    QString HostName() const { return hostName_; }
    void setHostName(const QString &name);
    QString PortName() const { return portName_; }
    void setPortName(const QString &name);
    bool Blocking() const { return blocking_; }
    void setBlocking(bool blocking);
    bool AutoAccept() const { return autoAccept_; }
    void setAutoAccept(bool on) { autoAccept_ = on; }
    bool Listen() const { return listening_; }
    void setListen(bool on);
    TLineBreak LineBreak() const { return lineBreak_; }
    void setLineBreak(TLineBreak lb) { lineBreak_ = lb; }
    int BlockingTimeout() const { return blockingTimeout_; }
    void setBlockingTimeout(int seconds) { blockingTimeout_ = seconds; }

    // A connection whose unsent bytes exceed this many is closed (0: no limit).
    qsizetype maxOutbound() const { return maxOutbound_; }
    void setMaxOutbound(qsizetype bytes) { maxOutbound_ = bytes; }

    // While reading is paused nothing is taken from the connection: the peer's
    // bytes wait in the system's buffers, and once those are full its sending
    // waits too. The end of the connection is noticed after reading resumes.
    bool readPaused() const { return readPaused_; }
    void setReadPaused(bool paused);

    bool Connected() const { return connected_; }
    bool hasSocket() const { return fd_ >= 0; }
    // The system's descriptor of the socket, -1 without one.
    int descriptor() const { return fd_; }
    qsizetype inboundSize() const { return inbound_.size(); }
    // The bytes received and not yet taken by Receive.
    const QByteArray &inbound() const { return inbound_; }
    qsizetype outboundSize() const { return outbound_.size(); }
    // Local port of a listening or connected socket, 0 without a socket.
    quint16 localPort() const;
    // errno of the last failed bind or listen, for callers that explain it.
    int lastListenErrno() const { return lastListenErrno_; }

    // Operations.
    bool Open();
    bool Close();
    bool Send(const QByteArray &bytes);
    QByteArray Receive(int max = -1);
    bool Accept(TSock *&newSock);
    // Takes over the other object's connection, made or still being made,
    // with its unread and unsent bytes. The other is left without a socket
    // and tells nothing of it; this one must have none yet.
    void takeOver(TSock &other);
    void SendDatagram(const QByteArray &text, const QString &host);
    bool ReceiveDatagram(QByteArray &text, QString &sender);

    int Tag = 0;

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;
    TNotifyReadEvent OnRead;
    TNotifyInfoEvent OnInfo;
    TNotifyAutoEvent OnAutoAccept;

    // Where a failure raised inside a notification ends up, since nothing on
    // the event loop can catch it. The default writes the message to stderr.
    using ErrorHandler = std::function<void(const QString &message)>;
    static void setUncaughtErrorHandler(ErrorHandler handler);

    // Forget every cached host name (tests use it to start from a clean cache).
    static void clearHostCache();
    // How many host names were resolved by the system so far.
    static int hostLookups();

private:
    void info(TSocketInfo kind, const QString &msg);
    quint16 resolvePort();
    quint32 resolveHost(const QString &name);
    void applyBlocking();
    void closeNotifiers();
    void adoptDescriptor(int fd);
    void readyRead();
    void readyWrite();
    void notifyError(int wsaCode);
    void flushOutbound();
    void runNotification(const std::function<void()> &body);

    int fd_ = -1;
    bool connected_ = false;
    bool connecting_ = false;
    bool listening_ = false;
    bool closing_ = false;
    bool readPaused_ = false;
    TSocketType socketType_ = stStream;
    QString hostName_;
    QString portName_;
    bool blocking_ = false;
    bool autoAccept_ = false;
    TLineBreak lineBreak_ = lbSmart;
    int blockingTimeout_ = 0;
    qsizetype maxOutbound_ = 0;
    int lastListenErrno_ = 0;
    QByteArray inbound_;
    QByteArray outbound_;
    QSocketNotifier *readNotifier_ = nullptr;
    QSocketNotifier *writeNotifier_ = nullptr;
};

// A stream view of a connection: reading is Receive, writing is Send.
class TSockStream {
public:
    explicit TSockStream(TSock *sock) : sock_(sock) {}
    QByteArray Read(int count) { return sock_->Receive(count); }
    qint64 Write(const QByteArray &bytes) {
        sock_->Send(bytes);
        return bytes.size();
    }
    qint64 Seek(qint64, int) { return 0; }

private:
    TSock *sock_;
};
