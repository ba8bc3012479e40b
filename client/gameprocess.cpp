#include "client/gameprocess.h"

#include "client/tchat.h"
#include "host/tserver.h"
#include "windows/tabout.h"
#include "windows/thelp.h"

GameProcess::GameProcess(const QStringList &args)
    : chat_(std::make_unique<Tchat>()), help_(std::make_unique<Thelp>()),
      server_(std::make_unique<TServer>()), about_(std::make_unique<Tabout>()) {
    chat_->setArguments(args);
    chat_->setHelp(help_.get());
    chat_->setServer(server_.get());
    chat_->setAbout(about_.get());
}

// The main window goes first, so that its sockets close before the host's.
GameProcess::~GameProcess() {
    chat_.reset();
    about_.reset();
    server_.reset();
    help_.reset();
}
