// Feeds arbitrary bytes to the 0xFF framing in pieces and checks what comes
// out. The first input byte sets the carry limit (1 to 256 bytes); the rest is
// the stream, cut into pieces whose lengths are taken from the stream's own
// bytes. Each stream is split with and without the limit, and once whole.
//
// Invariants: no message holds 0xFF; the messages, each with its terminator,
// followed by the pending text give back exactly the bytes fed so far; feed()
// answers false exactly when the pending text is over the limit; and how the
// stream is cut changes nothing that comes out.

#include "net/framing.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

struct Result {
    QList<QByteArray> messages;
    QByteArray pending;
    qsizetype fedOverLimit = -1; // bytes fed when the limit was passed; -1: never
};

Result split(const QByteArray &stream, qsizetype limit, bool whole) {
    FrameSplitter splitter(limit);
    Result r;
    qsizetype at = 0;       // bytes fed
    qsizetype consumed = 0; // bytes handed out as messages and their terminators
    while (at < stream.size()) {
        const qsizetype piece =
            whole ? stream.size()
                  : std::min<qsizetype>(1 + uint8_t(stream[at]) % 23, stream.size() - at);
        const bool within = splitter.feed(stream.sliced(at, piece), [&](const QByteArray &m) {
            // The message is the stream's next stretch, and a terminator ends it.
            if (m.contains(FrameSplitter::Terminator) || consumed + m.size() >= at + piece ||
                stream.sliced(consumed, m.size()) != m ||
                stream[consumed + m.size()] != FrameSplitter::Terminator)
                std::abort();
            consumed += m.size() + 1;
            r.messages.append(m);
        });
        at += piece;
        if (within != (limit == 0 || splitter.pending().size() <= limit))
            std::abort();
        if (splitter.pending() != stream.sliced(consumed, at - consumed))
            std::abort();
        if (!within) {
            // The owner drops a connection here; nothing more is fed.
            r.fedOverLimit = at;
            break;
        }
    }
    r.pending = splitter.pending();
    splitter.clear();
    if (!splitter.pending().isEmpty())
        std::abort();
    return r;
}

// The reading mode that drops each overlong message and reads on.
struct Skipped {
    QList<QByteArray> messages;
    int dropped = 0;
};

Skipped splitSkipping(const QByteArray &stream, qsizetype limit, bool whole) {
    FrameSplitter splitter(limit);
    Skipped r;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype piece =
            whole ? stream.size()
                  : std::min<qsizetype>(1 + uint8_t(stream[at]) % 23, stream.size() - at);
        splitter.feedSkippingLong(
            stream.sliced(at, piece), [&](const QByteArray &m) { r.messages.append(m); },
            [&] { ++r.dropped; });
        at += piece;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const qsizetype limit = qsizetype(data[0]) + 1;
    const QByteArray stream =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const Result whole = split(stream, 0, true);
    const Result pieces = split(stream, 0, false);
    if (pieces.fedOverLimit != -1 || whole.fedOverLimit != -1 ||
        pieces.messages != whole.messages || pieces.pending != whole.pending)
        std::abort();

    // With the limit, the messages are the first ones of the unlimited run,
    // all of them unless the limit was passed. A stream whose every stretch
    // between terminators fits never passes it.
    const Result limited = split(stream, limit, false);
    if (limited.messages != whole.messages.first(limited.messages.size()))
        std::abort();
    if (limited.fedOverLimit == -1 && limited.messages != whole.messages)
        std::abort();
    qsizetype longest = whole.pending.size();
    for (const QByteArray &m : whole.messages)
        longest = std::max(longest, m.size());
    if (longest <= limit && limited.fedOverLimit != -1)
        std::abort();

    // Skipping: every message that fits comes out, in order, however the
    // stream is cut; each one that does not is reported once, the unfinished
    // tail too once it has passed the limit.
    QList<QByteArray> fitting;
    int over = whole.pending.size() > limit ? 1 : 0;
    for (const QByteArray &m : whole.messages) {
        if (m.size() <= limit)
            fitting.append(m);
        else
            ++over;
    }
    for (const bool inOne : {false, true}) {
        const Skipped skipped = splitSkipping(stream, limit, inOne);
        if (skipped.messages != fitting || skipped.dropped != over)
            std::abort();
    }
    return 0;
}
