#pragma once

// A window's own record of a game it joined: the host's messages as the
// mirror took them, written in the record format into the games folder as
// the game goes. Racks it was not shown are "?"; its own rack before its own
// turns is known. Only a game seen from its start is written (a record must
// lay every move on the board before it), and each batch of lines is read
// back against what was written before, so a host whose messages do not add
// up ends the record there rather than making it unreadable.

#include "game/position.h"
#include "net/messages.h"
#include "record/format.h"
#include "record/recordfile.h"

#include <QDateTime>
#include <QString>

#include <optional>

class GameMirror;

class SeenRecord {
public:
    // What a window's record adds to its file's name, before the extension,
    // so that it stands apart from the host's record of the same game.
    static inline const QString kTag = QStringLiteral("seen");

    // No folder (the default, and for a hosting window): nothing is written.
    void setFolder(const QString &folder) { folder_ = folder; }
    // Takes one host message, after the mirror has taken it.
    void feed(const proto::HostMessage &message, const GameMirror &mirror);
    // The file of the game being recorded, or of the last one.
    QString path() const { return writer_.path(); }

private:
    QStringList header(const GameMirror &mirror) const;
    // Appends lines that keep the record readable; other lines end it.
    void write(const QStringList &lines);
    void stop();

    QString folder_;
    record::RecordWriter writer_;
    QByteArray written_; // the record so far, for reading each batch back
    bool recording_ = false;
    bool headerDue_ = false;
    QDateTime start_;
    std::array<QString, game::kSeats + 1> names_;
    std::array<bool, game::kSeats + 1> present_{};
    // The own rack at the start of the own turn.
    int rackSeat_ = 0;
    QString rack_;
    // A scored move, written when its tiles follow.
    std::optional<record::Entry> scored_;
};
