#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM, and SIGUSR1 when asked to, into Qt signals
// delivered by the event loop, so that the program acts on them outside the
// signal handler: closing down cleanly, or writing its state file.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // Also reports SIGUSR1, as stateRequested().
    void watchUser1();

signals:
    void terminationRequested(int signal);
    void stateRequested();

private:
    QSocketNotifier *notifier_ = nullptr;
};
