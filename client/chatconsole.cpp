#include "client/chatconsole.h"

#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/computermenu.h"
#include "client/tchat.h"
#include "windows/tgameoptions.h"

#include <QPushButton>
#include <QSocketNotifier>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxLine = 4096;

} // namespace

bool ChatConsole::requested() {
    return qEnvironmentVariable("ZORBLE_CHAT_CONSOLE") == QLatin1String("1");
}

ChatConsole::ChatConsole(Tchat &window, int inputFd)
    : QObject(&window), window_(window), fd_(inputFd) {
    connect(&window_, &Tchat::chatLineShown, this, [](const QString &line) {
        QByteArray bytes = line.toUtf8();
        for (char &c : bytes)
            if (c == '\n' || c == '\r')
                c = ' ';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ChatConsole::readInput);
    // Connected after the window's own handler, which lets the chat send.
    connect(&window_.mirror(), &GameMirror::ownSeatAnnounced, this, &ChatConsole::actOnLines);
}

void ChatConsole::readInput() {
    char area[1024];
    for (;;) {
        const ssize_t n = ::read(fd_, area, sizeof area);
        if (n == 0) {
            // End of input: nothing more will come.
            ended_ = true;
            notifier_->setEnabled(false);
            break;
        }
        if (n < 0)
            break;
        carry_.append(area, n);
    }
    qsizetype end;
    while ((end = carry_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(carry_.left(end)).trimmed();
        carry_.remove(0, end + 1);
        if (!line.isEmpty())
            waiting_ << line;
    }
    if (carry_.size() > kMaxLine)
        carry_.clear();
    actOnLines();
}

void ChatConsole::actOnLines() {
    while (!waiting_.isEmpty() && window_.chat()->loggedIn())
        act(waiting_.takeFirst());
    // Lines that wait keep the rest of the input in the system's pipe.
    if (!ended_)
        notifier_->setEnabled(waiting_.isEmpty());
}

void ChatConsole::act(const QString &line) {
    if (line == QLatin1String("/start")) {
        // Start Game, and at once the Game Options' start button.
        window_.button_startClick();
        if (window_.mirror().loggedIn())
            window_.gameOptions()->startButton()->click();
        return;
    }
    if (line == QLatin1String("/pass")) {
        window_.button_passClick();
        return;
    }
    if (line == QLatin1String("/hint")) {
        window_.computerMenu()->showHint();
        return;
    }
    if (line.startsWith(QLatin1String("/computer "))) {
        // "/computer LEVEL [PAUSE_MS]": File > Add Computer Player.
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const std::optional<ai::Level> level = ai::levelNamed(words.value(1));
        bool ok = true;
        const int pause = words.size() > 2 ? words[2].toInt(&ok) : -1;
        if (level && ok && words.size() <= 3) {
            if (pause >= 0)
                window_.computerMenu()->setPause(pause);
            window_.computerMenu()->add(*level);
            return;
        }
    }
    if (line == QLatin1String("/newtiles")) {
        window_.button_newtilesClick();
        return;
    }
    window_.chat()->entry()->setText(line);
    window_.chat()->sendit();
}
