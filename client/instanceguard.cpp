#include "client/instanceguard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kOpen = "open ";
// A request is one short line: "raise", or "open" and a link.
constexpr qsizetype kMaxRequest = 1024;

QString userSuffix() {
    return QStringLiteral("-%1").arg(::getuid());
}

QString lockDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

} // namespace

InstanceGuard::InstanceGuard(const QString &baseName, QObject *parent)
    : QObject(parent), serverName_(lockDir() + QLatin1Char('/') + baseName + userSuffix()),
      lockPath_(lockDir() + QLatin1Char('/') + baseName + userSuffix() + QStringLiteral(".lock")) {}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::disabled() {
    return qEnvironmentVariable("ZORBLE_NO_INSTANCE_GUARD") == QLatin1String("1");
}

InstanceGuard::Outcome InstanceGuard::acquire(int waitMs, const QString &link) {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    lock_->setStaleLockTime(0); // only a dead owner makes the lock stale
    if (lock_->tryLock(0)) {
        // We are first. A socket left behind by a crashed instance is removed.
        QLocalServer::removeServer(serverName_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        if (!server_->listen(serverName_))
            return First; // still the only instance; we just cannot be raised
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *peer = server_->nextPendingConnection()) {
                connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                    QByteArray request = peer->property("request").toByteArray() + peer->readAll();
                    const qsizetype end = request.indexOf('\n');
                    if (end < 0 && request.size() < kMaxRequest) {
                        peer->setProperty("request", request); // the rest is on its way
                        return;
                    }
                    request.truncate(end < 0 ? 0 : end);
                    if (request == kRaise.trimmed()) {
                        emit raiseRequested();
                    } else if (request.startsWith(kOpen)) {
                        emit raiseRequested();
                        emit linkReceived(QString::fromUtf8(request.mid(kOpen.size())));
                    }
                    peer->disconnectFromServer();
                });
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            }
        });
        return First;
    }
    lock_.reset();

    // Somebody else runs: ask it to come forward. It may be starting up and
    // not listening yet, so try for a while.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs) {
        QLocalSocket peer;
        peer.connectToServer(serverName_);
        if (peer.waitForConnected(200)) {
            peer.write(link.isEmpty() ? kRaise : kOpen + link.toUtf8() + '\n');
            peer.waitForBytesWritten(500);
            peer.disconnectFromServer();
            return AlreadyRunning;
        }
        QThread::msleep(50);
    }
    return Failed;
}

RunningMark::RunningMark()
    : lock_(std::make_unique<QLockFile>(lockDir() + QStringLiteral("/zorble") + userSuffix() +
                                        QStringLiteral(".lock"))) {
    lock_->setStaleLockTime(0);
    lock_->tryLock(0);
}

RunningMark::~RunningMark() = default;
