#pragma once

// The real program in its own process, for the end-to-end tests.
#include "tests/support/testclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTemporaryDir>

#include <csignal>

constexpr quint16 kGamePort = 7772;

// Another test or game may still hold the port for a moment.
inline bool waitForFreePort(quint16 port, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, port))
            return true;
        spin(100);
    }
    return false;
}

// The program with its chat console on: chat lines come out on stdout and
// lines written to stdin are sent as chat. It runs from a copy in a folder of
// its own, so the settings and tally files it keeps beside itself are its own
// and not the build tree's; `program` names a copy the test made itself. Its
// window is drawn off screen, or on the X display given.
class Game {
public:
    explicit Game(const QStringList &args, bool guard = false, const QString &runtimeDir = {},
                  const QString &stateFile = {}, const QString &program = {},
                  const QString &display = {}) {
        ensureCoreApp();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", display.isEmpty() ? "offscreen" : "xcb");
        if (!display.isEmpty())
            env.insert("DISPLAY", display);
        env.insert("ZORBLE_CHAT_CONSOLE", "1");
        if (guard)
            env.remove("ZORBLE_NO_INSTANCE_GUARD");
        else
            env.insert("ZORBLE_NO_INSTANCE_GUARD", "1");
        if (!runtimeDir.isEmpty())
            env.insert("XDG_RUNTIME_DIR", runtimeDir);
        if (!stateFile.isEmpty())
            env.insert("ZORBLE_STATE_FILE", stateFile);
        // A hosting program publishes its game only on a local network of
        // the test's own, never on the machine's.
        if (!env.contains("ZORBLE_LOCALNET"))
            env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zorble-tests");
        proc.setProcessEnvironment(env);
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&proc, &QProcess::readyReadStandardOutput,
                         [this] { out += QString::fromUtf8(proc.readAllStandardOutput()); });
        QString path = program;
        if (path.isEmpty()) {
            path = home.filePath(QStringLiteral("zorble"));
            QFile::copy(QStringLiteral(ZORBLE_BIN), path);
        }
        proc.start(path, args);
    }
    ~Game() {
        if (proc.state() != QProcess::NotRunning) {
            proc.kill();
            proc.waitForFinished(5000);
        }
    }
    bool waitForLine(const QString &line, int timeoutMs = 10000) {
        return waitUntil([&] { return out.split('\n').contains(line); }, timeoutMs);
    }
    // Signals the program, never anything else: a program that has already
    // ended has no process id, and kill(0, ...) would hit the whole group.
    void signal(int sig) {
        const auto pid = static_cast<pid_t>(proc.processId());
        if (pid > 0)
            ::kill(pid, sig);
    }
    bool terminate(int timeoutMs = 10000) {
        signal(SIGTERM);
        return waitUntil([&] { return proc.state() == QProcess::NotRunning; }, timeoutMs);
    }

    QTemporaryDir home; // the program's own folder
    QProcess proc;
    QString out;
};
