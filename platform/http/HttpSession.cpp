// Sending requests through Qt's network manager, with cancellation and time-outs, classified by status.
#include "platform/http/HttpSession.h"

#include "platform/async/AwaitState.h"
#include "platform/http/ContentDecoding.h"
#include "platform/http/JsonShape.h"
#include "platform/http/TieredNetworkCache.h"

#include <QAbstractNetworkCache>
#include <QDeadlineTimer>
#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace huddlepod {

namespace {

const char* const sessionEndedText = "Operation canceled";

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

constexpr int maximumRedirects = 10;

// What Qt may hold of a body that has not been taken yet.
constexpr qint64 readBufferSize = 256 * 1024;

// The most one read takes: Qt's read(n) reserves n bytes however few are there.
constexpr qint64 readPiece = 64 * 1024;

// The wait for a reply to finish, or to be stopped: by the caller's token, the deadline or the session's
// end.
//
// A stopped reply is never aborted: Qt may already have posted the error that ends it (a failed
// connection, an error status), and abort() reports one of its own, so Qt would report a second error
// and warn about it. The task lets go of the reply instead, and deleting it ends its transfer quietly.
class ReplyFinished {
public:
    enum class Stop { none, cancelled, timedOut, sessionEnded, tooLarge };

    ReplyFinished(QNetworkReply* reply, CancellationToken token, CancellationToken sessionEnd)
        : m_reply(reply)
        , m_token(std::move(token))
        , m_sessionEnd(std::move(sessionEnd)) {}

    ReplyFinished(const ReplyFinished&) = delete;
    ReplyFinished& operator=(const ReplyFinished&) = delete;

    // The reply outlives this wait when it is deleted later: none of its signals may reach here then.
    ~ReplyFinished() {
        for (const QMetaObject::Connection& connection : m_connections)
            QObject::disconnect(connection);
    }

    // Ends a connection that calls into this object along with it.
    void own(QMetaObject::Connection connection) { m_connections.push_back(std::move(connection)); }

    bool ready() const { return m_reply->isFinished(); }

    void suspend(std::coroutine_handle<> waiter) {
        m_waiter = waiter;
        m_connection = QObject::connect(m_reply, &QNetworkReply::finished, [this] { wake(); });
        m_registration = m_token.onCancel([this] { stop(Stop::cancelled, Release::now); });
        m_sessionRegistration = m_sessionEnd.onCancel([this] { stop(Stop::sessionEnded, Release::now); });
    }

    void resume() const {}

    // Inside the reply's own signals (or its children's) the reply is deleted later, otherwise at once.
    enum class Release { now, later };

    // Ends the wait at once; this object is gone afterwards.
    void stop(Stop reason, Release release) {
        if (m_stop != Stop::none || !m_waiter)
            return;
        m_stop = reason;
        const QPointer<QNetworkReply> reply(m_reply);
        wake(); // the task ends and lets go of the reply
        if (release == Release::now)
            delete reply.data();
    }

    Stop stopped() const { return m_stop; }

private:
    void wake() {
        QObject::disconnect(m_connection);
        m_registration.reset();
        m_sessionRegistration.reset();
        std::exchange(m_waiter, {}).resume();
    }

