#include "tests/support/testclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>

void ensureCoreApp() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "zorble-tests";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

bool waitUntil(const std::function<bool()> &cond, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

void spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

TestClient::TestClient() : sock_(new QTcpSocket), address_(QHostAddress::LocalHost) {
    QObject::connect(sock_, &QTcpSocket::readyRead, [this] { onReadyRead(); });
}

TestClient::~TestClient() {
    sock_->abort();
    delete sock_;
}

void TestClient::setAddress(const QHostAddress &address) {
    address_ = address;
}

bool TestClient::connectTo(quint16 port, int timeoutMs) {
    sock_->connectToHost(address_, port);
    return waitUntil([this] { return sock_->state() == QAbstractSocket::ConnectedState; },
                     timeoutMs);
}

void TestClient::send(const QString &message) {
    QByteArray bytes = message.toUtf8();
    bytes.append('\xFF');
    sendRaw(bytes);
}

void TestClient::sendRaw(const QByteArray &bytes) {
    sock_->write(bytes);
    sock_->flush();
}

void TestClient::close() {
    sock_->disconnectFromHost();
}

int TestClient::join(quint16 port, const QString &name, const QString &version) {
    if (!connectTo(port))
        return 0;
    const QString hello = waitFor(QStringLiteral("CMD_sendlogininfo+"));
    if (hello.isEmpty())
        return 0;
    slot_ = hello.mid(18).toInt();
    if (asksForToken)
        send(QStringLiteral("CMD_rejoin+"));
    // The login's name ends with its own 0xFF, so two terminators follow it.
    QByteArray bytes =
        QStringLiteral("CMD_logininfo+%1+%2+%3").arg(slot_).arg(version, name).toUtf8();
    bytes.append('\xFF');
    bytes.append('\xFF');
    sendRaw(bytes);
    if (waitFor(QStringLiteral("CMD_newplayerinfo+%1+").arg(slot_)).isEmpty())
        return 0;
    return slot_;
}

void TestClient::onReadyRead() {
    carry_.append(sock_->readAll());
    qsizetype end;
    while ((end = carry_.indexOf('\xFF')) >= 0) {
        lines_ << QString::fromUtf8(carry_.left(end));
        carry_.remove(0, end + 1);
    }
}

bool TestClient::next(QString &line, int timeoutMs) {
    if (!waitUntil([this] { return taken_ < lines_.size(); }, timeoutMs)) {
        line.clear();
        return false;
    }
    line = lines_.at(taken_++);
    return true;
}

QString TestClient::waitFor(const QString &prefix, int timeoutMs) {
    QString found;
    waitUntil(
        [&] {
            while (taken_ < lines_.size()) {
                const QString &l = lines_.at(taken_++);
                if (l.startsWith(prefix)) {
                    found = l;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

QStringList TestClient::drain() {
    QStringList rest = lines_.mid(taken_);
    taken_ = static_cast<int>(lines_.size());
    return rest;
}

int TestClient::countStartingWith(const QString &prefix) const {
    int n = 0;
    for (const QString &l : lines_)
        if (l.startsWith(prefix))
            ++n;
    return n;
}

bool TestClient::waitClosed(int timeoutMs) {
    return waitUntil([this] { return sock_->state() == QAbstractSocket::UnconnectedState; },
                     timeoutMs);
}

bool TestClient::isOpen() const {
    return sock_->state() == QAbstractSocket::ConnectedState;
}
