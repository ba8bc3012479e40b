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

TEST(FramingSkippingLong, EveryThreeWaySplitDropsTheSameOverlongMessages) {
    // Limit 4: ten x's and "abcde" are too long, "abcd" fits exactly.
    const QByteArray stream = QByteArray("ok\xFF") + QByteArray(10, 'x') + "\xFF" + "abcd\xFF" +
                              "\xFF" + "abcde\xFF" + "yy";
    const QList<QByteArray> expected = {"ok", "abcd", ""};
    for (qsizetype a = 0; a <= stream.size(); ++a) {
        for (qsizetype b = a; b <= stream.size(); ++b) {
            FrameSplitter f(4);
            QList<QByteArray> got;
            int dropped = 0;
            for (const QByteArray &piece :
                 {stream.left(a), stream.sliced(a, b - a), stream.sliced(b)})
                f.feedSkippingLong(
                    piece, [&](const QByteArray &m) { got << m; }, [&] { ++dropped; });
            EXPECT_EQ(got, expected) << "cuts at " << a << ", " << b;
            EXPECT_EQ(dropped, 2) << "cuts at " << a << ", " << b;
            EXPECT_EQ(f.pending(), QByteArray("yy"));
        }
    }
}

TEST(FramingSkippingLong, ADropIsReportedWhenTheLimitPassesAndReadingGoesOn) {
    FrameSplitter f(4);
    QList<QByteArray> got;
    int dropped = 0;
    auto feed = [&](const QByteArray &bytes) {
        f.feedSkippingLong(
            bytes, [&](const QByteArray &m) { got << m; }, [&] { ++dropped; });
    };
    feed("abcde");
    EXPECT_EQ(dropped, 1); // before its end has arrived
    EXPECT_TRUE(f.pending().isEmpty());
    feed(QByteArray(100, 'f'));
    feed("g\xFFnext\xFF");
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(got, QList<QByteArray>{"next"});
}
