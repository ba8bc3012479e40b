#include "client/gameprocess.h"

#include "client/tchat.h"
#include "host/tserver.h"
#include "settings/apppaths.h"
#include "windows/tabout.h"
#include "windows/tgameoptions.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"

#include <QCoreApplication>

GameProcess::GameProcess(const QStringList &args)
    : chat_(std::make_unique<Tchat>()), help_(std::make_unique<Thelp>()),
      server_(std::make_unique<TServer>()), about_(std::make_unique<Tabout>()),
      gameoptions_(std::make_unique<Tgameoptions>()), phrases_(std::make_unique<Tphrases>()) {
    chat_->setArguments(args);
    chat_->setHelp(help_.get());
    chat_->setServer(server_.get());
    chat_->setAbout(about_.get());
    chat_->setGameOptions(gameoptions_.get());
    chat_->setPhraseEditor(phrases_.get());
    chat_->setPaths(AppPaths::locate(QCoreApplication::applicationDirPath()));
}

// The main window goes first, so that its sockets close before the host's.
GameProcess::~GameProcess() {
    chat_.reset();
    phrases_.reset();
    gameoptions_.reset();
    about_.reset();
    server_.reset();
    help_.reset();
}
