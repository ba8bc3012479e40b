#include "client/gamestarter.h"

#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "host/tserver.h"
#include "net/tsock.h"

#include <cstdio>

GameStarter::GameStarter(GameMirror &mirror, HostLink &link, QObject *parent)
    : QObject(parent), mirror_(mirror), link_(link) {}

GameStarter::~GameStarter() = default;

void GameStarter::setJoin(const QString &name, const join::Address &address,
                          std::unique_ptr<TSock> connection) {
    mirror_.setPlayerName(name);
    hostaddress_ = address.host;
    gamePort_ = address.port;
    joining_ = std::move(connection);
}

void GameStarter::processparams() {
    emit hostingChanged(false);
    link_.setLogin(QString());

    if (joining_) {
        emit notice(QStringLiteral("Loading Multi-player Game.. Please Wait."));
        joinpress();
        return;
    }
    // An invitation link alone opens the Join dialog over a solo game.
    QStringList args = args_;
    const QString link = args.size() == 1 && join::isLink(args[0]) ? args.takeFirst() : QString();
    const StartPlan plan = planStart(args);
    emit notice(plan.loadingLine);
    if (plan.mode == StartPlan::Idle)
        return;
    if (plan.mode == StartPlan::Solo && offerLobby_ && link.isEmpty())
        emit soloStarted();
    // A solo game is played under the player's own name once one is set.
    mirror_.setPlayerName(plan.mode == StartPlan::Solo && !ownName_.isEmpty() ? ownName_
                                                                              : plan.playername);
    hostaddress_ = plan.hostaddress;
    if (plan.mode == StartPlan::Join)
        joinpress();
    else
        hostpress();
    if (plan.openLobby)
        link_.openLobby(lobbyPort_);
    if (!link.isEmpty())
        emit invitationGiven(link);
}

void GameStarter::hostpress() {
    if (!server_)
        server_ = new TServer(this);
    // Also a host handed in (the program's own) records its games.
    if (!recordFolder_.isEmpty())
        server_->setRecordFolder(recordFolder_);
    try {
        server_->listen(gamePort_);
    } catch (const ESockException &e) {
        // Another program holds the port: joining whatever listens there as
        // if it were our own host would be wrong, so stop here.
        std::fprintf(stderr, "zorble: cannot host on port %u: %s\n", gamePort_, e.what());
        emit notice(QStringLiteral("Cannot host the game: port %1 is in use.").arg(gamePort_));
        return;
    }
    link_.setLogin(mirror_.playerName());
    mirror_.setHost(true);
    mirror_.setRecordFolder(QString()); // the host records the game
    link_.setVersion(version_);
    link_.connectToHost(QStringLiteral("127.0.0.1"), gamePort_);
    emit hostingChanged(true);
}

void GameStarter::joinpress() {
    link_.setLogin(mirror_.playerName());
    // A joined window keeps its own record of the games it sees.
    mirror_.setRecordFolder(recordFolder_);
    // An address that cannot be looked up leaves the window unconnected.
    link_.setVersion(version_);
    if (joining_)
        link_.adopt(*joining_);
    else
        link_.connectToHost(hostaddress_, gamePort_);
    emit hostingChanged(false);
    emit joining({hostaddress_, gamePort_});
}
