#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What a hosting program tells the local network about its game, in the
// TXT record of its DNS-SD service `_zorble._tcp`:
//
//   version=2.1.1   the version text sent at login
//   host=Ann        the hosting player's name (seat 1); empty while it is free
//   seats=1         seats taken, 0 to 4
//   free=3          seats free; seats + free = 4
//   watchers=0      0 to 5
//   running=0       1 while a game is being played
//
// A record read from the network is another machine's text: it is taken
// only when every field is there once and reads exactly, so that nothing
// but a name and numbers reaches the screen.
namespace dnssd {

inline constexpr char kServiceType[] = "_zorble._tcp";

struct GameRecord {
    QString version;
    QString host;
    int seats = 0;
    int free = 4;
    int watchers = 0;
    bool running = false;

    bool operator==(const GameRecord &) const = default;
};

// The record's strings, "key=value" each.
QList<QByteArray> toTxt(const GameRecord &record);

// The record in the strings, or nothing with the reason in `why`. Unknown
// keys are passed over; a missing, repeated or malformed field refuses the
// whole record.
std::optional<GameRecord> fromTxt(const QList<QByteArray> &strings, QString *why = nullptr);

} // namespace dnssd
