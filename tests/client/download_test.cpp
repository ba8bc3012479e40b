// The lobby download window against an HTTP server on the loopback address:
// the request, the progress texts, what is run and what never is.
#include "tests/client/fakehost.h"
#include "tests/client/fits.h"
#include "tests/client/messageboxes.h"

#include "client/tchat.h"
#include "client/tilesetmenu.h"
#include "client/windowsettings.h"
#include "settings/apppaths.h"
#include "tests/support/testclient.h"
#include "windows/tdownload.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace {

// Answers one GET: once the request's head is in, writes the answer's head
// and the first part of its body; the rest comes when the test sends it.
class HttpServer {
public:
    HttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = server_.nextPendingConnection()) {
                ++connections_;
                peer_ = s;
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] {
                    request_ += s->readAll();
                    if (!answered_ && request_.contains("\r\n\r\n")) {
                        answered_ = true;
                        send(head_ + first_);
                        if (closeAtOnce_)
                            s->disconnectFromHost();
                    }
                });
                QObject::connect(s, &QTcpSocket::disconnected, [this] { ++disconnects_; });
            }
        });
    }

    // What to answer; with closeAtOnce the body ends with the first part.
    void answer(const QByteArray &head, const QByteArray &first, bool closeAtOnce) {
        head_ = head;
        first_ = first;
        closeAtOnce_ = closeAtOnce;
    }
    void send(const QByteArray &bytes) {
        peer_->write(bytes);
        peer_->flush();
    }
    void end() { peer_->disconnectFromHost(); }

    QString url(const QString &path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    quint16 port() const { return server_.serverPort(); }
    const QByteArray &request() const { return request_; }
    int connections() const { return connections_; }
    int disconnects() const { return disconnects_; }

private:
    QTcpServer server_;
    QTcpSocket *peer_ = nullptr;
    QByteArray request_;
    QByteArray head_, first_;
    bool closeAtOnce_ = true;
    bool answered_ = false;
    int connections_ = 0;
    int disconnects_ = 0;
};

QByteArray okHead(qint64 length) {
    QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (length >= 0)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    return head + "\r\n";
}

// A download window with a folder of its own, and the installer to serve: a
// script that writes its arguments, one a line, to args.txt beside it.
struct Fixture {
    MessageBoxWatcher boxes; // none is expected; a box must not stall a test
    QTemporaryDir dir;
    HttpServer server;
    std::unique_ptr<Tdownload> window = std::make_unique<Tdownload>();
    int exits = 0;
    const QString folder = dir.filePath("downloads");
    const QString argsFile = dir.filePath("args.txt");
    const QString installer = QDir(folder).filePath("vornexsetup.sh");
    QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + argsFile.toUtf8() +
                        ".part' && mv '" + argsFile.toUtf8() + ".part' '" + argsFile.toUtf8() +
                        "'\n";

