#include "ai/zorblebot.h"

#include <algorithm>
#include <cstdio>

namespace ai {

namespace {

static_assert(game::kEmpty == rules::kEmpty);

// How long an answer to a move or to new tiles may take before the bot
// passes instead.
constexpr int kAnswerMs = 10000;
// New tiles can be bought while at least this many are left in the bag.
constexpr int kTilesToExchange = 12;

// The same numbers for the same name, run after run.
std::uint32_t seedOf(const QString &name) {
    std::uint32_t h = 2166136261u;
    for (const char c : name.toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

} // namespace

std::vector<int> opponentsOf(const GameMirror &mirror) {
    std::vector<int> seats;
    const int own = mirror.localSeat();
    for (int i = 1; i < game::kSeats; ++i) {
        const int seat = (own + i - 1) % game::kSeats + 1;
        if (mirror.seats().name(seat) != SeatList::kWaiting && !mirror.seats().watching(seat))
            seats.push_back(seat);
    }
    return seats;
}

ZorbleBot::ZorbleBot(const QString &host, quint16 port, const QString &name, Level level,
                     int pauseMs, QObject *parent)
    : ZorbleBot(host, port, name, level, pauseMs, nullptr, parent) {}

ZorbleBot::ZorbleBot(const QString &host, quint16 port, const QString &name, Level level,
                     int pauseMs, std::shared_ptr<Engine> engine, QObject *parent)
    : QObject(parent), host_(host), port_(port), name_(proto::cut(name, proto::kMaxNameLength)),
      level_(level), pauseMs_(pauseMs), engine_(std::move(engine)), rng_(seedOf(name_)),
      thinker_(engine_) {
    thinker_.prepare(); // the engine, built on a worker before the first turn needs it
    pause_.setSingleShot(true);
    connect(&pause_, &QTimer::timeout, this, &ZorbleBot::maybeAct);
    connect(&thinker_, &Thinker::decided, this, [this](const Decision &d) {
        decision_ = d;
        maybeAct();
    });
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kAnswerMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        if (mirror_.ownTurn())
            passTurn();
    });

    connect(&mirror_, &GameMirror::turnChanged, this, &ZorbleBot::turnChanged);
    connect(&mirror_, &GameMirror::gameStarted, this, [this] { bought_ = false; });
    connect(&mirror_, &GameMirror::moveRefused, this, [this] {
        // The bot's own rules accepted the move, so a refusal means the bot
        // and the host disagree: worth a line for whoever looks into it.
        std::fprintf(stderr, "zorble: computer player %s: the host refused its move\n",
                     qPrintable(name_));
        watchdog_.stop();
        if (mirror_.ownTurn())
            passTurn();
    });
    connect(&mirror_, &GameMirror::tilesExchanged, this, [this](int seat) {
        if (seat != mirror_.localSeat() || !mirror_.ownTurn())
            return;
        watchdog_.stop();
        acted_ = false; // the turn goes on with the new rack
        startTurn();
    });
    connect(&mirror_, &GameMirror::seatChanged, this, &ZorbleBot::maybeStartGame);
    connect(&mirror_, &GameMirror::gameFull, this,
            [this] { finish(false, QStringLiteral("the host has no slot left")); });
    connect(&link_, &HostLink::connectionClosed, this,
            [this] { finish(true, QStringLiteral("the host closed the connection")); });
    connect(&link_, &HostLink::connectFailed, this, [this](const QString &reason) {
        finish(
            false,
            QStringLiteral("cannot connect to %1 port %2: %3").arg(host_).arg(port_).arg(reason));
    });
    QTimer::singleShot(0, this, &ZorbleBot::connectToHost);
}

ZorbleBot::~ZorbleBot() {
    done_ = true; // nothing is reported while going
    thinker_.cancel();
    link_.close();
}

void ZorbleBot::startGameWhenSeated(int players, const game::GameOptions &options) {
    startPlayers_ = players;
    startOptions_ = options;
    maybeStartGame();
}

void ZorbleBot::connectToHost() {
    if (done_)
        return;
    mirror_.setPlayerName(name_);
    link_.setLogin(name_);
    link_.connectToHost(host_, port_);
}

void ZorbleBot::maybeStartGame() {
    if (startPlayers_ <= 0 || mirror_.localSeat() != 1 || mirror_.gameRunning())
        return;
    if (mirror_.seats().seatedCount() < startPlayers_)
        return;
    startPlayers_ = 0;
    link_.send(proto::request::start(name_, startOptions_));
}

void ZorbleBot::turnChanged(int, bool own) {
    acted_ = false;
    pause_.stop();
    watchdog_.stop();
    thinker_.cancel();
    decision_.reset();
    if (own)
        startTurn();
}

void ZorbleBot::startTurn() {
    if (done_ || !mirror_.ownTurn() || !mirror_.gameRunning())
        return;
    decision_.reset();
    Turn turn;
    turn.tilesLeft = mirror_.tilesLeft();
    turn.mayExchange = !bought_ && mirror_.tilesLeft() >= kTilesToExchange;
    turn.opponents = opponentsOf(mirror_);
    turn.deadline = Clock::now() + std::chrono::milliseconds(thinkingMs_);
    thinker_.decide(level_, mirror_.position(), turn, std::uint32_t(rng_()));
    const int ms = pauseMs_ >= 0 ? pauseMs_ : std::uniform_int_distribution<int>(1000, 3000)(rng_);
    pause_.start(ms);
}

void ZorbleBot::maybeAct() {
    if (pause_.isActive() || !decision_)
        return;
    // The turn may have ended (its time up, the game over) meanwhile.
    if (done_ || acted_ || !mirror_.ownTurn() || !mirror_.gameRunning())
        return;
    const Decision d = *std::exchange(decision_, std::nullopt);
    switch (d.action) {
    case Decision::Action::Play:
        play(d.move);
        break;
    case Decision::Action::Exchange:
        bought_ = true;
        acted_ = true;
        link_.send(proto::request::exchange(mirror_.localSeat()));
        watchdog_.start();
        emit played(QStringLiteral("new tiles"));
        break;
    case Decision::Action::Pass:
        passTurn();
        break;
    }
}

void ZorbleBot::play(const Move &move) {
    for (const rules::LaidTile &t : move.tiles) {
        if (mirror_.composer().tileFlipped(t.rackslot) != t.flipped)
            mirror_.composer().flippit(t.rackslot);
        if (!mirror_.composer().layTile(t.rackslot, t.x, t.y)) {
            mirror_.composer().clearLaid();
            passTurn();
            return;
        }
    }
    acted_ = true;
    link_.send(proto::request::move(mirror_.localSeat(), mirror_.composer().laidTiles()));
    watchdog_.start();
    emit played(move.word.toUpper() + QLatin1Char(' ') + QString::number(move.score));
}

void ZorbleBot::passTurn() {
    acted_ = true;
    link_.send(proto::request::pass(mirror_.localSeat()));
    emit played(QStringLiteral("pass"));
}

void ZorbleBot::finish(bool ok, const QString &why) {
    if (done_)
        return;
    done_ = true;
    pause_.stop();
    watchdog_.stop();
    thinker_.cancel();
    link_.close();
    emit finished(ok, why);
}

} // namespace ai
