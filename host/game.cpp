// Game engine: start, tile bag, turns and clocks. The requests are accepted
// from the seats that may make them; the game itself is not played yet.
#include "tserver.h"

void TServer::startgame(int sender, const QString &payload) {
    if (sender != 1) {
        drop(sender, "a game start not sent by the hosting player", payload);
        return;
    }
}

void TServer::done(int sender, const QString &payload) {
    const auto seat = proto::toInt(proto::FieldReader(payload).field());
    if (!seat || !ownSeat(sender, *seat, payload))
        return;
}

void TServer::newtiles(int sender, const QString &payload) {
    const auto seat = proto::parseSeat(payload);
    if (!seat || !ownSeat(sender, *seat, payload))
        return;
}

void TServer::pass(int sender, const QString &payload) {
    const auto seat = proto::parseSeat(payload);
    if (!seat || !ownSeat(sender, *seat, payload))
        return;
}

void TServer::catchUp(int) {}

void TServer::gettile(int, int) {}

void TServer::findplayer() {}
