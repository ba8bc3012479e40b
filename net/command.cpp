#include "net/command.h"

#include <array>
#include <utility>

namespace proto {

namespace {

constexpr std::array kNames = {
    std::pair{Command::logininfo, "CMD_logininfo"},
    std::pair{Command::chat, "CMD_chat"},
    std::pair{Command::action, "CMD_action"},
    std::pair{Command::playasound, "CMD_playasound"},
    std::pair{Command::kickhim, "CMD_kickhim"},
    std::pair{Command::justwatch, "CMD_justwatch"},
    std::pair{Command::startgame, "CMD_startgame"},
    std::pair{Command::done, "CMD_done"},
    std::pair{Command::newtiles, "CMD_newtiles"},
    std::pair{Command::pass, "CMD_pass"},
    std::pair{Command::sendlogininfo, "CMD_sendlogininfo"},
    std::pair{Command::full, "CMD_full"},
    std::pair{Command::newplayerinfo, "CMD_newplayerinfo"},
    std::pair{Command::existingplayers, "CMD_existingplayers"},
    std::pair{Command::wrongversion, "CMD_wrongversion"},
    std::pair{Command::havewrongversion, "CMD_havewrongversion"},
    std::pair{Command::arrangeboard, "CMD_arrangeboard"},
    std::pair{Command::showboard, "CMD_showboard"},
    std::pair{Command::gamesettings, "CMD_gamesettings"},
    std::pair{Command::nextplayer, "CMD_nextplayer"},
    std::pair{Command::zb, "CMD_zb"},
    std::pair{Command::atile, "CMD_atile"},
    std::pair{Command::tilecount, "CMD_tilecount"},
    std::pair{Command::notiles, "CMD_notiles"},
    std::pair{Command::already, "CMD_already"},
    std::pair{Command::notenough, "CMD_notenough"},
    std::pair{Command::invalid, "CMD_invalid"},
    std::pair{Command::reposition, "CMD_reposition"},
    std::pair{Command::postscore, "CMD_postscore"},
    std::pair{Command::newword, "CMD_newword"},
    std::pair{Command::timeup, "CMD_timeup"},
    std::pair{Command::justwatching, "CMD_justwatching"},
    std::pair{Command::playerdisconnected, "CMD_playerdisconnected"},
    std::pair{Command::nomoretiles, "CMD_nomoretiles"},
    std::pair{Command::everyonepassed, "CMD_everyonepassed"},
    std::pair{Command::playergotscore, "CMD_playergotscore"},
    std::pair{Command::gametimeup, "CMD_gametimeup"},
    std::pair{Command::winner, "CMD_winner"},
    std::pair{Command::placeletter, "CMD_placeletter"},
    std::pair{Command::seatscore, "CMD_seatscore"},
    std::pair{Command::rejoin, "CMD_rejoin"},
    std::pair{Command::freeseat, "CMD_freeseat"},
    std::pair{Command::rejointoken, "CMD_rejointoken"},
    std::pair{Command::seatkept, "CMD_seatkept"},
    std::pair{Command::closing, "CMD_closing"},
    std::pair{Command::turnclock, "CMD_turnclock"},
    std::pair{Command::keepalive, "CMD_keepalive"},
};

// The table lists every command once, in the order of the enumeration, so a
// command's name is found by its value.
constexpr bool tableInOrder() {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (static_cast<std::size_t>(kNames[i].first) != i)
            return false;
    return static_cast<std::size_t>(Command::keepalive) + 1 == kNames.size();
}
static_assert(tableInOrder());

} // namespace

QLatin1String commandName(Command command) {
    return QLatin1String(kNames[static_cast<std::size_t>(command)].second);
}

std::optional<Command> commandOf(QStringView word) {
    for (const auto &[command, name] : kNames)
        if (word == QLatin1String(name))
            return command;
    return std::nullopt;
}

} // namespace proto
