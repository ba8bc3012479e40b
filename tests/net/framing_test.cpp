#include "net/framing.h"

#include <gtest/gtest.h>

#include <QList>
#include <random>

namespace {

QList<QByteArray> feedAll(FrameSplitter &f, const QList<QByteArray> &chunks) {
    QList<QByteArray> out;
    for (const QByteArray &c : chunks)
        f.feed(c, [&](const QByteArray &m) { out << m; });
    return out;
}

} // namespace

TEST(Framing, EveryTwoWaySplitYieldsTheSameMessages) {
    // Messages with NUL bytes, high bytes and an empty message between two 0xFF.
    const QByteArray stream = QByteArray("CMD_chat+1+a\0b|clRed\xFF\xFF", 22) +
                              QByteArray("CMD_zb\xFF") + QByteArray("\xC3\xA9t\xC3\xA9\xFF") +
                              QByteArray("tail");
    const QList<QByteArray> expected = {QByteArray("CMD_chat+1+a\0b|clRed", 20), QByteArray(),
                                        QByteArray("CMD_zb"), QByteArray("\xC3\xA9t\xC3\xA9")};
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        FrameSplitter f;
        const auto got = feedAll(f, {stream.left(cut), stream.mid(cut)});
        EXPECT_EQ(got, expected) << "split at " << cut;
        EXPECT_EQ(f.pending(), QByteArray("tail"));
    }
}

TEST(Framing, RandomSplitsIntoManyPiecesKeepOrder) {
    QByteArray stream;
    QList<QByteArray> expected;
    for (int i = 0; i < 200; ++i) {
        const QByteArray m = "CMD_chat+" + QByteArray::number(i) + "+" + QByteArray(i % 37, 'x');
        expected << m;
        stream += m + '\xFF';
    }
    std::mt19937 rng(12345);
    for (int round = 0; round < 50; ++round) {
        QList<QByteArray> chunks;
        qsizetype pos = 0;
        while (pos < stream.size()) {
            const qsizetype n = std::uniform_int_distribution<qsizetype>(1, 64)(rng);
            chunks << stream.mid(pos, n);
            pos += n;
        }
        FrameSplitter f;
        EXPECT_EQ(feedAll(f, chunks), expected);
        EXPECT_TRUE(f.pending().isEmpty());
    }
}

TEST(Framing, CarriedTextBeyondTheLimitIsReported) {
    FrameSplitter f(8);
    QList<QByteArray> out;
    auto collect = [&](const QByteArray &m) { out << m; };
    EXPECT_TRUE(f.feed("12345678", collect));
    EXPECT_FALSE(f.feed("9", collect));
    // A complete message before the overlong rest is still delivered.
    FrameSplitter g(4);
    EXPECT_FALSE(g.feed("ok\xFF"
                        "too long",
                        collect));
    EXPECT_EQ(out, QList<QByteArray>{"ok"});
}
