#pragma once

// Records on disk: each game goes to a file of its own in the games folder,
// named by its start's date and time and its players, and every batch of
// lines is written and flushed as it comes, so a crash loses at most the
// turn being played.

#include "record/recorder.h"

#include <QFile>
#include <QString>

#include <memory>

namespace record {

// One game's file: opened new, appended to and flushed batch by batch.
class RecordWriter {
public:
    // Opens a new file in `folder` for a game started at `start` by these
    // players; `tag` (such as "seen") goes before the extension. An existing
    // file is never written over.
    bool open(const QString &folder, const QDateTime &start,
              const std::array<QString, game::kSeats + 1> &players, const QString &tag = {});
    void write(const QStringList &lines);
    void close();
    bool isOpen() const { return file_ && file_->isOpen(); }
    // The file being written, or the last one.
    QString path() const { return file_ ? file_->fileName() : QString(); }

    // The file name for a game started at `start` by these players.
    static QString fileName(const QDateTime &start,
                            const std::array<QString, game::kSeats + 1> &players,
                            const QString &tag = {});

private:
    std::unique_ptr<QFile> file_;
};

// The host's records: the table's events made lines by a Recorder.
class RecordFile {
public:
    // No folder: nothing is written.
    void setFolder(const QString &folder) { folder_ = folder; }
    void setSeed(quint32 seed) { recorder_.setSeed(seed); }
    void feed(const game::Events &events, const game::GameTable::State &after);
    // The file of the game being recorded, or of the last one.
    QString path() const { return writer_.path(); }

private:
    QString folder_;
    Recorder recorder_;
    RecordWriter writer_;
};

} // namespace record
