#pragma once

#include <QByteArray>
#include <QByteArrayView>

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

    // For a connection that stays open whatever its peer sends: a message
    // longer than the limit is not delivered. onDropped() is called once for
    // it, as soon as it passes the limit, and its bytes are skipped up to its
    // terminator; the messages after it are delivered as usual. Unlike feed(),
    // the limit also holds for a message that arrives whole in one piece.
    template <typename OnMessage, typename OnDropped>
    void feedSkippingLong(const QByteArray &bytes, OnMessage &&onMessage, OnDropped &&onDropped) {
        // carry_ never holds a terminator, so only the new bytes are searched.
        const QByteArrayView view(bytes);
        qsizetype pos = 0;
        while (pos < view.size()) {
            const qsizetype end = view.indexOf(Terminator, pos);
            const qsizetype stop = end < 0 ? view.size() : end;
            if (skipping_) {
                skipping_ = end < 0;
            } else if (maxPending_ > 0 && carry_.size() + (stop - pos) > maxPending_) {
                carry_.clear();
                skipping_ = end < 0;
                onDropped();
            } else if (end < 0) {
                carry_.append(view.sliced(pos));
            } else if (carry_.isEmpty()) {
                onMessage(bytes.sliced(pos, end - pos));
            } else {
                carry_.append(view.sliced(pos, end - pos));
                const QByteArray message = std::exchange(carry_, QByteArray());
                onMessage(message);
            }
            if (end < 0)
                break;
            pos = end + 1;
        }
    }

    const QByteArray &pending() const { return carry_; }
    void clear() {
        carry_.clear();
        skipping_ = false;
    }

private:
    QByteArray carry_;
    qsizetype maxPending_;
    bool skipping_ = false; // inside a dropped message, up to its terminator
};

// Appends the terminator to a message text.
inline QByteArray frameMessage(QByteArray text) {
    text.append(FrameSplitter::Terminator);
    return text;
}