    QNetworkReply* m_reply;
    CancellationToken m_token;
    CancellationToken m_sessionEnd;
    std::coroutine_handle<> m_waiter;
    QMetaObject::Connection m_connection;
    std::vector<QMetaObject::Connection> m_connections;
    CancellationRegistration m_registration;
    CancellationRegistration m_sessionRegistration;
    Stop m_stop = Stop::none;
};

int defaultPort(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

// A redirect keeps the request (and its key) within the scheme, host and port it was sent to.
bool isSameOrigin(const QUrl& from, const QUrl& to) {
    return from.scheme() == to.scheme() && from.host() == to.host() && defaultPort(from) == defaultPort(to);
}

// An answer, or where it sends the request instead, or a stored copy that turned out broken (and is
// gone now): then the network is asked.
struct Answer {
    HttpResponse response;
    std::optional<QUrl> redirect;
    bool brokenCopy = false;
};

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

// Where a redirect sends the request: none without a Location, or with an empty one.
std::optional<QUrl> redirectTarget(const QNetworkReply& reply) {
    const QUrl target = reply.attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply.rawHeader("Location").trimmed().isEmpty() || target.isEmpty())
        return std::nullopt;
    return reply.url().resolved(target);
}

// Qt ends a body without a length (chunked, or until the connection closes) at a closed connection as
// if it were whole, so one that ends early is told by its own shape: its outermost encoding's stream, or
// without one a JSON body's shape. An encoded stream that ended whole was not cut, whatever it holds.
bool endsEarly(const QNetworkReply& reply, const ContentDecoding::Decoded& decoded) {
    if (decoded.layers > 0)
        return decoded.endedEarly;
    const QByteArray type = reply.header(QNetworkRequest::ContentTypeHeader).toByteArray().toLower();
    const QByteArray mediaType = type.left(type.indexOf(';')).trimmed();
    const bool json = mediaType == "application/json" || mediaType.endsWith("+json");
    const bool chunked = reply.rawHeader("Transfer-Encoding").toLower().contains("chunked");
    return json && decoded.body && (chunked || !decoded.body->isEmpty()) &&
           JsonShape::endsEarly(*decoded.body);
}

QCoro::Task<Answer> awaitReply(QNetworkReply* started, QByteArray method, QDeadlineTimer deadlineTime,
                               const HttpSession::Options& options, CancellationToken token,
                               CancellationToken sessionEnd) {
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(started);
    ReplyFinished finished(reply.get(), std::move(token), std::move(sessionEnd));
    // The body is taken as it comes, and Qt takes no more than a small buffer from the connection
    // meanwhile: past the ceiling nothing more is read, and the connection goes with the reply.
    const qint64 ceiling = options.maximumAnswerSize;
    reply->setReadBufferSize(readBufferSize);
    // A request with a body starts on a later turn, and Qt's network thread hears of the size only from
    // then on: it is said again once the request has started.
    QMetaObject::invokeMethod(
        reply.get(), [started = reply.get()] { started->setReadBufferSize(readBufferSize); },
        Qt::QueuedConnection);
    QByteArray received;
    const auto tooLarge = [&finished] {
        finished.stop(ReplyFinished::Stop::tooLarge, ReplyFinished::Release::later);
    };
    const auto take = [&reply, &received, ceiling] {
        while (reply->isOpen() && received.size() <= ceiling) {
            const qint64 wanted =
                std::min({reply->bytesAvailable(), readPiece, ceiling + 1 - received.size()});
            if (wanted <= 0)
                break;
            received += reply->read(wanted);
        }
        return received.size() > ceiling;
    };
    finished.own(QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [take, tooLarge] {
        if (take())
            tooLarge();
    }));
    finished.own(QObject::connect(
        reply.get(), &QNetworkReply::metaDataChanged, reply.get(), [&reply, ceiling, tooLarge] {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            bool known = false;
            const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
            if (isSuccess(status) && known && announced > ceiling)
                tooLarge();
        }));
    // Parented to the reply: the timer must outlive this frame, which may end inside its signal.
    auto* deadline = new QTimer(reply.get());
    deadline->setSingleShot(true);
    finished.own(QObject::connect(deadline, &QTimer::timeout, reply.get(), [&finished] {
        finished.stop(ReplyFinished::Stop::timedOut, ReplyFinished::Release::later);
    }));
    deadline->start(std::chrono::milliseconds(deadlineTime.remainingTime()));

    co_await AwaitState{&finished};
    deadline->stop();

    switch (finished.stopped()) {
    case ReplyFinished::Stop::cancelled:
        throw CancelledError();
    case ReplyFinished::Stop::timedOut:
        throw HttpTransportError("The request timed out.");
    case ReplyFinished::Stop::sessionEnded:
        throw HttpTransportError(sessionEndedText);
    case ReplyFinished::Stop::tooLarge:
    case ReplyFinished::Stop::none:
        break;
    }
    // Classified by the status, whatever error Qt adds to it; without a status there is no answer.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    if (!status.isValid())
        throw HttpTransportError(error == QNetworkReply::NoError ? "Non-HTTP response"
                                                                 : reply->errorString().toStdString());
    const int code = status.toInt();
    // A success past the ceiling is refused; of an error, only the start of what was read is shown.
    take();
    const QByteArray raw = std::move(received);
    if (isSuccess(code) && (finished.stopped() == ReplyFinished::Stop::tooLarge || raw.size() > ceiling)) {
        if (QAbstractNetworkCache* cache = reply->manager()->cache())
            cache->remove(reply->url());
        throw HttpTransportError("The answer is too large.");
    }
    if (isRedirect(code)) {
        if (std::optional<QUrl> target = redirectTarget(*reply))
            co_return Answer{HttpResponse{code, {}, reply->url()}, std::move(target)};
    }
    const QByteArray encoding = reply->rawHeader("Content-Encoding");
    if (!isSuccess(code)) {
        ContentDecoding::Limits start{ceiling, options.errorBodyStart};
        const std::optional<QByteArray> shown = method == "HEAD"
                                                    ? std::optional(raw.left(options.errorBodyStart))
                                                    : ContentDecoding::decode(raw, encoding, start).body;
        co_return Answer{HttpResponse{code, shown.value_or(QByteArray()), reply->url()}, {}};
    }
    ContentDecoding::Decoded decoded =
        method == "HEAD" ? ContentDecoding::Decoded{raw} : ContentDecoding::decode(raw, encoding, {ceiling});

