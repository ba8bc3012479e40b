#include "host/gamepublisher.h"

#include "host/tserver.h"
#include "net/playername.h"
#include "net/protocol.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <cstdio>

namespace {

constexpr int kPlayerSeats = game::kSeats;
constexpr quint16 kDefaultPort = 7772;

// The record's strings as Avahi's list, in the record's order.
AvahiStringList *txtList(const dnssd::GameRecord &record) {
    AvahiStringList *list = nullptr;
    const QList<QByteArray> strings = dnssd::toTxt(record);
    for (auto it = strings.crbegin(); it != strings.crend(); ++it)
        list = avahi_string_list_add_arbitrary(list, reinterpret_cast<const uint8_t *>(it->data()),
                                               size_t(it->size()));
    return list;
}

} // namespace

dnssd::GameRecord tableRecord(const TServer &server) {
    dnssd::GameRecord r;
    r.version = QString::fromLatin1(proto::kVersion);
    const game::GameTable &table = server.table();
    const game::GameTable::Seat &first = table.seat(1);
    // A name the lobby passed may hold what no record can carry.
    if (first.present && names::problem(first.name).isEmpty())
        r.host = first.name;
    // A connection still logging in holds its slot as well.
    for (int slot = 1; slot <= TServer::kSlots; ++slot)
        if (table.seat(slot).present)
            ++(slot <= kPlayerSeats ? r.seats : r.watchers);
    r.free = kPlayerSeats - r.seats;
    r.running = server.gameRunning();
    return r;
}

GamePublisher::GamePublisher(const TServer &server, QObject *parent)
    : QObject(parent), server_(server) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &GamePublisher::follow);
    connect(&server_, &TServer::tableChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&avahi_, &AvahiConnection::stateChanged, this, &GamePublisher::connectionChanged);
}

GamePublisher::~GamePublisher() {
    freeGroup();
}

void GamePublisher::start(quint16 port) {
    port_ = port;
    avahi_.start();
}

void GamePublisher::connectionChanged(AvahiConnection::State state) {
    if (state == AvahiConnection::Running)
        addService();
    else
        freeGroup();
}

void GamePublisher::freeGroup() {
    if (group_)
        avahi_entry_group_free(group_);
    group_ = nullptr;
    established_ = false;
}

void GamePublisher::addService() {
    AvahiClient *client = avahi_.client();
    if (!client || port_ == 0)
        return;
    if (name_.isEmpty()) {
        const QString machine = QString::fromUtf8(avahi_client_get_host_name(client));
        name_ = port_ == kDefaultPort
                    ? QStringLiteral("Zorble on %1").arg(machine)
                    : QStringLiteral("Zorble on %1 (port %2)").arg(machine).arg(port_);
    }
    if (!group_)
        group_ = avahi_entry_group_new(
            client,
            [](AvahiEntryGroup *g, AvahiEntryGroupState s, void *self) {
                groupCallback(g, int(s), self);
            },
            this);
    if (!group_) {
        std::fprintf(stderr, "zorble: cannot publish the game: %s\n",
                     avahi_strerror(avahi_client_errno(client)));
        return;
    }
    published_ = tableRecord(server_);
    AvahiStringList *txt = txtList(published_);
    int error = avahi_entry_group_add_service_strlst(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
        name_.toUtf8().constData(), dnssd::kServiceType, nullptr, nullptr, port_, txt);
    avahi_string_list_free(txt);
    if (error == AVAHI_OK)
        error = avahi_entry_group_commit(group_);
    if (error != AVAHI_OK) {
        std::fprintf(stderr, "zorble: cannot publish the game: %s\n", avahi_strerror(error));
        freeGroup();
    }
}

void GamePublisher::groupCallback(AvahiEntryGroup *g, int state, void *self) {
    auto *me = static_cast<GamePublisher *>(self);
    if (me->group_ && g != me->group_)
        return;
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        me->established_ = true;
        // Changes while the daemon was busy registering go now.
        me->settle_.start();
        emit me->publishedChanged();
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: {
        // Another machine (or program) has the name: take the next one.
        char *next = avahi_alternative_service_name(me->name_.toUtf8().constData());
        me->name_ = QString::fromUtf8(next);
        avahi_free(next);
        me->established_ = false;
        avahi_entry_group_reset(g);
        QTimer::singleShot(0, me, &GamePublisher::addService);
        break;
    }
    case AVAHI_ENTRY_GROUP_FAILURE:
        std::fprintf(stderr, "zorble: publishing the game failed: %s\n",
                     avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g))));
        me->established_ = false;
        break;
    default:
        break;
    }
}

void GamePublisher::follow() {
    if (!group_ || !established_)
        return; // the record in force when it is established goes then
    const dnssd::GameRecord now = tableRecord(server_);
    if (now == published_)
        return;
    AvahiStringList *txt = txtList(now);
    const int error = avahi_entry_group_update_service_txt_strlst(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
        name_.toUtf8().constData(), dnssd::kServiceType, nullptr, txt);
    avahi_string_list_free(txt);
    if (error != AVAHI_OK) {
        std::fprintf(stderr, "zorble: cannot update the published game: %s\n",
                     avahi_strerror(error));
        return;
    }
    published_ = now;
    emit publishedChanged();
}
