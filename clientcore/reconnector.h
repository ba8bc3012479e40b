#pragma once

// When to try again after the connection to the host dropped: after 1, 2,
// 4, ... seconds, at most kLongestWait apart, until the host would no longer
// keep the seat. It only keeps time; whoever listens makes the connection.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

class Reconnector : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kFirstWait{1000};
    static constexpr std::chrono::milliseconds kLongestWait{10000};

    explicit Reconnector(QObject *parent = nullptr);

    // The wait before try number `attempt` (1, 2, ...).
    static std::chrono::milliseconds waitBefore(int attempt);

    // Starts counting after a drop; `grace` is how long the host keeps the seat.
    void start(std::chrono::milliseconds grace);
    // The connection is back, or the window gives up.
    void stop();
    bool active() const { return active_; }
    int attempts() const { return attempt_; }
    // The last try failed: the next one is scheduled, or gaveUp() follows.
    void failed();

signals:
    void attemptDue();
    void gaveUp();

private:
    void schedule();

    QTimer timer_;
    QElapsedTimer since_;
    std::chrono::milliseconds grace_{0};
    int attempt_ = 0;
    bool active_ = false;
};
