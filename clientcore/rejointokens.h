#pragma once

// The tokens a host gave this client, one per host address: presented at the
// next login to the same host, they give the kept seat back. Kept in a small
// text file, one line per host ("address:port game token"), rewritten whole.

#include <QString>

class RejoinTokens {
public:
    static constexpr int kMaxHosts = 32;      // the oldest entries go first
    static constexpr qint64 kMaxBytes = 8192; // a longer file is not read

    struct Entry {
        QString gameId;
        QString token;
    };

    explicit RejoinTokens(QString path) : path_(std::move(path)) {}

    // The token for the host; empty when there is none.
    Entry find(const QString &address, quint16 port) const;
    // Keeps the host's latest token; false when the file could not be written.
    bool store(const QString &address, quint16 port, const Entry &entry);

private:
    const QString path_;
};
