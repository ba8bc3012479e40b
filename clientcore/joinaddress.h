#pragma once

#include <QList>
#include <QString>

#include <variant>

class QHostAddress;

// The address of a game as a player gives it: a host name, an IPv4 or IPv6
// address, "host:port", "[v6]:port", or an invitation link
// "zorble://host:port". A port that is not given is the default one.
namespace join {

inline constexpr int kMaxAddress = 255; // characters
inline constexpr quint16 kDefaultPort = 7772;

struct Address {
    QString host; // an IPv6 address without its brackets
    quint16 port = kDefaultPort;

    bool operator==(const Address &) const = default;
};

// The address in the text, or why there is none. Blanks around it do not
// count; a link holds only a host and a port (a browser's trailing "/" is
// allowed).
std::variant<Address, QString> parse(const QString &text, quint16 defaultPort = kDefaultPort);

// Whether the text is meant as an invitation link ("zorble:" first).
bool isLink(const QString &text);

// "host:port", "[v6]:port" (what the list of recent hosts and the messages
// show), and the invitation link for the address.
QString shown(const Address &address);
QString link(const Address &address);

// Whether the host is written as an IPv4 or IPv6 address, not a name.
bool isNumeric(const QString &host);

// Of this machine's addresses, the one to put in an invitation: an IPv4
// address, else a global IPv6 one; never the loopback or a link-local
// address, which mean nothing on another machine. Empty when there is none.
QString invitationHost(const QList<QHostAddress> &addresses);

} // namespace join
