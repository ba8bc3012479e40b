#include "client/gamestarter.h"

#include "clientcore/gamemirror.h"
#include "clientcore/hostlink.h"
#include "clientcore/reconnector.h"
#include "clientcore/rejointokens.h"
#include "host/tserver.h"
#include "net/tsock.h"

#include <QMessageBox>

#include <cstdio>

GameStarter::GameStarter(GameMirror &mirror, HostLink &link, QObject *parent)
    : QObject(parent), mirror_(mirror), link_(link), reconnector_(new Reconnector(this)) {
    link_.setWantsRejoin(true); // the window takes its seat back after a drop
    connect(&mirror_, &GameMirror::rejoinTokenReceived, this, &GameStarter::keepToken);
    connect(reconnector_, &Reconnector::attemptDue, this, &GameStarter::tryAgain);
    connect(reconnector_, &Reconnector::gaveUp, this, [this] {
        emit notice(QStringLiteral("The host could not be reached again."));
        emit reconnectFailed();
    });
    connect(&link_, &HostLink::connectFailed, this, &GameStarter::connectFailed);
    connect(&mirror_, &GameMirror::ownSeatAnnounced, this, [this] {
        if (reconnector_->active()) {
            reconnector_->stop();
            emit notice(QStringLiteral("Reconnected."));
        }
    });
}

bool GameStarter::reconnecting() const {
    return reconnector_->active();
}

bool GameStarter::connectionLost() {
    if (reconnector_->active()) {
        connectFailed(); // a try reached the host, which closed again
        return true;
    }
    const auto &token = mirror_.rejoinToken();
    if (mirror_.isHost() || mirror_.closedByHost() || !mirror_.gameRunning() ||
        token.token.isEmpty() || token.grace <= 0)
        return false;
    link_.setRejoinToken(token.token);
    mirror_.composer().clearLaid();
    emit notice(QStringLiteral("Reconnecting…"));
    reconnector_->start(std::chrono::seconds(token.grace));
    return true;
}

void GameStarter::tryAgain() {
    link_.reconnect();
}

void GameStarter::connectFailed() {
    reconnector_->failed();
}

void GameStarter::keepToken(const QString &gameId, const QString &token) {
    if (rejoinFile_.isEmpty() || joinedAddress_.isEmpty())
        return;
    if (!RejoinTokens(rejoinFile_).store(joinedAddress_, gamePort_, {gameId, token}))
        std::fprintf(stderr, "zorble: cannot keep the rejoin token in %s\n",
                     qPrintable(rejoinFile_));
}

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
    if (!saveFile_.isEmpty()) {
        server_->setSaveFile(saveFile_);
        const game::SaveFile save(saveFile_);
        QString setAside;
        const std::optional<game::SavedGame> saved = save.read(&setAside);
        if (!setAside.isEmpty())
            emit notice(QStringLiteral("The saved game could not be read; it was set aside as %1.")
                            .arg(setAside));
        if (saved)
            return askToResume(save, *saved);
    }
    hostGame();
}

void GameStarter::askToResume(const game::SaveFile &save, const game::SavedGame &saved) {
    // The host listens once the question is answered: a window let in before
    // would take a seat of a table that the answer may replace, even the
    // hosting player's first one. A window that comes back meanwhile finds no
    // host yet and tries again. The question waits without blocking.
    auto *box = new QMessageBox(QMessageBox::Question, QStringLiteral("Zorble"), saved.question(),
                                QMessageBox::Yes | QMessageBox::No);
    box->setObjectName(QStringLiteral("resume_question"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, save, state = saved.state](int answer) {
        QString ownToken;
        if (answer == QMessageBox::Yes) {
            server_->resume(state);
            // The hosting player's seat comes back to this window even when
            // the token file does not hold its token (another folder, a
            // save from before the file was written).
            for (int seat = 1; seat <= game::kSeats; ++seat)
                if (state.seats[size_t(seat)].present &&
                    state.seats[size_t(seat)].name == mirror_.playerName())
                    ownToken = server_->handOver(seat);
        } else {
            save.remove();
        }
        hostGame(ownToken);
    });
    box->open();
}

void GameStarter::hostGame(const QString &ownToken) {
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
    emit hostingChanged(true);
    joinOwnHost(ownToken);
}

void GameStarter::joinOwnHost(const QString &token) {
    presentToken(QStringLiteral("127.0.0.1"));
    if (!token.isEmpty())
        link_.setRejoinToken(token);
    link_.connectToHost(QStringLiteral("127.0.0.1"), gamePort_);
}

void GameStarter::presentToken(const QString &address) {
    // A token kept from an earlier connection to this host gives back the
    // seat it kept, after a drop or a new start of the program.
    joinedAddress_ = address;
    if (!rejoinFile_.isEmpty())
        link_.setRejoinToken(RejoinTokens(rejoinFile_).find(address, gamePort_).token);
}

void GameStarter::joinpress() {
    link_.setLogin(mirror_.playerName());
    // A joined window keeps its own record of the games it sees.
    mirror_.setRecordFolder(recordFolder_);
    // An address that cannot be looked up leaves the window unconnected.
    link_.setVersion(version_);
    presentToken(hostaddress_);
    if (joining_)
        link_.adopt(*joining_);
    else
        link_.connectToHost(hostaddress_, gamePort_);
    emit hostingChanged(false);
    emit joining({hostaddress_, gamePort_});
}
