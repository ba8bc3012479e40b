// The game window's settings file, the tile sets, the windows it keeps
// (Game Options, the phrase editor, the Spy List, the download window) and
// the connection a join from the Join dialog hands it.
#include "client/tchat.h"

#include "client/boardarea.h"
#include "client/boardview.h"
#include "client/chat/chatpanel.h"
#include "client/networkmenu.h"
#include "client/pictures.h"
#include "client/rackview.h"
#include "client/tilesets.h"
#include "settings/inifile.h"
#include "settings/zorblesettings.h"
#include "windows/tdownload.h"
#include "windows/tgameoptions.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"

#include <QActionGroup>
#include <QMenu>
#include <QScreen>

#include <climits>
#include <cstdio>

// ---- Settings file -------------------------------------------------------------

namespace {

// Sizes beyond these no chat could show; such a value reads as the default.
constexpr int kSmallestTextSize = 1;
constexpr int kLargestTextSize = 72;

} // namespace

void Tchat::setPaths(const AppPaths &paths) {
    paths_ = paths;
    network_->setSettingsFile(paths_.settingsFile);
    grouptilesmenu();
    if (download_)
        download_->setDownloadFolder(paths_.downloadFolder);
}

void Tchat::setJoin(const QString &name, const QString &address, quint16 port,
                    std::unique_ptr<TSock> connection) {
    mirror_.setPlayerName(name);
    mirror_.setHostAddress(address);
    gamePort_ = port;
    joining_ = std::move(connection);
}

void Tchat::setGameOptions(Tgameoptions *options) {
    gameoptions_ = options;
    connect(gameoptions_, &Tgameoptions::startRequested, this, &Tchat::gameoptionsStart);
}

void Tchat::setPhraseEditor(Tphrases *phrases) {
    phrases_ = phrases;
    connect(phrases_, &Tphrases::done, this, &Tchat::phrasesDone);
}

void Tchat::setSpyList(Tspylist *spylist) {
    spylist_ = spylist;
    spylist_->setEntries(mirror_.spies());
    spylist_->setRemoveEnabled(mirror_.isHost());
    connect(spylist_, &Tspylist::kickRequested, this, &Tchat::kicking);
}

void Tchat::setDownload(Tdownload *download) {
    download_ = download;
    download_->setLobby(lobbyURL_, lobbyPath_, lobbySHA256_);
    download_->setDownloadFolder(paths_.downloadFolder);
    connect(download_, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
}

Tspylist *Tchat::spyList() {
    if (!spylist_)
        setSpyList(new Tspylist(this));
    return spylist_;
}

Tdownload *Tchat::download() {
    if (!download_)
        setDownload(new Tdownload(this));
    return download_;
}

Tgameoptions *Tchat::gameOptions() {
    if (!gameoptions_)
        setGameOptions(new Tgameoptions(this));
    return gameoptions_;
}

Tphrases *Tchat::phraseEditor() {
    if (!phrases_)
        setPhraseEditor(new Tphrases(this));
    return phrases_;
}

QRect Tchat::windowRect() const {
    return QRect(pos(), size());
}

QSize Tchat::workArea() const {
    if (const QScreen *s = screen())
        return s->availableGeometry().size();
    return QSize(INT_MAX, INT_MAX);
}

void Tchat::loadinifile() {
    IniFile ini(paths_.settingsFile);
    if (!paths_.settingsFile.isEmpty() && !ini.load())
        std::fprintf(stderr, "zorble: cannot read the settings: %s\n",
                     qPrintable(ini.errorString()));
    ZorbleSettings s;
    s.load(ini);

    remembered_ = QRect(s.left, s.top, s.width, s.height);
    const QRect place = windowGeometry(s);
    move(place.topLeft());
    resize(place.size());

    loadgrouptiles(s.tiles);

    ChatOptions chat = chat_->options();
    chat.textSize = s.textSize >= kSmallestTextSize && s.textSize <= kLargestTextSize
                        ? s.textSize
                        : ZorbleSettings().textSize;
    chat.textColour = s.textColour;
    chat.playSounds = s.playSounds;
    chat.turnSound = s.newTurnSound ? 1 : 0;
    chat.chatterSounds = s.chatterSounds;
    chat_->applyOptions(chat);
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n)
        chat_->setPhrase(n, s.phrases[size_t(n - 1)]);

    gameOptions()->setValues({s.turnTime, s.squares, s.gameTime, s.score, s.doubleScore, s.team});
    lobbyURL_ = s.lobbyURL;
    lobbyPath_ = s.lobbyPath;
    lobbySHA256_ = s.lobbySHA256;
    if (download_)
        download_->setLobby(lobbyURL_, lobbyPath_, lobbySHA256_);
    settingsRead_ = true;
}

