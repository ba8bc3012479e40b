#include "clientcore/gamemirror.h"

#include "clientcore/mirrorupdate.h"

GameMirror::GameMirror(QObject *parent) : QObject(parent) {
    position_.squares = game::quarterKinds(quarters_);
    Timer2.setInterval(1000);
    connect(&Timer2, &QTimer::timeout, this, &GameMirror::Timer2Timer);
}

GameMirror::~GameMirror() = default;

void GameMirror::handle(const proto::HostMessage &message) {
    std::visit(MirrorUpdate(*this), message);
    seen_.feed(message, *this);
}

bool GameMirror::ownTurn() const {
    return game::isSeat(currentplayer_) && currentplayer_ == localseat_;
}

namespace {

bool onBoard(int x, int y) {
    return x >= 0 && x < game::kBoard && y >= 0 && y < game::kBoard;
}

} // namespace

int GameMirror::letterAt(int x, int y) const {
    return onBoard(x, y) ? position_.board[size_t(x)][size_t(y)] : game::kEmpty;
}

bool GameMirror::newest(int x, int y) const {
    return onBoard(x, y) && newestword_[size_t(x)][size_t(y)] != 0;
}

int GameMirror::rackLetter(int slot) const {
    return slot >= 1 && slot <= game::kRackSlots ? position_.rack[size_t(slot)] : game::kEmpty;
}

int GameMirror::squareColor(int x, int y) const {
    return onBoard(x, y) ? position_.squares[size_t(x)][size_t(y)] : game::kCentreKind;
}

QList<std::array<int, 2>> GameMirror::zorbleSquares() const {
    QList<std::array<int, 2>> squares;
    for (int x = 0; x < game::kBoard; ++x)
        for (int y = 0; y < game::kBoard; ++y)
            if (position_.squares[size_t(x)][size_t(y)] == rules::kZorbleSquare)
                squares.append({x, y});
    return squares;
}

void GameMirror::Timer2Timer() {
    ++elapsed_;
    texts_.showElapsed(elapsed_);
    if (turnclock_ > 0) {
        --turnclock_;
        if (turnclock_ == 20 || (turnclock_ >= 1 && turnclock_ <= 10))
            emit soundRequested(QStringLiteral("tick"));
    }
    texts_.showTurnClock(turnclock_);
    emit statusChanged();
}
