#include "client/tchat.h"

#include "client/boardarea.h"
#include "client/boardview.h"
#include "client/chat/chatentry.h"
#include "client/chat/chatpanel.h"
#include "client/chat/sounds.h"
#include "client/movepreview.h"
#include "client/pictures.h"
#include "client/rackview.h"
#include "client/seatmenu.h"
#include "client/seattable.h"
#include "client/statuspanel.h"
#include "client/zorbleflash.h"
#include "dict/tdictn.h"
#include "host/tserver.h"
#include "net/protocol.h"
#include "windows/tabout.h"
#include "windows/thelp.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QJsonArray>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

Tchat::Tchat(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("chatform"));
    setWindowTitle(QStringLiteral("Zorble"));
    resize(kDefaultWidth, kDefaultHeight);
    // Drawn at the screen's pixel density, so that the board stays sharp.
    pictures_ = std::make_unique<ClassicPictures>(devicePixelRatio());

    buildPanel();
    buildMenus();
    connectViews();

    connect(&mirror_, &GameMirror::chatLine, this, &Tchat::addlinetochat);
    connect(&mirror_, &GameMirror::seatChanged, this, &Tchat::seatChanged);
    connect(&mirror_, &GameMirror::soundRequested, chat_->sounds(), &Sounds::playsounds);
    connect(&mirror_, &GameMirror::chatterSoundRequested, chat_, &ChatPanel::chatterSound);
    connect(&mirror_, &GameMirror::ownSeatAnnounced, this, [this](int seat) {
        chat_->setLocalSeat(seat);
        chat_->setLoggedIn(true);
        rack_->showSeat(seat);
    });
    connect(&mirror_, &GameMirror::ownSeatLost, this, [this] {
        chat_->setLoggedIn(false);
        close();
    });
    connect(&mirror_, &GameMirror::gameFull, this, [this] {
        showMessage(QStringLiteral("Game is full"));
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
    connect(&link_, &HostLink::dispatching, this, &Tchat::dispatching);
    connect(&link_, &HostLink::connectionClosed, this, &Tchat::close);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        checkScreenWidth(screen->geometry().width());
}

Tchat::~Tchat() = default;

void Tchat::buildPanel() {
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("panel"));
    panel_->setMinimumSize(859, 605);
    setCentralWidget(panel_);

    boardArea_ = new BoardArea(mirror_, pictures_.get(), panel_);
    connect(boardArea_->screenButton(), &QPushButton::clicked, this, &Tchat::Image4Click);

    rack_ = new RackView(mirror_, pictures_.get(), panel_);

    // Under the rack: what the host would make of the tiles laid.
    label_preview = new QLabel(panel_);
    label_preview->setObjectName(QStringLiteral("label_preview"));
    label_preview->setGeometry(33, 600, 508, 18);
    label_preview->setTextFormat(Qt::PlainText);
    QFont previewFont = label_preview->font();
    previewFont.setBold(true);
    label_preview->setFont(previewFont);
    label_preview->hide();

    seatTable_ = new SeatTable(pictures_.get(), panel_);
    seatTable_->setGeometry(548, 4, 306, 96);
    popup_kick = new SeatMenu(this);
    connect(popup_kick, &SeatMenu::kickRequested, this, &Tchat::kicking);
    connect(popup_kick, &SeatMenu::watchRequested, this, [this](int seat, bool sitOut) {
        if (mirror_.loggedIn() && GameMirror::isSeat(seat))
            link_.send(proto::client::justwatch(seat, sitOut));
    });
    for (int seat = 1; seat <= GameMirror::kSeats; ++seat) {
        QLabel *name = seatTable_->nameLabel(seat);
        name->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(name, &QWidget::customContextMenuRequested, this, [this, name, seat](QPoint at) {
            popup_kick->prepare(mirror_.isHost(), name->text(), seat);
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
    chat_->setSeatNames([this](int seat) { return mirror_.name(seat); });
    connect(chat_, &ChatPanel::sendMessage, &link_, &HostLink::send);

    // Over the settings column while it runs.
    zorble_ = new ZorbleFlash(pictures_.get(), panel_);

    // The tile picked up, over the board and the rack; the pointer is never
    // over it, so clicks reach the square or tile beneath.
    image_dragging = new QLabel(panel_);
    image_dragging->setObjectName(QStringLiteral("image_dragging"));
    image_dragging->resize(TilePictures::kSquare, TilePictures::kSquare);
    image_dragging->setAttribute(Qt::WA_TransparentForMouseEvents);
    image_dragging->hide();

    BoardView *board = boardArea_->board();
    connect(board, &BoardView::doneRequested, this, [this](bool byKey) {
        pressdone();
        // The keyboard player goes on at the board.
        if (!byKey)
            chatFocus();
    });
    connect(board, &BoardView::pointerMoved, this, &Tchat::followPointer);
    connect(rack_, &RackView::pointerMoved, this, &Tchat::followPointer);
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
    connect(&mirror_, &GameMirror::dragChanged, this, &Tchat::showDrag);
    connect(&mirror_, &GameMirror::boardChanged, this, &Tchat::updatePreview);
    connect(&mirror_, &GameMirror::turnChanged, this, &Tchat::updatePreview);
    connect(&mirror_, &GameMirror::moveButtonsShown, this, &Tchat::updatePreview);
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
    fileMenu_->addSeparator();
    Exit1 = fileMenu_->addAction(QStringLiteral("Exit"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    connect(Exit1, &QAction::triggered, this, &Tchat::Exit1Click);

    viewMenu_ = menuBar()->addMenu(QStringLiteral("View"));
    viewMenu_->setObjectName(QStringLiteral("View1"));
    BoardKeys1 = viewMenu_->addAction(QStringLiteral("Type on the Board"));
    BoardKeys1->setObjectName(QStringLiteral("BoardKeys1"));
    BoardKeys1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(BoardKeys1, &QAction::triggered, this,
            [this] { boardArea_->board()->setFocus(Qt::ShortcutFocusReason); });

    optionsMenu_ = menuBar()->addMenu(QStringLiteral("Options"));
    optionsMenu_->setObjectName(QStringLiteral("Options1"));
    JustWatch1 = optionsMenu_->addAction(QStringLiteral("Just Watch"));
    JustWatch1->setObjectName(QStringLiteral("JustWatch1"));
    JustWatch1->setCheckable(true);
    connect(JustWatch1, &QAction::triggered, this, &Tchat::JustWatch1Click);
    optionsMenu_->addSeparator();
    chat_->addOptionActions(optionsMenu_);

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

QString Tchat::versionText() const {
    return about_ ? about_->versionText() : QString::fromLatin1(proto::kVersion);
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
    // The chat view takes the speaker's seat as the line's selector.
    const QString line = QString::number(seat) + QLatin1Char('+') + text;
    chat_->addlinetochat(line, colour);
    emit chatLineShown(line);
}

void Tchat::systemLine(const QString &text) {
    addlinetochat(0, text, GameMirror::kSystemColour);
}

void Tchat::showMessage(const QString &text) {
    QMessageBox::information(this, QStringLiteral("Zorble"), text);
}

// ---- Start-up ----------------------------------------------------------------

void Tchat::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        processparams();
    }
}

void Tchat::processparams() {
    StartGame1->setEnabled(false);
    status_->startButton()->hide();
    mirror_.setLogin(QString());

    const StartPlan plan = planStart(args_);
    systemLine(plan.loadingLine);
    if (plan.mode == StartPlan::Idle)
        return;
    mirror_.setPlayerName(plan.playername);
    mirror_.setHostAddress(plan.hostaddress);
    if (plan.mode == StartPlan::Join)
        joinpress();
    else
        hostpress();
    if (plan.openLobby)
        link_.openLobby(lobbyPort_);
}

void Tchat::hostpress() {
    if (!server_)
        server_ = new TServer(this);
    try {
        server_->listen(gamePort_);
    } catch (const ESockException &e) {
        // Another program holds the port: joining whatever listens there as
        // if it were our own host would be wrong, so stop here.
        std::fprintf(stderr, "zorble: cannot host on port %u: %s\n", gamePort_, e.what());
        systemLine(QStringLiteral("Cannot host the game: port %1 is in use.").arg(gamePort_));
        return;
    }
    mirror_.setLogin(mirror_.playerName());
    mirror_.setHost(true);
    link_.setVersion(versionText());
    link_.connectToHost(QStringLiteral("127.0.0.1"), gamePort_);
    StartGame1->setEnabled(true);
    status_->startButton()->show();
}

void Tchat::joinpress() {
    mirror_.setLogin(mirror_.playerName());
    // An address that cannot be looked up leaves the window unconnected.
    link_.setVersion(versionText());
    link_.connectToHost(mirror_.hostAddress(), gamePort_);
    StartGame1->setEnabled(false);
    status_->startButton()->hide();
}

// ---- User actions and closing ------------------------------------------------------

void Tchat::seatChanged(int seat) {
    seatTable_->showSeat(mirror_, seat);
    if (seat == mirror_.localSeat())
        JustWatch1->setChecked(mirror_.watching(seat));
}

void Tchat::JustWatch1Click() {
    // The tick changes only when the host says so.
    JustWatch1->setChecked(mirror_.watching(mirror_.localSeat()));
    if (mirror_.loggedIn() && GameMirror::isSeat(mirror_.localSeat()))
        link_.send(
            proto::client::justwatch(mirror_.localSeat(), !mirror_.watching(mirror_.localSeat())));
}

void Tchat::kicking(int seat) {
    if (mirror_.isHost() && mirror_.loggedIn())
        link_.send(proto::client::kickhim(mirror_.localSeat(), seat));
}

void Tchat::button_startClick() {
    if (!mirror_.loggedIn()) {
        showMessage(QStringLiteral("You are not connected"));
        return;
    }
    status_->startButton()->hide();
    // Until the options can be chosen, a game starts with the usual ones.
    proto::GameOptions options;
    options.name = mirror_.playerName();
    options.turntime = 90;
    options.squarecount = 12;
    link_.send(proto::client::startgame(options));
}

void Tchat::button_passClick() {
    mirror_.clearLaid();
    if (mirror_.ownTurn() && mirror_.loggedIn())
        link_.send(proto::client::pass(mirror_.localSeat()));
    chatFocus();
}

void Tchat::button_newtilesClick() {
    mirror_.clearLaid();
    if (mirror_.ownTurn() && mirror_.loggedIn())
        link_.send(proto::client::newtiles(mirror_.localSeat()));
    chatFocus();
}

void Tchat::pressdone() {
    // The tiles stay where they lie until the host answers.
    if (const std::optional<QString> request = mirror_.doneRequest())
        link_.send(*request);
}

void Tchat::button_doneClick() {
    pressdone();
    chatFocus();
}

void Tchat::button_clearClick() {
    mirror_.clearLaid();
    chatFocus();
}

void Tchat::chatFocus() {
    if (isActiveWindow())
        chat_->entry()->setFocus();
}

// ---- The move being laid -------------------------------------------------------------

void Tchat::showDrag() {
    if (mirror_.dragTile() == 0) {
        image_dragging->hide();
        image_dragging->clear();
        return;
    }
    // The drag text is side "+" letter.
    const int letter = mirror_.dragText().section(QLatin1Char('+'), 1).toInt();
    image_dragging->setPixmap(pictures_->little(letter));
    image_dragging->show();
    image_dragging->raise();
}

void Tchat::followPointer(QPoint global) {
    image_dragging->move(panel_->mapFromGlobal(global) + QPoint(3, 3));
}

const rules::Rules &Tchat::previewRules() {
    if (server_)
        return server_->moveRules();
    if (!ownRules_) {
        ownWords_ = std::make_unique<TDictn>();
        ownRules_ = std::make_unique<rules::Rules>(
            [words = ownWords_.get()](const QString &word) { return words->FindWord(word); });
    }
    return *ownRules_;
}

void Tchat::updatePreview() {
    QString text;
    if (mirror_.ownTurn() && !mirror_.laidTiles().isEmpty())
        if (const auto verdict = movepreview::judgeLaid(mirror_, previewRules()))
            text = movepreview::describe(*verdict);
    label_preview->setText(text);
    label_preview->setVisible(!text.isEmpty());
}

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
    return out;
}

void Tchat::Exit1Click() {
    close();
}

void Tchat::Image4Click() {
    boardArea_->screenPanel()->hide();
    close();
}

void Tchat::closeEvent(QCloseEvent *event) {
    QMainWindow::closeEvent(event);
    if (closing_)
        return;
    closing_ = true;
    // The game is over for this window: the host and the lobby see the
    // connections end at once.
    link_.close();
    emit closed();
}
