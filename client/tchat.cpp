#include "tchat.h"

#include "boardarea.h"
#include "chatpanel.h"
#include "protocol.h"
#include "seattable.h"
#include "sounds.h"
#include "statuspanel.h"
#include "tabout.h"
#include "thelp.h"
#include "tserver.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

namespace {

// Bytes a connection may send without a terminator before they are thrown away.
constexpr qsizetype kMaxPending = 64 * 1024;

// One printable line for a log: control characters become '?', long texts
// are cut.
QByteArray printable(const QString &text) {
    QByteArray bytes = text.left(200).toUtf8();
    for (char &c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return bytes;
}

} // namespace

// Every command a host may send, in the order they are tried.
const Tchat::Command Tchat::kCommands[] = {
    {"CMD_sendlogininfo", &Tchat::sendloginfo},
    {"CMD_chat", &Tchat::chatrecieved},
    {"CMD_action", &Tchat::chatrecieved},
    {"CMD_newplayerinfo", &Tchat::newplayerinfo},
    {"CMD_havewrongversion", &Tchat::havewrongversion},
    {"CMD_wrongversion", &Tchat::wrongversion},
    {"CMD_existingplayers", &Tchat::newplayerinfo},
    {"CMD_playerdisconnected", &Tchat::playerdisconnected},
    {"CMD_startgame", nullptr},
    {"CMD_nextplayer", nullptr},
    {"CMD_winner", nullptr},
    {"CMD_full", &Tchat::full},
    {"CMD_playasound", &Tchat::playasound},
    {"CMD_arrangeboard", nullptr},
    {"CMD_atile", nullptr},
    {"CMD_placeletter", nullptr},
    {"CMD_reposition", nullptr},
    {"CMD_postscore", nullptr},
    {"CMD_newword", nullptr},
    {"CMD_showboard", nullptr},
    {"CMD_newtiles", nullptr},
    {"CMD_pass", nullptr},
    {"CMD_timeup", nullptr},
    {"CMD_invalid", &Tchat::invalid},
    {"CMD_playergotscore", &Tchat::playergotscore},
    {"CMD_gametimeup", &Tchat::gametimeup},
    {"CMD_nomoretiles", &Tchat::nomoretiles},
    {"CMD_everyonepassed", &Tchat::everyonepassed},
    {"CMD_gamesettings", nullptr},
    {"CMD_justwatching", nullptr},
    {"CMD_tilecount", nullptr},
    {"CMD_already", &Tchat::already},
    {"CMD_notenough", &Tchat::notenough},
    {"CMD_notiles", nullptr},
};

Tchat::Tchat(QWidget *parent)
    : QMainWindow(parent), sockCarry_(kMaxPending), lobbyCarry_(kMaxPending) {
    setObjectName(QStringLiteral("chatform"));
    setWindowTitle(QStringLiteral("Zorble"));
    resize(kDefaultWidth, kDefaultHeight);

    buildPanel();
    buildMenus();

    connect(&mirror_, &GameMirror::chatLine, this, &Tchat::addlinetochat);
    connect(&mirror_, &GameMirror::seatChanged, this, &Tchat::seatChanged);
    connect(&mirror_, &GameMirror::soundRequested, chat_->sounds(), &Sounds::playsounds);
    connect(&mirror_, &GameMirror::ownSeatLost, this, [this] {
        chat_->setLoggedIn(false);
        close();
    });
    mirror_.clearall();
    mirror_.ishost = false;
    mirror_.currentplayer = 0;

    for (TSock *s : {&sock, &Sock11}) {
        s->setPortName(QString::number(s == &sock ? kGamePort : kLobbyPort));
        s->OnRead = [this](TSock *sender, int) { sockRead(sender); };
        s->OnInfo = [this](TSock *sender, TSocketInfo kind, const QString &text) {
            sockInfo(sender, kind, text);
        };
    }

    // The queue is worked off as soon as control returns to the event loop:
    // every line in arrival order, each handler to its end before the next.
    Timer1.setSingleShot(true);
    Timer1.setInterval(0);
    connect(&Timer1, &QTimer::timeout, this, &Tchat::Timer1Timer);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        checkScreenWidth(screen->geometry().width());
}

Tchat::~Tchat() {
    // Closing the sockets reports "Socket Closed"; nobody is left to hear it.
    for (TSock *s : {&sock, &Sock11}) {
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
    }
}

void Tchat::buildPanel() {
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("panel"));
    panel_->setMinimumSize(859, 605);
    setCentralWidget(panel_);