    explicit Fixture(int padding = 0) {
        script += "# " + QByteArray(padding, 'x') + "\n";
        window->setDownloadFolder(folder);
        window->setLobby(server.url("/lobby/vornexsetup.sh"), QString(), QString());
        QObject::connect(window.get(), &Tdownload::exitRequested, [this] { ++exits; });
    }
    QString text(const char *name) const {
        return window->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QPushButton *button(const char *name) const {
        return window->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    QProgressBar *bar() const { return window->findChild<QProgressBar *>("progress"); }
    int state() const { return window->state(); }
    bool over() const { return button("getbutton")->isEnabled(); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    QByteArray ranWith() const {
        QFile f(argsFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<not run>");
    }
};

TEST(DownloadWindow, SendsAnHttp10GetWithThreeHeaderLinesOnly) {
    Fixture f;
    f.server.answer("HTTP/1.0 404 Not Found\r\n\r\n", QByteArray(), true);
    f.button("getbutton")->click();
    ASSERT_TRUE(waitUntil([&] { return f.over(); }));
    const QByteArray request = f.server.request();
    ASSERT_TRUE(request.endsWith("\r\n\r\n")) << request.toStdString();
    QStringList lines = QString::fromLatin1(request.chopped(4)).split("\r\n");
    for (const QString &line : lines)
        EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << request.toStdString();
    EXPECT_EQ(lines.takeFirst(), "GET /lobby/vornexsetup.sh HTTP/1.0");
    lines.sort();
    EXPECT_EQ(lines, QStringList({
                         "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*",
                         "Host: 127.0.0.1:" + QString::number(f.server.port()),
                         "User-Agent: Mozilla/3.0 (compatible)",
                     }));
}

// The head and the body come in steps, so that each text can be seen.
TEST(DownloadWindow, LabelsAndProgressFollowTheHeadAndTheBody) {
    for (const bool announced : {true, false}) {
        SCOPED_TRACE(announced ? "with a length" : "without a length");
        Fixture f(3000);
        const QByteArray body = f.script;
        f.server.answer(okHead(announced ? body.size() : -1), QByteArray(), false);
        f.button("getbutton")->click();
        EXPECT_FALSE(f.button("getbutton")->isEnabled());
        EXPECT_TRUE(f.button("abortbutton")->isEnabled());
        EXPECT_EQ(f.state(), 1);
        // The status line and each header line add a dot.
        const QString dots = announced ? "Loading..." : "Loading..";
        ASSERT_TRUE(waitUntil([&] { return f.text("infolabel") == dots; }))
            << f.text("infolabel").toStdString();
        EXPECT_EQ(f.text("infolabel3"), "");

        f.server.send(body.left(1000));
        ASSERT_TRUE(waitUntil([&] { return f.text("infolabel") == "1000 bytes"; }));
        EXPECT_EQ(f.text("infolabel3"), "Downloading: vornexsetup.sh");
        EXPECT_FALSE(f.bar()->isHidden());
        if (announced) {
            EXPECT_EQ(f.bar()->maximum(), 1000);
            EXPECT_EQ(f.bar()->value(), 1000 * 1000 / body.size());
        } else {
            EXPECT_EQ(f.bar()->maximum(), 0); // busy
        }
        EXPECT_FALSE(f.files().contains("vornexsetup.sh")); // not before the body is whole

        f.server.send(body.mid(1000));
        f.server.end();
        ASSERT_TRUE(waitUntil([&] { return f.over(); }));
        EXPECT_EQ(f.text("infolabel"), QString("Received %1 bytes").arg(body.size()));
        EXPECT_EQ(f.text("infolabel3"), "Installing");
        EXPECT_FALSE(f.button("abortbutton")->isEnabled());
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(f.argsFile); }));
        EXPECT_EQ(f.exits, 1);
    }
}

// Only a whole body with a status below 400, and the configured SHA-256 when
// there is one, is kept under the installer's name and run.
TEST(DownloadWindow, RunsOnlyACompleteInstallerWithTheRightDigest) {
    struct Case {
        const char *name;
        QByteArray status;
        enum { None, Right, Wrong } digest;
        bool runs;
    };
    for (const Case &c : {
             Case{"200", "200 OK", Case::None, true},
             Case{"200, digest in capitals", "200 OK", Case::Right, true},
             Case{"200, wrong digest", "200 OK", Case::Wrong, false},
             Case{"404", "404 Not Found", Case::None, false},
         }) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const QByteArray digest =
            QCryptographicHash::hash(c.digest == Case::Wrong ? f.script + ' ' : f.script,
                                     QCryptographicHash::Sha256)
                .toHex()
                .toUpper();
        f.window->setLobby(f.server.url("/lobby/vornexsetup.sh"), QString(),
                           c.digest == Case::None ? QString() : QString::fromLatin1(digest));
        f.server.answer("HTTP/1.0 " + c.status + "\r\n\r\n", f.script, true);
        f.button("getbutton")->click();
        ASSERT_TRUE(waitUntil([&] { return f.over(); }));
        if (c.runs) {
            EXPECT_EQ(f.files(), QStringList({"vornexsetup.sh"}));
            EXPECT_TRUE(QFileInfo(f.installer).isExecutable());
            ASSERT_TRUE(waitUntil([&] { return QFile::exists(f.argsFile); }));
            EXPECT_EQ(f.ranWith(), "/SP-\n/silent\n/noicons\n");
            EXPECT_EQ(f.exits, 1);
        } else {
            EXPECT_EQ(f.text("infolabel"), "Download Aborted");
            EXPECT_EQ(f.state(), 2);
            EXPECT_EQ(f.files(), QStringList());
            spin(100);
            EXPECT_EQ(f.ranWith(), "<not run>");
            EXPECT_EQ(f.exits, 0);
        }
        EXPECT_EQ(f.boxes.texts, QStringList());
    }
}

