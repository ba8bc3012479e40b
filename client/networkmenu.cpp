#include "client/networkmenu.h"

#include "client/chat/chatview.h"
#include "clientcore/gamebrowser.h"
#include "clientcore/gamemirror.h"
#include "host/gamepublisher.h"
#include "host/tserver.h"
#include "net/playername.h"
#include "net/tsock.h"
#include "windows/joindialog.h"
#include "windows/namedialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHostAddress>
#include <QMenu>
#include <QNetworkInterface>
#include <QTimer>

namespace {

QString where(const FoundGame &g) {
    return g.hostName.isEmpty() ? join::shown({g.addresses.value(0), g.port})
                                : join::shown({g.hostName, g.port});
}

QString rowText(const FoundGame &g) {
    const dnssd::GameRecord &r = g.record;
    const QString host = r.host.isEmpty() ? QStringLiteral("(no host player yet)") : r.host;
    const QString seats = r.free == 0   ? QStringLiteral("no seat free")
                          : r.free == 1 ? QStringLiteral("1 seat free")
                                        : QStringLiteral("%1 seats free").arg(r.free);
    QString text = host + QStringLiteral("  \u00B7  ") + seats + QStringLiteral(", ") +
                   (r.running ? QStringLiteral("game running") : QStringLiteral("waiting"));
    if (r.watchers > 0)
        text += QStringLiteral(", %1 watching").arg(r.watchers);
    return text + QStringLiteral("  \u00B7  ") + where(g);
}

} // namespace

NetworkMenu::NetworkMenu(const GameMirror &mirror, std::function<void(const QString &)> systemLine,
                         QWidget *window)
    : QObject(window), mirror_(mirror), systemLine_(std::move(systemLine)), window_(window) {
    connect(&joiner_, &Joiner::progress, this, [this](const QString &text) {
        if (joinDialog_)
            joinDialog_->showProgress(text);
    });
    connect(&joiner_, &Joiner::failed, this, [this](const QString &message) {
        if (joinDialog_)
            joinDialog_->showProblem(message);
    });
    connect(&joiner_, &Joiner::succeeded, this, &NetworkMenu::joined);
}

NetworkMenu::~NetworkMenu() = default;

void NetworkMenu::addToFileMenu(QMenu *fileMenu) {
    JoinGame1 = fileMenu->addAction(QStringLiteral("Join a Game..."));
    JoinGame1->setObjectName(QStringLiteral("JoinGame1"));
    JoinGame1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(JoinGame1, &QAction::triggered, this, &NetworkMenu::showJoinDialog);
    CopyInvitation1 = fileMenu->addAction(QStringLiteral("Copy Invitation"));
    CopyInvitation1->setObjectName(QStringLiteral("CopyInvitation1"));
    connect(CopyInvitation1, &QAction::triggered, this, &NetworkMenu::copyInvitation);
}

void NetworkMenu::openLinksFrom(ChatView *view) {
    view->setInvitationOpener([this](const QString &link) { openLink(link); });
}

void NetworkMenu::addToOptionsMenu(QMenu *optionsMenu) {
    YourName1 = optionsMenu->addAction(QStringLiteral("Your Name..."));
    YourName1->setObjectName(QStringLiteral("YourName1"));
    connect(YourName1, &QAction::triggered, this, &NetworkMenu::showNameDialog);
}

// ---- Settings -------------------------------------------------------------------

void NetworkMenu::setPlayer(const PlayerSettings &player) {
    settings_ = player;
    // A host that no longer reads as an address (edited by hand) is dropped.
    QStringList hosts;
    for (const QString &host : std::as_const(settings_.recentHosts))
        if (std::holds_alternative<join::Address>(join::parse(host)))
            hosts << host;
    settings_.recentHosts = hosts;
    if (joinDialog_)
        joinDialog_->setRecentHosts(hosts);
}

QString NetworkMenu::playerName() const {
    return names::problem(settings_.name).isEmpty() ? settings_.name : QString();
}

// ---- Your Name --------------------------------------------------------------------

NameDialog *NetworkMenu::nameDialog() {
    if (!nameDialog_) {
        nameDialog_ = new NameDialog(&names::problem, window_);
        nameDialog_->setWindowModality(Qt::WindowModal);
        connect(nameDialog_, &QDialog::accepted, this, [this] {
            const QString name = nameDialog_->name();
            if (name == settings_.name)
                return;
            settings_.name = name;
            emit playerChanged(settings_);
            // The game this window hosts alone can start again under the
            // new name; in any other the new name comes with the next game.
            if (mirror_.isHost() && mirror_.seats().seatedCount() <= 1 &&
                mirror_.seats().spies().isEmpty() && !mirror_.gameRunning())
                emit restartRequested();
            else
                systemLine_(QStringLiteral("Your name is %1 from the next game you host or join.")
                                .arg(name));
        });
    }
    return nameDialog_;
}

void NetworkMenu::showNameDialog() {
    NameDialog *dialog = nameDialog();
    dialog->setName(settings_.name);
    dialog->open();
}

void NetworkMenu::withName(std::function<void()> then) {
    if (!playerName().isEmpty()) {
        then();
        return;
    }
    NameDialog *dialog = nameDialog();
    dialog->setName(QString());
    // Once, after the name is taken; a cancel asks again next time.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(dialog, &QDialog::finished, this, [this, once, then](int result) {
        disconnect(*once);
        if (result == QDialog::Accepted && !playerName().isEmpty())
            then();
    });
    dialog->open();
}

