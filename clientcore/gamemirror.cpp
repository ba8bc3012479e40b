#include "clientcore/gamemirror.h"

#include "clientcore/colortext.h"
#include "net/framing.h"
#include "net/protocol.h"

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

namespace {

void fill(GameMirror::Grid &grid, int value) {
    for (auto &column : grid)
        column.fill(value);
}

} // namespace

GameMirror::GameMirror(QObject *parent) : QObject(parent) {
    names_.fill(kWaiting);
    rack_.fill(kEmpty);
    clearall();
}

void GameMirror::clearall() {
    for (int n = 1; n <= kSeats; ++n) {
        watching_[n] = false;
        bonuses_[n].clear();
        scores_[n] = 0;
        emit seatChanged(n);
    }
    fill(squareletter_, kEmpty);
    fill(placedtile_, kEmpty);
    fill(newestword_, 0);
    for (auto &square : tilesquare_)
        square = {kEmpty, kEmpty};
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

void GameMirror::handle(const proto::toclient::NewPlayerInfo &m) {
    const bool own = m.slot == localseat_;
    if (own)
        systemLine(QStringLiteral("You are Connected."));
    else
        systemLine(m.name + QStringLiteral(" is Connected."));
    if (isSeat(m.slot)) {
        names_[m.slot] = m.name;
        emit seatChanged(m.slot);
    } else if (own) {
        systemLine(QStringLiteral("You are spying."));
    } else {
        systemLine(m.name + QStringLiteral(" is spying."));
    }
    emit soundRequested(QStringLiteral("entered"));
    if (own)
        emit ownSeatAnnounced(m.slot);
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
    if (own)
        emit ownSeatLost();
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

template <class Fields> void GameMirror::applySettings(const Fields &o) {
    turntime_ = o.turntime;
    squarecount_ = o.squarecount;
    gametime_ = o.gametime;
    playtoscore_ = o.playtoscore;
    doubletiles_ = o.doubletiles;
    partners_ = o.partners;
    emit settingsChanged();
}

void GameMirror::handle(const proto::toclient::Started &m) {
    tilesleft_ = 100;
    emit tilesLeftChanged(tilesleft_);
    clearall();
    rack_.fill(kEmpty);
    winners_.clear();
    emit moveButtonsShown(false);
    applySettings(m.options);
    if (m.options.name == playername_)
        systemLine(QStringLiteral("You have started a game."));
    else
        systemLine(m.options.name + QStringLiteral(" has started a game."));
    elapsed_ = 0;
    running_ = true;
    emit boardChanged();
    emit rackChanged();
    emit gameStarted();
}

void GameMirror::handle(const proto::toclient::Settings &m) {
    applySettings(m);
    elapsed_ = m.elapsed;
    running_ = true;
}

// ---- Turns ----------------------------------------------------------------------

bool GameMirror::ownTurn() const {
    return isSeat(currentplayer_) && names_[currentplayer_] == playername_;
}

void GameMirror::handle(const proto::toclient::NextPlayer &m) {
    clearLaid();
    currentplayer_ = m.seat;
    const bool own = ownTurn();
    emit turnChanged(m.seat, own);
    if (own)
        emit moveButtonsShown(true);
}

void GameMirror::endOfTurn() {
    emit moveButtonsShown(false);
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

// ---- Board and rack -------------------------------------------------------------

void GameMirror::handle(const proto::toclient::ArrangeBoard &m) {
    quarters_ = m.quarters;
    emit boardChanged();
}

void GameMirror::handle(const proto::toclient::ShowBoard &m) {
    squareletter_[m.x][m.y] = m.letter;
    emit boardChanged();
}

void GameMirror::handle(const proto::toclient::Reposition &m) {
    // The tiles laid this turn leave the board; their rack tiles are spent.
    liftLaid(true);
    for (const proto::BoardLetter &t : m.tiles)
        squareletter_[t.x][t.y] = t.letter;
    emit boardChanged();
    emit rackChanged();
}

void GameMirror::handle(const proto::toclient::NewWord &m) {
    fill(newestword_, 0);
    emit soundRequested(QStringLiteral("word"));
    for (const proto::BoardLetter &t : m.tiles) {
        newestword_[t.x][t.y] = 1;
        squareletter_[t.x][t.y] = t.letter;
        const int k = placedtile_[t.x][t.y];
        if (currentplayer_ == localseat_ && k != kEmpty) {
            // The laid tile becomes a permanent letter.
            tilesquare_[k] = {kEmpty, kEmpty};
            placedtile_[t.x][t.y] = kEmpty;
            rack_[k] = kEmpty;
        }
    }
    endOfTurn();
    emit boardChanged();
    emit rackChanged();
}

void GameMirror::handle(const proto::toclient::Atile &m) {
    rack_[m.rackslot] = m.letter;
    emit rackChanged();
}

bool GameMirror::layTile(int slot, int x, int y) {
    if (slot < 1 || slot > 10 || rack_[slot] == kEmpty || tilesquare_[slot][0] != kEmpty || x < 0 ||
        x >= kBoard || y < 0 || y >= kBoard || squareletter_[x][y] != kEmpty)
        return false;
    tilesquare_[slot] = {x, y};
    placedtile_[x][y] = slot;
    squareletter_[x][y] = rack_[slot];
    emit boardChanged();
    emit rackChanged();
    return true;
}

QList<proto::PlacedTile> GameMirror::laidTiles() const {
    QList<proto::PlacedTile> tiles;
    for (int k = 1; k <= 10; ++k)
        if (tilesquare_[k][0] != kEmpty)
            tiles.append({k, false, tilesquare_[k][0], tilesquare_[k][1]});
    return tiles;
}

bool GameMirror::liftLaid(bool spend) {
    bool any = false;
    for (int k = 1; k <= 10; ++k) {
        const auto [x, y] = tilesquare_[k];
        if (x == kEmpty)
            continue;
        placedtile_[x][y] = kEmpty;
        squareletter_[x][y] = kEmpty;
        tilesquare_[k] = {kEmpty, kEmpty};
        if (spend)
            rack_[k] = kEmpty;
        any = true;
    }
    return any;
}

void GameMirror::clearLaid() {
    if (liftLaid(false)) {
        emit boardChanged();
        emit rackChanged();
    }
}

// ---- Chat and the end -------------------------------------------------------------

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
}

void GameMirror::handle(const proto::toclient::Winner &m) {
    currentplayer_ = 0;
    running_ = false;
    winners_ = m.seats;
    emit soundRequested(QStringLiteral("gameover"));
    emit soundRequested(QStringLiteral("winner"));
    emit gameOver(winners_);
}
