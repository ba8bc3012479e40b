#pragma once

// Plain sockets on the loopback address for the benchmarks that drive a host
// process: connect, send everything, read one 0xFF-framed message. Any
// failure ends the benchmark with a line naming it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace loopback {

constexpr char kEnd = '\xFF';

// Connects with TCP_NODELAY, retrying for a few seconds while the host starts.
inline int connectTo(const char *who, int port) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fprintf(stderr, "%s: cannot connect to port %d\n", who, port);
    std::exit(1);
}

// Sends all of s on a blocking or non-blocking socket, waiting as needed.
inline void sendAll(const char *who, int fd, const std::string &s) {
    size_t off = 0;
    while (off < s.size()) {
        const ssize_t n = ::send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
        if (n > 0) {
            off += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            std::fprintf(stderr, "%s: send: %s\n", who, std::strerror(errno));
            std::exit(1);
        }
    }
}

// Reads one framed message, blocking; `carry` keeps what came after it.
inline std::string readLine(const char *who, int fd, std::string &carry) {
    for (;;) {
        const size_t end = carry.find(kEnd);
        if (end != std::string::npos) {
            std::string line = carry.substr(0, end);
            carry.erase(0, end + 1);
            return line;
        }
        char buf[4096];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            std::fprintf(stderr, "%s: connection lost\n", who);
            std::exit(1);
        }
        carry.append(buf, static_cast<size_t>(n));
    }
}

} // namespace loopback
