// One client floods the host with chat while others chat at a normal pace and
// a timed game runs.
//
// Nine clients log in to `zorble --serve` on loopback. The hosting player
// starts a game with a one-second turn that nobody plays, so the host's game
// clock sends a time-up every two seconds. After a quiet phase, the client in
// slot 2 sends chat lines as fast as its socket takes them (and reads its
// relayed copies, so that the host does not drop it), while four other
// clients each send a probe chat line every 20 ms and time the return of
// their own relayed copy. Reported for the quiet and the flood phase: the
// probes' median and worst round trip. The time-ups of the quiet phase set the
// clock's schedule (Qt's coarse timer settles the one-second ticks on a
// rhythm of its own within the first few, so the schedule is taken from the
// host rather than from the start of the game): the last quiet time-up plus
// whole periods of two seconds. Reported are how far the quiet periods stray
// from two seconds once settled, and how late each time-up of the flood phase
// reaches the hosting player against that schedule.
//
// The probes come from every client but the flooder, each at a pace the
// host's flood control lets through, together one every 20 ms. The host
// relays only a few of the flooder's lines; a flood longer than the host
// allows ends the flooder's connection, which is reported. Any other client
// that the host drops ends the benchmark with an error.
//
// With --before PATH the same load runs against a second program in the same
// run, first, and the figures of the two are compared as ratios.
//
// Usage: flood_bench [--quiet S] [--seconds S] [--zorble PATH] [--before PATH]
#include "bench/support/loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 9;
constexpr int kFlooder = 1;                         // the connection in slot 2
constexpr int kProbes[] = {0, 2, 3, 4, 5, 6, 7, 8}; // connections that send probes
constexpr int kTurnSeconds = 1;                     // the timed turn
constexpr int kTimeUpEveryMs = (kTurnSeconds + 1) * 1000;
// Each probing client's pace; all of them together send one every 20 ms.
constexpr auto kProbeEvery = std::chrono::milliseconds(20 * std::size(kProbes));
using loopback::kEnd;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

struct Stats {
    double median = 0;
    double worst = 0;
    size_t count = 0;
};

Stats stats(std::vector<double> v) {
    Stats s;
    s.count = v.size();
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v[v.size() / 2];
    s.worst = v.back();
    return s;
}

struct Phase {
    std::vector<double> probeMs;            // probe round trips
    std::vector<Clock::time_point> timeUps; // arrivals at the hosting player
};

struct Result {
    Stats quietProbe, quietPeriodOff, floodProbe, floodLate;
    double floodLinesPerSecond = 0;            // flood lines relayed back to the flooder
    long floodSent = 0;                        // whole flood lines the flooder sent
    int warnings = 0;                          // "sending too fast" lines the flooder got
    std::optional<double> flooderDroppedAfter; // seconds into the flood
};

struct Client {
    int fd = -1;
    int slot = 0;
    std::string own; // the start of this client's relayed chat
    std::string carry;
    std::deque<Clock::time_point> probesInFlight;
    Clock::time_point nextProbe;
    int probeSeq = 0;
};

class Run {
public:
    explicit Run(const char *zorble) {
        port_ = freePort();
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string p = std::to_string(port_);
            // No system bus: the host publishes nothing on the network.
            ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zorble-bench", 1);
            ::execl(zorble, zorble, "--serve", "--port", p.c_str(), static_cast<char *>(nullptr));
            std::perror("flood_bench: exec");
            _exit(127);
        }
        for (int i = 0; i < kClients; ++i) {
            Client c;
            c.fd = loopback::connectTo("flood_bench", port_);
            const std::string hello = loopback::readLine("flood_bench", c.fd, c.carry);
            c.slot = std::atoi(hello.c_str() + std::strlen("CMD_sendlogininfo+"));
            c.own = "CMD_chat+" + std::to_string(c.slot) + "+";
            loopback::sendAll("flood_bench", c.fd,
                              "CMD_logininfo+" + std::to_string(c.slot) + "+2.1.1+Bench" +
                                  std::to_string(c.slot) + kEnd + kEnd);
            clients_.push_back(std::move(c));
        }
        if (clients_[0].slot != 1 || clients_[kFlooder].slot != 2) {
            std::fprintf(stderr, "flood_bench: unexpected slots\n");
            std::exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (Client &c : clients_) {
            char buf[65536];
            while (::recv(c.fd, buf, sizeof buf, MSG_DONTWAIT) > 0) {
            }
            c.carry.clear();
            ::fcntl(c.fd, F_SETFL, ::fcntl(c.fd, F_GETFL) | O_NONBLOCK);
        }
        const std::string line = "CMD_chat+2+flood|clRed";
        for (int i = 0; i < 4096; ++i)
            flood_ += line + kEnd;
        floodLine_ = line.size() + 1;
    }

