#pragma once

// The command words of the protocol, in both directions, and their one name
// table. Builders and decoders both spell a word through commandName(), so a
// word is written in exactly one place.

#include <QLatin1String>
#include <QStringView>

#include <optional>

namespace proto {

enum class Command {
    // Sent by clients (some words travel both ways).
    logininfo,
    chat,
    action,
    playasound,
    kickhim,
    justwatch,
    startgame,
    done,
    newtiles,
    pass,
    // Sent by the host only.
    sendlogininfo,
    full,
    newplayerinfo,
    existingplayers,
    wrongversion,
    havewrongversion,
    arrangeboard,
    showboard,
    gamesettings,
    nextplayer,
    zb,
    atile,
    tilecount,
    notiles,
    already,
    notenough,
    invalid,
    reposition,
    postscore,
    newword,
    timeup,
    justwatching,
    playerdisconnected,
    nomoretiles,
    everyonepassed,
    playergotscore,
    gametimeup,
    winner,
    placeletter,
    // Added later; clients that do not know a word ignore it.
    seatscore,
    // Added for rejoining a kept seat; a peer that does not know them ignores them.
    rejoin,      // client: the token it was given
    freeseat,    // client: the hosting player gives a kept seat up
    rejointoken, // host: the game and the token that gives the seat back
    seatkept,    // host: a seat is kept for its absent player
    closing,     // host: it closes this connection on purpose; not to be retried
    turnclock,   // host: a newcomer's seconds left of the turn under way
    keepalive,   // host: still there; sent during a game to clients that rejoin
};

// The word on the wire: "CMD_" and the name.
QLatin1String commandName(Command command);
// The command a word names; nothing for a word of no command. Exact and
// case-sensitive.
std::optional<Command> commandOf(QStringView word);

} // namespace proto
