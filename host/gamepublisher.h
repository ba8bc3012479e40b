#pragma once

#include "net/avahiconnection.h"
#include "net/gamerecord.h"

#include <QObject>
#include <QTimer>

struct AvahiEntryGroup;
class TServer;

// What the host's table looks like to a player looking for a game.
dnssd::GameRecord tableRecord(const TServer &server);

// Publishes a hosting program's game on the local network as the DNS-SD
// service `_zorble._tcp` on the host's port, with the table in its TXT
// record (see net/gamerecord.h). The record follows the host's table within
// a fraction of a second. Without an Avahi daemon nothing is published and
// the game goes on as before; a daemon that starts later gets the service.
class GamePublisher : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMs = 100; // changes coming together go as one

    // The publisher goes with the server when made its child.
    explicit GamePublisher(const TServer &server, QObject *parent = nullptr);
    ~GamePublisher() override;

    // Publishes on the port the host listens on.
    void start(quint16 port);
    // The record last handed to the daemon.
    const dnssd::GameRecord &published() const { return published_; }
    // The service's name once the daemon took it ("Zorble on HOST", with a
    // number added when that is taken), else empty.
    QString serviceName() const { return established_ ? name_ : QString(); }

signals:
    // The daemon took the service, or its new record.
    void publishedChanged();

private:
    static void groupCallback(AvahiEntryGroup *g, int state, void *self);
    void connectionChanged(AvahiConnection::State state);
    void addService();
    void follow();
    void freeGroup();

    const TServer &server_;
    AvahiConnection avahi_;
    AvahiEntryGroup *group_ = nullptr;
    QString name_;
    quint16 port_ = 0;
    bool established_ = false;
    dnssd::GameRecord published_;
    QTimer settle_;
};
