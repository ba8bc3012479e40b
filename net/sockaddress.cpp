#include "net/sockaddress.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <unistd.h>

namespace sockaddress {

QString text(const sockaddr_storage &address) {
    char written[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto &v4 = reinterpret_cast<const sockaddr_in &>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, written, sizeof written);
    } else if (address.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(address);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr))
            ::inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], written, sizeof written);
        else
            ::inet_ntop(AF_INET6, &v6.sin6_addr, written, sizeof written);
    }
    return QString::fromLatin1(written);
}

bool readIPv6(const QString &address, sockaddr_in6 &out) {
    if (!address.contains(QLatin1Char(':')))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo *result = nullptr;
    if (::getaddrinfo(address.toLatin1().constData(), nullptr, &hints, &result) != 0 || !result)
        return false;
    out = *reinterpret_cast<sockaddr_in6 *>(result->ai_addr);
    ::freeaddrinfo(result);
    return true;
}

int listeningSocket(quint16 port, int &err) {
    const int one = 1;
    const int zero = 0;
    int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
        // Lets a restarted host take its port back while old connections
        // linger in TIME_WAIT; a port held by a live listener still refuses.
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in6 addr{};
        addr.sin6_family = AF_INET6;
        addr.sin6_port = htons(port);
        addr.sin6_addr = in6addr_any;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
            return fd;
        err = errno;
        ::close(fd);
        // A port in use is in use for IPv4 too; anything else means that
        // IPv6 cannot be had here.
        if (err == EADDRINUSE || err == EACCES)
            return -1;
    }
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        err = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace sockaddress
