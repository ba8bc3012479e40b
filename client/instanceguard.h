#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Keeps one game window per user. The first instance takes a per-user lock
// file and listens on a per-user local socket; a later start finds the lock
// taken, asks the running instance through that socket to show its window
// (and to open the invitation link it was started with), and ends.
class InstanceGuard : public QObject {
    Q_OBJECT
public:
    enum Outcome { First, AlreadyRunning, Failed };

    // baseName names both the socket and the lock file, which lie in the
    // user's runtime folder (the temporary folder without one); the user id
    // is added to the name.
    explicit InstanceGuard(const QString &baseName = QStringLiteral("xenrov"),
                           QObject *parent = nullptr);
    ~InstanceGuard() override;

    // True when ZORBLE_NO_INSTANCE_GUARD=1: every start runs on its own.
    static bool disabled();

    // `link`: an invitation the running instance is to open, if any.
    Outcome acquire(int waitMs = 3000, const QString &link = {});

    QString serverName() const { return serverName_; }
    QString lockPath() const { return lockPath_; }

signals:
    // Another start of the program wants the window in front.
    void raiseRequested();
    // ... with an invitation link to open (not yet checked).
    void linkReceived(const QString &link);

private:
    QString serverName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer *server_ = nullptr;
};

// The lock file that marks a running game ("zorble"), held until the process
// ends. Nothing tests it; it only tells other programs that a game runs.
class RunningMark {
public:
    RunningMark();
    ~RunningMark();

private:
    std::unique_ptr<QLockFile> lock_;
};
