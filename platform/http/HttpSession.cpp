// Sending requests through Qt's network manager, with cancellation and time-outs, classified by status.
#include "platform/http/HttpSession.h"

#include "platform/async/AwaitState.h"
#include "platform/http/TieredNetworkCache.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <coroutine>
#include <utility>
#include <vector>

namespace huddlepod {

namespace {

const char* const sessionEndedText = "Operation canceled";

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

// The wait for a reply to finish, or to be stopped: by the caller's token, the deadline, a redirect away
// from the origin or the session's end.
//
// A stopped reply is never aborted: Qt may already have posted the error that ends it (a failed
// connection, an error status), and abort() reports one of its own, so Qt would report a second error
// and warn about it. The task lets go of the reply instead, and deleting it ends its transfer quietly.
class ReplyFinished {
public:
    enum class Stop { none, cancelled, timedOut, redirectRefused, sessionEnded };

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

// The error Qt gives a complete answer for its status alone (none for 1xx to 3xx). Any other error ends a
// reply that is no answer, whatever status came first: a dropped connection, a body that fails its
// Content-Encoding…
QNetworkReply::NetworkError errorForStatus(int status) {
    switch (status) {
    case 400:
    case 418:
        return QNetworkReply::ProtocolInvalidOperationError;
    case 401:
        return QNetworkReply::AuthenticationRequiredError;
    case 403:
        return QNetworkReply::ContentAccessDenied;
    case 404:
        return QNetworkReply::ContentNotFoundError;
    case 405:
        return QNetworkReply::ContentOperationNotPermittedError;
    case 407:
        return QNetworkReply::ProxyAuthenticationRequiredError;
    case 409:
        return QNetworkReply::ContentConflictError;
    case 410:
        return QNetworkReply::ContentGoneError;
    case 500:
        return QNetworkReply::InternalServerError;
    case 501:
        return QNetworkReply::OperationNotImplementedError;
    case 503:
        return QNetworkReply::ServiceUnavailableError;
    default:
        if (status > 500)
            return QNetworkReply::UnknownServerError;
        if (status >= 400)
            return QNetworkReply::UnknownContentError;
        return QNetworkReply::NoError;
    }
}

int defaultPort(const QUrl& url) {
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

// A redirect keeps the request (and its key) within the scheme, host and port it was sent to.
bool isSameOrigin(const QUrl& from, const QUrl& to) {
    return from.scheme() == to.scheme() && from.host() == to.host() && defaultPort(from) == defaultPort(to);
}

QCoro::Task<HttpResponse> awaitReply(QNetworkReply* started, std::chrono::milliseconds totalTimeout,
                                     CancellationToken token, CancellationToken sessionEnd) {
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(started);
    ReplyFinished finished(reply.get(), std::move(token), std::move(sessionEnd));
    // Parented to the reply: the timer must outlive this frame, which may end inside its signal.
    auto* deadline = new QTimer(reply.get());
    deadline->setSingleShot(true);
    finished.own(QObject::connect(deadline, &QTimer::timeout, reply.get(), [&finished] {
        finished.stop(ReplyFinished::Stop::timedOut, ReplyFinished::Release::later);
    }));
    deadline->start(totalTimeout);
    // Redirects wait for a verdict (see send()); one to another origin is the answer, with its own status.
    finished.own(QObject::connect(
        reply.get(), &QNetworkReply::redirected, reply.get(),
        [&finished, replyPointer = reply.get(), origin = reply->url()](const QUrl& target) {
            if (isSameOrigin(origin, target))
                emit replyPointer->redirectAllowed();
            else
                finished.stop(ReplyFinished::Stop::redirectRefused, ReplyFinished::Release::later);
        }));

    co_await AwaitState{&finished};
    deadline->stop();

    switch (finished.stopped()) {
    case ReplyFinished::Stop::cancelled:
        throw CancelledError();
    case ReplyFinished::Stop::timedOut:
        throw HttpTransportError("The request timed out.");
    case ReplyFinished::Stop::sessionEnded:
        throw HttpTransportError(sessionEndedText);
    case ReplyFinished::Stop::redirectRefused:
        co_return HttpResponse{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), {}};
    case ReplyFinished::Stop::none:
        break;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() && reply->error() == QNetworkReply::NoError)
        throw HttpTransportError("Non-HTTP response");
    if (!status.isValid() ||
        (reply->error() != QNetworkReply::NoError && reply->error() != errorForStatus(status.toInt())))
        throw HttpTransportError(reply->errorString().toStdString());
    co_return HttpResponse{status.toInt(), reply->readAll()};
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
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = nullptr;
    if (method == "GET")
        reply = m_manager->get(request);
    else if (method == "HEAD")
        reply = m_manager->head(request);
    else if (method == "POST")
        reply = m_manager->post(request, body);
    else
        reply = m_manager->sendCustomRequest(request, method, body);
    co_return co_await awaitReply(reply, m_options.totalTimeout, std::move(token), m_ended.token());
}

} // namespace huddlepod
