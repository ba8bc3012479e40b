// Nine clients on loopback chat as fast as the host relays their lines.
//
// Each client keeps one request in flight: it sends a chat line, waits until
// all nine connections have received the relayed copy, and sends the next,
// though not sooner than kPace after the one before: the host's flood control
// relays no line that comes faster for long. The time from a request to its
// last relayed copy is recorded. The same
// load runs against a bare relay (a minimal poll() loop that copies each line
// to all connections) as the baseline, in the same run.
//
// Usage: chat_bench [--seconds S] [--zorble PATH]
#include "bench/support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 9;
constexpr auto kPace = std::chrono::milliseconds(100); // a client's lines, at most one per
using loopback::kEnd;

// A minimal relay: every line from any connection goes to all of them.
[[noreturn]] void bareRelay(int listenFd) {
    std::vector<int> conns;
    std::vector<std::string> carry;
    while (conns.size() < kClients) {
        const int fd = ::accept(listenFd, nullptr, nullptr);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        conns.push_back(fd);
        carry.emplace_back();
    }
    std::vector<pollfd> pfds(kClients);
    for (;;) {
        for (int i = 0; i < kClients; ++i)
            pfds[i] = {conns[i], POLLIN, 0};
        if (::poll(pfds.data(), kClients, -1) < 0)
            continue;
        for (int i = 0; i < kClients; ++i) {
            if (!(pfds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[32768];
            const ssize_t n = ::recv(conns[i], buf, sizeof buf, 0);
            if (n <= 0)
                _exit(0);
            carry[i].append(buf, static_cast<size_t>(n));
            size_t end;
            while ((end = carry[i].find(kEnd)) != std::string::npos) {
                const std::string msg = carry[i].substr(0, end + 1);
                carry[i].erase(0, end + 1);
                for (int fd : conns)
                    ::send(fd, msg.data(), msg.size(), MSG_NOSIGNAL);
            }
        }
    }
}

struct Result {
    double requestsPerSecond;
    double medianUs;
    double p99Us;
    size_t requests;
};

// Drives the nine connections for the given time; slots[i] is connection i's seat.
Result drive(const std::vector<int> &fds, const std::vector<int> &slots, double seconds) {
    std::vector<std::string> carry(kClients);
    std::vector<int> seq(kClients, 0);
    std::vector<int> copies(kClients, 0);
    std::vector<Clock::time_point> sentAt(kClients);
    std::vector<bool> waiting(kClients, false); // to send once its pace allows
    std::vector<double> latencies;
    latencies.reserve(1 << 20);
    auto request = [&](int i) {
        sentAt[i] = Clock::now();
        copies[i] = 0;
        loopback::sendAll("chat_bench", fds[i],
                          "CMD_chat+" + std::to_string(slots[i]) + "+" + std::to_string(++seq[i]) +
                              "|clRed" + kEnd);
    };
    std::vector<int> seatToClient(16, -1);
    for (int i = 0; i < kClients; ++i)
        seatToClient[slots[i]] = i;

    const auto start = Clock::now();
    const auto stop = start + std::chrono::duration<double>(seconds);
    for (int i = 0; i < kClients; ++i)
        request(i);
    std::vector<pollfd> pfds(kClients);
    bool running = true;
    int inFlight = kClients;
    while (inFlight > 0) {
        auto wake = Clock::now() + std::chrono::seconds(1);
        for (int i = 0; i < kClients; ++i) {
            if (!waiting[i])
                continue;
            if (Clock::now() >= sentAt[i] + kPace) {
                waiting[i] = false;
                request(i);
            } else {
                wake = std::min(wake, sentAt[i] + kPace);
            }
        }
        for (int i = 0; i < kClients; ++i)
            pfds[i] = {fds[i], POLLIN, 0};
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now());
        ::poll(pfds.data(), kClients, static_cast<int>(std::max<long>(0, waitMs.count())));
        for (int c = 0; c < kClients; ++c) {
            if (!(pfds[c].revents & POLLIN))
                continue;
            char buf[65536];
            const ssize_t n = ::recv(fds[c], buf, sizeof buf, 0);
            if (n <= 0) {
                std::fprintf(stderr, "chat_bench: connection lost\n");
                std::exit(1);
            }
            carry[c].append(buf, static_cast<size_t>(n));
            size_t end;
            while ((end = carry[c].find(kEnd)) != std::string::npos) {
                const std::string line = carry[c].substr(0, end);
                carry[c].erase(0, end + 1);
                if (line.rfind("CMD_chat+", 0) != 0)
                    continue;
                const int seat = std::atoi(line.c_str() + 9);
                if (seat < 1 || seat >= 16 || seatToClient[seat] < 0)
                    continue;
                const int i = seatToClient[seat];
                if (++copies[i] < kClients)
                    continue;
                const auto now = Clock::now();
                latencies.push_back(
                    std::chrono::duration<double, std::micro>(now - sentAt[i]).count());
                running = running && now < stop;
                if (running)
                    waiting[i] = true;
                else
                    --inFlight;
            }
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    Result r{};
    r.requests = latencies.size();
    r.requestsPerSecond = static_cast<double>(latencies.size()) / elapsed;
    r.medianUs = latencies[latencies.size() / 2];
    r.p99Us = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    return r;
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

Result runBaseline(double seconds) {
    const int lfd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(lfd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(lfd, 16);
    socklen_t len = sizeof a;
    ::getsockname(lfd, reinterpret_cast<sockaddr *>(&a), &len);
    const pid_t pid = ::fork();
    if (pid == 0)
        bareRelay(lfd);
    ::close(lfd);
    std::vector<int> fds, slots;
    for (int i = 0; i < kClients; ++i) {
        fds.push_back(loopback::connectTo("chat_bench", ntohs(a.sin_port)));
        slots.push_back(i + 1);
    }
    const Result r = drive(fds, slots, seconds);
    for (int fd : fds)
        ::close(fd);
    ::waitpid(pid, nullptr, 0);
    return r;
}

Result runHost(const char *zorble, double seconds) {
    const int port = freePort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string p = std::to_string(port);
        // No system bus: the host publishes nothing on the network.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/zorble-bench", 1);
        ::execl(zorble, zorble, "--serve", "--port", p.c_str(), static_cast<char *>(nullptr));
        std::perror("chat_bench: exec");
        _exit(127);
    }
    std::vector<int> fds, slots;
    for (int i = 0; i < kClients; ++i) {
        const int fd = loopback::connectTo("chat_bench", port);
        std::string carry;
        const std::string hello = loopback::readLine("chat_bench", fd, carry);
        const int slot = std::atoi(hello.c_str() + std::strlen("CMD_sendlogininfo+"));
        loopback::sendAll("chat_bench", fd,
                          "CMD_logininfo+" + std::to_string(slot) + "+2.1.1+Bench" +
                              std::to_string(slot) + kEnd + kEnd);
        fds.push_back(fd);
        slots.push_back(slot);
    }
    // Let the login announcements arrive and throw them away.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int fd : fds) {
        char buf[65536];
        while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) {
        }
    }
    const Result r = drive(fds, slots, seconds);
    for (int fd : fds)
        ::close(fd);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return r;
}

void print(const char *name, const Result &r) {
    std::printf("%-12s %10.0f req/s  median %8.1f us  p99 %8.1f us  (%zu requests)\n", name,
                r.requestsPerSecond, r.medianUs, r.p99Us, r.requests);
}

} // namespace

int main(int argc, char **argv) {
    double seconds = 3;
    const char *zorble = ZORBLE_BINARY;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--zorble") == 0)
            zorble = argv[i + 1];
    }
    const Result base = runBaseline(seconds);
    const Result host = runHost(zorble, seconds);
    print("bare relay", base);
    print("zorble host", host);
    std::printf("host/baseline: throughput %.2f, median latency %.2f, p99 latency %.2f\n",
                host.requestsPerSecond / base.requestsPerSecond, host.medianUs / base.medianUs,
                host.p99Us / base.p99Us);
    return 0;
}
