// The HTTP session every backend request goes through: one network manager, a response cache, time-outs.
#pragma once

#include "platform/async/Cancellation.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <memory>
#include <stdexcept>

class QNetworkAccessManager;

namespace huddlepod {

class TieredNetworkCache;

// A request that produced no HTTP answer (no connection, time-out, dropped connection, TLS failure…).
class HttpTransportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A success that arrived but whose body cannot be read: an encoding not undone, or more than the answer may
// decode to.
class HttpContentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An HTTP answer of any status.
struct HttpResponse {
    int status = 0;
    QByteArray body;
    // The URL that gave this answer, redirects followed: the key it is cached under.
    QUrl url;
};

class HttpSession {
public:
    struct Options {
        // Longest wait for further data on a request (idle), and longest a request may take in all.
        std::chrono::milliseconds transferTimeout{8000};
        std::chrono::milliseconds totalTimeout{60000};
        // The on-disk response cache; empty means defaultCacheDirectory().
        QString cacheDirectory;
        qint64 memoryCacheCapacity = 20'000'000;
        qint64 diskCacheCapacity = 100'000'000;
        // The most bytes an answer may bring, as sent and as decoded (over all its encodings together,
        // which ContentDecoding::allowance bounds further by what arrived): far above the largest answer a
        // full league gives (some 64 KB, a season's schedule). Reading stops there.
        qint64 maximumAnswerSize = defaultMaximumAnswerSize;
        // How much of an error answer's body is decoded and returned: its start is all that is shown.
        qsizetype errorBodyStart = 512;
    };

    static constexpr qint64 defaultMaximumAnswerSize = 16 * 1024 * 1024;

    // $XDG_CACHE_HOME/Huddlepod/http (~/.cache/Huddlepod/http by default).
    static QString defaultCacheDirectory();

    HttpSession();
    explicit HttpSession(Options options);
    // Ends the requests still in flight; their awaiting tasks get an HttpTransportError.
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // Sends `request` with `method` ("GET", "HEAD", "POST", …) and `body`, and awaits the whole answer,
    // its Content-Encoding undone. An answer outside 200…299 is returned with its status whatever became
    // of its body: only its first errorBodyStart bytes, empty when they do not decode. Throws
    // HttpTransportError when there is no status, for a redirect loop, for a success larger than
    // maximumAnswerSize as sent (read no further) and for a success that did not arrive whole (a
    // connection that failed or timed out part-way, fewer bytes than its Content-Length, a body without a
    // length whose outermost encoding or, without one, whose JSON ends early); HttpContentError for a
    // success that arrived but does not decode (see ContentDecoding::decode); and CancelledError when
    // `token` is cancelled (the request ends at once).
    // Redirects are followed within the request's scheme, host and port only; a redirect elsewhere, or
    // one without a Location, is returned as the answer. The request's own cache attributes apply; by default
    // responses are stored and reused as their caching headers allow.
    QCoro::Task<HttpResponse> send(QNetworkRequest request, QByteArray method, QByteArray body = {},
                                   CancellationToken token = {});

    const Options& options() const { return m_options; }
    QNetworkAccessManager& manager() { return *m_manager; }
    TieredNetworkCache& cache() { return *m_cache; }

private:
    Options m_options;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    TieredNetworkCache* m_cache; // owned by m_manager
    CancellationSource m_ended;  // cancelled when the session goes
};

} // namespace huddlepod