    boardArea_ = new BoardArea(panel_);
    connect(boardArea_->screenButton(), &QPushButton::clicked, this, &Tchat::Image4Click);

    seatTable_ = new SeatTable(panel_);
    seatTable_->setGeometry(548, 4, 306, 96);

    status_ = new StatusPanel(panel_);
    status_->setGeometry(548, 102, 306, 136);
    connect(status_->startButton(), &QPushButton::clicked, this, &Tchat::button_startClick);

    chat_ = new ChatPanel(panel_);
    chat_->setGeometry(550, 244, ChatPanel::kWidth, ChatPanel::kHeight);
    chat_->setSeatNames([this](int seat) { return mirror_.name(seat); });
    connect(chat_, &ChatPanel::sendMessage, this, &Tchat::sendToHost);
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

    optionsMenu_ = menuBar()->addMenu(QStringLiteral("Options"));
    optionsMenu_->setObjectName(QStringLiteral("Options1"));
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

void Tchat::addlinetochat(const QString &line, quint32 colour) {
    chat_->addlinetochat(line, colour);
    emit chatLineShown(line);
}

void Tchat::sendToHost(const QString &message) {
    if (!sock.Connected())
        return;
    try {
        sock.Send(proto::encode(message));
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot send to the host: %s\n", e.what());
    }
}

void Tchat::systemLine(const QString &text) {
    addlinetochat(QStringLiteral("0+") + text, GameMirror::kSystemColour);
}

void Tchat::malformed(const char *why) {
    std::fprintf(stderr, "zorble: dropped a message from the host (%s): %s\n", why,
                 printable(current_).constData());
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
    mirror_.logintail.clear();

    const StartPlan plan = planStart(args_);
    systemLine(plan.loadingLine);
    if (plan.mode == StartPlan::Idle)
        return;
    mirror_.playername = plan.playername;
    mirror_.hostaddress = plan.hostaddress;
    if (plan.mode == StartPlan::Join)
        joinpress();
    else
        hostpress();
    if (plan.openLobby) {
        Sock11.setHostName(QStringLiteral("127.0.0.1"));
        Sock11.setPortName(QString::number(lobbyPort_));
        try {
            Sock11.Open();
        } catch (const ESockException &e) {
            std::fprintf(stderr, "zorble: cannot reach the lobby: %s\n", e.what());
        }
    }
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
    mirror_.setLogin(mirror_.playername);
    mirror_.ishost = true;
    sock.setHostName(QStringLiteral("127.0.0.1"));
    sock.setPortName(QString::number(gamePort_));
    try {
        sock.Open();
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot connect to the host: %s\n", e.what());
    }
    StartGame1->setEnabled(true);
    status_->startButton()->show();
}

void Tchat::joinpress() {
    mirror_.setLogin(mirror_.playername);
    sock.setHostName(mirror_.hostaddress);
    sock.setPortName(QString::number(gamePort_));
    try {
        sock.Open();
    } catch (const ESockException &e) {
        // An address that cannot be looked up leaves the window unconnected.
        std::fprintf(stderr, "zorble: cannot connect to %s: %s\n",
                     printable(mirror_.hostaddress).constData(), e.what());
    }
    StartGame1->setEnabled(false);
    status_->startButton()->hide();
}

// ---- Inbound path -------------------------------------------------------------

void Tchat::sockRead(TSock *sender) {
    FrameSplitter &carry = sender == &Sock11 ? lobbyCarry_ : sockCarry_;
    const QByteArray bytes = sender->Receive();
    const bool ok = carry.feed(bytes, [this](const QByteArray &message) {
        receivedlist.push_back({proto::decode(message), false});
    });
    if (!ok) {
        std::fprintf(stderr, "zorble: dropped %lld bytes without a message end\n",
                     static_cast<long long>(carry.pending().size()));
        carry.clear();
    }
    if (!receivedlist.empty())
        Timer1.start();
}

void Tchat::sockInfo(TSock *, TSocketInfo, const QString &text) {
    if (text != QLatin1String("Socket Closed"))
        return;
    // The lines that arrived before the close are handled first.
    receivedlist.push_back({QString(), true});
    Timer1.start();
}

void Tchat::Timer1Timer() {
    // A handler that waits on a dialog lets the event loop run; the lines
    // that arrive meanwhile wait until it has finished.
    if (handling_)
        return;
    handling_ = true;
    while (!receivedlist.empty() && !closing_) {
        Queued next = std::move(receivedlist.front());
        receivedlist.pop_front();
        if (next.socketClosed)
            close();
        else
            dispatch(next.line);
    }
    handling_ = false;
}

void Tchat::dispatch(const QString &line) {
    ++dispatched_;
    current_ = line;
    emit dispatching(line);
    const proto::Line parts = proto::splitLine(line);
    if (parts.command.isEmpty())
        return;
    for (const Command &c : kCommands) {
        if (parts.command == QLatin1String(c.name)) {
            if (c.handler)
                (this->*c.handler)(parts.payload);
            return;
        }
    }
}

// ---- Handlers -------------------------------------------------------------------

void Tchat::sendloginfo(const QString &payload) {
    const auto seat = proto::toInt(payload);
    if (!seat || !GameMirror::isSlot(*seat))
        return malformed("bad seat");
    const QByteArray bytes = mirror_.sendloginfo(*seat, versionText());
    chat_->setLocalSeat(*seat);
    chat_->setLoggedIn(true);
    try {
        sock.Send(bytes);
    } catch (const ESockException &e) {
        std::fprintf(stderr, "zorble: cannot send the login: %s\n", e.what());
    }
}

void Tchat::chatrecieved(const QString &payload) {
    chat_->chatrecieved(payload);
    emit chatLineShown(proto::splitColour(payload).text);
}

void Tchat::playasound(const QString &payload) {
    chat_->playasound(payload);
}

void Tchat::newplayerinfo(const QString &payload) {
    const auto seat = proto::parseSlotName(payload);
    if (!seat || !GameMirror::isSlot(seat->slot))
        return malformed("bad seat");
    mirror_.newplayerinfo(seat->slot, seat->name);
}

void Tchat::playerdisconnected(const QString &payload) {
    const auto seat = proto::parseSlotName(payload);
    if (!seat || !GameMirror::isSlot(seat->slot))
        return malformed("bad seat");
    mirror_.playerdisconnected(seat->slot, seat->name);
}

void Tchat::havewrongversion(const QString &payload) {
    systemLine(payload + QStringLiteral(" has a different version of the game then you."));
}

void Tchat::wrongversion(const QString &) {
    systemLine(QStringLiteral("You have a differnt version of the game then the host."));
}

void Tchat::full(const QString &) {
    showMessage(QStringLiteral("Game is full"));
    close();
}

void Tchat::invalid(const QString &) {
    systemLine(QStringLiteral("Invalid Word!"));
}

void Tchat::setReason(const QString &text) {
    if (auto *reason = boardArea_->findChild<QLabel *>(QStringLiteral("label_reason")))
        reason->setText(text);
}

void Tchat::playergotscore(const QString &) {
    setReason(QStringLiteral("Play to Score Reached, Game Over!"));
}
void Tchat::gametimeup(const QString &) {
    setReason(QStringLiteral("Game Time is Up, Game Over!"));
}
void Tchat::nomoretiles(const QString &) {
    setReason(QStringLiteral("No More tiles, Game Over!"));
}
void Tchat::everyonepassed(const QString &) {
    setReason(QStringLiteral("Everyone has passed, Game Over!"));
}

void Tchat::already(const QString &) {
    systemLine(QStringLiteral("You already bought new tiles."));
}

void Tchat::notenough(const QString &) {
    systemLine(QStringLiteral("Not enough tiles left to Buy New Ones."));
}

// ---- User actions and closing ------------------------------------------------------

void Tchat::seatChanged(int seat) {
    seatTable_->showSeat(mirror_, seat);
}

void Tchat::button_startClick() {
    if (!mirror_.loggedin) {
        showMessage(QStringLiteral("You are not connected"));
        return;
    }
    status_->startButton()->hide();
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
    receivedlist.clear();
    // The game is over for this window: let the host and the lobby see the
    // connections end at once.
    for (TSock *s : {&sock, &Sock11}) {
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
        if (s->hasSocket())
            s->Close();
    }
    emit closed();
}
