// The command line: help, version and options the program does not know.
#include "tests/support/testclient.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, HelpVersionAndUnknownOptions) {
    ensureCoreApp();
    struct Case {
        QStringList args;
        int status;
        const char *out; // a line standard output must hold
        const char *err; // a text standard error must hold
    };
    const Case cases[] = {
        {{"--help"},
         0,
         "  zorble --serve [--port N] [--seed N] [--grace SECONDS] [--rejoin-by-name] [--resume]",
         ""},
        {{"-h"},
         0,
         "  ZORBLE_STATE_FILE=PATH          write the game as the window sees it to PATH as JSON,",
         ""},
        {{"--version"}, 0, "zorble 2.1.1", ""},
        {{"--frobnicate"}, 2, "", "Unknown option 'frobnicate'."},
        {{"--serve", "--colour", "red"}, 2, "", "Try 'zorble --help'"},
        {{"--seed", "4"}, 2, "", "--seed goes with --serve"},
        {{"--port", "0"}, 2, "", "--port needs a number from 1 to 65535"},
        {{"--level", "hard"}, 2, "", "--level, --pause, --think and --start go with --bot"},
        {{"--bot", "Robo", "--think", "0"}, 2, "", "--think needs milliseconds from 1 to 60000"},
        {{"--bot", "Robo", "--level", "expert"}, 2, "", "--level is easy, normal or hard"},
        {{"--bot", "Robo", "--port", "1"}, 1, "", "zorble: cannot connect to 127.0.0.1 port 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(ZORBLE_BIN, c.args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.status);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        if (*c.out)
            EXPECT_TRUE(out.split('\n').contains(QString::fromUtf8(c.out))) << out.toStdString();
        else
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.err))) << err.toStdString();
    }
}

// Every console command the README documents has a line of its own in
// zorble --help.
TEST(CommandLine, HelpListsEveryConsoleCommandOfTheReadme) {
    ensureCoreApp();
    QFile readme(ZORBLE_README);
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    QString row;
    for (const QString &line : QString::fromUtf8(readme.readAll()).split('\n'))
        if (line.startsWith("| `ZORBLE_CHAT_CONSOLE=1`"))
            row = line;
    QStringList documented;
    for (const auto &m : QRegularExpression("`(/[a-z]+)").globalMatch(row))
        if (m.captured(1) != "/me")
            documented << m.captured(1);
    ASSERT_GE(documented.size(), 5) << row.toStdString();

    QProcess p;
    p.start(ZORBLE_BIN, {"--help"});
    ASSERT_TRUE(p.waitForFinished(10000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString &command : documented)
        EXPECT_TRUE(out.contains(QRegularExpression("\\n    " + command + "\\b")))
            << command.toStdString();
}

} // namespace
