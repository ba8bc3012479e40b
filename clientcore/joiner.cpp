#include "clientcore/joiner.h"

#include "net/framing.h"
#include "net/messages.h"
#include "net/protocol.h"
#include "net/tsock.h"

#include <QHostAddress>
#include <QHostInfo>

#include <cstdio>

namespace {

constexpr qsizetype kMaxMessage = 8 * 1024;

} // namespace

Joiner::Joiner(QObject *parent) : QObject(parent) {
    // A coarse timer may fire up to 5% early: the host gets its full time.
    deadline_.setTimerType(Qt::PreciseTimer);
    deadline_.setSingleShot(true);
    deadline_.setInterval(kAnswerMs);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1 did not answer within %2 seconds.")
                 .arg(join::shown(target_))
                 .arg(kAnswerMs / 1000));
    });
    attempt_.setSingleShot(true);
    attempt_.setInterval(kAttemptMs);
    connect(&attempt_, &QTimer::timeout, this, &Joiner::tryNext);
}

Joiner::~Joiner() {
    cancel();
}

void Joiner::start(const join::Address &target, const QStringList &addresses) {
    cancel();
    target_ = target;
    busy_ = true;
    refused_ = false;
    next_ = 0;
    deadline_.start();
    if (!addresses.isEmpty() || join::isNumeric(target.host)) {
        addresses_ = addresses.isEmpty() ? QStringList{target.host} : addresses;
        tryNext();
        return;
    }
    emit progress(QStringLiteral("Looking up %1...").arg(target.host));
    lookup_ = QHostInfo::lookupHost(target.host, this, &Joiner::lookedUp);
}

void Joiner::cancel() {
    if (lookup_ >= 0)
        QHostInfo::abortHostLookup(lookup_);
    lookup_ = -1;
    deadline_.stop();
    attempt_.stop();
    sock_.reset();
    busy_ = false;
}

void Joiner::lookedUp(const QHostInfo &info) {
    if (info.lookupId() != lookup_)
        return;
    lookup_ = -1;
    addresses_.clear();
    for (const QHostAddress &a : info.addresses())
        addresses_ << a.toString();
    if (info.error() != QHostInfo::NoError || addresses_.isEmpty()) {
        fail(QStringLiteral("Cannot find the host \"%1\".").arg(target_.host));
        return;
    }
    tryNext();
}

void Joiner::tryNext() {
    sock_.reset();
    if (next_ >= addresses_.size()) {
        fail(refused_ ? QStringLiteral("No game answers at %1: the connection was refused.")
                            .arg(join::shown(target_))
                      : QStringLiteral("%1 cannot be reached.").arg(join::shown(target_)));
        return;
    }
    const QString address = addresses_[next_++];
    emit progress(QStringLiteral("Connecting to %1...").arg(join::shown({address, target_.port})));
    sock_ = std::make_unique<TSock>();
    sock_->setHostName(address);
    sock_->setPortName(QString::number(target_.port));
    sock_->OnInfo = [this](TSock *, TSocketInfo kind, const QString &text) {
        if (kind == siConnect)
            attempt_.stop(); // the host is there: wait for its first message
        else if (kind == siError && !sock_->Connected())
            connectionFailed(text.contains(QLatin1String("WSAECONNREFUSED")));
        else if (text == QLatin1String("Socket Closed"))
            QTimer::singleShot(0, this, [this] {
                if (busy_)
                    fail(QStringLiteral("%1 closed the connection without a word.")
                             .arg(join::shown(target_)));
            });
    };
    sock_->OnRead = [this](TSock *, int) { readFirstMessage(); };
    attempt_.start();
    try {
        sock_->Open();
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot connect to %s: %s\n", qPrintable(address), e.what());
        QTimer::singleShot(0, this, [this] {
            if (busy_)
                tryNext();
        });
    }
}

void Joiner::connectionFailed(bool refused) {
    attempt_.stop();
    refused_ = refused_ || refused;
    // Not from inside the socket's own report.
    QTimer::singleShot(0, this, [this] {
        if (busy_)
            tryNext();
    });
}

void Joiner::readFirstMessage() {
    if (!sock_)
        return;
    const QByteArray &bytes = sock_->inbound();
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf(FrameSplitter::Terminator, start);
        if (end < 0)
            break;
        const QString line = proto::decode(bytes.sliced(start, end - start));
        start = end + 1;
        const proto::DecodedHostMessage decoded = proto::decodeHostMessage(line);
        if (std::holds_alternative<proto::Ignored>(decoded))
            continue; // a start marker or an empty line
        const auto *message = std::get_if<proto::HostMessage>(&decoded);
        if (message && std::holds_alternative<proto::toclient::SendLoginInfo>(*message))
            return finish();
        if (message && std::holds_alternative<proto::toclient::Full>(*message))
            return fail(QStringLiteral("The game at %1 is full.").arg(join::shown(target_)));
        return fail(
            QStringLiteral("%1 does not answer as a Zorble game.").arg(join::shown(target_)));
    }
    if (bytes.size() - start > kMaxMessage)
        fail(QStringLiteral("%1 does not answer as a Zorble game.").arg(join::shown(target_)));
}

void Joiner::finish() {
    deadline_.stop();
    attempt_.stop();
    sock_->OnInfo = nullptr;
    sock_->OnRead = nullptr;
    busy_ = false;
    emit succeeded();
}

void Joiner::handOver(TSock &to) {
    if (!sock_ || busy_)
        return;
    to.takeOver(*sock_);
    sock_.reset();
}

void Joiner::fail(const QString &message) {
    // The socket may be the one reporting: let it finish first.
    if (sock_) {
        sock_->OnInfo = nullptr;
        sock_->OnRead = nullptr;
        sock_.release()->deleteLater();
    }
    cancel();
    emit failed(message);
}
