#include "gamemirror.h"

#include "framing.h"
#include "protocol.h"

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
    clearall();
}

void GameMirror::clearall() {
    for (int n = 1; n <= kSeats; ++n) {
        watching_[n] = false;
        bonuses_[n].clear();
        scores_[n] = QStringLiteral("0");
        emit seatChanged(n);
    }
}

void GameMirror::setLogin(const QString &name) {
    logintail = name.toUtf8();
    logintail.append(FrameSplitter::Terminator);
}

QByteArray GameMirror::sendloginfo(int seat, const QString &version) {
    localseat = seat;
    loggedin = true;
    // The tail already ends in 0xFF, so the message ends in two of them; the
    // host reads the second as an empty message and ignores it.
    QByteArray bytes = proto::encode(proto::client::logininfo(seat, version, QString()));
    bytes.chop(1);
    bytes.append(logintail);
    bytes.append(FrameSplitter::Terminator);
    return bytes;
}

void GameMirror::systemLine(const QString &text) {
    emit chatLine(QStringLiteral("0+") + text, kSystemColour);
}

void GameMirror::newplayerinfo(int seat, const QString &name) {
    const bool own = seat == localseat;
    if (own)
        systemLine(QStringLiteral("You are Connected."));
    else
        systemLine(name + QStringLiteral(" is Connected."));
    if (isSeat(seat)) {
        names_[seat] = name;
        emit seatChanged(seat);
    } else if (own) {
        systemLine(QStringLiteral("You are spying."));
    } else {
        systemLine(name + QStringLiteral(" is spying."));
    }
    emit soundRequested(QStringLiteral("entered"));
    if (own)
        emit ownSeatAnnounced(seat);
}

void GameMirror::playerdisconnected(int seat, const QString &) {
    const bool own = seat == localseat;
    if (own)
        loggedin = false;
    if (isSeat(seat)) {
        if (names_[seat] != kWaiting)
            systemLine(names_[seat] + QStringLiteral(" disconnected."));
        watching_[seat] = false;
        names_[seat] = kWaiting;
        emit seatChanged(seat);
    }
    if (own)
        emit ownSeatLost();
}
