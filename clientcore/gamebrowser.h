#pragma once

#include "net/avahiconnection.h"
#include "net/gamerecord.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// A game found on the local network, as its host publishes it.
struct FoundGame {
    QString hostName;      // the machine's name there ("kitchen.local"), or empty
    QStringList addresses; // where it listens, IPv4 first
    quint16 port = 0;
    dnssd::GameRecord record;
    bool local = false; // published by a program on this machine

    bool operator==(const FoundGame &) const = default;
};

// Finds the games published on the local network (`_zorble._tcp`) through
// the system's Avahi daemon, and follows them as their records change and
// as they come and go. A record that does not read (net/gamerecord.h) is
// passed over with a line on standard error.
class GameBrowser : public QObject {
    Q_OBJECT
public:
    explicit GameBrowser(QObject *parent = nullptr);
    ~GameBrowser() override;

    void start();
    // Whether the local network is being searched: a daemon answers.
    bool searching() const { return browser_ != nullptr; }
    // The games, one entry each however many ways it was found, ordered by
    // the hosting player's name (games without one last).
    QList<FoundGame> games() const;

signals:
    void gamesChanged();
    void searchingChanged(bool searching);

private:
    // What a resolver's callback needs to find its entry.
    struct ResolverTag {
        GameBrowser *browser;
        QByteArray key;
    };
    struct Found {
        AvahiServiceResolver *resolver = nullptr;
        std::shared_ptr<ResolverTag> tag;
        QByteArray name; // the service's name: groups the ways it was found
        QByteArray domain;
        bool local = false;
        int serial = 0; // when it was last resolved: the newest record counts
        std::optional<FoundGame> game;
    };

    void connectionChanged(AvahiConnection::State state);
    // A service came (with `local` when published on this machine) or went.
    void browsed(int interface, int protocol, bool added, const QByteArray &name,
                 const QByteArray &domain, bool local);
    // A resolver found the service's host, address, port and record.
    void resolved(const QByteArray &key, const QByteArray &hostName, const QString &address,
                  quint16 port, const QList<QByteArray> &txt);
    void stop();

    AvahiConnection avahi_;
    AvahiServiceBrowser *browser_ = nullptr;
    QMap<QByteArray, Found> found_; // by interface, protocol, name and domain
    int serial_ = 0;
};
