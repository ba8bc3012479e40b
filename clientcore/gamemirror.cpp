#include "clientcore/gamemirror.h"

#include "net/framing.h"
#include "net/protocol.h"
#include "settings/colortext.h"

#include <algorithm>

StartPlan planStart(const QStringList &args) {
    StartPlan plan;
    if (args.isEmpty()) {
        plan.mode = StartPlan::Solo;
        plan.loadingLine = QStringLiteral("Loading Solo Game..Please wait.");
        plan.playername = QStringLiteral("You");
        plan.hostaddress = QStringLiteral("127.0.0.1");
        return plan;
    }
    plan.loadingLine = QStringLiteral("Loading Multi-player Game.. Please Wait.");
    if (args.size() < 3)
        return plan;
    plan.playername = proto::cut(args[0], proto::kMaxNameLength);
    plan.hostaddress = proto::cut(args[1], proto::kMaxNameLength);
    plan.mode = args[2] == QLatin1String("true") ? StartPlan::Host : StartPlan::Join;
    plan.openLobby = true;
    return plan;
}

GameMirror::GameMirror(QObject *parent) : QObject(parent) {
    names_.fill(kWaiting);
    rack_.fill(kEmpty);
    for (int i = 1; i <= 10; ++i) {
        rackorder_[i] = {0, i};
        tiletext_[i] = QStringLiteral("n+*");
    }
    clearall();
    getboard(1, 2, 3, 4);
    Timer2.setInterval(1000);
    connect(&Timer2, &QTimer::timeout, this, &GameMirror::Timer2Timer);
}

// ---- Connection ---------------------------------------------------------------

void GameMirror::setLogin(const QString &name) {
    logintail_.clear();
    if (name.isEmpty())
        return;
    logintail_ = name.toUtf8();
    logintail_.append(FrameSplitter::Terminator);
}

QByteArray GameMirror::sendloginfo(int seat, const QString &version) {
    handle(proto::toclient::SendLoginInfo{seat});
    // The tail already ends in 0xFF, so the message ends in two of them; the
    // host reads the second as an empty message and ignores it.
    QByteArray bytes = proto::encode(proto::client::logininfo(seat, version, QString()));
    bytes.chop(1);
    bytes.append(logintail_);
    bytes.append(FrameSplitter::Terminator);
    return bytes;
}

void GameMirror::handle(const proto::toclient::SendLoginInfo &m) {
    localseat_ = m.slot;
    loggedin_ = true;
}

void GameMirror::handle(const proto::toclient::Full &) {
    emit gameFull();
}

void GameMirror::systemLine(const QString &text) {
    emit chatLine(0, text, kSystemColour);
}

void GameMirror::handle(const proto::toclient::WrongVersion &) {
    systemLine(QStringLiteral("You have a differnt version of the game then the host."));
}

void GameMirror::handle(const proto::toclient::HaveWrongVersion &m) {
    systemLine(m.name + QStringLiteral(" has a different version of the game then you."));
}

// ---- Seats ----------------------------------------------------------------------

QString GameMirror::spyEntry(int slot, const QString &name) {
    return QString::number(slot) + QStringLiteral(": ") + name;
}

void GameMirror::handle(const proto::toclient::NewPlayerInfo &m) {
    const bool own = m.slot == localseat_;
    if (own)
        systemLine(QStringLiteral("You are Connected."));
    else
        systemLine(m.name + QStringLiteral(" is Connected."));
    if (isSeat(m.slot)) {
        names_[m.slot] = m.name;
        emit seatChanged(m.slot);
    } else {
        systemLine(own ? QStringLiteral("You are spying.")
                       : m.name + QStringLiteral(" is spying."));
        // A watcher announced again keeps its one entry.
        const QString entry = spyEntry(m.slot, m.name);
        if (!spies_.contains(entry)) {
            spies_ << entry;
            emit spiesChanged();
        }
    }
    emit soundRequested(QStringLiteral("entered"));
    if (own) {
        emit ownSeatAnnounced(m.slot);
        emit tallyPlayersChanged();
    }
}

void GameMirror::handle(const proto::toclient::PlayerDisconnected &m) {
    const bool own = m.slot == localseat_;
    if (own)
        loggedin_ = false;
    if (isSeat(m.slot)) {
        if (names_[m.slot] != kWaiting)
            systemLine(names_[m.slot] + QStringLiteral(" disconnected."));
        watching_[m.slot] = false;
        names_[m.slot] = kWaiting;
        emit seatChanged(m.slot);
    }
    // Only the entry with both the slot and the name goes.
    if (spies_.removeOne(spyEntry(m.slot, m.name))) {
        systemLine(m.name + QStringLiteral(" has left."));
        emit spiesChanged();
    }
    if (own)
        emit ownSeatLost();
    emit tallyPlayersChanged();
}

