#include "client/tchat.h"

#include "client/boardarea.h"
#include "client/boardview.h"
#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/chat/chatview.h"
#include "client/chat/sounds.h"
#include "client/computermenu.h"
#include "client/gamestarter.h"
#include "client/movelabels.h"
#include "client/networkmenu.h"
#include "client/pictures.h"
#include "client/rackview.h"
#include "client/scoresheetview.h"
#include "client/seatmenu.h"
#include "client/seattable.h"
#include "client/statuspanel.h"
#include "client/tilesetmenu.h"
#include "client/tilesets.h"
#include "client/unseenview.h"
#include "client/windowsettings.h"
#include "client/zorbleflash.h"
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/command.h"
#include "net/protocol.h"
#include "settings/zorblesettings.h"
#include "windows/gamehistory.h"
#include "windows/tabout.h"
#include "windows/tdownload.h"
#include "windows/tgameoptions.h"
#include "windows/thelp.h"
#include "windows/tspylist.h"
#include "windows/ttallylist.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QJsonArray>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>

#include <cstdio>

Tchat::Tchat(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("chatform"));
    setWindowTitle(QStringLiteral("Zorble"));
    resize(kDefaultWidth, kDefaultHeight);
    // Drawn at the screen's pixel density, so that the board stays sharp.
    pictures_ = std::make_unique<TileSetPictures>(devicePixelRatio());

    buildPanel();
    buildMenus();
    buildParts();
    connectViews();

    connect(&mirror_, &GameMirror::chatLine, this, &Tchat::addlinetochat);
    connect(&mirror_, &GameMirror::seatChanged, this, &Tchat::seatChanged);
    connect(&mirror_, &GameMirror::soundRequested, chat_->sounds(), &Sounds::playsounds);
    connect(&mirror_, &GameMirror::chatterSoundRequested, chat_, &ChatPanel::chatterSound);
    connect(&mirror_, &GameMirror::ownSeatAnnounced, this, [this](int seat) {
        chat_->setLocalSeat(seat);
        chat_->setLoggedIn(true);
        rack_->showSeat(seat);
        settings_->loadinifile();
    });
    connect(chat_, &ChatPanel::optionsChanged, settings_,
            qOverload<>(&WindowSettings::saveinifile));
    connect(&mirror_, &GameMirror::ownSeatLost, this, [this] {
        chat_->setLoggedIn(false);
        close();
    });
    connect(&mirror_, &GameMirror::gameFull, this, [this] {
        QMessageBox::information(this, QStringLiteral("Zorble"), QStringLiteral("Game is full"));
        close();
    });
    connect(&mirror_, &GameMirror::turnSoundRequested, this,
            [this] { chat_->sounds()->playsounds(chat_->turnSoundName()); });
    connect(&mirror_, &GameMirror::gameOver, this, [this] {
        if (mirror_.isHost()) {
            StartGame1->setEnabled(true);
            status_->startButton()->show();
        }
    });
    connect(&mirror_, &GameMirror::spiesChanged, this, [this] {
        if (spylist_)
            spylist_->setEntries(mirror_.seats().spies());
    });
    connect(&mirror_, &GameMirror::tallyGame, this, [this](const QString &winner) {
        // Recorded only when the game had somebody to record against.
        if (tally_ && !tally_->currentPlayers().isEmpty())
            tally_->addgame(winner);
    });
    connect(&link_, &HostLink::dispatching, this, &Tchat::dispatching);
    connect(&link_, &HostLink::connectionClosed, this, [this] {
        // A joining window whose seat the host keeps tries to come back.
        if (!starter_->connectionLost())
            close();
    });

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        checkScreenWidth(screen->geometry().width());
}

Tchat::~Tchat() {
    if (tally_)
        tally_->setLoadchecklist({});
}

const TilePictures &Tchat::pictures() const {
    return *pictures_;
}

