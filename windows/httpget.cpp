#include "windows/httpget.h"

#include <QSocketNotifier>

#include <curl/curl.h>

#include <algorithm>
#include <type_traits>

namespace {

constexpr char kAccept[] = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
constexpr char kUserAgent[] = "Mozilla/3.0 (compatible)";
constexpr char kProtocols[] = "http,https";
constexpr long kMaxRedirects = 5;

CURLM *multiOf(void *p) {
    return static_cast<CURLM *>(p);
}

CURL *easyOf(void *p) {
    return static_cast<CURL *>(p);
}

// Sets the flag for the time a curl callback runs: curl must not be asked to
// drop a transfer from within one of its own callbacks.
class InCallback {
public:
    explicit InCallback(bool &flag) : flag_(flag) { flag_ = true; }
    ~InCallback() { flag_ = false; }
    InCallback(const InCallback &) = delete;
    InCallback &operator=(const InCallback &) = delete;

private:
    bool &flag_;
};

} // namespace

HttpGet::HttpGet(QObject *parent) : QObject(parent) {
    // The callbacks are handed to curl as the function types it calls.
    static_assert(std::is_same_v<decltype(&HttpGet::socketCallback), curl_socket_callback>);
    static_assert(std::is_same_v<decltype(&HttpGet::timerCallback), curl_multi_timer_callback>);
    static_assert(std::is_same_v<decltype(&HttpGet::writeCallback), curl_write_callback>);
    static_assert(std::is_same_v<decltype(&HttpGet::headerCallback), curl_write_callback>);

    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &HttpGet::timeout);
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] {
        giveUp(QStringLiteral("Nothing came from the server for %1 seconds.")
                   .arg(double(limits_.idle.count()) / 1000));
    });
    total_.setSingleShot(true);
    connect(&total_, &QTimer::timeout, this, [this] {
        giveUp(QStringLiteral("The download took longer than %1 minutes.")
                   .arg(double(limits_.total.count()) / 60000));
    });
}

HttpGet::~HttpGet() {
    release();
    if (multi_)
        curl_multi_cleanup(multiOf(multi_));
}

// curl and its TLS libraries are set up at the first download, not when the
// download window is made: a game that downloads nothing never pays their
// memory.
bool HttpGet::setUp() {
    if (multi_)
        return true;
    // Once per process, before the first handle; the program has one thread.
    static const CURLcode global = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (global != CURLE_OK)
        return false;
    multi_ = curl_multi_init();
    if (!multi_)
        return false;
    curl_multi_setopt(multiOf(multi_), CURLMOPT_SOCKETFUNCTION, &HttpGet::socketCallback);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_TIMERFUNCTION, &HttpGet::timerCallback);
    curl_multi_setopt(multiOf(multi_), CURLMOPT_TIMERDATA, this);
    return true;
}

bool HttpGet::start(const QUrl &url, Sink sink) {
    if (running()) {
        error_ = QStringLiteral("A download is running already.");
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        error_ = QStringLiteral("Not an http or https address: %1").arg(url.toString());
        return false;
    }
    if (!setUp()) {
        error_ = QStringLiteral("The download library could not be set up.");
        return false;
    }
    CURL *easy = curl_easy_init();
    if (!easy) {
        error_ = QStringLiteral("The download library could not be set up.");
        return false;
    }
    easy_ = easy;
    url_ = url.toEncoded();
    sink_ = std::move(sink);
    received_ = 0;
    bodyStarted_ = false;
    aborted_ = false;
    sinkFailed_ = false;
    errorBuffer_[0] = '\0';
    error_.clear();
    limitError_.clear();

    // curl puts Host first and User-Agent from its own option; the custom
    // list replaces its default Accept line.
    headers_ = curl_slist_append(nullptr, kAccept);
    curl_easy_setopt(easy, CURLOPT_URL, url_.constData());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_PROXY, ""); // not even one from the environment
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpGet::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpGet::headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    // A body announced larger than the cap is refused before it comes; one
    // that comes without a length is counted (writeCallback).
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits_.maxBytes));

    // Adding the transfer sets curl's timer, whose first tick starts it.
    if (curl_multi_add_handle(multiOf(multi_), easy) != CURLM_OK) {
        release();
        error_ = QStringLiteral("The download could not be started.");
        return false;
    }
    idle_.start(limits_.idle);
    total_.start(limits_.total);
    return true;
}

void HttpGet::abort() {
    if (!running() || aborted_)
        return;
    aborted_ = true;
    // Within a callback the callback itself fails the transfer, and curl
    // reports it done.
    if (!inCallback_)
        finish(CURLE_ABORTED_BY_CALLBACK);
}

// ---- curl's calls ----------------------------------------------------------------

int HttpGet::socketCallback(void *, int socket, int what, void *self, void *) {
    static_cast<HttpGet *>(self)->watchSocket(socket, what);
    return 0;
}

