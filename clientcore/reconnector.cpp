#include "clientcore/reconnector.h"

#include <algorithm>

Reconnector::Reconnector(QObject *parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++attempt_;
        emit attemptDue();
    });
}

std::chrono::milliseconds Reconnector::waitBefore(int attempt) {
    // Doubling from the first wait; the shift is bounded so it cannot overflow.
    const int doublings = std::clamp(attempt - 1, 0, 16);
    return std::min(kFirstWait * (1 << doublings), kLongestWait);
}

void Reconnector::start(std::chrono::milliseconds grace) {
    grace_ = grace;
    attempt_ = 0;
    active_ = true;
    since_.start();
    schedule();
}

void Reconnector::stop() {
    active_ = false;
    timer_.stop();
}

void Reconnector::failed() {
    // A failed try may be reported twice (the error, then the close).
    if (active_ && !timer_.isActive())
        schedule();
}

void Reconnector::schedule() {
    const std::chrono::milliseconds wait = waitBefore(attempt_ + 1);
    // No try is started after the seat would be given up.
    if (std::chrono::milliseconds(since_.elapsed()) + wait > grace_) {
        stop();
        emit gaveUp();
        return;
    }
    timer_.start(wait);
}