void Tchat::buildPanel() {
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("panel"));
    panel_->setMinimumSize(859, 605);
    setCentralWidget(panel_);

    boardArea_ = new BoardArea(mirror_, pictures_.get(), panel_);
    connect(boardArea_->rematchButton(), &QPushButton::clicked, this, &Tchat::rematch);
    connect(boardArea_->screenButton(), &QPushButton::clicked, this, [this] {
        boardArea_->screenPanel()->hide();
        close();
    });

    rack_ = new RackView(mirror_, pictures_.get(), panel_);

    // Under the rack: what the host would make of the tiles laid.
    label_preview = new PreviewLabel(
        mirror_,
        [this]() -> const rules::Rules * {
            const TServer *server = starter_->server();
            return server ? &server->moveRules() : nullptr;
        },
        panel_);
    label_preview->setGeometry(33, 600, 508, 18);

    seatTable_ = new SeatTable(pictures_.get(), panel_);
    seatTable_->setGeometry(548, 4, 306, 96);
    popup_kick = new SeatMenu(this);
    connect(popup_kick, &SeatMenu::kickRequested, this, &Tchat::kicking);
    connect(popup_kick, &SeatMenu::freeRequested, this, [this](int seat) {
        if (mirror_.loggedIn() && game::isSeat(seat))
            link_.send(proto::request::freeSeat(seat));
    });
    connect(popup_kick, &SeatMenu::replaceRequested, this, [this](int seat) {
        // The window's own host knows the seat's token.
        if (TServer *server = starter_->server(); server && game::isSeat(seat))
            if (const QString token = server->handOver(seat); !token.isEmpty())
                computer_->replace(token);
    });
    connect(popup_kick, &SeatMenu::watchRequested, this, [this](int seat, bool sitOut) {
        if (mirror_.loggedIn() && game::isSeat(seat))
            link_.send(proto::request::watch(seat, sitOut));
    });
    for (int seat = 1; seat <= game::kSeats; ++seat) {
        QLabel *name = seatTable_->nameLabel(seat);
        name->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(name, &QWidget::customContextMenuRequested, this, [this, name, seat](QPoint at) {
            const SeatList &seats = mirror_.seats();
            popup_kick->prepare(mirror_.isHost(), seats.name(seat), seat,
                                seats.kept(seat) && seats.keptSeconds(seat) == 0);
            popup_kick->popup(name->mapToGlobal(at));
        });
    }

    status_ = new StatusPanel(panel_);
    status_->setGeometry(548, 102, 306, 136);
    connect(status_->startButton(), &QPushButton::clicked, this, &Tchat::button_startClick);
    connect(status_->doneButton(), &QPushButton::clicked, this, &Tchat::button_doneClick);
    connect(status_->clearButton(), &QPushButton::clicked, this, &Tchat::button_clearClick);
    connect(status_->newTilesButton(), &QPushButton::clicked, this, &Tchat::button_newtilesClick);
    connect(status_->passButton(), &QPushButton::clicked, this, &Tchat::button_passClick);

    chat_ = new ChatPanel(panel_);
    chat_->setGeometry(550, 244, ChatPanel::kWidth, ChatPanel::kHeight);
    chat_->setSeatNames([this](int seat) { return mirror_.seats().name(seat); });
    connect(chat_, &ChatPanel::sendRequest, &link_, &HostLink::send);
    buildMovesTab();

    // Over the settings column while it runs.
    zorble_ = new ZorbleFlash(pictures_.get(), panel_);

    image_dragging = new DragImage(mirror_, pictures_.get(), panel_);

    BoardView *board = boardArea_->board();
    connect(board, &BoardView::doneRequested, this, [this](bool byKey) {
        pressdone();
        // The keyboard player goes on at the board.
        if (!byKey)
            chatFocus();
    });
    connect(board, &BoardView::pointerMoved, image_dragging, &DragImage::follow);
    connect(rack_, &RackView::pointerMoved, image_dragging, &DragImage::follow);
    connect(rack_, &RackView::dragReleased, board,
            [board](QPoint global) { board->dropCarried(board->mapFromGlobal(global)); });
}

void Tchat::buildParts() {
    starter_ = new GameStarter(mirror_, link_, this);
    connect(starter_, &GameStarter::reconnectFailed, this, &Tchat::close);
    connect(starter_, &GameStarter::notice, this, &Tchat::systemLine);
    connect(starter_, &GameStarter::hostingChanged, this, &Tchat::hostingChanged);
    connect(starter_, &GameStarter::soloStarted, this, [this] {
        Tdownload *offer = download();
        offer->show();
        offer->raise();
    });
    connect(starter_, &GameStarter::joining, network_, &NetworkMenu::joinedTo);
    connect(starter_, &GameStarter::invitationGiven, network_, &NetworkMenu::openLink);

    tiles_ = new TileSetMenu(tilesMenu_, *pictures_, this);
    connect(tiles_, &TileSetMenu::picturesChanged, this, [this] {
        boardArea_->board()->update();
        rack_->showRack();
    });
    connect(tiles_, &TileSetMenu::broken, this, &Tchat::systemLine);

    settings_ = new WindowSettings(
        {*this, *chat_, *tiles_, [this] { return gameOptions(); }, *Coordinates1}, this);
    connect(Coordinates1, &QAction::triggered, settings_,
            qOverload<>(&WindowSettings::saveinifile));
    connect(tiles_, &TileSetMenu::chosen, settings_, qOverload<>(&WindowSettings::saveinifile));
    connect(settings_, &WindowSettings::lobbyKeysRead, this,
            [this](const WindowSettings::LobbyKeys &keys) {
                if (download_)
                    download_->setLobby(keys.url, keys.path, keys.sha256);
            });
    connect(settings_, &WindowSettings::playerRead, network_, &NetworkMenu::setPlayer);
    connect(network_, &NetworkMenu::playerChanged, settings_, &WindowSettings::savePlayer);
}

