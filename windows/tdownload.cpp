#include "windows/tdownload.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

const QString kDefaultLobby = QStringLiteral("vornexlobby");
constexpr int kProgressSteps = 1000;

QLabel *text(const QString &caption, QWidget *parent) {
    auto *label = new QLabel(caption, parent);
    label->setWordWrap(true);
    return label;
}

// A row of tiles spelling LOBBY, over the window's top.
QPixmap banner() {
    constexpr int kTile = 40;
    const QString word = QStringLiteral("LOBBY");
    QPixmap picture(int(word.size()) * (kTile + 4) + 4, kTile + 8);
    picture.fill(QColor(0x20, 0x40, 0x30));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(kTile * 2 / 3);
    font.setBold(true);
    p.setFont(font);
    const QColor seats[] = {Qt::red, Qt::green, QColor(0x43, 0x8D, 0xFC), Qt::yellow};
    for (int i = 0; i < word.size(); ++i) {
        const QRect tile(4 + i * (kTile + 4), 4, kTile, kTile);
        p.setPen(seats[i % 4]);
        p.setBrush(QColor(0xF2, 0xE6, 0xC8));
        p.drawRoundedRect(tile, 5, 5);
        p.setPen(Qt::black);
        p.drawText(tile, Qt::AlignCenter, word.mid(i, 1));
    }
    return picture;
}

// The installer's name: the address's last path segment. Empty when that
// names no file of its own in the folder.
QString installerName(const QUrl &url) {
    const QString name = url.fileName(QUrl::FullyDecoded);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QChar(0)))
        return QString();
    return name;
}

} // namespace

