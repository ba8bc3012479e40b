// The file compressor: container layout, round trips, errors and clean-up.

#include "tally/lzrw1.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray randomData(int n, unsigned seed) {
    std::mt19937 rng(seed);
    QByteArray out(n, Qt::Uninitialized);
    for (auto &c : out)
        c = char(rng());
    return out;
}

QByteArray textData(int n, unsigned seed) {
    static const char *words[] = {"Anna", "Bert", "Chloe", "0", "1", "17", "\r\n", "zorble"};
    std::mt19937 rng(seed);
    QByteArray out;
    while (out.size() < n)
        out += QByteArray(words[rng() % 8]) + ' ';
    return out.left(n);
}

class LzrwFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString in = dir.filePath(QStringLiteral("in.txt"));
    QString packed = dir.filePath(QStringLiteral("packed.tld"));
    QString unpacked = dir.filePath(QStringLiteral("unpacked.txt"));
    Tlzrw1 codec;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        codec.setCompressMode(Fast);
    }

    static void write(const QString &path, const QByteArray &data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(data), data.size());
    }
    static QByteArray read(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The names in the test folder, so that a left-over temporary file shows.
    QStringList entries() const {
        return QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }

    int compress(const QString &from, const QString &to) {
        codec.setInputFile(from);
        codec.setOutputFile(to);
        return codec.Compress();
    }
    int decompress(const QString &from, const QString &to) {
        codec.setInputFile(from);
        codec.setOutputFile(to);
        return codec.Decompress();
    }

    // Decompresses packed into unpacked and returns the error's message
    // (empty when it succeeded).
    QString decompressError() {
        try {
            decompress(packed, unpacked);
        } catch (const ELzrw1Exception &e) {
            return e.message();
        }
        return {};
    }
};

// Splits a container into its coded blocks, checking the lengths line up.
QList<QByteArray> blocksOf(const QByteArray &file) {
    QList<QByteArray> blocks;
    qsizetype at = 8;
    while (at + 2 <= file.size()) {
        const int len = uchar(file[at]) | uchar(file[at + 1]) << 8;
        blocks.append(file.mid(at + 2, len));
        at += 2 + len;
    }
    EXPECT_EQ(at, file.size());
    return blocks;
}

TEST_F(LzrwFile, EmptyFileIsElevenBytes) {
    write(in, {});
    EXPECT_EQ(compress(in, packed), 11);
    EXPECT_EQ(read(packed), QByteArray("WRZL\0\0\0\0\x01\x00\x80", 11));
    write(unpacked, "old contents");
    EXPECT_EQ(decompress(packed, unpacked), 0);
    EXPECT_TRUE(QFile::exists(unpacked));
    EXPECT_EQ(QFileInfo(unpacked).size(), 0);
}

TEST_F(LzrwFile, FullChunksAreFollowedByAShorterOne) {
    struct Case {
        int size;
        int blocks;
        int lastChunk;
    };
    for (const Case c : {Case{32768, 2, 0}, Case{32769, 2, 1}, Case{65536, 3, 0},
                         Case{100000, 4, 100000 - 3 * 32768}}) {
        SCOPED_TRACE(c.size);
        const QByteArray data = textData(c.size, unsigned(c.size));
        write(in, data);
        const int written = compress(in, packed);
        const QByteArray file = read(packed);
        EXPECT_EQ(written, file.size());
        EXPECT_EQ(file.left(4), "WRZL");
        EXPECT_EQ(file.mid(4, 4),
                  QByteArray::fromRawData(reinterpret_cast<const char *>(&c.size), 4));
        const QList<QByteArray> blocks = blocksOf(file);
        ASSERT_EQ(blocks.size(), c.blocks);
        if (c.lastChunk == 0) {
            EXPECT_EQ(blocks.last(), QByteArray(1, char(0x80)));
        }
        QByteArray joined;
        for (const QByteArray &b : blocks) {
            QByteArray out(TLZR::BufferSize, 0);
            const int n =
                TLZR::DecompressBlock(reinterpret_cast<const uint8_t *>(b.constData()),
                                      int(b.size()), reinterpret_cast<uint8_t *>(out.data()));
            ASSERT_GE(n, 0);
            joined += out.left(n);
        }
        EXPECT_EQ(joined, data);
    }
}

