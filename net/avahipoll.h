#pragma once

#include <avahi-common/watch.h>

#include <QObject>

// Avahi's polling interface on the Qt event loop: each descriptor Avahi
// watches gets socket notifiers and each time-out a single-shot timer, so
// the client library's callbacks run on the event loop like every other
// handler. An Avahi client made with api() must be freed before this object.
class AvahiQtPoll : public QObject {
    Q_OBJECT
public:
    explicit AvahiQtPoll(QObject *parent = nullptr);
    ~AvahiQtPoll() override;

    const AvahiPoll *api() const { return &api_; }

private:
    AvahiPoll api_{};
};