    ~Run() {
        for (Client &c : clients_)
            if (c.fd >= 0)
                ::close(c.fd);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    Result measure(double quietSeconds, double floodSeconds) {
        loopback::sendAll("flood_bench", clients_[0].fd,
                          "CMD_startgame+Bench+" + std::to_string(kTurnSeconds) + "+4+0+0+n+n+" +
                              kEnd);
        const auto start = Clock::now();
        for (size_t i = 0; i < std::size(kProbes); ++i)
            clients_[kProbes[i]].nextProbe = start + std::chrono::milliseconds(20 * i);
        Phase quiet, flood;
        pump(quiet,
             start + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(quietSeconds)),
             false);
        const auto floodStart = Clock::now();
        floodCopies_ = 0;
        pump(flood,
             floodStart + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double>(floodSeconds)),
             true);
        Result r;
        r.floodLinesPerSecond =
            static_cast<double>(floodCopies_) / ms(Clock::now() - floodStart) * 1000;
        r.floodSent = floodSent_;
        r.warnings = warnings_;
        if (flooderDropped_)
            r.flooderDroppedAfter = ms(*flooderDropped_ - floodStart) / 1000;
        r.quietProbe = stats(quiet.probeMs);
        if (quiet.timeUps.size() < 3) {
            std::fprintf(stderr,
                         "flood_bench: the quiet phase saw %zu time-ups; give it more "
                         "seconds\n",
                         quiet.timeUps.size());
            std::exit(1);
        }
        // The first period may be cut short while the coarse timer settles.
        std::vector<double> off, late;
        for (size_t i = 2; i < quiet.timeUps.size(); ++i)
            off.push_back(std::abs(ms(quiet.timeUps[i] - quiet.timeUps[i - 1]) - kTimeUpEveryMs));
        const Clock::time_point anchor = quiet.timeUps.back();
        for (size_t i = 0; i < flood.timeUps.size(); ++i)
            late.push_back(ms(flood.timeUps[i] - anchor) -
                           static_cast<double>((i + 1) * kTimeUpEveryMs));
        r.quietPeriodOff = stats(off);
        r.floodLate = stats(late);
        r.floodProbe = stats(flood.probeMs);
        return r;
    }

private:
    void pump(Phase &phase, Clock::time_point until, bool flooding) {
        std::vector<pollfd> pfds(kClients);
        for (;;) {
            auto now = Clock::now();
            if (now >= until)
                break;
            for (int p : kProbes) {
                Client &c = clients_[p];
                if (now < c.nextProbe)
                    continue;
                c.probesInFlight.push_back(now);
                loopback::sendAll("flood_bench", c.fd,
                                  "CMD_chat+" + std::to_string(c.slot) + "+probe" +
                                      std::to_string(++c.probeSeq) + "|clRed" + kEnd);
                c.nextProbe += kProbeEvery;
            }
            Clock::time_point wake = until;
            for (int p : kProbes)
                wake = std::min(wake, clients_[p].nextProbe);
            const int waitMs = static_cast<int>(std::max<double>(0, ms(wake - now) + 0.999));
            const bool floods = flooding && !flooderDropped_;
            for (int i = 0; i < kClients; ++i)
                pfds[i] = {clients_[i].fd,
                           static_cast<short>(POLLIN | (floods && i == kFlooder ? POLLOUT : 0)), 0};
            ::poll(pfds.data(), kClients, waitMs);
            for (int i = 0; i < kClients; ++i) {
                if (pfds[i].revents & (POLLIN | POLLHUP | POLLERR))
                    receive(i, phase);
                if (pfds[i].revents & POLLOUT)
                    floodSome();
            }
        }
        // The flooder ends on a whole line.
        if (flooding && !flooderDropped_ && floodOffset_ % floodLine_ != 0) {
            const size_t rest = floodLine_ - floodOffset_ % floodLine_;
            loopback::sendAll("flood_bench", clients_[kFlooder].fd,
                              flood_.substr(floodOffset_, rest));
            floodOffset_ = 0;
        }
    }

    void floodSome() {
        const ssize_t n = ::send(clients_[kFlooder].fd, flood_.data() + floodOffset_,
                                 flood_.size() - floodOffset_, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            floodSent_ += static_cast<long>((floodOffset_ % floodLine_ + static_cast<size_t>(n)) /
                                            floodLine_);
            floodOffset_ = (floodOffset_ + static_cast<size_t>(n)) % flood_.size();
        }
    }

    void receive(int i, Phase &phase) {
        Client &c = clients_[i];
        char buf[1 << 16];
        for (;;) {
            const ssize_t n = ::recv(c.fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                if (i == kFlooder) {
                    flooderDropped_ = Clock::now();
                    ::close(c.fd);
                    c.fd = -1; // poll() skips it from now on
                    return;
                }
                std::fprintf(stderr, "flood_bench: the host dropped the honest client in slot %d\n",
                             c.slot);
                std::exit(1);
            }
            if (n < 0)
                return;
            const auto now = Clock::now();
            c.carry.append(buf, static_cast<size_t>(n));
            size_t start = 0;
            for (;;) {
                const size_t end = c.carry.find(kEnd, start);
                if (end == std::string::npos)
                    break;
                line(i, std::string_view(c.carry).substr(start, end - start), now, phase);
                start = end + 1;
            }
            c.carry.erase(0, start);
        }
    }

    void line(int i, std::string_view text, Clock::time_point now, Phase &phase) {
        Client &c = clients_[i];
        if (i == kFlooder) {
            if (text.starts_with("CMD_chat+2+"))
                ++floodCopies_;
            else if (text.starts_with("CMD_chat+0+You are sending too fast"))
                ++warnings_;
            return;
        }
        if (!c.probesInFlight.empty() && text.starts_with(c.own)) {
            phase.probeMs.push_back(ms(now - c.probesInFlight.front()));
            c.probesInFlight.pop_front();
        }
        if (i != 0)
            return;
        if (text.starts_with("CMD_timeup+"))
            phase.timeUps.push_back(now);
    }

    int port_ = 0;
    pid_t pid_ = 0;
    std::vector<Client> clients_;
    std::string flood_;
    size_t floodLine_ = 0;
    size_t floodOffset_ = 0;
    long floodCopies_ = 0;
    long floodSent_ = 0;
    int warnings_ = 0;
    std::optional<Clock::time_point> flooderDropped_;
};