TEST_F(LzrwFile, RoundTrips) {
    QList<QByteArray> inputs = {QByteArray("a"),
                                QByteArray("ab"),
                                QByteArray("abc"),
                                randomData(32768, 1),
                                randomData(32769, 2),
                                textData(100000, 3),
                                QByteArray(70000, 'x') + textData(5000, 4) +
                                    QByteArray(40000, '\0'),
                                randomData(100000, 5)};
    for (const QByteArray &data : inputs) {
        SCOPED_TRACE(data.size());
        write(in, data);
        const int written = compress(in, packed);
        EXPECT_EQ(written, QFileInfo(packed).size());
        EXPECT_EQ(decompress(packed, unpacked), data.size());
        EXPECT_EQ(read(unpacked), data);
    }
    // Text and runs shrink well; random data grows by its block overhead only.
    write(in, textData(100000, 6));
    EXPECT_LT(compress(in, packed), 60000);
    write(in, randomData(100000, 7));
    EXPECT_EQ(compress(in, packed), 8 + 4 * 2 + 100000 + 4);
}

TEST_F(LzrwFile, StreamsCodeLikeFiles) {
    const QByteArray data = textData(70000, 8);
    write(in, data);
    compress(in, packed);

    QBuffer source;
    source.setData(data);
    source.open(QIODevice::ReadOnly);
    QBuffer coded;
    coded.open(QIODevice::WriteOnly);
    codec.CompressStream(source, data.size(), coded);
    EXPECT_EQ(coded.data(), read(packed));

    QBuffer back;
    back.setData(coded.data());
    back.open(QIODevice::ReadOnly);
    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    EXPECT_EQ(codec.DecompressStream(back, plain), data.size());
    EXPECT_EQ(plain.data(), data);
}