// In the middle of a slow body: "Stop Download", or the window going with
// the program.
TEST(DownloadWindow, AStoppedOrEndedDownloadLeavesNothingAndRunsNothing) {
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "Stop Download" : "the window goes");
        Fixture f(5000);
        f.server.answer(okHead(f.script.size()), f.script.left(1000), false);
        f.button("getbutton")->click();
        ASSERT_TRUE(waitUntil([&] { return f.text("infolabel") == "1000 bytes"; }));
        if (stop) {
            f.button("abortbutton")->click();
            EXPECT_EQ(f.text("infolabel"), "Download has been aborted.");
            ASSERT_TRUE(waitUntil([&] { return f.over(); }));
            EXPECT_EQ(f.text("infolabel"), "Download Aborted");
            EXPECT_EQ(f.text("infolabel3"), "Download Aborted");
            EXPECT_TRUE(f.button("getbutton")->isEnabled());
            EXPECT_FALSE(f.button("abortbutton")->isEnabled());
            EXPECT_EQ(f.state(), 2);
        } else {
            f.window.reset();
        }
        EXPECT_TRUE(waitUntil([&] { return f.server.disconnects() == 1; }));
        EXPECT_EQ(f.files(), QStringList());
        spin(100);
        EXPECT_EQ(f.ranWith(), "<not run>");
        EXPECT_EQ(f.exits, 0);
        EXPECT_EQ(f.boxes.texts, QStringList());
    }
}

// A body past the size cap and a server that goes silent are given up on,
// with the reason on the window and on stderr.
TEST(DownloadWindow, ABodyTooLargeOrAServerGoneSilentIsGivenUpOn) {
    struct Case {
        const char *name;
        qint64 announced; // -1: no length
        QByteArray body;  // sent at once; the server stays silent after it
        const char *reason;
    };
    HttpGet::Limits limits;
    limits.maxBytes = 10000;
    limits.idle = std::chrono::milliseconds(300);
    for (const Case &c : {
             Case{"endless body", -1, QByteArray(30000, 'x'), "larger than 10000 bytes"},
             Case{"announced too large", 1 << 30, QByteArray(100, 'x'), "larger than 10000 bytes"},
             Case{"silent server", 5000, QByteArray(100, 'x'), "Nothing came from the server"},
         }) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.window->setLimits(limits);
        f.server.answer(okHead(c.announced), c.body, false);
        testing::internal::CaptureStderr();
        f.button("getbutton")->click();
        const bool over = waitUntil([&] { return f.over(); });
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(over);
        EXPECT_EQ(f.text("infolabel"), "Download Aborted");
        EXPECT_TRUE(f.text("infolabel3").contains(c.reason)) << f.text("infolabel3").toStdString();
        EXPECT_NE(err.find("download aborted: "), std::string::npos) << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_TRUE(waitUntil([&] { return f.server.disconnects() == 1; }));
        EXPECT_EQ(f.files(), QStringList());
        EXPECT_EQ(f.ranWith(), "<not run>");
    }
}

TEST(DownloadWindow, OnlyAnHttpOrHttpsLobbyAddressIsFetched) {
    for (const QString &url : {QString(), QString("ftp://127.0.0.1:%1/lobby/vornexsetup.sh"),
                               QString("http://127.0.0.1:%1/lobby/")}) {
        Fixture f;
        const QString address = url.contains("%1") ? url.arg(f.server.port()) : url;
        SCOPED_TRACE(address.toStdString());
        f.window->setLobby(address, QString(), QString());
        f.button("getbutton")->click();
        spin(100);
        EXPECT_EQ(f.server.connections(), 0);
        EXPECT_EQ(f.state(), 0);
        EXPECT_TRUE(f.button("getbutton")->isEnabled());
        EXPECT_FALSE(f.text("infolabel").isEmpty());
    }
    Fixture f;
    f.window->setLobby(QString(), QString(), QString());
    f.button("getbutton")->click();
    EXPECT_EQ(f.text("infolabel"),
              "No lobby address is configured (LobbyURL in the Zorble section of vornlobby.ini).");
    f.window->show();
    spin(50);
    EXPECT_TRUE(fitsInLabel(f.window->findChild<QLabel *>("infolabel")));
}

