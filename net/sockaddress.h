#pragma once

// The socket addresses TSock works with: both families, written as text.

#include <QString>

#include <netinet/in.h>
#include <sys/socket.h>

namespace sockaddress {

// The peer's address as text: IPv4 peers of a dual-stack listener arrive as
// v4-mapped IPv6 addresses and are written in dotted form, as an IPv4
// listener writes them.
QString text(const sockaddr_storage &address);

// An IPv6 address written as such ("::1", "fe80::1%eth0"), without brackets.
bool readIPv6(const QString &address, sockaddr_in6 &out);

// A bound, non-blocking socket on every address of both families (IPv4 peers
// arrive v4-mapped), or on every IPv4 address where the system has no IPv6;
// -1 with the reason in `err` when the port cannot be had.
int listeningSocket(quint16 port, int &err);

} // namespace sockaddress