Result runHost(const char *zorble, double quiet, double seconds) {
    Run run(zorble);
    return run.measure(quiet, seconds);
}

void print(const char *name, const Result &r) {
    std::printf("%s\n", name);
    std::printf("  quiet: probe median %7.2f ms  worst %7.2f ms (%zu)   time-up period off "
                "median %7.2f ms  worst %7.2f ms (%zu)\n",
                r.quietProbe.median, r.quietProbe.worst, r.quietProbe.count,
                r.quietPeriodOff.median, r.quietPeriodOff.worst, r.quietPeriodOff.count);
    std::printf("  flood: probe median %7.2f ms  worst %7.2f ms (%zu)   time-up late median "
                "%7.2f ms  worst %7.2f ms (%zu)\n",
                r.floodProbe.median, r.floodProbe.worst, r.floodProbe.count, r.floodLate.median,
                r.floodLate.worst, r.floodLate.count);
    std::printf("  flood lines sent: %ld, relayed back: %.0f per second; \"too fast\" lines: %d\n",
                r.floodSent, r.floodLinesPerSecond, r.warnings);
    if (r.flooderDroppedAfter)
        std::printf("  the host dropped the flooder %.1f s into the flood\n",
                    *r.flooderDroppedAfter);
}

} // namespace

int main(int argc, char **argv) {
    double seconds = 20;
    double quiet = 8.5;
    const char *zorble = ZORBLE_BINARY;
    const char *before = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--quiet") == 0)
            quiet = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--zorble") == 0)
            zorble = argv[i + 1];
        else if (std::strcmp(argv[i], "--before") == 0)
            before = argv[i + 1];
    }
    if (before) {
        const Result old = runHost(before, quiet, seconds);
        print(before, old);
        const Result now = runHost(zorble, quiet, seconds);
        print(zorble, now);
        auto ratio = [](double a, double b) { return b != 0 ? a / b : 0.0; };
        std::printf("flood, this/before: probe median %.3f, probe worst %.3f, time-up late "
                    "median %.3f, worst %.3f, flood lines relayed %.3f\n",
                    ratio(now.floodProbe.median, old.floodProbe.median),
                    ratio(now.floodProbe.worst, old.floodProbe.worst),
                    ratio(now.floodLate.median, old.floodLate.median),
                    ratio(now.floodLate.worst, old.floodLate.worst),
                    ratio(now.floodLinesPerSecond, old.floodLinesPerSecond));
    } else {
        print(zorble, runHost(zorble, quiet, seconds));
    }
    return 0;
}