void Tchat::connectViews() {
    connect(&mirror_, &GameMirror::boardChanged, boardArea_->board(),
            qOverload<>(&QWidget::update));
    connect(&mirror_, &GameMirror::rackChanged, rack_, &RackView::showRack);
    connect(&mirror_, &GameMirror::statusChanged, this, [this] { status_->showStatus(mirror_); });
    connect(&mirror_, &GameMirror::settingsChanged, this,
            [this] { status_->showSettings(mirror_); });
    connect(&mirror_, &GameMirror::moveButtonsShown, status_, &StatusPanel::showMoveButtons);
    connect(&mirror_, &GameMirror::reasonChanged, boardArea_, &BoardArea::setReason);
    connect(&mirror_, &GameMirror::gameOver, this, [this] { boardArea_->showWinner(mirror_); });
    connect(&mirror_, &GameMirror::gameStarted, this, [this] { boardArea_->showWinner(mirror_); });
    connect(&mirror_, &GameMirror::zorbleOutcome, zorble_, &ZorbleFlash::start);
    connect(&mirror_, &GameMirror::dragChanged, image_dragging, &DragImage::refresh);
    connect(&mirror_, &GameMirror::boardChanged, label_preview, &PreviewLabel::refresh);
    connect(&mirror_, &GameMirror::turnChanged, label_preview, &PreviewLabel::refresh);
    connect(&mirror_, &GameMirror::moveButtonsShown, label_preview, &PreviewLabel::refresh);
    status_->showStatus(mirror_);
    status_->showSettings(mirror_);
}

