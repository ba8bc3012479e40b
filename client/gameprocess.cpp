#include "client/gameprocess.h"

#include "client/tchat.h"
#include "host/tserver.h"
#include "settings/apppaths.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgameoptions.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

GameProcess::GameProcess(const QStringList &args, const AppPaths &paths)
    : chat_(std::make_unique<Tchat>()), help_(std::make_unique<Thelp>()),
      server_(std::make_unique<TServer>()), about_(std::make_unique<Tabout>()),
      gameoptions_(std::make_unique<Tgameoptions>()), spylist_(std::make_unique<Tspylist>()),
      tally_(std::make_unique<Ttallylist>()), phrases_(std::make_unique<Tphrases>()),
      download_(std::make_unique<Tdownload>()) {
    chat_->setArguments(args);
    chat_->setHelp(help_.get());
    chat_->setServer(server_.get());
    chat_->setAbout(about_.get());
    chat_->setGameOptions(gameoptions_.get());
    chat_->setPhraseEditor(phrases_.get());
    chat_->setSpyList(spylist_.get());
    chat_->setPaths(paths);
    chat_->setDownload(download_.get());
    chat_->setTally(tally_.get());
    tally_->loadFile(paths.tallyFile);
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
