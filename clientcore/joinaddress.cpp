#include "clientcore/joinaddress.h"

#include "net/playername.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

namespace join {

namespace {

const QString kScheme = QStringLiteral("zorble:");
const QString kLinkStart = QStringLiteral("zorble://");
constexpr int kMaxHostName = 253;

std::variant<quint16, QString> readPort(const QString &text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const QString problem = QStringLiteral("The port must be a number from 1 to 65535.");
    if (!digits.match(text).hasMatch())
        return problem;
    const int port = text.toInt();
    if (port < 1 || port > 65535)
        return problem;
    return quint16(port);
}

// A host name as DNS has them: labels of letters, digits and hyphens (in
// their ASCII form for names in other scripts), each 1 to 63 long and not
// starting or ending with a hyphen.
bool hostName(const QString &name) {
    const QByteArray ace = QUrl::toAce(name, QUrl::AceTransitionalProcessing);
    if (ace.isEmpty() || ace.size() > kMaxHostName)
        return false;
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?$"));
    QString text = QString::fromLatin1(ace);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    for (const QString &part : text.split(QLatin1Char('.')))
        if (!label.match(part).hasMatch())
            return false;
    return true;
}

std::variant<Address, QString> readHostPort(const QString &text, quint16 defaultPort) {
    Address a;
    a.port = defaultPort;
    QString portText;
    bool hasPort = false;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return QStringLiteral("An IPv6 address in brackets needs its \"]\".");
        a.host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return QStringLiteral("Only \":\" and a port may follow \"]\".");
            hasPort = true;
            portText = rest.mid(1);
        }
        if (QHostAddress(a.host).protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("\"%1\" is not an IPv6 address.").arg(a.host);
    } else if (text.count(QLatin1Char(':')) > 1) {
        // An IPv6 address without brackets has no port.
        a.host = text;
        if (QHostAddress(a.host).protocol() != QAbstractSocket::IPv6Protocol)
            return QStringLiteral("\"%1\" is not an IPv6 address (write [address]:port for a "
                                  "port).")
                .arg(a.host);
    } else {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        a.host = colon < 0 ? text : text.left(colon);
        if (colon >= 0) {
            hasPort = true;
            portText = text.mid(colon + 1);
        }
        if (a.host.isEmpty())
            return QStringLiteral("The address has no host before the port.");
        if (!isNumeric(a.host) && !hostName(a.host))
            return QStringLiteral("\"%1\" is not a host name or address.").arg(a.host);
    }
    if (hasPort) {
        const auto port = readPort(portText);
        if (const QString *problem = std::get_if<QString>(&port))
            return *problem;
        a.port = std::get<quint16>(port);
    }
    const QHostAddress numeric(a.host);
    if (numeric == QHostAddress::AnyIPv4 || numeric == QHostAddress::AnyIPv6)
        return QStringLiteral("\"%1\" names no machine to join.").arg(a.host);
    return a;
}

} // namespace

bool isLink(const QString &text) {
    return text.trimmed().startsWith(kScheme, Qt::CaseInsensitive);
}

bool isNumeric(const QString &host) {
    QHostAddress address;
    return address.setAddress(host);
}

std::variant<Address, QString> parse(const QString &typed, quint16 defaultPort) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return QStringLiteral("Please enter the address of the game.");
    if (text.size() > kMaxAddress)
        return QStringLiteral("The address is too long: at most %1 characters.").arg(kMaxAddress);
    if (names::hasHiddenCharacters(text) || text.contains(QLatin1Char(' ')))
        return QStringLiteral("The address holds blanks or control characters.");
    if (!isLink(text))
        return readHostPort(text, defaultPort);

    const QString linkProblem =
        QStringLiteral("An invitation link holds only a host and a port: zorble://HOST:PORT.");
    if (!text.startsWith(kLinkStart, Qt::CaseInsensitive))
        return linkProblem;
    QString rest = text.mid(kLinkStart.size());
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    // A path, a query, a fragment or a user name would all go unheeded.
    static const QRegularExpression beyond(QStringLiteral("[/?#@\\\\]"));
    if (rest.isEmpty() || rest.contains(beyond))
        return linkProblem;
    return readHostPort(rest, defaultPort);
}

QString invitationHost(const QList<QHostAddress> &addresses) {
    QString v6;
    for (const QHostAddress &a : addresses) {
        if (a.isLoopback() || a.isLinkLocal() || a.isMulticast() || a.isNull() ||
            a == QHostAddress::AnyIPv4 || a == QHostAddress::AnyIPv6)
            continue;
        bool mapped = false;
        a.toIPv4Address(&mapped);
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
        if (!mapped && v6.isEmpty() && (a.isGlobal() || a.isUniqueLocalUnicast()))
            v6 = a.toString();
    }
    return v6;
}

QString shown(const Address &a) {
    const QString host =
        a.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + a.host + QLatin1Char(']') : a.host;
    return host + QLatin1Char(':') + QString::number(a.port);
}

QString link(const Address &a) {
    return kLinkStart + shown(a);
}

} // namespace join
