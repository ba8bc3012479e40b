#pragma once

// The host's records on disk: each game goes to a file of its own in the
// games folder, named by its start's date and time and its players, and
// every batch of events is written and flushed as it comes, so a crash loses
// at most the turn being played.

#include "record/recorder.h"

#include <QFile>
#include <QString>

#include <memory>

namespace record {

class RecordFile {
public:
    // No folder: nothing is written.
    void setFolder(const QString &folder) { folder_ = folder; }
    void setSeed(quint32 seed) { recorder_.setSeed(seed); }
    void feed(const game::Events &events, const game::GameTable::State &after);
    // The file of the game being recorded, or of the last one.
    QString path() const { return file_ ? file_->fileName() : QString(); }

    // The file name for a game started at `start` by these players.
    static QString fileName(const QDateTime &start,
                            const std::array<QString, game::kSeats + 1> &players);

private:
    void open(const QDateTime &now);

    QString folder_;
    Recorder recorder_;
    std::unique_ptr<QFile> file_;
};

} // namespace record
