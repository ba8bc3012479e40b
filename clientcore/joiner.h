#pragma once

#include "clientcore/joinaddress.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QHostInfo;
class TSock;

// Makes the connection for a join before the current game is left: looks
// the host up (both address families), tries each address in turn and waits
// for the host's first message. The host's offer of a slot succeeds, and the
// connection, with that message still unread, is handed to the game that
// takes it over; anything else fails with a message for the player, and
// nothing else has changed.
class Joiner : public QObject {
    Q_OBJECT
public:
    // The whole attempt, from the look-up to the host's first message.
    static constexpr int kAnswerMs = 10000;
    // One address's connection before the next address is tried.
    static constexpr int kAttemptMs = 3000;

    explicit Joiner(QObject *parent = nullptr);
    ~Joiner() override;

    // `addresses`: where the host is known to be (a game found on the local
    // network); otherwise its name is looked up.
    void start(const join::Address &target, const QStringList &addresses = {});
    void cancel();
    bool busy() const { return busy_; }
    const join::Address &target() const { return target_; }

    // After succeeded(): moves the connection into `to`.
    void handOver(TSock &to);

signals:
    // What is being done, for the dialog ("Connecting to ...").
    void progress(const QString &text);
    void succeeded();
    void failed(const QString &message);

private:
    void lookedUp(const QHostInfo &info);
    void tryNext();
    void connectionFailed(bool refused);
    void readFirstMessage();
    void finish();
    void fail(const QString &message);

    std::unique_ptr<TSock> sock_;
    join::Address target_;
    QStringList addresses_;
    int next_ = 0;
    int lookup_ = -1;
    bool busy_ = false;
    bool refused_ = false; // some address refused the connection
    QTimer deadline_;
    QTimer attempt_;
};