void GameMirror::handle(const proto::toclient::Watching &m) {
    const bool sitsOut = m.code == 1;
    watching_[m.seat] = sitsOut;
    systemLine(seatName(m.seat) + (sitsOut ? QStringLiteral(" is just watching")
                                           : QStringLiteral(" now playing again")));
    emit seatChanged(m.seat);
}

void GameMirror::setScore(int seat, int total) {
    if (!isSeat(seat))
        return;
    scores_[seat] = total;
    emit seatChanged(seat);
}

// ---- Start and settings -----------------------------------------------------

void GameMirror::applySettings(const game::GameOptions &o) {
    turntime_ = o.turntime;
    turntimetext_ = QString::number(o.turntime);
    squarecount_ = o.squarecount;
    gametime_ = o.gametime;
    gametimetext_ = o.gametime == 0 ? QStringLiteral("No Limit")
                                    : QString::number(o.gametime) + QStringLiteral(" mins");
    playtoscore_ = o.playtoscore;
    playtoscoretext_ =
        o.playtoscore == 0 ? QStringLiteral("Until out of Tiles") : QString::number(o.playtoscore);
    doubletiles_ = o.doubletiles;
    partners_ = o.partners;
    emit settingsChanged();
    emit statusChanged();
}

void GameMirror::handle(const proto::toclient::Started &m) {
    tilesleft_ = 100;
    emit tilesLeftChanged(tilesleft_);
    winnershown_ = false;
    clearall();
    rack_.fill(kEmpty);
    winners_.clear();
    emit moveButtonsShown(false);
    applySettings(m.options);
    if (m.name == playername_)
        systemLine(QStringLiteral("You have started a game."));
    else
        systemLine(m.name + QStringLiteral(" has started a game."));
    elapsed_ = 0;
    running_ = true;
    Timer2.start();
    emit boardChanged();
    emit rackChanged();
    emit gameStarted();
    emit tallyPlayersChanged();
}

void GameMirror::handle(const proto::toclient::Settings &m) {
    // A newcomer to a running game: the clock goes on from the host's count,
    // and starts with the turn that follows.
    applySettings(m.options);
    elapsed_ = m.elapsed;
    running_ = true;
    zorbles(squarecount_);
    emit boardChanged();
}

// ---- Turns ----------------------------------------------------------------------

bool GameMirror::ownTurn() const {
    return isSeat(currentplayer_) && currentplayer_ == localseat_;
}

quint32 GameMirror::seatColour(int seat) {
    static constexpr std::array<quint32, 5> colours{0, 0xFF0000, 0x00FF00, 0x438DFC, 0xFFFF00};
    return isSeat(seat) ? colours[seat] : 0;
}

void GameMirror::handle(const proto::toclient::NextPlayer &m) {
    clearLaid();
    currentplayer_ = m.seat;
    turnclock_ = turntime_ - 1;
    if (isSeat(m.seat))
        turncolour_ = seatColour(m.seat);
    const bool own = ownTurn();
    turntext_ = own ? QStringLiteral("Your Turn.") : name(m.seat) + QStringLiteral("'s turn.");
    emit turnChanged(m.seat, own);
    if (own) {
        emit turnSoundRequested();
        emit moveButtonsShown(true);
    }
    if (!Timer2.isActive())
        Timer2.start();
    emit statusChanged();
}