// A solo game that cannot host (its port is taken) still downloads from the
// address in the settings file: the window reads it when it starts.
TEST(DownloadWindow, ASoloGameThatCannotHostOffersTheConfiguredDownload) {
    Fixture f;
    f.window->setLobby(QString(), QString(), QString());
    f.server.answer("HTTP/1.0 404 Not Found\r\n\r\n", QByteArray(), true);
    AppPaths paths;
    paths.settingsFile = f.dir.filePath("vornlobby.ini");
    paths.downloadFolder = f.folder;
    QFile ini(paths.settingsFile);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Zorble]\nLobbyURL=" + f.server.url("/lobby/vornexsetup.sh").toUtf8() + "\n");
    ini.close();

    FakeHost taken;
    Tchat w;
    w.setPaths(paths);
    w.setDownload(f.window.get());
    w.setPorts(taken.port(), unusedPort());
    w.setArguments({});
    w.show();
    ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
    f.button("getbutton")->click();
    ASSERT_TRUE(waitUntil([&] { return f.over() && f.server.connections() == 1; }))
        << f.text("infolabel").toStdString();
    EXPECT_TRUE(f.server.request().startsWith("GET /lobby/vornexsetup.sh HTTP/1.0\r\n"));
}

// "Play with Others" in a game window that read LobbyPath from its settings.
TEST(DownloadWindow, PlayWithOthersStartsTheConfiguredLobbyOrSaysWhereItIsNot) {
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed ? "installed" : "missing");
        QTemporaryDir dir;
        const QString lobbyPath = dir.filePath("vornexlobby");
        const QString marker = dir.filePath("started");
        if (installed) {
            QFile lobby(lobbyPath);
            ASSERT_TRUE(lobby.open(QIODevice::WriteOnly));
            lobby.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
            lobby.close();
            lobby.setPermissions(lobby.permissions() | QFileDevice::ExeOwner);
        }
        AppPaths paths;
        paths.settingsFile = dir.filePath("vornlobby.ini");
        paths.downloadFolder = dir.filePath("downloads");
        QFile ini(paths.settingsFile);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Zorble]\nLobbyPath=" + lobbyPath.toUtf8() + "\n");
        ini.close();

        FakeHost host, lobbyLink;
        Tchat w;
        Tdownload download;
        w.setPaths(paths);
        w.setDownload(&download);
        int closed = 0;
        QObject::connect(&w, &Tchat::closed, [&] { ++closed; });
        w.setPorts(host.port(), lobbyLink.port());
        w.setArguments({"Alice", "127.0.0.1", "false"});
        w.show();
        ASSERT_TRUE(waitUntil([&] { return host.connected(); }));
        host.send({"CMD_sendlogininfo+1", "CMD_newplayerinfo+1+Alice"});
        ASSERT_TRUE(waitUntil([&] { return w.settings()->settingsRead(); }));
        EXPECT_EQ(download.downloadFolder(), paths.downloadFolder);

        MessageBoxWatcher boxes;
        download.findChild<QPushButton *>("Button2")->click();
        if (installed) {
            EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }));
            EXPECT_EQ(closed, 1);
            EXPECT_EQ(boxes.texts, QStringList());
        } else {
            EXPECT_EQ(boxes.texts,
                      QStringList({"Please close the game and open the Vornex Lobby using the icon "
                                   "on your desktop or using the your Window's start-up menu."}));
            spin(50);
            EXPECT_EQ(closed, 0);
            EXPECT_TRUE(host.connected());
        }
    }
}

} // namespace