Tdownload::Tdownload(QWidget *parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("downloadform"));
    setWindowTitle(QStringLiteral("Download The Vornex Lobby"));

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(banner());
    picture->setAlignment(Qt::AlignCenter);

    getbutton = new QPushButton(QStringLiteral("Download And Install The Vornex Lobby Now"), this);
    getbutton->setObjectName(QStringLiteral("getbutton"));
    abortbutton = new QPushButton(QStringLiteral("Stop Download"), this);
    abortbutton->setObjectName(QStringLiteral("abortbutton"));
    infolabel = new QLabel(this);
    infolabel->setObjectName(QStringLiteral("infolabel"));
    infolabel->setWordWrap(true); // the longest notices take two lines
    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setTextVisible(false);
    progress->hide();
    infolabel3 = new QLabel(this);
    infolabel3->setObjectName(QStringLiteral("infolabel3"));
    infolabel3->setWordWrap(true);
    infolabel2 = new QLabel(this);
    infolabel2->setObjectName(QStringLiteral("infolabel2"));
    infolabel2->hide();
    Button1 = new QPushButton(QStringLiteral("Play Solo Game"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Play with Others"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);

    connect(&get_, &HttpGet::headerLine, this,
            [this] { infolabel->setText(infolabel->text() + QLatin1Char('.')); });
    connect(&get_, &HttpGet::bodyStarted, this,
            [this] { infolabel3->setText(QStringLiteral("Downloading: ") + fileName_); });
    connect(&get_, &HttpGet::bodyProgress, this, [this](qint64 received, qint64 total) {
        infolabel->setText(QString::number(received) + QStringLiteral(" bytes"));
        if (total > 0) {
            progress->setRange(0, kProgressSteps);
            progress->setValue(
                int(std::min<qint64>(received * kProgressSteps / total, kProgressSteps)));
        } else {
            progress->setRange(0, 0); // no length announced: a busy bar
        }
    });
    connect(&get_, &HttpGet::finished, this, &Tdownload::getFinished);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(text(QStringLiteral("Download The Vornex Lobby Now to play this  and other "
                                          "exciting games online with other players! "),
                           this));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(getbutton);
    buttons->addWidget(abortbutton);
    layout->addLayout(buttons);
    auto *status = new QHBoxLayout;
    status->addWidget(infolabel, 1);
    status->addWidget(progress, 1);
    layout->addLayout(status);
    layout->addWidget(infolabel3);
    layout->addWidget(infolabel2);
    layout->addWidget(text(QStringLiteral("To proceed to the game without the ability to play "
                                          "against others click the button below."),
                           this));
    layout->addWidget(Button1, 0, Qt::AlignCenter);
    layout->addWidget(text(QStringLiteral("Note: Even if you are playing offline, you will need "
                                          "to configure your FIREWALL to allow the game to "
                                          "access the internet components."),
                           this));
    layout->addWidget(text(QStringLiteral("If you already have The Vornex Lobby and you wish to "
                                          "play with others then click the button below to close "
                                          "this game and open The Vornex Lobby."),
                           this));
    layout->addWidget(Button2, 0, Qt::AlignCenter);
    setFixedWidth(440);
    adjustSize();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Tdownload::~Tdownload() = default;

void Tdownload::setLobby(const QString &url, const QString &path, const QString &sha256) {
    url_ = url.trimmed();
    lobbyPath_ = path.trimmed();
    sha256_ = sha256.trimmed().toLower();
}

QStringList Tdownload::installerArguments() {
    return {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")};
}

void Tdownload::showMessage(const QString &message) {
    QMessageBox::information(this, QStringLiteral("Zorble"), message);
}

// ---- Download And Install ----------------------------------------------------------

void Tdownload::getbuttonClick() {
    if (get_.running())
        return;
    if (url_.isEmpty()) {
        infolabel->setText(QStringLiteral("No lobby address is configured (LobbyURL in the "
                                          "Zorble section of vornlobby.ini)."));
        return;
    }
    const QUrl url(url_, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        infolabel->setText(QStringLiteral("The lobby address is not an http or https URL."));
        return;
    }
    const QString name = installerName(url);
    if (name.isEmpty()) {
        infolabel->setText(QStringLiteral("The lobby address names no file to download."));
        return;
    }
    if (folder_.isEmpty()) {
        infolabel->setText(QStringLiteral("There is no folder to download into."));
        return;
    }

    state_ = 1;
    fileName_ = name;
    infolabel2->setText(name);
    infolabel3->clear();
    QDir().mkpath(folder_);
    // The body goes to a temporary file beside the installer's place; an
    // earlier installer there stays until this one is complete.
    file_ = std::make_unique<QSaveFile>(QDir(folder_).filePath(name));
    if (!file_->open(QIODevice::WriteOnly)) {
        endDownload(
            QStringLiteral("Cannot write %1: %2").arg(file_->fileName(), file_->errorString()));
        return;
    }
    hash_.reset();
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QStringLiteral("Loading"));
    progress->setRange(0, 0);
    progress->show();

    const bool started = get_.start(url, [this](const char *piece, qint64 length) {
        if (file_->write(piece, length) != length)
            return false;
        hash_.addData(QByteArrayView(piece, length));
        return true;
    });
    if (!started)
        endDownload(get_.errorString());
}

void Tdownload::getFinished(const HttpGet::Result &result) {
    QString why;
    bool complete = result.complete() && file_;
    if (file_ && result.sinkFailed)
        why = QStringLiteral("Cannot write %1: %2").arg(file_->fileName(), file_->errorString());
    else if (!result.aborted && !result.error.isEmpty())
        why = result.error;
    // A short write may show only when the buffer goes out.
    if (complete && !file_->flush()) {
        complete = false;
        why = QStringLiteral("Cannot write %1: %2").arg(file_->fileName(), file_->errorString());
    }
    if (complete && !sha256_.isEmpty() && QString::fromLatin1(hash_.result().toHex()) != sha256_) {
        complete = false;
        why = QStringLiteral("The download does not have the SHA-256 that LobbySHA256 names.");
    }
    QString path;
    if (complete) {
        path = file_->fileName();
        if (!file_->commit()) {
            complete = false;
            why = QStringLiteral("Cannot write %1: %2").arg(path, file_->errorString());
        }
    }
    if (!complete) {
        endDownload(why);
        return;
    }
    file_.reset();
    infolabel->setText(QStringLiteral("Received %1 bytes").arg(QFileInfo(path).size()));
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    progress->hide();
    if (state_ != 2)
        install(path);
}

// A failed or stopped download: its temporary file goes, the buttons come
// back, and the reason, when there is one beyond a stop, is shown.
void Tdownload::endDownload(const QString &reason) {
    if (file_) {
        file_->cancelWriting();
        file_.reset();
    }
    state_ = 2;
    infolabel->setText(QStringLiteral("Download Aborted"));
    if (!reason.isEmpty()) {
        infolabel3->setText(reason);
        std::fprintf(stderr, "zorble: download aborted: %s\n", qPrintable(reason));
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    progress->hide();
}

void Tdownload::install(const QString &file) {
    infolabel3->setText(QStringLiteral("Installing"));
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::ReadOwner |
                                    QFileDevice::ExeOwner | QFileDevice::ExeUser);
    if (!QProcess::startDetached(file, installerArguments(), QFileInfo(file).absolutePath())) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}

// ---- The other buttons ------------------------------------------------------------

void Tdownload::abortbuttonClick() {
    get_.abort();
    infolabel->setText(QStringLiteral("Download has been aborted."));
    state_ = 2;
    infolabel3->setText(QStringLiteral("Download Aborted"));
}

void Tdownload::Button1Click() {
    close();
}

void Tdownload::Button2Click() {
    QString lobby = lobbyPath_.isEmpty() ? kDefaultLobby : lobbyPath_;
    if (!lobby.contains(QLatin1Char('/')))
        lobby = QStandardPaths::findExecutable(lobby);
    const QFileInfo info(lobby);
    if (lobby.isEmpty() || !info.isFile() || !info.isExecutable()) {
        showMessage(QStringLiteral("Please close the game and open the Vornex Lobby using the icon "
                                   "on your desktop or using the your Window's start-up menu."));
        return;
    }
    if (!QProcess::startDetached(info.absoluteFilePath(), {})) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}
