#include "host/wire.h"

#include "net/protocol.h"

namespace hostwire {

namespace {

using namespace game::event;
namespace host = proto::host;

QStringList of(const Started &e) {
    return {host::startgame(e.request, e.partners)};
}
QStringList of(const BoardArranged &e) {
    return {host::arrangeboard(e.quarters)};
}
QStringList of(const SquaresDrawn &) {
    return {host::zb()};
}
QStringList of(const TileDealt &e) {
    return {host::atile(e.rackslot, e.letter)};
}
QStringList of(const TilesDrawn &e) {
    return {host::tilecount(e.drawn)};
}
QStringList of(const TurnBegan &e) {
    return {host::nextplayer(e.seat)};
}
QStringList of(const OutOfTiles &e) {
    return {host::notiles(e.seat)};
}
QStringList of(const TurnPassed &e) {
    return {host::pass(e.seat)};
}
QStringList of(const AlreadyExchanged &) {
    return {host::already()};
}
QStringList of(const TooFewToExchange &) {
    return {host::notenough()};
}
QStringList of(const Exchanged &e) {
    return {host::newtiles(e.seat, e.score, e.partner, e.partnerScore)};
}
QStringList of(const MoveRefused &) {
    return {host::invalid()};
}
QStringList of(const FirstWordMoved &e) {
    return {host::reposition(e.tiles)};
}
QStringList of(const MoveAccepted &e) {
    proto::PostScore p;
    p.count = e.drawn;
    p.seat = e.seat;
    p.bonus = e.bonus;
    p.turnscore = e.points;
    p.score = e.score;
    p.partner = e.partner;
    p.partnerscore = e.partnerScore;
    p.word = e.word;
    return {host::postscore(p), host::newword(e.tiles)};
}
QStringList of(const TimeUp &e) {
    return {host::timeup(e.seat)};
}
QStringList of(const WatchChanged &e) {
    return {host::justwatching(e.seat, e.watching ? 1 : 2)};
}
QStringList of(const GameEnded &e) {
    switch (e.reason) {
    case End::NoMoreTiles:
        return {host::nomoretiles()};
    case End::EveryonePassed:
        return {host::everyonepassed()};
    case End::PlayToScore:
        return {host::playergotscore()};
    case End::GameTime:
        return {host::gametimeup()};
    }
    return {};
}
QStringList of(const Winners &e) {
    return {host::winner(e.seats)};
}
QStringList of(const LetterShown &e) {
    return {host::showboard(e.letter.x, e.letter.y, e.letter.letter)};
}
QStringList of(const ScoreShown &e) {
    return {host::seatscore(e.seat, e.score, e.change)};
}
QStringList of(const OptionsShown &e) {
    return {host::gamesettings({e.options, e.elapsed})};
}
QStringList of(const SeatKept &e) {
    return {host::seatkept(e.seat, e.seconds)};
}
QStringList of(const ClockShown &e) {
    return {host::turnclock(e.seconds)};
}
QStringList of(const Dropped &) {
    return {};
}

} // namespace

QStringList messages(const game::Event &event) {
    return std::visit([](const auto &e) { return of(e); }, event);
}

} // namespace hostwire
