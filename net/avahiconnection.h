#pragma once

#include "net/avahipoll.h"

#include <QObject>
#include <QString>

struct AvahiClient;

// A connection to the system's Avahi daemon over D-Bus, kept up as long as
// this object lives: made when start() is called, waiting while no daemon
// runs, and made again when the daemon restarts. Without a system bus it
// gives up and says why. Publishers and browsers make their Avahi objects
// on client() when the state becomes Running and free them when it leaves
// Running; the client still exists when they are told.
class AvahiConnection : public QObject {
    Q_OBJECT
public:
    enum State { Idle, Connecting, Running, Unavailable };

    explicit AvahiConnection(QObject *parent = nullptr);
    ~AvahiConnection() override;

    void start();
    State state() const { return state_; }
    // The client while Running, else null.
    AvahiClient *client() const { return state_ == Running ? client_ : nullptr; }
    // Why there is no connection, while Unavailable.
    QString reason() const { return reason_; }

signals:
    void stateChanged(AvahiConnection::State state);

private:
    static void clientCallback(AvahiClient *c, int state, void *self);
    void setState(State state);
    void restart();

    AvahiQtPoll poll_;
    AvahiClient *client_ = nullptr;
    State state_ = Idle;
    QString reason_;
};
