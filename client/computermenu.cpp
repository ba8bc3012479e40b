#include "client/computermenu.h"

#include "ai/computerplayers.h"
#include "clientcore/gamemirror.h"

#include <QAction>
#include <QMenu>

#include <memory>

ComputerMenu::ComputerMenu(const GameMirror &mirror,
                           std::function<void(const QString &)> systemLine, QObject *parent)
    : QObject(parent), mirror_(mirror), systemLine_(std::move(systemLine)),
      players_(new ai::ComputerPlayers(mirror, this)) {
    // The actions follow the table: hosting, a game running, seats taken,
    // whose turn it is.
    connect(&mirror_, &GameMirror::gameStarted, this, [this] {
        hintsLeft_ = kHintsPerGame;
        hint_.clear();
        updateActions();
    });
    connect(&mirror_, &GameMirror::turnChanged, this, [this] {
        ++turns_;
        updateActions();
    });
    // New tiles change what the turn can do.
    connect(&mirror_, &GameMirror::tilesExchanged, this, [this] { ++turns_; });
    for (auto signal : {&GameMirror::seatChanged, &GameMirror::ownSeatAnnounced})
        connect(&mirror_, signal, this, &ComputerMenu::updateActions);
    connect(&mirror_, &GameMirror::gameOver, this, &ComputerMenu::updateActions);
    connect(players_, &ai::ComputerPlayers::gone, this,
            [this](const QString &name, const QString &why) {
                if (!why.isEmpty())
                    systemLine_(QStringLiteral("%1 could not join: %2.").arg(name, why));
                updateActions();
            });
    connect(players_, &ai::ComputerPlayers::hintFound, this, &ComputerMenu::hintFound);
}

void ComputerMenu::addToFileMenu(QMenu *fileMenu) {
    addMenu_ = new QMenu(QStringLiteral("Add Computer Player"), fileMenu);
    addMenu_->setObjectName(QStringLiteral("AddComputerPlayer1"));
    const std::pair<ai::Level, const char *> levels[] = {
        {ai::Level::Easy, "Easy"}, {ai::Level::Normal, "Normal"}, {ai::Level::Hard, "Hard"}};
    for (const auto &[level, caption] : levels) {
        QAction *a = addMenu_->addAction(QString::fromLatin1(caption));
        a->setObjectName(QStringLiteral("AddComputer%1").arg(QString::fromLatin1(caption)));
        connect(a, &QAction::triggered, this, [this, level] { add(level); });
    }
    fileMenu->addMenu(addMenu_);
    updateActions();
}

void ComputerMenu::addToOptionsMenu(QMenu *optionsMenu) {
    ShowHint1 = optionsMenu->addAction(QStringLiteral("Show Hint"));
    ShowHint1->setObjectName(QStringLiteral("ShowHint1"));
    ShowHint1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(ShowHint1, &QAction::triggered, this, &ComputerMenu::showHint);
    updateActions();
}

void ComputerMenu::setHost(const QString &address, quint16 port) {
    players_->setHost(address, port);
}

void ComputerMenu::setPause(int pauseMs) {
    players_->setPause(pauseMs);
}

bool ComputerMenu::canAdd() const {
    if (!mirror_.isHost() || !mirror_.loggedIn() || mirror_.gameRunning())
        return false;
    // Computer players on their way take a seat too.
    return mirror_.seats().seatedCount() + players_->arriving() < game::kSeats;
}

void ComputerMenu::updateActions() {
    if (addMenu_)
        addMenu_->setEnabled(canAdd());
    if (ShowHint1)
        ShowHint1->setEnabled(mirror_.ownTurn() && (hintsLeft_ > 0 || hintTurn_ == turns_));
}

QString ComputerMenu::add(ai::Level level) {
    if (!canAdd()) {
        systemLine_(mirror_.gameRunning() ? QStringLiteral("Computer players join between games.")
                    : !mirror_.isHost() || !mirror_.loggedIn()
                        ? QStringLiteral("Only the hosting player adds computer players.")
                        : QStringLiteral("No seat is free for a computer player."));
        return {};
    }
    const QString name = players_->add(level);
    // The seat it takes is counted from now on.
    updateActions();
    return name;
}

void ComputerMenu::replace(const QString &token) {
    players_->add(ai::Level::Normal, token);
    updateActions();
}

void ComputerMenu::addThen(ai::Level level, std::function<void()> then) {
    const QString name = add(level);
    if (name.isEmpty()) {
        then();
        return;
    }
    // Whichever comes first, seated or gone, calls `then` once; the
    // connections go with their context.
    auto *context = new QObject(this);
    auto called = std::make_shared<bool>(false);
    auto once = [context, name, called, then = std::move(then)](const QString &who) {
        if (who != name || *called)
            return;
        *called = true;
        context->deleteLater();
        then();
    };
    connect(players_, &ai::ComputerPlayers::seated, context,
            [once](const QString &who, int) { once(who); });
    connect(players_, &ai::ComputerPlayers::gone, context,
            [once](const QString &who, const QString &) { once(who); });
}

void ComputerMenu::showHint() {
    if (!mirror_.ownTurn()) {
        systemLine_(QStringLiteral("A hint is for your own turn."));
        return;
    }
    if (hintTurn_ == turns_ && !hint_.isEmpty()) {
        systemLine_(hint_); // asked again in the same turn: the same hint, at no cost
        return;
    }
    if (hintsLeft_ <= 0) {
        systemLine_(QStringLiteral("No hints are left in this game."));
        return;
    }
    if (askedTurn_ == turns_)
        return; // being looked for
    // Found on a worker thread; the answer counts only for this turn.
    askedTurn_ = turns_;
    players_->findHint();
}

void ComputerMenu::hintFound(const std::optional<QString> &hint) {
    if (askedTurn_ != turns_ || !mirror_.ownTurn())
        return;
    askedTurn_ = -1;
    if (!hint) {
        systemLine_(QStringLiteral("Hint: no word can be laid; pass or take new tiles."));
        return; // a hint that finds nothing costs none
    }
    --hintsLeft_;
    hintTurn_ = turns_;
    hint_ = QStringLiteral("Hint: %1 (%2 of %3).")
                .arg(*hint)
                .arg(kHintsPerGame - hintsLeft_)
                .arg(kHintsPerGame);
    systemLine_(hint_);
    updateActions();
}