void Tchat::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("File"));
    fileMenu_->setObjectName(QStringLiteral("File1"));
    StartGame1 = fileMenu_->addAction(QStringLiteral("Start Game"));
    StartGame1->setObjectName(QStringLiteral("StartGame1"));
    StartGame1->setEnabled(false);
    connect(StartGame1, &QAction::triggered, this, &Tchat::button_startClick);
    computer_ = new ComputerMenu(
        mirror_, [this](const QString &line) { systemLine(line); }, this);
    computer_->addToFileMenu(fileMenu_);
    network_ = new NetworkMenu(
        mirror_, [this](const QString &line) { systemLine(line); }, this);
    network_->addToFileMenu(fileMenu_);
    network_->openLinksFrom(chat_->view());
    QAction *history = fileMenu_->addAction(QStringLiteral("Game History"));
    history->setObjectName(QStringLiteral("GameHistory1"));
    connect(history, &QAction::triggered, this, [this] {
        GameHistory *window = gameHistory();
        window->show();
        window->raise();
    });
    fileMenu_->addSeparator();
    Exit1 = fileMenu_->addAction(QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &Tchat::close);

    viewMenu_ = menuBar()->addMenu(QStringLiteral("View"));
    viewMenu_->setObjectName(QStringLiteral("View1"));
    PhraseList1 = viewMenu_->addAction(QStringLiteral("Phrase List"));
    PhraseList1->setObjectName(QStringLiteral("PhraseList1"));
    connect(PhraseList1, &QAction::triggered, this, &Tchat::PhraseList1Click);
    QAction *tallyList = viewMenu_->addAction(QStringLiteral("Tally List"));
    tallyList->setObjectName(QStringLiteral("TallyList1"));
    connect(tallyList, &QAction::triggered, this, [this] {
        if (tally_) {
            tally_->show();
            tally_->raise();
        }
    });
    BoardKeys1 = viewMenu_->addAction(QStringLiteral("Type on the Board"));
    BoardKeys1->setObjectName(QStringLiteral("BoardKeys1"));
    BoardKeys1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(BoardKeys1, &QAction::triggered, this,
            [this] { boardArea_->board()->setFocus(Qt::ShortcutFocusReason); });
    Coordinates1 = viewMenu_->addAction(QStringLiteral("Coordinates"));
    Coordinates1->setObjectName(QStringLiteral("Coordinates1"));
    Coordinates1->setCheckable(true);
    Coordinates1->setChecked(true);
    connect(Coordinates1, &QAction::toggled, boardArea_->board(), &BoardView::setCoordinates);
    unseen_ = new UnseenView(mirror_, this);
    QAction *unseen = viewMenu_->addAction(QStringLiteral("Unseen Tiles"));
    unseen->setObjectName(QStringLiteral("UnseenTiles1"));
    connect(unseen, &QAction::triggered, this, [this] {
        unseen_->show();
        unseen_->raise();
    });
    QAction *spyList = viewMenu_->addAction(QStringLiteral("Spy List"));
    spyList->setObjectName(QStringLiteral("SpyList1"));
    connect(spyList, &QAction::triggered, this, [this] {
        Tspylist *list = this->spyList();
        list->show();
        list->raise();
    });

    optionsMenu_ = menuBar()->addMenu(QStringLiteral("Options"));
    optionsMenu_->setObjectName(QStringLiteral("Options1"));
    JustWatch1 = optionsMenu_->addAction(QStringLiteral("Just Watch"));
    JustWatch1->setObjectName(QStringLiteral("JustWatch1"));
    JustWatch1->setCheckable(true);
    connect(JustWatch1, &QAction::triggered, this, &Tchat::JustWatch1Click);
    computer_->addToOptionsMenu(optionsMenu_);
    network_->addToOptionsMenu(optionsMenu_);
    optionsMenu_->addSeparator();
    chat_->addOptionActions(optionsMenu_);
    optionsMenu_->addSeparator();
    tilesMenu_ = optionsMenu_->addMenu(QStringLiteral("Tiles"));
    tilesMenu_->setObjectName(QStringLiteral("Tiles1"));
    ResetScreenLocation1 = optionsMenu_->addAction(QStringLiteral("Reset Screen Location"));
    ResetScreenLocation1->setObjectName(QStringLiteral("ResetScreenLocation1"));
    connect(ResetScreenLocation1, &QAction::triggered, this,
            [this] { settings_->resetScreenLocation(); });

    helpMenu_ = menuBar()->addMenu(QStringLiteral("Help"));
    helpMenu_->setObjectName(QStringLiteral("Help1"));
    QAction *help = helpMenu_->addAction(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("Help2"));
    connect(help, &QAction::triggered, this, [this] {
        if (help_) {
            help_->show();
            help_->raise();
        }
    });
    QAction *about = helpMenu_->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("About1"));
    connect(about, &QAction::triggered, this, [this] {
        if (about_) {
            about_->show();
            about_->raise();
        }
    });
}

void Tchat::checkScreenWidth(int width) {
    if (width < kNarrowestScreen) {
        boardArea_->screenPanel()->show();
        boardArea_->screenPanel()->raise();
    }
}

void Tchat::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

// ---- Chat -------------------------------------------------------------------

void Tchat::addlinetochat(int seat, const QString &text, quint32 colour) {
    chat_->addlinetochat(seat, text, colour);
    emit chatLineShown(QString::number(seat) + QLatin1Char('+') + text);
}

void Tchat::systemLine(const QString &text) {
    addlinetochat(0, text, GameMirror::kSystemColour);
}

// ---- Start-up ----------------------------------------------------------------

void Tchat::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        starter_->setVersion(versionText());
        starter_->setOwnName(network_->playerName());
        starter_->processparams();
    }
}

void Tchat::hostingChanged(bool hosting) {
    StartGame1->setEnabled(hosting);
    status_->startButton()->setVisible(hosting);
    if (!hosting)
        return;
    computer_->setHost(QStringLiteral("127.0.0.1"), starter_->gamePort());
    network_->hosting(*starter_->server(), starter_->gamePort());
    if (spylist_)
        spylist_->setRemoveEnabled(true);
}

// ---- User actions and closing ------------------------------------------------------

void Tchat::seatChanged(int seat) {
    seatTable_->showSeat(mirror_, seat);
    if (seat == mirror_.localSeat())
        JustWatch1->setChecked(mirror_.seats().watching(seat));
}

void Tchat::JustWatch1Click() {
    // The tick changes only when the host says so.
    JustWatch1->setChecked(mirror_.seats().watching(mirror_.localSeat()));
    if (mirror_.loggedIn() && game::isSeat(mirror_.localSeat()))
        link_.send(proto::request::watch(mirror_.localSeat(),
                                         !mirror_.seats().watching(mirror_.localSeat())));
}

void Tchat::kicking(int seat) {
    if (mirror_.isHost() && mirror_.loggedIn())
        link_.send(proto::request::kick(mirror_.localSeat(), seat));
}

