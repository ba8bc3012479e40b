#pragma once

#include <QJsonObject>

#include <QString>
#include <array>

class GameMirror;

// The game as a client sees it, as one JSON object for scripts and tests:
// the seats, the status and settings texts, the board, the rack, the
// watchers and the winner panel.
QJsonObject mirrorState(const GameMirror &mirror);
// The unseen tiles as the state file holds them: the count of each letter
// "a".."z" and the "total".
QJsonObject unseenState(const std::array<int, 26> &counts);

// Replaces the file at `path` with the state in one step (a temporary file
// beside it, then a rename). False, with the reason on standard error, when
// it cannot be written.
bool writeState(const QString &path, const QJsonObject &state);
