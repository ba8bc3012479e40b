#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

// A stand-in for the game host (or the lobby): listens on a free loopback
// port, keeps the bytes its one client sends, and writes whatever a test
// tells it to.
class FakeHost {
public:
    FakeHost() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                ++connections_;
                peer_ = s;
                QObject::connect(s, &QTcpSocket::readyRead,
                                 [this, s] { received_ += s->readAll(); });
                QObject::connect(s, &QTcpSocket::disconnected, [this] { ++disconnects_; });
            }
        });
    }

    quint16 port() const { return server_.serverPort(); }
    bool connected() const { return peer_ && peer_->state() == QAbstractSocket::ConnectedState; }
    int connections() const { return connections_; }
    int disconnects() const { return disconnects_; }
    const QByteArray &received() const { return received_; }

    // Each message goes out with its 0xFF; all in one write.
    void send(const QList<QByteArray> &messages) {
        QByteArray bytes;
        for (const QByteArray &m : messages)
            bytes += m + '\xFF';
        sendRaw(bytes);
    }
    void sendRaw(const QByteArray &bytes) {
        peer_->write(bytes);
        peer_->flush();
    }
    void closePeer() { peer_->disconnectFromHost(); }

private:
    QTcpServer server_;
    QTcpSocket *peer_ = nullptr;
    QByteArray received_;
    int connections_ = 0;
    int disconnects_ = 0;
};

// A loopback port on which nothing listens.
inline quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
