#include "client/gamestarter.h"

#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "host/tserver.h"

#include <cstdio>

GameStarter::GameStarter(GameMirror &mirror, HostLink &link, QObject *parent)
    : QObject(parent), mirror_(mirror), link_(link) {}

void GameStarter::processparams() {
    emit hostingChanged(false);
    link_.setLogin(QString());

    const StartPlan plan = planStart(args_);
    emit notice(plan.loadingLine);
    if (plan.mode == StartPlan::Idle)
        return;
    if (plan.mode == StartPlan::Solo)
        emit soloStarted();
    mirror_.setPlayerName(plan.playername);
    hostaddress_ = plan.hostaddress;
    if (plan.mode == StartPlan::Join)
        joinpress();
    else
        hostpress();
    if (plan.openLobby)
        link_.openLobby(lobbyPort_);
}

void GameStarter::hostpress() {
    if (!server_)
        server_ = new TServer(this);
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
    link_.setVersion(version_);
    link_.connectToHost(QStringLiteral("127.0.0.1"), gamePort_);
    emit hostingChanged(true);
}

void GameStarter::joinpress() {
    link_.setLogin(mirror_.playerName());
    // An address that cannot be looked up leaves the window unconnected.
    link_.setVersion(version_);
    link_.connectToHost(hostaddress_, gamePort_);
    emit hostingChanged(false);
}
