#pragma once

// A virtual X server, and programs on it driven from outside with xdotool as
// a player would, their state read from their state files.
#include "tests/e2e/program.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QProcess>

#include <functional>
#include <memory>

// A virtual X server on a display number it picks itself.
struct VirtualDisplay {
    QProcess proc;
    QString name;

    bool start() {
        proc.start(QStringLiteral("Xvfb"),
                   {"-displayfd", "1", "-screen", "0", "1800x700x24", "-nolisten", "tcp"});
        // The display number comes on standard output once it serves.
        if (!waitUntil([&] { return proc.canReadLine() || proc.state() == QProcess::NotRunning; },
                       10000) ||
            !proc.canReadLine())
            return false;
        name = QLatin1Char(':') + QString::fromLatin1(proc.readLine()).trimmed();
        return true;
    }
    ~VirtualDisplay() {
        proc.terminate();
        proc.waitForFinished(5000);
    }
};

// One program on the display, with its window and state file.
struct Player {
    QString stateFile;
    std::unique_ptr<Game> game;
    QString window; // the X window id
    QString display;

    QString xdotool(const QStringList &args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(10000);
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    }

    // The program's one visible window whose title matches, empty when none
    // shows within 10 s.
    QString findTitled(const QString &title) const {
        const QString pid = QString::number(game->proc.processId());
        QString found;
        waitUntil(
            [&] {
                found =
                    xdotool({"search", "--all", "--onlyvisible", "--pid", pid, "--name", title});
                return !found.isEmpty() && !found.contains(QLatin1Char('\n'));
            },
            10000);
        return found.contains(QLatin1Char('\n')) ? QString() : found;
    }
    bool findWindow() {
        window = findTitled(QStringLiteral("^Zorble$"));
        return !window.isEmpty();
    }

    // The state as the program writes it on SIGUSR1, asked for again until
    // `ready` holds.
    QJsonObject waitForState(const std::function<bool(const QJsonObject &)> &ready) {
        QJsonObject state;
        waitUntil(
            [&] {
                QFile::remove(stateFile);
                game->signal(SIGUSR1);
                if (!waitUntil([&] { return QFile::exists(stateFile); }, 2000))
                    return false;
                QFile f(stateFile);
                if (!f.open(QIODevice::ReadOnly))
                    return false;
                state = QJsonDocument::fromJson(f.readAll()).object();
                return ready(state);
            },
            15000);
        return state;
    }

    // The centre of a part of the window, or of a board square.
    QPoint centreOf(const QJsonObject &state, const QString &part) const {
        const QJsonArray r = state["places"].toObject()[part].toArray();
        return {r[0].toInt() + r[2].toInt() / 2, r[1].toInt() + r[3].toInt() / 2};
    }
    QPoint square(const QJsonObject &state, int x, int y) const {
        const QJsonArray r = state["places"].toObject()["board"].toArray();
        return {r[0].toInt() + 28 * x + 14, r[1].toInt() + 28 * y + 14};
    }
    void click(QPoint at, int button = 1) const {
        xdotool({"mousemove", "--window", window, QString::number(at.x()), QString::number(at.y()),
                 "click", QString::number(button)});
    }
    void keys(const QStringList &names) const { xdotool(QStringList{"key"} + names); }
};
