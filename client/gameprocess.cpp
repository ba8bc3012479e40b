#include "client/gameprocess.h"

#include "client/gamestarter.h"
#include "client/networkmenu.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "net/tsock.h"
#include "settings/apppaths.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgameoptions.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QTimer>

GameProcess::GameProcess(const QStringList &args, const AppPaths &paths)
    : paths_(paths), chat_(std::make_unique<Tchat>()), help_(std::make_unique<Thelp>()),
      server_(std::make_unique<TServer>()), about_(std::make_unique<Tabout>()),
      gameoptions_(std::make_unique<Tgameoptions>()), spylist_(std::make_unique<Tspylist>()),
      tally_(std::make_unique<Ttallylist>()), phrases_(std::make_unique<Tphrases>()),
      download_(std::make_unique<Tdownload>()) {
    chat_->setArguments(args);
    makeWindow();
    tally_->loadFile(paths.tallyFile);
}

void GameProcess::makeWindow() {
    chat_->setHelp(help_.get());
    chat_->setServer(server_.get());
    chat_->setAbout(about_.get());
    chat_->setGameOptions(gameoptions_.get());
    chat_->setPhraseEditor(phrases_.get());
    chat_->setSpyList(spylist_.get());
    chat_->setPaths(paths_);
    chat_->setDownload(download_.get());
    chat_->setTally(tally_.get());
    chat_->setPorts(gamePort_, GameStarter::kLobbyPort);
    NetworkMenu *network = chat_->networkMenu();
    network->setDefaultPort(gamePort_);
    QObject::connect(network, &NetworkMenu::joinReady, &context_,
                     [this, network](const QString &name, const join::Address &address) {
                         joined_ = std::make_unique<TSock>();
                         network->takeConnection(*joined_);
                         replaceWindow([this, name, address](Tchat &w) {
                             w.starter()->setJoin(name, address, std::move(joined_));
                         });
                     });
    QObject::connect(network, &NetworkMenu::restartRequested, &context_, [this] {
        replaceWindow([](Tchat &w) { w.starter()->setOfferLobby(false); });
    });
}

void GameProcess::setGamePort(quint16 port) {
    gamePort_ = port;
    chat_->setPorts(gamePort_, GameStarter::kLobbyPort);
    chat_->networkMenu()->setDefaultPort(gamePort_);
}

void GameProcess::setWindowHook(std::function<void(Tchat &)> hook) {
    hook_ = std::move(hook);
    if (hook_)
        hook_(*chat_);
}

void GameProcess::replaceWindow(std::function<void(Tchat &)> prepare) {
    if (replacing_)
        return;
    replacing_ = true;
    // Not from inside the old window's own handlers.
    QTimer::singleShot(0, &context_, [this, prepare = std::move(prepare)] {
        replacing_ = false;
        const QRect place = chat_->geometry();
        // The program goes on: the old window's end is not the program's.
        QObject::disconnect(chat_.get(), &Tchat::closed, nullptr, nullptr);
        chat_->close(); // as File > Exit: settings written, connections ended
        chat_.reset();
        // The old host goes with its connections; the new one stays idle
        // unless the new window hosts.
        server_.reset();
        server_ = std::make_unique<TServer>();
        chat_ = std::make_unique<Tchat>();
        makeWindow();
        prepare(*chat_);
        chat_->setGeometry(place);
        if (hook_)
            hook_(*chat_);
        chat_->show();
    });
}

// The tally is saved first, while everything it may ask for still exists.
// The main window goes next, so that its sockets close before the host's;
// a download still running is aborted with its window.
GameProcess::~GameProcess() {
    tally_->hide();
    tally_->saveFile();
    chat_.reset();
    download_.reset();
    tally_.reset();
    spylist_.reset();
    phrases_.reset();
    gameoptions_.reset();
    about_.reset();
    server_.reset();
    help_.reset();
}
