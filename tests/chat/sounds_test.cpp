#include "tests/chat/qtapp.h"
#include "client/chat/sounds.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList everyNamedSound() {
    QStringList names{"entered", "gameover", "notiles", "place", "remove", "tick",  "time",
                      "turn",    "turnnew",  "word",    "zbbad", "zbgood", "winner"};
    for (int n = 1; n <= 20; ++n)
        names.append(QStringLiteral("wave%1").arg(n));
    return names;
}

quint32 le32(const QByteArray &b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}
quint16 le16(const QByteArray &b, int at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace

TEST(Sounds, EveryNamedSoundIsASmallMonoPcmWave) {
    qtApp();
    EXPECT_EQ(Sounds::names().size(), everyNamedSound().size());
    for (const QString &name : everyNamedSound()) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(Sounds::exists(name));
        QFile f(":/sounds/" + name + ".wav");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        ASSERT_GE(b.size(), 44);
        EXPECT_EQ(b.left(4), "RIFF");
        EXPECT_EQ(b.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(le16(b, 20), 1); // PCM
        EXPECT_EQ(le16(b, 22), 1); // mono
        const quint32 byteRate = le32(b, 28);
        ASSERT_GT(byteRate, 0u);
        const double seconds = double(b.size() - 44) / byteRate;
        EXPECT_GE(seconds, 0.09);
        EXPECT_LE(seconds, 1.3);
    }
}

TEST(Sounds, PlaysByNameOnlyWhenEnabledAndNeverOutsideItsFolder) {
    qtApp();
    Sounds sounds;
    QSignalSpy started(&sounds, &Sounds::started);
    sounds.playsounds("TURN");
    sounds.playsounds("nosuch");
    sounds.playsounds("../pictures/smiley10");
    sounds.playsounds(":/sounds/turn.wav");
    sounds.playsounds("");
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started[0][0].toString(), "turn");

    sounds.setEnabled(false);
    sounds.playsounds("winner");
    EXPECT_EQ(started.count(), 1);
    sounds.playchatter("wave7");
    EXPECT_EQ(started.count(), 2);

    // Whether or not the machine has audio, playing is quiet and asynchronous.
    sounds.setEnabled(true);
    for (const char *name : {"tick", "tick", "word", "zbgood"})
        sounds.playsounds(name);
    QTest::qWait(200);
    EXPECT_EQ(started.count(), 6);
}