// ---- Hosting and invitations ---------------------------------------------------------

void NetworkMenu::hosting(TServer &server, quint16 port) {
    hosting_ = true;
    ownPort_ = port;
    publisher_ = new GamePublisher(server, &server);
    publisher_->start(port);
}

void NetworkMenu::joinedTo(const join::Address &address) {
    hosting_ = false;
    joinedTo_ = address;
}

GamePublisher *NetworkMenu::publisher() const {
    return publisher_;
}

QString NetworkMenu::invitation() const {
    const QString own = join::invitationHost(QNetworkInterface::allAddresses());
    if (hosting_)
        return own.isEmpty() ? QString() : join::link({own, ownPort_});
    if (joinedTo_.host.isEmpty())
        return {};
    // A game on this machine is reached at this machine's address.
    if (QHostAddress(joinedTo_.host).isLoopback() ||
        joinedTo_.host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return own.isEmpty() ? QString() : join::link({own, joinedTo_.port});
    return join::link(joinedTo_);
}

void NetworkMenu::copyInvitation() {
    withName([this] {
        if (!hosting_ && joinedTo_.host.isEmpty()) {
            systemLine_(QStringLiteral("There is no game to invite anybody to yet."));
            return;
        }
        const QString link = invitation();
        if (link.isEmpty()) {
            systemLine_(QStringLiteral("There is no invitation to copy: this machine has no "
                                       "address that others can reach."));
            return;
        }
        QGuiApplication::clipboard()->setText(link);
        systemLine_(QStringLiteral("Invitation copied: %1").arg(link));
    });
}

// ---- Join a Game --------------------------------------------------------------------

JoinDialog *NetworkMenu::joinDialog() {
    if (!joinDialog_) {
        joinDialog_ = new JoinDialog(window_);
        joinDialog_->setRecentHosts(settings_.recentHosts);
        connect(joinDialog_, &JoinDialog::gameChosen, this, &NetworkMenu::joinGame);
        connect(joinDialog_, &JoinDialog::addressChosen, this, &NetworkMenu::joinAddress);
        connect(joinDialog_, &JoinDialog::cancelled, &joiner_, &Joiner::cancel);
        browser_ = new GameBrowser(this);
        connect(browser_, &GameBrowser::gamesChanged, this, &NetworkMenu::showGames);
        connect(browser_, &GameBrowser::searchingChanged, this, &NetworkMenu::showGames);
        browser_->start();
        showGames();
    }
    return joinDialog_;
}

void NetworkMenu::showJoinDialog() {
    withName([this] { present(joinDialog()); });
}

void NetworkMenu::openLink(const QString &link) {
    withName([this, link] {
        JoinDialog *dialog = joinDialog();
        dialog->setAddress(link);
        const auto parsed = join::parse(link, defaultPort_);
        if (const QString *problem = std::get_if<QString>(&parsed))
            dialog->showProblem(*problem);
        else
            dialog->clearMessage();
        present(dialog);
    });
}

void NetworkMenu::present(JoinDialog *dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    // Opened while the window itself is first shown (a link on the command
    // line), it goes on top once the window is there.
    QTimer::singleShot(0, dialog, [dialog] {
        dialog->raise();
        dialog->activateWindow();
    });
}

void NetworkMenu::showGames() {
    if (!joinDialog_ || !browser_)
        return;
    QList<JoinDialog::Row> rows;
    for (const FoundGame &g : browser_->games()) {
        // The game this window publishes itself.
        if (hosting_ && g.local && g.port == ownPort_)
            continue;
        rows.append({where(g), rowText(g)});
    }
    joinDialog_->setGames(rows);
    if (!browser_->searching())
        joinDialog_->setSearchText(
            QStringLiteral("The local network cannot be searched: no Avahi daemon is running."));
    else if (rows.isEmpty())
        joinDialog_->setSearchText(QStringLiteral("Looking for games on the local network..."));
    else
        joinDialog_->setSearchText(QString());
}

void NetworkMenu::joinGame(const QString &key) {
    if (!browser_)
        return;
    for (const FoundGame &g : browser_->games()) {
        if (where(g) != key)
            continue;
        typed_ = false;
        joiner_.start({g.hostName.isEmpty() ? g.addresses.value(0) : g.hostName, g.port},
                      g.addresses);
        return;
    }
    joinDialog_->showProblem(QStringLiteral("That game is gone from the local network."));
}

void NetworkMenu::joinAddress(const QString &text) {
    const auto parsed = join::parse(text, defaultPort_);
    if (const QString *problem = std::get_if<QString>(&parsed)) {
        joinDialog_->showProblem(*problem);
        return;
    }
    typed_ = true;
    joiner_.start(std::get<join::Address>(parsed));
}

void NetworkMenu::joined() {
    const join::Address address = joiner_.target();
    if (typed_) {
        settings_.remember(join::shown(address));
        emit playerChanged(settings_);
        if (joinDialog_)
            joinDialog_->setRecentHosts(settings_.recentHosts);
    }
    if (joinDialog_) {
        joinDialog_->clearMessage();
        joinDialog_->hide();
    }
    emit joinReady(playerName(), address);
}

void NetworkMenu::takeConnection(TSock &to) {
    joiner_.handOver(to);
}

QJsonObject NetworkMenu::joinState() const {
    return joinDialog_ ? joinDialog_->state() : QJsonObject{{QStringLiteral("open"), false}};
}