TEST_F(LzrwFile, BadFilesAreRefusedAndLeaveTheOutputAsItWas) {
    write(in, textData(50000, 9));
    compress(in, packed);
    const QByteArray good = read(packed);

    struct Case {
        const char *what;
        QByteArray file;
        QString message;
    };
    const QString noHeader =
        packed + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !");
    const QString readError = QStringLiteral("Lzrw1 : Error reading from input file : ") + packed;
    const QString mismatch = QStringLiteral(
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    const QString badLength =
        QStringLiteral("Lzrw1 (decompression LZRW1/KH) : invalid block length in : ") + packed;
    const QString corrupt =
        QStringLiteral("Lzrw1 (decompression LZRW1/KH) : corrupt block in : ") + packed;

    QByteArray larger = good, smaller = good, zeroLength = good, hugeLength = good;
    larger[4] = char(uchar(larger[4]) + 1);
    smaller[4] = char(uchar(smaller[4]) - 1);
    zeroLength[8] = zeroLength[9] = 0;
    hugeLength[8] = char(0x02);
    hugeLength[9] = char(0x80); // 32,770
    // An empty stored tally whose one block is a copy from before the start.
    const QByteArray backwards("WRZL\x04\0\0\0\x05\0\x40\x80\0\0\x13", 15);

    const Case cases[] = {
        {"wrong identifier", "LZRW" + good.mid(4), noHeader},
        {"LZH identifier", "!HZL" + good.mid(4), noHeader},
        {"shorter than an identifier", "WR", readError},
        {"no size", "WRZL\x01", readError},
        {"truncated block", good.left(good.size() - 10), readError},
        {"missing final block", good.left(good.size() - blocksOf(good).last().size() - 2),
         readError},
        {"stored size too large", larger, mismatch},
        {"stored size too small", smaller, mismatch},
        {"zero block length", zeroLength, badLength},
        {"block length above a stored chunk", hugeLength, badLength},
        {"copy before the block's start", backwards, corrupt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        write(packed, c.file);
        QFile::remove(unpacked);
        EXPECT_EQ(decompressError(), c.message);
        EXPECT_FALSE(QFile::exists(unpacked));
        // An earlier output survives the failure unchanged, with no temporary
        // file beside it.
        write(unpacked, "previous");
        EXPECT_EQ(decompressError(), c.message);
        EXPECT_EQ(read(unpacked), "previous");
        EXPECT_EQ(entries(), QStringList({"in.txt", "packed.tld", "unpacked.txt"}));
    }
}

TEST_F(LzrwFile, OpeningFailuresNameTheFile) {
    const QString missing = dir.filePath(QStringLiteral("missing"));
    const QString nowhere = dir.filePath(QStringLiteral("no/such/dir/out"));
    auto messageOf = [](auto &&operation) {
        try {
            operation();
        } catch (const ELzrw1Exception &e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(messageOf([&] { compress(missing, packed); }),
              "Lzrw1 compression : Failed to obtain the size of : " + missing);
    EXPECT_EQ(messageOf([&] { decompress(missing, unpacked); }),
              "Lzrw1 (de)compression : Failed to open input file : " + missing);
    EXPECT_FALSE(QFile::exists(packed));
    EXPECT_FALSE(QFile::exists(unpacked));

    write(in, "some text");
    EXPECT_EQ(messageOf([&] { compress(in, nowhere); }),
              "Lzrw1 (de)compression : Failed to open output file : " + nowhere);
    EXPECT_EQ(messageOf([&] { compress(in, dir.path()); }),
              "Lzrw1 (de)compression : Failed to open output file : " + dir.path());
}

// Writing over the input would destroy it before it is read, whatever name
// the output gives it.
TEST_F(LzrwFile, OutputThatIsTheInputIsRefused) {
    write(in, "some text");
    compress(in, packed);
    const QByteArray plain = read(in);
    const QByteArray coded = read(packed);
    const QString hard = dir.filePath(QStringLiteral("hard"));
    const QString soft = dir.filePath(QStringLiteral("soft"));
    for (const bool packing : {true, false}) {
        const QString source = packing ? in : packed;
        SCOPED_TRACE(source.toStdString());
        QFile::remove(hard);
        QFile::remove(soft);
        ASSERT_EQ(
            ::link(QFile::encodeName(source).constData(), QFile::encodeName(hard).constData()), 0);
        ASSERT_TRUE(QFile::link(source, soft));
        for (const QString &output : {source, hard, soft}) {
            SCOPED_TRACE(output.toStdString());
            try {
                packing ? compress(source, output) : decompress(source, output);
                ADD_FAILURE() << "the input was taken as the output";
            } catch (const ELzrw1Exception &e) {
                EXPECT_EQ(e.message(),
                          "Lzrw1 (de)compression : Output file is the input file : " + output);
            }
            EXPECT_EQ(read(in), plain);
            EXPECT_EQ(read(packed), coded);
            EXPECT_TRUE(QFileInfo(soft).isSymLink());
        }
    }
    EXPECT_EQ(entries(), QStringList({"hard", "in.txt", "packed.tld", "soft"}));
}

// Only a regular file is read: a pipe without a writer would otherwise hold
// the call for ever, so the call runs aside and a hang is undone by writing.
TEST_F(LzrwFile, InputThatIsNotARegularFileIsRefused) {
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const bool packing : {true, false}) {
        for (const QString &source : {fifo, dir.path()}) {
            SCOPED_TRACE(source.toStdString() + (packing ? " compress" : " decompress"));
            auto call = std::async(std::launch::async, [&] {
                Tlzrw1 aside;
                aside.setCompressMode(Fast);
                aside.setInputFile(source);
                aside.setOutputFile(unpacked);
                try {
                    packing ? aside.Compress() : aside.Decompress();
                } catch (const ELzrw1Exception &e) {
                    return e.message();
                }
                return QString();
            });
            if (call.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                ADD_FAILURE() << "the call waited for a writer";
                // Each writer that comes and goes ends one wait of the reader.
                while (call.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
                    const int fd =
                        ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
                    if (fd >= 0)
                        ::close(fd);
                }
            }
            EXPECT_EQ(call.get().toStdString(),
                      ("Lzrw1 (de)compression : Input file is not a regular file : " + source)
                          .toStdString());
            EXPECT_FALSE(QFile::exists(unpacked));
        }
    }
}

TEST_F(LzrwFile, WriteFailuresAreReported) {
    QBuffer source;
    source.setData("some text");
    source.open(QIODevice::ReadOnly);
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    codec.setOutputFile(QStringLiteral("target"));
    try {
        codec.CompressStream(source, 9, readOnly);
        ADD_FAILURE() << "a write that failed went unnoticed";
    } catch (const ELzrw1Exception &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Lzrw1 : Error writing to output file : target"));
    }
}

TEST_F(LzrwFile, PipeOutputIsWrittenDirectlyAndKept) {
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A reader, so that opening the pipe for writing does not wait.
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    write(packed, "not compressed");
    EXPECT_THROW(decompress(packed, fifo), ELzrw1Exception);
    EXPECT_TRUE(QFileInfo(fifo).exists());
    ::close(reader);
}

TEST_F(LzrwFile, ExistingOutputIsReplacedKeepingItsPermissionsAndLinks) {
    write(packed, QByteArray(5000, 'o'));
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(packed, mode));
    write(in, "short");
    EXPECT_EQ(compress(in, packed), 16);
    EXPECT_EQ(read(packed).size(), 16);
    EXPECT_EQ(QFile::permissions(packed) & 0x7077, mode); // owner, group and others

    // Through a symbolic link, the file it points to is replaced, not the link.
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(unpacked, link));
    EXPECT_EQ(decompress(packed, link), 5);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(unpacked), "short");
    EXPECT_EQ(entries(), QStringList({"in.txt", "link", "packed.tld", "unpacked.txt"}));
}