void Tchat::saveinifile() {
    saveinifile(windowRect());
}

void Tchat::saveinifile(const QRect &geometry) {
    if (!settingsRead_ || paths_.settingsFile.isEmpty())
        return;
    ZorbleSettings s;
    s.left = geometry.x();
    s.top = geometry.y();
    s.width = geometry.width();
    s.height = geometry.height();
    s.tiles = tileSet_;
    const ChatOptions chat = chat_->options();
    s.textSize = chat.textSize;
    s.textColour = chat.textColour;
    s.playSounds = chat.playSounds;
    s.newTurnSound = chat.turnSound == 1;
    s.chatterSounds = chat.chatterSounds;
    const Tgameoptions::Values options = gameOptions()->values();
    s.turnTime = options.turnTime;
    s.squares = options.squares;
    s.gameTime = options.gameTime;
    s.score = options.score;
    s.doubleScore = options.doubleSided;
    s.team = options.team;

    IniFile ini(paths_.settingsFile);
    ini.load();
    s.saveExceptPhrases(ini);
    if (!ini.save())
        std::fprintf(stderr, "zorble: cannot save the settings: %s\n",
                     qPrintable(ini.errorString()));
}

void Tchat::ResetScreenLocation1Click() {
    const ZorbleSettings defaults;
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    move(defaults.left, defaults.top);
    resize(defaults.width, defaults.height);
}

void Tchat::PhraseList1Click() {
    QStringList phrases;
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n)
        phrases << chat_->phrase(n);
    Tphrases *editor = phraseEditor();
    editor->setPhrases(phrases);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

void Tchat::phrasesDone(const QStringList &phrases) {
    ZorbleSettings s;
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n) {
        chat_->setPhrase(n, phrases.value(n - 1));
        s.phrases[size_t(n - 1)] = phrases.value(n - 1);
    }
    if (paths_.settingsFile.isEmpty())
        return;
    // Only the phrase keys: the rest may not have been read yet.
    IniFile ini(paths_.settingsFile);
    ini.load();
    s.savePhrases(ini);
    if (!ini.save())
        std::fprintf(stderr, "zorble: cannot save the phrases: %s\n",
                     qPrintable(ini.errorString()));
}

// ---- Tile sets -------------------------------------------------------------------

void Tchat::grouptilesmenu() {
    tilesMenu_->clear();
    delete tilesGroup_;
    tilesGroup_ = new QActionGroup(this);
    QStringList names{tilesets::classic()};
    for (const QString &folder : {paths_.tileFolder, paths_.sharedTileFolder})
        for (const QString &name : tilesets::names(folder))
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
    for (const QString &name : names) {
        QAction *a = tilesMenu_->addAction(name);
        a->setCheckable(true);
        a->setChecked(name.compare(tileSet_, Qt::CaseInsensitive) == 0);
        tilesGroup_->addAction(a);
        connect(a, &QAction::triggered, this, [this, name] { grouptilesmenuClick(name); });
    }
}

void Tchat::grouptilesmenuClick(const QString &name) {
    loadgrouptiles(name);
    saveinifile();
}

void Tchat::loadgrouptiles(const QString &name) {
    const auto tick = [this] {
        for (QAction *a : tilesGroup_->actions())
            a->setChecked(a->text().compare(tileSet_, Qt::CaseInsensitive) == 0);
    };
    if (tilesets::isClassic(name)) {
        pictures_->useClassic();
        tileSet_ = tilesets::classic();
        tick();
        boardArea_->board()->update();
        rack_->showRack();
        return;
    }
    // The user's own sets come first, then those installed with the game.
    tilesets::Loaded set = tilesets::load(paths_.tileFolder, name);
    if (set.status == tilesets::Loaded::Missing && !paths_.sharedTileFolder.isEmpty())
        set = tilesets::load(paths_.sharedTileFolder, name);
    if (set.status == tilesets::Loaded::Missing) {
        tick(); // a menu choice of a set that is gone keeps the old tick
        return;
    }
    if (set.status == tilesets::Loaded::Broken) {
        std::fprintf(stderr, "zorble: %s\n", qPrintable(set.error));
        systemLine(set.error);
        tick();
        return;
    }
    tileSet_ = name;
    tick();
    pictures_->setBig(set.big);
    // Without board letters the board keeps its pictures, and the rack
    // shows the new letters from its next change on.
    if (set.little) {
        pictures_->setLittle(*set.little);
        boardArea_->board()->update();
        rack_->showRack();
    }
}
