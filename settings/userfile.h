#pragma once

// Reading a file the user may have put anything at: only a regular file is
// read (a link to one counts), and only up to a size cap. A pipe, a device,
// a folder or a socket of that name is neither waited on nor read, and a
// file that keeps growing stops at the cap: so no name in the user's folders
// can stall the program or fill its memory.

#include <QByteArray>
#include <QString>

struct UserFile {
    // Every file of the user's that the program reads is far smaller: a tile
    // strip is some hundred kilobytes, the settings and the tally less.
    static constexpr qint64 kMaxBytes = 4 << 20;

    enum Status { Read, Missing, NotRegular, TooLarge, Unreadable };
    Status status = Missing;
    QByteArray bytes; // Read: the whole file
    // For NotRegular, TooLarge and Unreadable: what is wrong, as the end of a
    // sentence that names the file ("is not a regular file").
    QString problem;

    bool ok() const { return status == Read; }

    // Reads the file at `path`; Missing when there is nothing of that name
    // (or a link that leads nowhere).
    static UserFile read(const QString &path, qint64 maxBytes = kMaxBytes);
    // Whether `path` names a regular file, after links.
    static bool isRegular(const QString &path);
};
