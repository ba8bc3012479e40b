#include "net/avahipoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>
#include <sys/time.h>

#include <algorithm>

// The types Avahi leaves to the poll's provider. A watch or time-out may be
// freed by the very callback it runs, so nothing touches it after the call.
struct AvahiWatch {
    AvahiQtPoll *owner;
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened;
    AvahiWatchCallback callback;
    void *userdata;
    QSocketNotifier *read;
    QSocketNotifier *write;
};

struct AvahiTimeout {
    QTimer *timer;
    AvahiTimeoutCallback callback;
    void *userdata;
};

namespace {

// What the descriptor has now, among what is watched: the notifiers tell
// readiness, poll() tells which kind.
AvahiWatchEvent eventsNow(const AvahiWatch *w) {
    pollfd p{w->fd, static_cast<short>(w->wanted), 0};
    if (::poll(&p, 1, 0) <= 0)
        return AvahiWatchEvent(0);
    return AvahiWatchEvent(p.revents);
}

void fire(AvahiWatch *w) {
    const AvahiWatchEvent events = eventsNow(w);
    if (events == 0)
        return;
    w->happened = events;
    w->callback(w, w->fd, events, w->userdata); // may free w
}

void enable(AvahiWatch *w) {
    w->read->setEnabled((w->wanted & (AVAHI_WATCH_IN | AVAHI_WATCH_ERR | AVAHI_WATCH_HUP)) != 0);
    w->write->setEnabled((w->wanted & AVAHI_WATCH_OUT) != 0);
}

AvahiWatch *watchNew(const AvahiPoll *api, int fd, AvahiWatchEvent event,
                     AvahiWatchCallback callback, void *userdata) {
    auto *owner = static_cast<AvahiQtPoll *>(api->userdata);
    auto *w =
        new AvahiWatch{owner, fd, event, AvahiWatchEvent(0), callback, userdata, nullptr, nullptr};
    w->read = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    w->write = new QSocketNotifier(fd, QSocketNotifier::Write, owner);
    QObject::connect(w->read, &QSocketNotifier::activated, owner, [w] { fire(w); });
    QObject::connect(w->write, &QSocketNotifier::activated, owner, [w] { fire(w); });
    enable(w);
    return w;
}

void watchUpdate(AvahiWatch *w, AvahiWatchEvent event) {
    w->wanted = event;
    enable(w);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *w) {
    return w->happened;
}

void watchFree(AvahiWatch *w) {
    // The notifiers may be the senders of the signal being handled.
    for (QSocketNotifier *n : {w->read, w->write}) {
        n->setEnabled(false);
        QObject::disconnect(n, nullptr, nullptr, nullptr);
        n->deleteLater();
    }
    delete w;
}

void arm(AvahiTimeout *t, const timeval *tv) {
    if (!tv) {
        t->timer->stop();
        return;
    }
    timeval now{};
    ::gettimeofday(&now, nullptr);
    const qint64 ms = (qint64(tv->tv_sec) - now.tv_sec) * 1000 + (tv->tv_usec - now.tv_usec) / 1000;
    t->timer->start(int(std::clamp<qint64>(ms, 0, 24LL * 3600 * 1000)));
}

AvahiTimeout *timeoutNew(const AvahiPoll *api, const timeval *tv, AvahiTimeoutCallback callback,
                         void *userdata) {
    auto *owner = static_cast<AvahiQtPoll *>(api->userdata);
    auto *t = new AvahiTimeout{new QTimer(owner), callback, userdata};
    t->timer->setSingleShot(true);
    QObject::connect(t->timer, &QTimer::timeout, owner, [t] { t->callback(t, t->userdata); });
    arm(t, tv);
    return t;
}

void timeoutUpdate(AvahiTimeout *t, const timeval *tv) {
    arm(t, tv);
}

void timeoutFree(AvahiTimeout *t) {
    t->timer->stop();
    QObject::disconnect(t->timer, nullptr, nullptr, nullptr);
    t->timer->deleteLater();
    delete t;
}

} // namespace

AvahiQtPoll::AvahiQtPoll(QObject *parent) : QObject(parent) {
    api_.userdata = this;
    api_.watch_new = watchNew;
    api_.watch_update = watchUpdate;
    api_.watch_get_events = watchGetEvents;
    api_.watch_free = watchFree;
    api_.timeout_new = timeoutNew;
    api_.timeout_update = timeoutUpdate;
    api_.timeout_free = timeoutFree;
}

AvahiQtPoll::~AvahiQtPoll() = default;
