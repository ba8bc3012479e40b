#pragma once

#include "clientcore/gamemirror.h"
#include "net/framing.h"
#include "net/tsock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>

// The client's link to its host: the game connection `sock`, the lobby link
// `Sock11`, the framing of both, the inbound queue `receivedlist` and the
// dispatcher. Every line is decoded once into a typed message and handed to
// the game mirror; a line that does not read is dropped with one line on
// standard error. It has no window: a program without one follows a game
// through a HostLink and its GameMirror as the game window does.
class HostLink : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kGamePort = 7772;
    static constexpr quint16 kLobbyPort = 9001;

    explicit HostLink(GameMirror &mirror, QObject *parent = nullptr);
    ~HostLink() override;

    // The version text and the name sent at login, when the host gives a
    // slot.
    void setVersion(const QString &version) { version_ = version; }
    void setLogin(const QString &name) { loginName_ = name; }
    // A token that gives back a seat kept at the host: it goes before the
    // login of the next connection, once. A host that does not know it
    // ignores it.
    void setRejoinToken(const QString &token) { rejoinToken_ = token; }
    // Whether the link asks for a rejoin token even without one to present.
    // A host gives tokens, and says goodbye before it closes on purpose, only
    // to clients that ask: the bytes other clients get stay as they were.
    void setWantsRejoin(bool on) { wantsRejoin_ = on; }
    // A host that gives rejoin tokens says every few seconds during a game
    // that it is there. After this long without a byte from it the
    // connection is taken as lost, as a closed one is: a host or a route
    // that stopped answering without closing leaves no other trace.
    static constexpr int kSilenceMs = 20000;
    void setSilenceLimit(int ms);
    // Connects to the host; an address that cannot be looked up leaves the
    // link unconnected, with the reason on standard error. Either way a
    // connection that cannot be made is reported with connectFailed.
    void connectToHost(const QString &address, quint16 port);
    // Connects again to the host of the last connectToHost, after the
    // connection dropped; the rejoin token goes with the login again.
    void reconnect();
    // Takes over a connection to the host made elsewhere (a join from the
    // Join dialog); what the host sent on it so far is handled first.
    void adopt(TSock &connection);
    // Connects the lobby link on the loopback address.
    void openLobby(quint16 port);
    bool connected() const;
    // Sends one request to the host; nothing when not connected.
    void send(const proto::Request &request);
    // Sends a line as it stands, for tools and tests that write the protocol
    // by hand; nothing when not connected.
    void sendLine(const QString &line);
    // Ends both connections at once and drops whatever is queued. Nothing is
    // dispatched or reported afterwards.
    void close();

    // Messages taken off the queue and handed to the dispatcher so far.
    int dispatchedCount() const { return dispatched_; }

signals:
    // A message line is about to be handled (tests watch the order).
    void dispatching(const QString &line);
    // A connection closed; the lines that came before it have been handled.
    void connectionClosed();
    // The connection to the host could not be made (the reason as the
    // socket gives it); nothing else follows.
    void connectFailed(const QString &reason);

private:
    // A queued line, or the mark that one of the sockets closed.
    struct Queued {
        QString line;
        bool socketClosed = false;
    };

    void sockRead(TSock *sender);
    void sockInfo(TSock *sender, TSocketInfo kind, const QString &text);
    void Timer1Timer();
    void dispatch(const QString &line);
    // Forgets what it knew of the host's keep-alives: a new connection.
    void resetSilence();
    void checkSilence();

    GameMirror &mirror_;
    TSock sock;
    TSock Sock11;
    FrameSplitter sockCarry_;
    FrameSplitter lobbyCarry_;
    std::deque<Queued> receivedlist;
    QTimer Timer1;
    QString version_ = QString::fromLatin1(proto::kVersion);
    QString loginName_;
    QString rejoinToken_;
    bool rejoinSent_ = false; // on this connection
    bool wantsRejoin_ = false;
    QTimer silenceCheck_;
    QElapsedTimer lastHeard_;     // since the host's last bytes
    bool hostKeepsAlive_ = false; // this connection's host gave a token
    int silenceLimitMs_ = kSilenceMs;
    bool handling_ = false;
    bool closed_ = false;
    bool reached_ = false; // the game connection was made once
    int dispatched_ = 0;
};
