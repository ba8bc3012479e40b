#include "app/signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void catchSignal(int sig) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(sig, &action, nullptr);
}

} // namespace

void SignalWatcher::catchEarly(bool user1) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default actions
    catchSignal(SIGINT);
    catchSignal(SIGTERM);
    if (user1)
        catchSignal(SIGUSR1);
}

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent) {
    catchEarly(false);
}

void SignalWatcher::watchUser1() {
    catchEarly(true);
}

void SignalWatcher::start() {
    if (notifier_ || g_pipe[0] < 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1) {
            if (byte == SIGUSR1)
                emit stateRequested();
            else
                emit terminationRequested(byte);
        }
    });
}

SignalWatcher::~SignalWatcher() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGUSR1, SIG_DFL);
}
