// How long the game window's event loop is held up while two hard computer
// players play a double-sided game in its process. The window hosts the game
// (offscreen), seats the two players with File > Add Computer Player > Hard,
// starts the game and sits out; a 1 ms timer then notes, until the game is
// over, the time between its ticks and the processor time the window's
// thread took in between. The processor time is what the event loop was busy
// with; the time between ticks also counts the moments in which the machine
// ran other programs instead. Percentiles are over all the ticks.
//
// usage: stall_bench [SEED] [MAX_SECONDS]
#include "client/computermenu.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "tests/client/hostingwindow.h"
#include "windows/tgameoptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double nowMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

bool waitFor(const std::function<bool()> &done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void summary(const char *what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    auto at = [&](double q) {
        return v[std::min(v.size() - 1, std::size_t(q * double(v.size())))];
    };
    const auto over = std::count_if(v.begin(), v.end(), [](double x) { return x > 16.0; });
    std::printf("%-28s median %6.2f ms  p99 %6.2f ms  p99.9 %7.2f ms  max %7.2f ms  "
                "over 16 ms: %lld\n",
                what, at(0.5), at(0.99), at(0.999), v.back(), static_cast<long long>(over));
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seed = argc > 1 ? std::atoi(argv[1]) : 3;
    const int maxSeconds = argc > 2 ? std::atoi(argv[2]) : 300;

    HostingWindow h(QStringLiteral("Alice"));
    h.server.seed(seed);
    ComputerMenu &menu = *h.w.computerMenu();
    menu.setPause(0);
    h.w.show();
    GameMirror &m = h.w.mirror();
    if (!waitFor([&] { return m.localSeat() == 1; }, 20000)) {
        std::fprintf(stderr, "the window did not log in\n");
        return 1;
    }
    menu.add(ai::Level::Hard);
    menu.add(ai::Level::Hard);
    if (!waitFor(
            [&] { return m.seats().name(2) == "Computer 1" && m.seats().name(3) == "Computer 2"; },
            60000)) {
        std::fprintf(stderr, "the computer players did not sit\n");
        return 1;
    }
    h.w.button_startClick();
    h.w.gameOptions()->doubleBox()->setChecked(true);
    h.w.gameOptions()->startButton()->click();
    if (!waitFor([&] { return m.gameRunning(); }, 20000)) {
        std::fprintf(stderr, "the game did not start\n");
        return 1;
    }
    h.w.JustWatch1Click(); // the window's own seat sits out

    std::vector<double> gaps;
    std::vector<double> busy;
    double lastWall = nowMs(CLOCK_MONOTONIC);
    double lastCpu = nowMs(CLOCK_THREAD_CPUTIME_ID);
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double wall = nowMs(CLOCK_MONOTONIC);
        const double cpu = nowMs(CLOCK_THREAD_CPUTIME_ID);
        gaps.push_back(wall - lastWall);
        busy.push_back(cpu - lastCpu);
        lastWall = wall;
        lastCpu = cpu;
    });
    int turns = 0;
    QObject::connect(&m, &GameMirror::turnChanged, [&] { ++turns; });
    // A plain event loop from here on: a loop that polls would keep the
    // window's thread busy itself.
    QEventLoop loop;
    QObject::connect(&m, &GameMirror::gameOver, &loop, &QEventLoop::quit);
    QTimer::singleShot(maxSeconds * 1000, &loop, &QEventLoop::quit);
    tick.start(1);
    QElapsedTimer clock;
    clock.start();
    if (m.gameRunning())
        loop.exec();
    tick.stop();
    const bool over = !m.gameRunning();
    std::printf("seed %d, %s after %.1f s, %d turns, scores %d and %d, %zu ticks\n", seed,
                over ? "game over" : "stopped", double(clock.elapsed()) / 1000.0, turns,
                m.seats().score(2), m.seats().score(3), gaps.size());
    summary("time between ticks", gaps);
    summary("window thread busy", busy);
    return over ? 0 : 1;
}
