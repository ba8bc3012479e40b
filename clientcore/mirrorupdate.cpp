// The host's messages about seats, the start and options, chat and the end.
#include "clientcore/mirrorupdate.h"

#include "clientcore/gamemirror.h"
#include "settings/colortext.h"

using namespace proto::toclient;

void MirrorUpdate::systemLine(const QString &text) {
    emit m.chatLine(0, text, GameMirror::kSystemColour);
}

QString MirrorUpdate::nameOf(int seat) const {
    return m.seats_.name(seat);
}

void MirrorUpdate::setScore(int seat, int total) {
    if (!game::isSeat(seat))
        return;
    m.seats_.setScore(seat, total);
    emit m.seatChanged(seat);
}

// ---- The connection ---------------------------------------------------------------

void MirrorUpdate::operator()(const SendLoginInfo &msg) {
    m.closedByHost_ = false;
    m.localseat_ = msg.slot;
    m.position_.mover = msg.slot;
    m.loggedin_ = true;
}

void MirrorUpdate::operator()(const Full &) {
    emit m.gameFull();
}

void MirrorUpdate::operator()(const WrongVersion &) {
    systemLine(QStringLiteral("You have a differnt version of the game then the host."));
}

void MirrorUpdate::operator()(const HaveWrongVersion &msg) {
    systemLine(msg.name + QStringLiteral(" has a different version of the game then you."));
}

void MirrorUpdate::operator()(const RejoinToken &msg) {
    m.rejointoken_ = msg;
    emit m.rejoinTokenReceived(msg.gameId, msg.token);
}

void MirrorUpdate::operator()(const Closing &) {
    m.closedByHost_ = true;
}

// ---- Seats ----------------------------------------------------------------------------

void MirrorUpdate::operator()(const SeatKept &msg) {
    if (nameOf(msg.seat) == SeatList::kWaiting)
        return;
    systemLine(msg.seconds > 0 ? MirrorTexts::seatKept(nameOf(msg.seat), msg.seconds)
                               : MirrorTexts::graceOver(nameOf(msg.seat)));
    m.seats_.setKept(msg.seat, msg.seconds);
    emit m.seatChanged(msg.seat);
}

void MirrorUpdate::operator()(const NewPlayerInfo &msg) {
    const bool own = msg.slot == m.localseat_;
    if (msg.name.isEmpty() && !own) {
        // A free slot below the highest one opened: nobody to greet.
        if (game::isSeat(msg.slot) && nameOf(msg.slot) != SeatList::kWaiting) {
            m.seats_.setName(msg.slot, QString());
            emit m.seatChanged(msg.slot);
            emit m.tallyPlayersChanged();
        }
        return;
    }
    systemLine(MirrorTexts::connected(msg.name, own));
    if (game::isSeat(msg.slot)) {
        m.seats_.setName(msg.slot, msg.name);
        emit m.seatChanged(msg.slot);
    } else {
        systemLine(MirrorTexts::spying(msg.name, own));
        // A watcher announced again keeps its one entry.
        if (m.seats_.addSpy(msg.slot, msg.name))
            emit m.spiesChanged();
    }
    emit m.soundRequested(QStringLiteral("entered"));
    if (own) {
        emit m.ownSeatAnnounced(msg.slot);
        emit m.tallyPlayersChanged();
    }
}

void MirrorUpdate::operator()(const PlayerDisconnected &msg) {
    const bool own = msg.slot == m.localseat_;
    if (own)
        m.loggedin_ = false;
    if (game::isSeat(msg.slot)) {
        if (nameOf(msg.slot) != SeatList::kWaiting)
            systemLine(nameOf(msg.slot) + QStringLiteral(" disconnected."));
        m.seats_.setWatching(msg.slot, false);
        m.seats_.setName(msg.slot, SeatList::kWaiting);
        emit m.seatChanged(msg.slot);
    }
    // Only the entry with both the slot and the name goes.
    if (m.seats_.removeSpy(msg.slot, msg.name)) {
        systemLine(msg.name + QStringLiteral(" has left."));
        emit m.spiesChanged();
    }
    if (own)
        emit m.ownSeatLost();
    emit m.tallyPlayersChanged();
}

void MirrorUpdate::operator()(const Watching &msg) {
    const bool sitsOut = msg.code == 1;
    m.seats_.setWatching(msg.seat, sitsOut);
    systemLine(MirrorTexts::watching(nameOf(msg.seat), sitsOut));
    emit m.seatChanged(msg.seat);
    // A watcher lays nothing: the tiles laid go back and the buttons go.
    if (sitsOut && msg.seat == m.localseat_) {
        clearLaid();
        endOfTurn();
    }
}