TEST_F(LzrwFile, GoodModeIsDeclined) {
    write(in, textData(200, 10));
    codec.setCompressMode(Good);
    EXPECT_THROW(compress(in, packed), ELzrw1Exception);
    EXPECT_FALSE(QFile::exists(packed));
    // Auto asks for advice, which picks Good for a small file.
    codec.setCompressMode(Auto);
    EXPECT_THROW(compress(in, packed), ELzrw1Exception);
    EXPECT_EQ(codec.CompressMode(), Good);
    EXPECT_FALSE(QFile::exists(packed));
}

TEST_F(LzrwFile, ProgressCaptionsAndIdleCalls) {
    QStringList captions;
    int idles = 0;
    codec.setOnCaption([&](const QString &text) { captions << text; });
    codec.setOnIdle([&] { ++idles; });
    write(in, textData(100000, 11));
    const int written = compress(in, packed);

    ASSERT_EQ(captions.size(), 5);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(captions[i].startsWith(
            "(LZRW1/KH) Bytes in : " + QString::number(i < 3 ? 32768 * (i + 1) : 100000) +
            " Bytes out : "))
            << captions[i].toStdString();
    EXPECT_EQ(captions[3],
              QStringLiteral("(LZRW1/KH) Bytes in : 100000 Bytes out : %1").arg(written));
    EXPECT_EQ(captions[4], in + " : Lzrw1 : successfully compressed at " +
                               QString::number(written * 100 / 100000) + "%");
    // A read and two writes per block, and the two header writes.
    EXPECT_EQ(idles, 4 * 3 + 2);

    captions.clear();
    decompress(packed, unpacked);
    ASSERT_EQ(captions.size(), 5);
    EXPECT_EQ(captions[4], packed + " : Lzrw1 : successfully decompressed at " +
                               QString::number(100000 * 100 / written) + "%");
}

TEST_F(LzrwFile, FailureDuringIdleLeavesTheOutputAsItWas) {
    write(in, textData(100000, 12));
    compress(in, packed);
    int calls = 0;
    codec.setOnIdle([&] {
        if (++calls == 6)
            throw ELzrw1Exception(QStringLiteral("stopped"));
    });
    EXPECT_THROW(compress(in, unpacked), ELzrw1Exception);
    EXPECT_FALSE(QFile::exists(unpacked));
    calls = 0;
    write(unpacked, "kept");
    EXPECT_THROW(decompress(packed, unpacked), ELzrw1Exception);
    EXPECT_EQ(read(unpacked), "kept");
    EXPECT_EQ(entries(), QStringList({"in.txt", "packed.tld", "unpacked.txt"}));
    // Once the operation has ended, the next one may start.
    codec.setOnIdle({});
    EXPECT_EQ(decompress(packed, unpacked), 100000);
}

TEST_F(LzrwFile, AdviseLooksAtTwoChunks) {
    QStringList captions;
    codec.setOnCaption([&](const QString &text) { captions << text; });
    codec.setInputFile(in);

    write(in, textData(98303, 13));
    EXPECT_EQ(codec.Advise(), Good);
    EXPECT_EQ(captions, QStringList({"Guessing the best compression mode for : " + in,
                                     "Lzrw1 recommends GOOD compression :  small file !!"}));

    // Text in the middle chunks, noise elsewhere: the sampled chunks decide.
    codec.setCompressMode(Fast);
    captions.clear();
    write(in, randomData(32768, 14) + textData(3 * 32768, 15) + randomData(200, 16));
    EXPECT_EQ(codec.Advise(), Fast);
    ASSERT_EQ(captions.size(), 2);
    const QRegularExpression fast(
        QStringLiteral("^Lzrw1 recommends FAST compression : (\\d+)%\\.$"));
    const auto match = fast.match(captions[1]);
    ASSERT_TRUE(match.hasMatch()) << captions[1].toStdString();
    EXPECT_LT(match.captured(1).toInt(), 40);
    EXPECT_EQ(codec.CompressMode(), Fast);

    captions.clear();
    write(in, randomData(200000, 17));
    EXPECT_EQ(codec.Advise(), Good);
    EXPECT_EQ(captions[1], QStringLiteral("Lzrw1 recommends GOOD compression : 100%."));
    // A threshold above the stored blocks' size turns the same data Fast.
    codec.setThreshold(101);
    EXPECT_EQ(codec.Advise(), Fast);

    codec.setInputFile(dir.filePath(QStringLiteral("missing")));
    try {
        codec.Advise();
        ADD_FAILURE() << "advice on a missing file";
    } catch (const ELzrw1Exception &e) {
        EXPECT_EQ(e.message(), "Lzrw1 advise : can not get the size of : " + codec.InputFile());
    }
}

} // namespace
