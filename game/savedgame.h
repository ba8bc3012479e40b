#pragma once

// The host's save of a running game: the whole table (board, racks, bag
// order, scores, flags, options, clocks, the random source and the seats'
// rejoin tokens), written after every turn so that a host that ends or
// crashes can go on with the last turn. The file is written whole or not at
// all; one that does not read back whole, or is not a save of this program,
// is never loaded in part.

#include "game/gametable.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace game {

struct SavedGame {
    QDateTime saved;
    GameTable::State state;

    // "A game was interrupted at 14:02 (Ann, Bob, Computer 1). Resume it?"
    QString question() const;
};

// The save as bytes, and back; nothing when the bytes are damaged, foreign
// or hold a value out of range.
QByteArray encodeSave(const GameTable::State &state, const QDateTime &saved);
std::optional<SavedGame> decodeSave(const QByteArray &bytes);

class SaveFile {
public:
    static constexpr qint64 kMaxBytes = 64 * 1024;

    explicit SaveFile(QString path) : path_(std::move(path)) {}
    const QString &path() const { return path_; }

    // Replaces the save at once (a new file renamed over the old one).
    bool write(const GameTable::State &state, QString *error = nullptr) const;
    void remove() const;
    bool exists() const;

    // The save, if there is a sound one. A damaged or foreign file is set
    // aside with ".damaged" added to its name, and `setAside` tells where.
    std::optional<SavedGame> read(QString *setAside = nullptr) const;

private:
    QString path_;
};

} // namespace game
