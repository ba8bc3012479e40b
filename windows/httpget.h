#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <map>

class QSocketNotifier;

// One HTTP GET at a time, made by libcurl. curl's multi interface runs on the
// Qt event loop: a socket notifier for each socket curl asks to watch, and a
// single-shot timer for the timeouts curl asks for. Nothing blocks and no
// thread is started, so the windows stay usable while the body comes in.
//
// The request is HTTP/1.0 with three header lines and no others: Host,
// "User-Agent: Mozilla/3.0 (compatible)" and "Accept: image/gif,
// image/x-xbitmap, image/jpeg, image/pjpeg, */*". No proxy, no cookies, no
// compression; redirects to http and https addresses are followed, at most
// five.
//
// A transfer has limits: a body larger than a cap, a server that sends
// nothing for a while, and a transfer that takes too long are each given up
// on, with the reason as the result's error.
class HttpGet : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes = qint64(256) << 20;             // of the body
        std::chrono::milliseconds idle{60 * 1000};       // without a byte from the server
        std::chrono::milliseconds total{30 * 60 * 1000}; // from the start to the body's end
    };

    // Takes each piece of the body as it comes; false stops the transfer.
    using Sink = std::function<bool(const char *data, qint64 size)>;

    struct Result {
        long status = 0;         // of the last response, 0 when none came
        bool aborted = false;    // abort() stopped it
        bool sinkFailed = false; // the sink refused a piece
        QString error;           // empty when the transfer ran to its end
        // The body came whole with a status below 400.
        bool complete() const {
            return !aborted && !sinkFailed && error.isEmpty() && status > 0 && status < 400;
        }
    };

    explicit HttpGet(QObject *parent = nullptr);
    // A running transfer is aborted; finished() is not emitted then.
    ~HttpGet() override;

    // Starts the GET. False, with the reason in errorString(), when a
    // transfer runs already, the address is not http or https, or curl
    // cannot set it up.
    bool start(const QUrl &url, Sink sink);
    // Stops the running transfer; finished() reports it from the event loop.
    void abort();
    // The limits of the transfers started from now on.
    void setLimits(const Limits &limits) { limits_ = limits; }
    const Limits &limits() const { return limits_; }
    bool running() const { return easy_ != nullptr; }
    QString errorString() const { return error_; }

signals:
    // One line of a response head, the status line included, without its
    // line end.
    void headerLine(const QByteArray &line);
    // The first piece of the body arrived.
    void bodyStarted();
    // Body bytes so far, and the length the response announced (-1 when it
    // announced none).
    void bodyProgress(qint64 received, qint64 total);
    // The transfer is over; always delivered from the event loop, never from
    // within start() or abort().
    void finished(const HttpGet::Result &result);

private:
    struct Watch {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    bool setUp();
    static int socketCallback(void *easy, int socket, int what, void *self, void *);
    static int timerCallback(void *multi, long timeoutMs, void *self);
    static size_t writeCallback(char *data, size_t size, size_t count, void *self);
    static size_t headerCallback(char *data, size_t size, size_t count, void *self);

    void watchSocket(int socket, int what);
    void setNotifier(QSocketNotifier *&notifier, int socket, bool read, bool on);
    void socketReady(int socket, bool read);
    void timeout();
    // Gives the running transfer up (outside curl's callbacks) for a reason.
    void giveUp(const QString &reason);
    QString tooLarge() const;
    void checkDone();
    void finish(int code);
    void release();

    void *multi_ = nullptr; // CURLM
    void *easy_ = nullptr;  // CURL, while a transfer runs
    void *headers_ = nullptr;
    std::map<int, Watch> sockets_;
    QTimer timer_;
    Limits limits_;
    QTimer idle_;        // runs out when the server has sent nothing for limits_.idle
    QTimer total_;       // runs out limits_.total after the start
    QString limitError_; // why a limit ended the transfer
    Sink sink_;
    qint64 received_ = 0;
    bool bodyStarted_ = false;
    bool aborted_ = false;
    bool sinkFailed_ = false;
    bool inCallback_ = false;
    QByteArray url_;
    char errorBuffer_[256] = {};
    QString error_;
};
