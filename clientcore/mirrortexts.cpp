#include "clientcore/mirrortexts.h"

#include "game/position.h"

#include <array>

namespace {

// m:ss, minutes without a leading zero.
QString clockText(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString you(const QString &name, bool own, const char *mine, const char *theirs) {
    return own ? QString::fromLatin1(mine) : name + QString::fromLatin1(theirs);
}

} // namespace

QString MirrorTexts::timeOfGameText() const {
    return QStringLiteral("Game Time: ") + clockText(elapsed_);
}

QString MirrorTexts::tilesLeftText() const {
    return QStringLiteral("Tiles Left: ") + QString::number(tilesLeft_);
}

quint32 MirrorTexts::seatColour(int seat) {
    static constexpr std::array<quint32, 5> colours{0, 0xFF0000, 0x00FF00, 0x438DFC, 0xFFFF00};
    return game::isSeat(seat) ? colours[size_t(seat)] : 0;
}

void MirrorTexts::showOptions(const game::GameOptions &o) {
    options_ = o;
    turnTime_ = QString::number(o.turntime);
    gameTime_ = o.gametime == 0 ? QStringLiteral("No Limit")
                                : QString::number(o.gametime) + QStringLiteral(" mins");
    playToScore_ =
        o.playtoscore == 0 ? QStringLiteral("Until out of Tiles") : QString::number(o.playtoscore);
}

void MirrorTexts::showTurn(int seat, bool own, const QString &name) {
    if (game::isSeat(seat))
        turnColour_ = seatColour(seat);
    turn_ = own ? QStringLiteral("Your Turn.") : name + QStringLiteral("'s turn.");
}

void MirrorTexts::showTurnClock(int secondsLeft) {
    timeOfTurn_ = QStringLiteral("Turn Time: ") + clockText(secondsLeft > 0 ? secondsLeft : 0);
}

void MirrorTexts::showWinners(int count, const QString &names) {
    winnerTitle_ = count > 1 ? QStringLiteral("Congratulations to the Winners!")
                             : QStringLiteral("Congratulations to the Winner!");
    winnerNames_ = names;
    winnerShown_ = true;
}

QString MirrorTexts::connected(const QString &name, bool own) {
    return you(name, own, "You are Connected.", " is Connected.");
}
QString MirrorTexts::spying(const QString &name, bool own) {
    return you(name, own, "You are spying.", " is spying.");
}
QString MirrorTexts::started(const QString &name, bool own) {
    return you(name, own, "You have started a game.", " has started a game.");
}
QString MirrorTexts::passed(const QString &name, bool own) {
    return you(name, own, "You Passed", " Passed");
}
QString MirrorTexts::timeUp(const QString &name, bool own) {
    return you(name, own, "Your Time is up", "'s Time is up");
}
QString MirrorTexts::boughtTiles(const QString &name, bool own) {
    return you(name, own, "You Bought New Tiles", " Bought New Tiles");
}
QString MirrorTexts::outOfTiles(const QString &name, bool own) {
    return you(name, own, "You are out of tiles", " is out of tiles");
}
QString MirrorTexts::watching(const QString &name, bool sitsOut) {
    return name +
           (sitsOut ? QStringLiteral(" is just watching") : QStringLiteral(" now playing again"));
}
QString MirrorTexts::scored(const QString &name, const QString &word, const QString &points) {
    return QStringLiteral("*") + name + QStringLiteral(": ") + word.toUpper() + QLatin1Char(' ') +
           points + QStringLiteral(" points.*");
}

QString MirrorTexts::clock(int seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString MirrorTexts::seatKept(const QString &name, int seconds) {
    return name + QStringLiteral(" has lost the connection; the seat is kept for ") +
           clock(seconds) + QLatin1Char('.');
}

QString MirrorTexts::graceOver(const QString &name) {
    return name + QStringLiteral(" has not come back; the seat waits for the hosting player.");
}
