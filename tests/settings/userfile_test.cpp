// Reading the user's files: only regular files, only up to the cap.
#include "settings/userfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(UserFile, OnlyRegularFilesAreReadAndOnlyUpToTheCap) {
    QTemporaryDir dir;
    const auto name = [&](const char *file) { return dir.filePath(QString::fromLatin1(file)); };
    const auto write = [&](const char *file, const QByteArray &bytes) {
        QFile f(name(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const auto link = [&](const char *target, const char *file) {
        ASSERT_EQ(::symlink(target, QFile::encodeName(name(file)).constData()), 0);
    };
    struct Case {
        const char *file;
        std::function<void()> make;
        UserFile::Status status;
        QByteArray bytes;
    };
    constexpr qint64 kCap = 8;
    const Case cases[] = {
        {"plain", [&] { write("plain", "12345678"); }, UserFile::Read, "12345678"},
        {"empty", [&] { write("empty", ""); }, UserFile::Read, ""},
        {"linked", [&] { link("plain", "linked"); }, UserFile::Read, "12345678"},
        {"big", [&] { write("big", "123456789"); }, UserFile::TooLarge, {}},
        {"absent", [] {}, UserFile::Missing, {}},
        {"dangling", [&] { link("nowhere", "dangling"); }, UserFile::Missing, {}},
        {"pipe",
         [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(name("pipe")).constData(), 0600), 0); },
         UserFile::NotRegular,
         {}},
        {"zero", [&] { link("/dev/zero", "zero"); }, UserFile::NotRegular, {}},
        {"folder",
         [&] { ASSERT_TRUE(QDir(dir.path()).mkdir("folder")); },
         UserFile::NotRegular,
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        c.make();
        const UserFile file = UserFile::read(name(c.file), kCap);
        EXPECT_EQ(file.status, c.status);
        EXPECT_EQ(file.bytes, c.bytes);
        EXPECT_EQ(file.problem.isEmpty(),
                  c.status == UserFile::Read || c.status == UserFile::Missing)
            << file.problem.toStdString();
        EXPECT_EQ(UserFile::isRegular(name(c.file)),
                  c.status == UserFile::Read || c.status == UserFile::TooLarge);
    }
}

} // namespace
