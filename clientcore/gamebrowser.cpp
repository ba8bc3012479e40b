#include "clientcore/gamebrowser.h"

#include "clientcore/joinaddress.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/strlst.h>

#include <net/if.h>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray keyOf(int interface, int protocol, const QByteArray &name, const QByteArray &domain) {
    return QByteArray::number(interface) + '/' + QByteArray::number(protocol) + '/' + name + '/' +
           domain;
}

// The address as text; an IPv6 link-local address names its interface.
QString addressText(const AvahiAddress *a, int interface) {
    char text[AVAHI_ADDRESS_STR_MAX] = {};
    avahi_address_snprint(text, sizeof text, a);
    QString out = QString::fromLatin1(text);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&a->data.ipv6.address);
    if (a->proto == AVAHI_PROTO_INET6 && bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80) {
        char name[IF_NAMESIZE] = {};
        if (::if_indextoname(unsigned(interface), name))
            out += QLatin1Char('%') + QString::fromLatin1(name);
    }
    return out;
}

QList<QByteArray> txtStrings(AvahiStringList *txt) {
    QList<QByteArray> out;
    for (AvahiStringList *s = txt; s; s = avahi_string_list_get_next(s))
        out << QByteArray(reinterpret_cast<const char *>(avahi_string_list_get_text(s)),
                          qsizetype(avahi_string_list_get_size(s)));
    return out;
}

// Text from the network shown only as the quoted, printable part of a log line.
QByteArray printable(const QByteArray &text) {
    QByteArray out = text.left(64);
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            c = '?';
    return out;
}

} // namespace

GameBrowser::GameBrowser(QObject *parent) : QObject(parent) {
    connect(&avahi_, &AvahiConnection::stateChanged, this, &GameBrowser::connectionChanged);
}

GameBrowser::~GameBrowser() {
    // Nobody is told: the objects go with the browser.
    blockSignals(true);
    stop();
}

void GameBrowser::start() {
    avahi_.start();
}

void GameBrowser::connectionChanged(AvahiConnection::State state) {
    if (state != AvahiConnection::Running) {
        stop();
        return;
    }
    browser_ = avahi_service_browser_new(
        avahi_.client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, dnssd::kServiceType, nullptr,
        AvahiLookupFlags(0),
        [](AvahiServiceBrowser *, AvahiIfIndex where, AvahiProtocol family, AvahiBrowserEvent event,
           const char *service, const char *, const char *inDomain, AvahiLookupResultFlags flags,
           void *self) {
            auto *me = static_cast<GameBrowser *>(self);
            if (event == AVAHI_BROWSER_NEW || event == AVAHI_BROWSER_REMOVE)
                me->browsed(where, family, event == AVAHI_BROWSER_NEW, service, inDomain,
                            (flags & AVAHI_LOOKUP_RESULT_LOCAL) != 0);
            else if (event == AVAHI_BROWSER_FAILURE)
                std::fprintf(stderr, "zorble: searching the local network failed\n");
        },
        this);
    if (!browser_)
        std::fprintf(stderr, "zorble: cannot search the local network: %s\n",
                     avahi_strerror(avahi_client_errno(avahi_.client())));
    emit searchingChanged(searching());
}

void GameBrowser::stop() {
    const bool had = !found_.isEmpty();
    for (const Found &f : std::as_const(found_))
        if (f.resolver)
            avahi_service_resolver_free(f.resolver);
    found_.clear();
    const bool was = browser_ != nullptr;
    if (browser_)
        avahi_service_browser_free(browser_);
    browser_ = nullptr;
    if (had)
        emit gamesChanged();
    if (was)
        emit searchingChanged(false);
}