namespace {

// m:ss, minutes without a leading zero.
QString clockText(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString GameMirror::timeOfGameText() const {
    return QStringLiteral("Game Time: ") + clockText(elapsed_);
}

QString GameMirror::tilesLeftText() const {
    return QStringLiteral("Tiles Left: ") + QString::number(tilesleft_);
}

void GameMirror::Timer2Timer() {
    ++elapsed_;
    if (turnclock_ <= 0) {
        timeofturn_ = QStringLiteral("Turn Time: 0:00");
    } else {
        --turnclock_;
        if (turnclock_ == 20 || (turnclock_ >= 1 && turnclock_ <= 10))
            emit soundRequested(QStringLiteral("tick"));
        timeofturn_ = QStringLiteral("Turn Time: ") + clockText(turnclock_);
    }
    emit statusChanged();
}

void GameMirror::endOfTurn() {
    emit moveButtonsShown(false);
    cancelDrag();
}

void GameMirror::handle(const proto::toclient::Passed &m) {
    if (m.seat == localseat_) {
        clearLaid();
        systemLine(QStringLiteral("You Passed"));
    } else {
        systemLine(seatName(m.seat) + QStringLiteral(" Passed"));
    }
    endOfTurn();
}

void GameMirror::handle(const proto::toclient::TimeUp &m) {
    if (m.seat == localseat_) {
        clearLaid();
        systemLine(QStringLiteral("Your Time is up"));
        emit soundRequested(QStringLiteral("time"));
    } else {
        systemLine(seatName(m.seat) + QStringLiteral("'s Time is up"));
    }
    endOfTurn();
}

void GameMirror::handle(const proto::toclient::Exchanged &m) {
    setScore(m.seat, m.score);
    bonuses_[m.seat] = QStringLiteral("-10");
    setScore(m.partner, m.partnerscore);
    if (m.seat == localseat_) {
        clearLaid();
        systemLine(QStringLiteral("You Bought New Tiles"));
    } else {
        systemLine(seatName(m.seat) + QStringLiteral(" Bought New Tiles"));
    }
    cancelDrag();
    emit tilesExchanged(m.seat);
}

void GameMirror::handle(const proto::toclient::NoTiles &m) {
    if (m.seat == localseat_)
        systemLine(QStringLiteral("You are out of tiles"));
    else
        systemLine(seatName(m.seat) + QStringLiteral(" is out of tiles"));
    emit soundRequested(QStringLiteral("notiles"));
}

void GameMirror::handle(const proto::toclient::TileCount &m) {
    tilesleft_ = kMaxDrawn - m.count;
    emit tilesLeftChanged(tilesleft_);
    emit statusChanged();
}

void GameMirror::handle(const proto::toclient::Already &) {
    systemLine(QStringLiteral("You already bought new tiles."));
}

void GameMirror::handle(const proto::toclient::NotEnough &) {
    systemLine(QStringLiteral("Not enough tiles left to Buy New Ones."));
}

void GameMirror::handle(const proto::toclient::Invalid &) {
    clearLaid();
    systemLine(QStringLiteral("Invalid Word!"));
    emit moveRefused();
}

void GameMirror::handle(const proto::toclient::Scored &m) {
    for (int n = 1; n <= kSeats; ++n)
        bonuses_[n].clear();
    bonuses_[m.seat] = QStringLiteral("+") + QString::number(m.turnscore);
    setScore(m.seat, m.score);
    setScore(m.partner, m.partnerscore);
    for (int n = 1; n <= kSeats; ++n)
        emit seatChanged(n);
    systemLine(QStringLiteral("*") + seatName(m.seat) + QStringLiteral(": ") + m.word.toUpper() +
               QLatin1Char(' ') + bonuses_[m.seat] + QStringLiteral(" points.*"));
    if (m.bonus >= 1 && m.bonus <= 3) {
        emit zorbleOutcome(m.bonus);
        emit soundRequested(m.bonus == 3 ? QStringLiteral("zbbad") : QStringLiteral("zbgood"));
    }
}

// ---- Chat and the end -------------------------------------------------------------

int GameMirror::seatedCount() const {
    return int(std::count_if(names_.begin() + 1, names_.begin() + 1 + kSeats,
                             [](const QString &n) { return n != kWaiting; }));
}

void GameMirror::handle(const proto::toclient::Chat &m) {
    quint32 colour = kColourWhite;
    if (!m.colour.isNull())
        colour = colorFromString(m.colour).value_or(kColourWhite);
    emit chatLine(m.seat, m.text, colour);
}

void GameMirror::handle(const proto::toclient::ChatterSound &m) {
    emit chatterSoundRequested(m.seat, m.sound);
}

void GameMirror::handle(const proto::toclient::GameOver &m) {
    using proto::toclient::EndReason;
    switch (m.reason) {
    case EndReason::PlayToScore:
        reason_ = QStringLiteral("Play to Score Reached, Game Over!");
        break;
    case EndReason::GameTime:
        reason_ = QStringLiteral("Game Time is Up, Game Over!");
        break;
    case EndReason::NoMoreTiles:
        reason_ = QStringLiteral("No More tiles, Game Over!");
        break;
    case EndReason::EveryonePassed:
        reason_ = QStringLiteral("Everyone has passed, Game Over!");
        break;
    }
    emit reasonChanged(reason_);
    emit statusChanged();
}

void GameMirror::handle(const proto::toclient::Winner &m) {
    if (m.seats.isEmpty())
        return; // nobody named: the game goes on as far as this client knows
    currentplayer_ = 0;
    running_ = false;
    Timer2.stop();
    cancelDrag();
    // Nobody moves once the game is over.
    emit moveButtonsShown(false);
    emit soundRequested(QStringLiteral("gameover"));
    winners_ = m.seats;
    QStringList names;
    for (int seat : m.seats)
        names << name(seat);
    winnertitle_ = m.seats.size() > 1 ? QStringLiteral("Congratulations to the Winners!")
                                      : QStringLiteral("Congratulations to the Winner!");
    winnernames_ = names.join(QLatin1Char(','));
    winnershown_ = true;
    emit soundRequested(QStringLiteral("winner"));
    emit statusChanged();
    emit gameOver(winners_);
    // The tally records games with one winner, by seat: two players may
    // share a name.
    if (m.seats.size() == 1)
        emit tallyGame(m.seats.first() == localseat_ ? QStringLiteral("addtomine")
                                                     : name(m.seats.first()));
}