void Tchat::button_startClick() {
    if (!mirror_.loggedIn()) {
        QMessageBox::information(this, QStringLiteral("Zorble"),
                                 QStringLiteral("You are not connected"));
        return;
    }
    startShown_ = !status_->startButton()->isHidden();
    status_->startButton()->hide();
    Tgameoptions *options = gameOptions();
    // A solo start: nobody else sits at the table yet.
    options->setComputerOffered(mirror_.isHost() && mirror_.seats().seatedCount() == 1);
    options->setGameRunning(mirror_.gameRunning());
    options->adjustSize();
    options->move(frameGeometry().center() - options->rect().center());
    options->show();
    options->raise();
    options->activateWindow();
}

void Tchat::gameoptionsStart() {
    if (!mirror_.loggedIn())
        return;
    const game::GameOptions options = gameoptions_->values();
    if (TServer *server = starter_->server())
        server->setHostOptions(gameoptions_->hostValues());
    const QString name = startName();
    settings_->saveinifile();
    // The host starts a new game whenever asked, so a running one ends only
    // when the player says so.
    const bool restart = mirror_.gameRunning();
    if (restart && QMessageBox::question(this, QStringLiteral("Zorble"),
                                         QStringLiteral("A game is running. Start a new one?"),
                                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    auto start = [this, name, options, restart] {
        if (mirror_.loggedIn() && (restart || !mirror_.gameRunning()))
            link_.send(proto::request::start(name, options));
    };
    if (gameoptions_->playAgainstComputer())
        computer_->addThen(ai::Level::Normal, start); // the game starts once it sits
    else
        start();
}

QString Tchat::startName() const {
    // The command word and the name go out in at most 34 characters.
    constexpr int kHeadLength = 34;
    const int wordLength = int(proto::commandName(proto::Command::startgame).size()) + 1;
    return proto::cut(mirror_.playerName(), kHeadLength - wordLength);
}

void Tchat::rematch() {
    // The game just ended: the same options, and the seats stay as they are
    // at the host.
    if (!mirror_.isHost() || !mirror_.loggedIn() || mirror_.gameRunning())
        return;
    status_->startButton()->hide();
    link_.send(proto::request::start(startName(), mirror_.options()));
}

void Tchat::button_passClick() {
    mirror_.composer().clearLaid();
    if (mirror_.ownTurn() && mirror_.loggedIn())
        link_.send(proto::request::pass(mirror_.localSeat()));
    chatFocus();
}

void Tchat::button_newtilesClick() {
    mirror_.composer().clearLaid();
    if (mirror_.ownTurn() && mirror_.loggedIn())
        link_.send(proto::request::exchange(mirror_.localSeat()));
    chatFocus();
}

void Tchat::pressdone() {
    // The tiles stay where they lie until the host answers.
    if (const auto move = mirror_.composer().move())
        link_.send(*move);
}

void Tchat::button_doneClick() {
    pressdone();
    chatFocus();
}

void Tchat::button_clearClick() {
    mirror_.composer().clearLaid();
    chatFocus();
}

void Tchat::chatFocus() {
    if (isActiveWindow())
        chat_->entry()->setFocus();
}

// ---- The move being laid -------------------------------------------------------------

QString Tchat::previewText() const {
    return label_preview->text();
}

QJsonObject Tchat::places() const {
    QJsonObject out;
    auto place = [&](const QWidget *w) {
        const QRect r(w->mapTo(this, QPoint()), w->size());
        out.insert(w->objectName(), QJsonArray{r.x(), r.y(), r.width(), r.height()});
    };
    place(boardArea_->board());
    for (int k = 1; k <= RackView::kTiles; ++k)
        place(rack_->tile(k));
    for (const char *name : {"image_sort", "edit_chat"})
        place(findChild<QWidget *>(QString::fromLatin1(name)));
    for (const QPushButton *b : {status_->doneButton(), status_->clearButton(),
                                 status_->newTilesButton(), status_->passButton()})
        place(b);
    const QRect moves = chatTabs_->tabRect(1).translated(chatTabs_->mapTo(this, QPoint()));
    out.insert(QStringLiteral("tab_moves"),
               QJsonArray{moves.x(), moves.y(), moves.width(), moves.height()});
    return out;
}

void Tchat::closeEvent(QCloseEvent *event) {
    QMainWindow::closeEvent(event);
    if (closing_)
        return;
    closing_ = true;
    settings_->windowClosing();
    // The game is over for this window: the host and the lobby see the
    // connections end at once.
    link_.close();
    emit closed();
}
