#include "net/avahiconnection.h"

#include <avahi-client/client.h>
#include <avahi-common/error.h>

#include <QTimer>

AvahiConnection::AvahiConnection(QObject *parent) : QObject(parent) {}

AvahiConnection::~AvahiConnection() {
    if (client_)
        avahi_client_free(client_);
}

void AvahiConnection::start() {
    if (client_ || state_ == Unavailable)
        return;
    int error = 0;
    // Called back during avahi_client_new already, before client_ is set.
    client_ = avahi_client_new(
        poll_.api(), AVAHI_CLIENT_NO_FAIL,
        [](AvahiClient *c, AvahiClientState s, void *self) { clientCallback(c, int(s), self); },
        this, &error);
    if (!client_) {
        reason_ = QString::fromUtf8(avahi_strerror(error));
        setState(Unavailable);
        return;
    }
    if (state_ == Idle)
        setState(Connecting);
}

void AvahiConnection::clientCallback(AvahiClient *c, int state, void *self) {
    auto *me = static_cast<AvahiConnection *>(self);
    if (!me->client_)
        me->client_ = c;
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        me->setState(Running);
        break;
    case AVAHI_CLIENT_CONNECTING:
    case AVAHI_CLIENT_S_REGISTERING:
    case AVAHI_CLIENT_S_COLLISION:
        // The daemon is (re)starting or renaming the machine: what was
        // registered is withdrawn and made again once it runs.
        me->setState(Connecting);
        break;
    case AVAHI_CLIENT_FAILURE:
        if (avahi_client_errno(c) == AVAHI_ERR_DISCONNECTED) {
            // The daemon went away: wait for the next one, outside the
            // library's own call.
            me->setState(Connecting);
            QTimer::singleShot(0, me, &AvahiConnection::restart);
        } else {
            me->reason_ = QString::fromUtf8(avahi_strerror(avahi_client_errno(c)));
            me->setState(Unavailable);
        }
        break;
    default:
        break;
    }
}

void AvahiConnection::restart() {
    if (client_)
        avahi_client_free(client_);
    client_ = nullptr;
    start();
}

void AvahiConnection::setState(State state) {
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}