void GameBrowser::browsed(int interface, int protocol, bool added, const QByteArray &name,
                          const QByteArray &domain, bool local) {
    const QByteArray key = keyOf(interface, protocol, name, domain);
    if (!added) {
        auto it = found_.find(key);
        if (it == found_.end())
            return;
        if (it->resolver)
            avahi_service_resolver_free(it->resolver);
        const bool shown = it->game.has_value();
        found_.erase(it);
        if (shown)
            emit gamesChanged();
        return;
    }
    if (found_.contains(key))
        return;
    Found &f = found_[key];
    f.name = name;
    f.domain = domain;
    f.local = local;
    // The resolver stays: it reports the record again whenever it changes.
    f.tag = std::make_shared<ResolverTag>(ResolverTag{this, key});
    f.resolver = avahi_service_resolver_new(
        avahi_.client(), interface, protocol, name.constData(), dnssd::kServiceType,
        domain.constData(), AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0),
        [](AvahiServiceResolver *, AvahiIfIndex where, AvahiProtocol, AvahiResolverEvent event,
           const char *, const char *, const char *, const char *machine, const AvahiAddress *a,
           uint16_t onPort, AvahiStringList *txt, AvahiLookupResultFlags, void *tag) {
            const auto *t = static_cast<const ResolverTag *>(tag);
            if (event == AVAHI_RESOLVER_FOUND && a)
                t->browser->resolved(t->key, machine ? QByteArray(machine) : QByteArray(),
                                     addressText(a, where), onPort, txtStrings(txt));
        },
        f.tag.get());
    if (!f.resolver)
        std::fprintf(stderr, "zorble: cannot look at a game on the local network: %s\n",
                     avahi_strerror(avahi_client_errno(avahi_.client())));
}

void GameBrowser::resolved(const QByteArray &key, const QByteArray &hostName,
                           const QString &address, quint16 port, const QList<QByteArray> &txt) {
    auto it = found_.find(key);
    if (it == found_.end())
        return;
    QString why;
    const std::optional<dnssd::GameRecord> record = dnssd::fromTxt(txt, &why);
    const bool wasShown = it->game.has_value();
    if (!record || port == 0) {
        std::fprintf(stderr, "zorble: passed over the game \"%s\" on the local network: %s\n",
                     printable(it->name).constData(), record ? "no port" : qPrintable(why));
        it->game.reset();
        if (wasShown)
            emit gamesChanged();
        return;
    }
    FoundGame game;
    // A machine's name is shown only when it reads as one.
    const QString machine = QString::fromUtf8(hostName);
    const auto parsed = join::parse(machine);
    if (!machine.isEmpty() && std::holds_alternative<join::Address>(parsed) &&
        !join::isNumeric(machine))
        game.hostName = machine;
    game.addresses = {address};
    game.port = port;
    game.record = *record;
    game.local = it->local;
    it->serial = ++serial_;
    if (it->game == game)
        return;
    it->game = game;
    emit gamesChanged();
}

QList<FoundGame> GameBrowser::games() const {
    // One entry per service, however many interfaces and protocols found it.
    QMap<QByteArray, std::pair<int, FoundGame>> merged;
    for (const Found &f : found_) {
        if (!f.game)
            continue;
        const QByteArray id = f.name + '/' + f.domain;
        auto it = merged.find(id);
        if (it == merged.end()) {
            merged.insert(id, {f.serial, *f.game});
            continue;
        }
        FoundGame &g = it->second;
        for (const QString &a : f.game->addresses)
            if (!g.addresses.contains(a))
                g.addresses << a;
        g.local = g.local || f.game->local;
        if (f.serial > it->first) {
            it->first = f.serial;
            g.record = f.game->record;
            g.port = f.game->port;
            if (!f.game->hostName.isEmpty())
                g.hostName = f.game->hostName;
        }
    }
    QList<FoundGame> out;
    for (auto &[serial, game] : merged) {
        Q_UNUSED(serial);
        std::stable_partition(game.addresses.begin(), game.addresses.end(),
                              [](const QString &a) { return !a.contains(QLatin1Char(':')); });
        out << game;
    }
    // Games without a hosting player yet come last.
    std::stable_sort(out.begin(), out.end(), [](const FoundGame &a, const FoundGame &b) {
        if (a.record.host.isEmpty() != b.record.host.isEmpty())
            return b.record.host.isEmpty();
        return a.record.host.localeAwareCompare(b.record.host) < 0;
    });
    return out;
}
