// The windows the game window keeps (Game Options, the phrase editor, the
// Spy List, the download window, the tally list, the game history), the
// Moves tab beside the chat, and what it hands to its parts before it is
// first shown.
#include "client/boardarea.h"
#include "client/boardview.h"
#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/gamestarter.h"
#include "client/recordview.h"
#include "client/scoresheetview.h"
#include "client/statuspanel.h"
#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "client/tilesets.h"
#include "client/windowsettings.h"
#include "windows/gamehistory.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgameoptions.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QPushButton>
#include <QTabBar>

void Tchat::setArguments(const QStringList &args) {
    starter_->setArguments(args);
}

void Tchat::setServer(TServer *server) {
    starter_->setServer(server);
}

void Tchat::setPorts(quint16 game, quint16 lobby) {
    starter_->setPorts(game, lobby);
}

void Tchat::setAbout(Tabout *about) {
    about_ = about;
}

QString Tchat::versionText() const {
    return about_ ? about_->versionText() : QString::fromLatin1(proto::kVersion);
}

void Tchat::setPaths(const AppPaths &paths) {
    paths_ = paths;
    settings_->setFile(paths_.settingsFile);
    starter_->setRejoinFile(paths_.rejoinFile);
    starter_->setSaveFile(paths_.saveFile);
    tiles_->setFolders(paths_.tileFolder, paths_.sharedTileFolder);
    starter_->setRecordFolder(paths_.gamesFolder());
    if (download_)
        download_->setDownloadFolder(paths_.downloadFolder);
}

void Tchat::setGameOptions(Tgameoptions *options) {
    gameoptions_ = options;
    connect(gameoptions_, &Tgameoptions::startRequested, this, &Tchat::gameoptionsStart);
    // Closed without a start: the Start Game button is back as it was.
    connect(gameoptions_, &QDialog::rejected, this, [this] {
        if (startShown_)
            status_->startButton()->show();
    });
}

void Tchat::setPhraseEditor(Tphrases *phrases) {
    phrases_ = phrases;
    connect(phrases_, &Tphrases::done, this, &Tchat::phrasesDone);
}

void Tchat::setSpyList(Tspylist *spylist) {
    spylist_ = spylist;
    spylist_->setEntries(mirror_.seats().spies());
    spylist_->setRemoveEnabled(mirror_.isHost());
    connect(spylist_, &Tspylist::kickRequested, this, &Tchat::kicking);
}

void Tchat::setDownload(Tdownload *download) {
    download_ = download;
    const WindowSettings::LobbyKeys &lobby = settings_->lobby();
    download_->setLobby(lobby.url, lobby.path, lobby.sha256);
    download_->setDownloadFolder(paths_.downloadFolder);
    connect(download_, &Tdownload::exitRequested, this, &Tchat::close);
}

void Tchat::setTally(Ttallylist *tally) {
    tally_ = tally;
    if (!tally_)
        return;
    // The tally's list of current players: the other players seated.
    const auto refresh = [this] {
        if (tally_)
            tally_->setCurrentPlayers(mirror_.seats().otherPlayers(mirror_.localSeat()));
    };
    tally_->setLoadchecklist(refresh);
    connect(&mirror_, &GameMirror::tallyPlayersChanged, tally_, refresh);
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
    for (int n = 1; n <= ChatPanel::kPhraseCount; ++n)
        chat_->setPhrase(n, phrases.value(n - 1));
    settings_->savePhrases(phrases);
}

GameHistory *Tchat::gameHistory() {
    if (!history_) {
        history_ = new GameHistory(this);
        auto *view = new RecordView(pictures_.get());
        history_->setBoardView(view, [view](const game::Grid &board, const game::Grid &squares,
                                            const QList<QPoint> &framed, const QString &rack) {
            view->showTurn(board, squares, framed, rack);
        });
    }
    // Listed afresh each time: the host adds a record with every game.
    history_->setFolder(paths_.gamesFolder());
    return history_;
}

void Tchat::buildMovesTab() {
    // The tabs go under the chat, where the column has room, so nothing else
    // moves; the sheet lies over the chat's lines, leaving the phrase
    // buttons and the entry in use.
    chatTabs_ = new QTabBar(panel_);
    chatTabs_->setObjectName(QStringLiteral("tabs_chat"));
    chatTabs_->setShape(QTabBar::RoundedSouth);
    chatTabs_->setDrawBase(false);
    chatTabs_->setExpanding(false);
    chatTabs_->addTab(QStringLiteral("Chat"));
    chatTabs_->addTab(QStringLiteral("Moves"));
    chatTabs_->setFocusPolicy(Qt::NoFocus);
    QFont small = chatTabs_->font();
    small.setPointSize(8);
    chatTabs_->setFont(small);
    const QRect chat = chat_->geometry();
    chatTabs_->setGeometry(
        chat.left(), chat.bottom() + 2, chat.width(),
        std::min(chatTabs_->sizeHint().height(), panel_->minimumHeight() - chat.bottom() - 3));

    sheet_ = new ScoreSheetView(mirror_, panel_);
    sheet_->setGeometry(chat.left(), chat.top() + 21, chat.width(), ChatView::kHeight + 4);
    sheet_->hide();
    connect(chatTabs_, &QTabBar::currentChanged, sheet_, [this](int tab) {
        sheet_->setVisible(tab == 1);
        if (tab == 1)
            sheet_->raise();
    });
    connect(&mirror_, &GameMirror::scoreSheetChanged, sheet_, &ScoreSheetView::refresh);
    connect(sheet_, &ScoreSheetView::wordChosen, boardArea_->board(), &BoardView::frameWord);
    connect(&mirror_, &GameMirror::gameStarted, boardArea_->board(),
            [this] { boardArea_->board()->frameWord({}); });
}