// ---- Start and options ----------------------------------------------------------------

void MirrorUpdate::applySettings(const game::GameOptions &options) {
    m.options_ = options;
    m.position_.doubleTiles = options.doubletiles;
    m.texts_.showOptions(options);
    emit m.settingsChanged();
    emit m.statusChanged();
}

void MirrorUpdate::operator()(const Started &msg) {
    m.tilesleft_ = 100;
    m.texts_.showTilesLeft(m.tilesleft_);
    emit m.tilesLeftChanged(m.tilesleft_);
    m.texts_.hideWinners();
    m.seats_.clearGame();
    for (int n = 1; n <= game::kSeats; ++n)
        emit m.seatChanged(n);
    for (auto &column : m.position_.board)
        column.fill(game::kEmpty);
    for (auto &column : m.newestword_)
        column.fill(0);
    m.position_.firstword = true;
    m.composer_.reset();
    m.position_.rack.fill(game::kEmpty);
    m.winners_.clear();
    m.sheet_.clear();
    emit m.scoreSheetChanged();
    emit m.moveButtonsShown(false);
    applySettings(msg.options);
    systemLine(MirrorTexts::started(msg.name, msg.name == m.playername_));
    m.elapsed_ = 0;
    m.texts_.showElapsed(0);
    m.running_ = true;
    m.Timer2.start();
    emit m.boardChanged();
    emit m.rackChanged();
    emit m.gameStarted();
    emit m.tallyPlayersChanged();
}

void MirrorUpdate::operator()(const Settings &msg) {
    // A newcomer to a running game: the clock goes on from the host's count,
    // and starts with the turn that follows.
    applySettings(msg.options);
    m.elapsed_ = msg.elapsed;
    m.texts_.showElapsed(msg.elapsed);
    m.running_ = true;
    game::markZorbleSquares(m.position_.squares, m.options_.squarecount);
    emit m.boardChanged();
}

// ---- Chat and the end -------------------------------------------------------------------

void MirrorUpdate::operator()(const Chat &msg) {
    quint32 colour = kColourWhite;
    if (!msg.colour.isNull())
        colour = colorFromString(msg.colour).value_or(kColourWhite);
    emit m.chatLine(msg.seat, msg.text, colour);
}

void MirrorUpdate::operator()(const ChatterSound &msg) {
    emit m.chatterSoundRequested(msg.seat, msg.sound);
}

void MirrorUpdate::operator()(const GameOver &msg) {
    using proto::toclient::EndReason;
    switch (msg.reason) {
    case EndReason::PlayToScore:
        m.reason_ = QStringLiteral("Play to Score Reached, Game Over!");
        break;
    case EndReason::GameTime:
        m.reason_ = QStringLiteral("Game Time is Up, Game Over!");
        break;
    case EndReason::NoMoreTiles:
        m.reason_ = QStringLiteral("No More tiles, Game Over!");
        break;
    case EndReason::EveryonePassed:
        m.reason_ = QStringLiteral("Everyone has passed, Game Over!");
        break;
    }
    emit m.reasonChanged(m.reason_);
    m.texts_.showNoTurn();
    emit m.statusChanged();
}

void MirrorUpdate::operator()(const Winner &msg) {
    if (msg.seats.isEmpty())
        return; // nobody named: the game goes on as far as this client knows
    m.currentplayer_ = 0;
    m.running_ = false;
    m.texts_.showNoTurn();
    m.Timer2.stop();
    m.composer_.cancelDrag();
    // Nobody moves once the game is over.
    emit m.moveButtonsShown(false);
    emit m.soundRequested(QStringLiteral("gameover"));
    m.winners_ = msg.seats;
    QStringList names;
    for (int seat : msg.seats)
        names << nameOf(seat);
    m.texts_.showWinners(int(msg.seats.size()), names.join(QLatin1Char(',')));
    emit m.soundRequested(QStringLiteral("winner"));
    emit m.statusChanged();
    emit m.gameOver(m.winners_);
    // The tally records games with one winner, by seat: two players may
    // share a name.
    if (msg.seats.size() == 1)
        emit m.tallyGame(msg.seats.first() == m.localseat_ ? QStringLiteral("addtomine")
                                                           : nameOf(msg.seats.first()));
}
