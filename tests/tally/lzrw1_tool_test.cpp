// The zorble-lzrw1 command-line tool.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct ToolRun {
    int code;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(LZRW1_TOOL), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

class LzrwTool : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char *name) { return dir.filePath(QString::fromLatin1(name)); }
    static void write(const QString &file, const QByteArray &data) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    static QByteArray read(const QString &file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(LzrwTool, RoundTripIsSilent) {
    QByteArray data;
    for (int i = 0; i < 3000; ++i)
        data += "Anna\r\n" + QByteArray::number(i % 17) + "\r\n";
    write(path("in"), data);

    const ToolRun packed = runTool({"compress", path("in"), path("packed")});
    EXPECT_EQ(packed.code, 0);
    EXPECT_TRUE(packed.out.isEmpty());
    EXPECT_TRUE(packed.err.isEmpty());
    EXPECT_TRUE(read(path("packed")).startsWith("WRZL"));

    const ToolRun unpacked = runTool({"decompress", path("packed"), path("out")});
    EXPECT_EQ(unpacked.code, 0);
    EXPECT_TRUE(unpacked.out.isEmpty());
    EXPECT_TRUE(unpacked.err.isEmpty());
    EXPECT_EQ(read(path("out")), data);

    const ToolRun advice = runTool({"advise", path("in")});
    EXPECT_EQ(advice.code, 0);
    EXPECT_EQ(advice.out, "Lzrw1 recommends GOOD compression :  small file !!\n");
}

TEST_F(LzrwTool, ErrorsGoToStandardErrorAndLeaveTheOutputAsItWas) {
    write(path("bad"), QByteArray("WRZL\x10\0\0\0\x03\0\x40\0\0", 13));
    const ToolRun mismatch = runTool({"decompress", path("bad"), path("out")});
    EXPECT_EQ(mismatch.code, 1);
    EXPECT_EQ(mismatch.err, "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do "
                            "not match !\n");
    EXPECT_TRUE(mismatch.out.isEmpty());
    EXPECT_FALSE(QFile::exists(path("out")));

    write(path("existing"), "kept as it was");
    EXPECT_EQ(runTool({"decompress", path("bad"), path("existing")}).code, 1);
    EXPECT_EQ(read(path("existing")), "kept as it was");

    // An output that is a hard link to the input is the input itself.
    ASSERT_TRUE(QFile::copy(path("bad"), path("in.tld")));
    ASSERT_EQ(::link(QFile::encodeName(path("in.tld")).constData(),
                     QFile::encodeName(path("h")).constData()),
              0);
    const ToolRun same = runTool({"decompress", path("in.tld"), path("h")});
    EXPECT_EQ(same.code, 1);
    EXPECT_EQ(same.err, "Lzrw1 (de)compression : Output file is the input file : " +
                            path("h").toLocal8Bit() + "\n");
    EXPECT_EQ(read(path("in.tld")), read(path("bad")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"bad", "existing", "h", "in.tld"}));

    write(path("plain"), "not compressed at all");
    const ToolRun header = runTool({"decompress", path("plain"), path("out")});
    EXPECT_EQ(header.code, 1);
    EXPECT_EQ(header.err, path("plain").toLocal8Bit() +
                              " : Lzrw1 decompression : this file has no valid header !\n");
    EXPECT_FALSE(QFile::exists(path("out")));

    const ToolRun missing = runTool({"compress", path("nothing"), path("out")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(QFile::exists(path("out")));

    const ToolRun usage = runTool({"compress", path("plain")});
    EXPECT_EQ(usage.code, 1);
    EXPECT_TRUE(usage.err.startsWith("usage:"));
}

} // namespace
