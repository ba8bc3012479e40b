#pragma once

#include "windows/httpget.h"

#include <QCryptographicHash>
#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QSaveFile;

// The lobby download window, shown beside a solo game: it downloads the
// lobby's installer and runs it, starts an installed lobby, or lets the
// player go on alone. Either way of starting the lobby ends the game
// (exitRequested()).
//
// The installer comes in with the window usable all along. Its body goes to
// a temporary file in the download folder, which takes the installer's name
// only when the transfer completed with a status below 400 (and, when a
// SHA-256 is configured, the body has it); anything else leaves no file that
// could be run. A body larger than 256 MiB, a server silent for a minute and
// a transfer longer than half an hour end it as "Download Aborted", with the
// reason on standard error too.
class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(QWidget *parent = nullptr);
    ~Tdownload() override;

    // The settings: the installer's address (none: nothing is downloaded),
    // the installed lobby (empty: "vornexlobby" on the PATH; a name without
    // a folder is looked for there too) and the SHA-256 the installer must
    // have (empty: any).
    void setLobby(const QString &url, const QString &path, const QString &sha256);
    void setDownloadFolder(const QString &folder) { folder_ = folder; }
    // The download's limits (a size cap, an idle and an overall time-out).
    void setLimits(const HttpGet::Limits &limits) { get_.setLimits(limits); }
    QString downloadFolder() const { return folder_; }

    // 1 while downloading, 2 after a stop or a failure, 0 before either.
    int state() const { return state_; }

    // The buttons' handlers.
    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();

    // The arguments the installer runs with.
    static QStringList installerArguments();

signals:
    // A lobby or its installer started: the game ends as File > Exit ends it.
    void exitRequested();

private:
    void getFinished(const HttpGet::Result &result);
    void install(const QString &file);
    void endDownload(const QString &reason);
    void showMessage(const QString &text);

    QString url_;
    QString lobbyPath_;
    QString sha256_; // lower-case hexadecimal
    QString folder_;
    int state_ = 0;
    QString fileName_;
    std::unique_ptr<QSaveFile> file_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    // Declared after the file, so that it goes first: a transfer that runs
    // when the window goes is aborted before the file is dropped.
    HttpGet get_;

    QPushButton *getbutton = nullptr;
    QPushButton *abortbutton = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel2 = nullptr;
    QLabel *infolabel3 = nullptr;
    QProgressBar *progress = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
};