    // A success must have arrived whole (no error part-way, all the bytes it announced) and decode; one
    // that did not is no answer, one that does not decode is of no use. Neither is kept for later.
    bool ok = false;
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&ok);
    std::string cut;
    if (error != QNetworkReply::NoError)
        cut = reply->errorString().toStdString();
    else if (method != "HEAD" && ok && raw.size() < announced)
        cut = "Connection closed";
    else if (method != "HEAD" && !ok && endsEarly(*reply, decoded))
        cut = "Connection closed";
    if (!cut.empty() || !decoded.body) {
        if (QAbstractNetworkCache* cache = reply->manager()->cache())
            cache->remove(reply->url());
        if (reply->attribute(QNetworkRequest::SourceIsFromCacheAttribute).toBool())
            co_return Answer{{}, {}, true};
        if (!cut.empty())
            throw HttpTransportError(cut);
        throw HttpContentError("The answer does not decode as " + encoding.toStdString() + ".");
    }
    co_return Answer{HttpResponse{code, std::move(*decoded.body), reply->url()}, {}};
}

} // namespace

QString HttpSession::defaultCacheDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Huddlepod/http");
}

HttpSession::HttpSession()
    : HttpSession(Options{}) {}

HttpSession::HttpSession(Options options)
    : m_options(std::move(options))
    , m_manager(std::make_unique<QNetworkAccessManager>()) {
    if (m_options.cacheDirectory.isEmpty())
        m_options.cacheDirectory = defaultCacheDirectory();
    m_cache = new TieredNetworkCache(m_options.cacheDirectory, m_options.memoryCacheCapacity,
                                     m_options.diskCacheCapacity);
    m_manager->setCache(m_cache);
    m_manager->setTransferTimeout(int(m_options.transferTimeout.count()));
}

HttpSession::~HttpSession() {
    // Wakes every task still waiting; one that tries another request is refused at once. The replies
    // go with the manager.
    m_ended.cancel();
}

QCoro::Task<HttpResponse> HttpSession::send(QNetworkRequest request, QByteArray method, QByteArray body,
                                            CancellationToken token) {
    token.throwIfCancelled();
    if (m_ended.isCancelled())
        throw HttpTransportError(sessionEndedText);
    // Redirects are followed here, one request at a time, so that each hop is checked and counted.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // Bodies come as sent, and are decoded here (see awaitReply).
    if (!request.hasRawHeader("Accept-Encoding"))
        request.setRawHeader("Accept-Encoding", ContentDecoding::acceptedEncodings);
    const QUrl origin = request.url();
    const QDeadlineTimer deadline(m_options.totalTimeout);
    bool askedNetwork = false;
    for (int redirects = 0;; ++redirects) {
        QNetworkReply* reply = nullptr;
        if (method == "GET")
            reply = m_manager->get(request);
        else if (method == "HEAD")
            reply = m_manager->head(request);
        else if (method == "POST")
            reply = m_manager->post(request, body);
        else
            reply = m_manager->sendCustomRequest(request, method, body);
        Answer answer = co_await awaitReply(reply, method, deadline, m_options, token, m_ended.token());
        if (answer.brokenCopy && !askedNetwork) {
            askedNetwork = true;
            request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
            continue;
        }
        if (answer.brokenCopy)
            throw HttpTransportError("The stored answer is broken.");
        if (!answer.redirect)
            co_return std::move(answer.response);
        // A redirect elsewhere is the answer, unanswered: the request and its key stay with the origin.
        if (!isSameOrigin(origin, *answer.redirect))
            co_return std::move(answer.response);
        if (redirects == maximumRedirects)
            throw HttpTransportError("Too many redirects.");
        request.setUrl(*answer.redirect);
        const int status = answer.response.status;
        if ((status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST")) {
            method = "GET";
            body.clear();
            request.setHeader(QNetworkRequest::ContentTypeHeader, QVariant());
        }
    }
}

} // namespace huddlepod
