#pragma once

#include <QByteArray>

#include <utility>

// Splits a connection's byte stream into messages, each ended by one 0xFF byte.
// Bytes after the last 0xFF are carried over and put in front of the next read.
class FrameSplitter {
public:
    static constexpr char Terminator = '\xFF';

    // maxPending: the largest carried-over text tolerated without a terminator;
    // 0 means no limit.
    explicit FrameSplitter(qsizetype maxPending = 0) : maxPending_(maxPending) {}

    // Appends bytes and calls onMessage(QByteArray) for every complete message,
    // in order. Returns false when the text carried over grows past the limit;
    // the messages completed before that point have been delivered.
    template <typename OnMessage> bool feed(const QByteArray &bytes, OnMessage &&onMessage) {
        carry_.append(bytes);
        qsizetype start = 0;
        for (;;) {
            const qsizetype end = carry_.indexOf(Terminator, start);
            if (end < 0)
                break;
            onMessage(carry_.sliced(start, end - start));
            start = end + 1;
        }
        if (start > 0)
            carry_.remove(0, start);
        return maxPending_ == 0 || carry_.size() <= maxPending_;
    }

    const QByteArray &pending() const { return carry_; }
    void clear() { carry_.clear(); }

private:
    QByteArray carry_;
    qsizetype maxPending_;
};

// Appends the terminator to a message text.
inline QByteArray frameMessage(QByteArray text) {
    text.append(FrameSplitter::Terminator);
    return text;
}
