#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM, and SIGUSR1 when asked to, into Qt signals
// delivered by the event loop, so that the program acts on them outside the
// signal handler: closing down cleanly, or writing its state file.
//
// The handlers only write the signal's number into a pipe. catchEarly()
// installs them first thing in main; a signal that comes while the program
// is still being set up waits in the pipe, and start() hands it on once the
// receivers are connected.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Catches SIGINT and SIGTERM, and SIGUSR1 too with `user1`, from now on.
    // Safe to call again.
    static void catchEarly(bool user1);

    // Catches SIGINT and SIGTERM (if not yet caught).
    explicit SignalWatcher(QObject *parent = nullptr);
    // The signals go back to their default actions.
    ~SignalWatcher() override;

    // Also reports SIGUSR1, as stateRequested().
    void watchUser1();
    // Reports the signals caught so far, then every later one, from the
    // event loop.
    void start();

signals:
    void terminationRequested(int signal);
    void stateRequested();

private:
    QSocketNotifier *notifier_ = nullptr;
};