int HttpGet::timerCallback(void *, long timeoutMs, void *self) {
    auto *get = static_cast<HttpGet *>(self);
    if (timeoutMs < 0)
        get->timer_.stop();
    else
        get->timer_.start(int(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

size_t HttpGet::writeCallback(char *data, size_t size, size_t count, void *self) {
    auto *get = static_cast<HttpGet *>(self);
    const size_t bytes = size * count;
    if (get->aborted_)
        return 0;
    InCallback guard(get->inCallback_);
    if (!get->bodyStarted_) {
        get->bodyStarted_ = true;
        emit get->bodyStarted();
    }
    if (get->aborted_)
        return 0;
    get->idle_.start(get->limits_.idle);
    if (qint64(bytes) > get->limits_.maxBytes - get->received_) {
        get->limitError_ = get->tooLarge();
        return 0;
    }
    if (!get->sink_(data, qint64(bytes))) {
        get->sinkFailed_ = true;
        return 0;
    }
    get->received_ += qint64(bytes);
    curl_off_t length = -1;
    if (curl_easy_getinfo(easyOf(get->easy_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) !=
        CURLE_OK)
        length = -1;
    emit get->bodyProgress(get->received_, qint64(length));
    return get->aborted_ ? 0 : bytes;
}

size_t HttpGet::headerCallback(char *data, size_t size, size_t count, void *self) {
    auto *get = static_cast<HttpGet *>(self);
    const size_t bytes = size * count;
    if (get->aborted_)
        return 0;
    InCallback guard(get->inCallback_);
    get->idle_.start(get->limits_.idle);
    QByteArray line(data, qsizetype(bytes));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    // The empty line ends a head.
    if (!line.isEmpty())
        emit get->headerLine(line);
    return get->aborted_ ? 0 : bytes;
}

// ---- The event loop's side -------------------------------------------------------

void HttpGet::watchSocket(int socket, int what) {
    if (what == CURL_POLL_REMOVE) {
        const auto it = sockets_.find(socket);
        if (it != sockets_.end()) {
            setNotifier(it->second.read, socket, true, false);
            setNotifier(it->second.write, socket, false, false);
            sockets_.erase(it);
        }
        return;
    }
    Watch &w = sockets_[socket];
    setNotifier(w.read, socket, true, what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    setNotifier(w.write, socket, false, what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void HttpGet::setNotifier(QSocketNotifier *&notifier, int socket, bool read, bool on) {
    if (on) {
        if (!notifier) {
            notifier = new QSocketNotifier(
                socket, read ? QSocketNotifier::Read : QSocketNotifier::Write, this);
            connect(notifier, &QSocketNotifier::activated, this,
                    [this, socket, read] { socketReady(socket, read); });
        }
        notifier->setEnabled(true);
    } else if (notifier) {
        // It may be the one whose signal runs now: it goes when that is over.
        notifier->setEnabled(false);
        notifier->deleteLater();
        notifier = nullptr;
    }
}

void HttpGet::socketReady(int socket, bool read) {
    if (!running())
        return;
    int stillRunning = 0;
    curl_multi_socket_action(multiOf(multi_), socket, read ? CURL_CSELECT_IN : CURL_CSELECT_OUT,
                             &stillRunning);
    checkDone();
}

void HttpGet::timeout() {
    if (!running())
        return;
    int stillRunning = 0;
    curl_multi_socket_action(multiOf(multi_), CURL_SOCKET_TIMEOUT, 0, &stillRunning);
    checkDone();
}

void HttpGet::giveUp(const QString &reason) {
    if (!running() || aborted_)
        return;
    limitError_ = reason;
    finish(CURLE_OPERATION_TIMEDOUT);
}

QString HttpGet::tooLarge() const {
    return QStringLiteral("The download is larger than %1 bytes.").arg(limits_.maxBytes);
}

void HttpGet::checkDone() {
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(multiOf(multi_), &left)) {
        if (message->msg == CURLMSG_DONE && running() && message->easy_handle == easy_) {
            finish(message->data.result);
            return;
        }
    }
}

void HttpGet::finish(int code) {
    Result result;
    long status = 0;
    if (curl_easy_getinfo(easyOf(easy_), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
        result.status = status;
    result.aborted = aborted_;
    result.sinkFailed = sinkFailed_;
    if (code == CURLE_FILESIZE_EXCEEDED)
        limitError_ = tooLarge();
    if (!limitError_.isEmpty())
        result.error = limitError_;
    else if (code != CURLE_OK)
        result.error = errorBuffer_[0] ? QString::fromLocal8Bit(errorBuffer_)
                                       : QString::fromLatin1(curl_easy_strerror(CURLcode(code)));
    release();
    QMetaObject::invokeMethod(
        this, [this, result] { emit finished(result); }, Qt::QueuedConnection);
}

void HttpGet::release() {
    if (easy_) {
        // Removing the transfer lets curl drop its sockets' watches.
        curl_multi_remove_handle(multiOf(multi_), easyOf(easy_));
        curl_easy_cleanup(easyOf(easy_));
        easy_ = nullptr;
    }
    for (auto &[socket, watch] : sockets_) {
        setNotifier(watch.read, socket, true, false);
        setNotifier(watch.write, socket, false, false);
    }
    sockets_.clear();
    timer_.stop();
    idle_.stop();
    total_.stop();
    if (headers_) {
        curl_slist_free_all(static_cast<curl_slist *>(headers_));
        headers_ = nullptr;
    }
    sink_ = nullptr;
}
