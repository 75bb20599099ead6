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

namespace huddlepod {

namespace {

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

// The wait for a reply to finish; a cancelled token aborts the reply, which finishes it at once.
class ReplyFinished {
public:
    ReplyFinished(QNetworkReply* reply, CancellationToken token)
        : m_reply(reply)
        , m_token(std::move(token)) {}

    ReplyFinished(const ReplyFinished&) = delete;
    ReplyFinished& operator=(const ReplyFinished&) = delete;

    bool ready() const { return m_reply->isFinished(); }

    void suspend(std::coroutine_handle<> waiter) {
        m_connection = QObject::connect(m_reply, &QNetworkReply::finished, [this, waiter] {
            QObject::disconnect(m_connection);
            m_registration.reset();
            waiter.resume();
        });
        m_registration = m_token.onCancel([this] {
            m_cancelled = true;
            m_reply->abort();
        });
    }

    void resume() const {}

    bool cancelled() const { return m_cancelled; }

private:
    QNetworkReply* m_reply;
    CancellationToken m_token;
    QMetaObject::Connection m_connection;
    CancellationRegistration m_registration;
    bool m_cancelled = false;
};

// Qt's connection-level failures (connection refused or closed, time-outs, TLS, proxies). A reply that
// fails this way after its headers arrived carries a status but an incomplete body; it is no answer.
bool isConnectionFailure(QNetworkReply::NetworkError error) {
    return error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

QCoro::Task<HttpResponse> awaitReply(QNetworkReply* started, std::chrono::milliseconds totalTimeout,
                                     CancellationToken token) {
    const std::unique_ptr<QNetworkReply, DeleteLater> reply(started);
    bool timedOut = false;
    // Parented to the reply: the timer must outlive this frame, which may end inside its signal.
    auto* deadline = new QTimer(reply.get());
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply.get(), [&timedOut, replyPointer = reply.get()] {
        timedOut = true;
        replyPointer->abort();
    });
    deadline->start(totalTimeout);

    ReplyFinished finished(reply.get(), std::move(token));
    co_await AwaitState{&finished};
    deadline->stop();

    if (finished.cancelled())
        throw CancelledError();
    if (timedOut)
        throw HttpTransportError("The request timed out.");
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (isConnectionFailure(reply->error()) || !status.isValid()) {
        if (reply->error() == QNetworkReply::NoError)
            throw HttpTransportError("Non-HTTP response");
        throw HttpTransportError(reply->errorString().toStdString());
    }
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
    // Abort until nothing is left: a task woken by an abort may start another request.
    for (;;) {
        QList<QPointer<QNetworkReply>> running;
        for (QNetworkReply* reply : m_manager->findChildren<QNetworkReply*>()) {
            if (!reply->isFinished())
                running.append(reply);
        }
        if (running.isEmpty())
            break;
        for (const QPointer<QNetworkReply>& reply : running) {
            if (reply)
                reply->abort();
        }
    }
}

QCoro::Task<HttpResponse> HttpSession::send(QNetworkRequest request, QByteArray method, QByteArray body,
                                            CancellationToken token) {
    token.throwIfCancelled();
    QNetworkReply* reply = nullptr;
    if (method == "GET")
        reply = m_manager->get(request);
    else if (method == "HEAD")
        reply = m_manager->head(request);
    else if (method == "POST")
        reply = m_manager->post(request, body);
    else
        reply = m_manager->sendCustomRequest(request, method, body);
    co_return co_await awaitReply(reply, m_options.totalTimeout, std::move(token));
}

} // namespace huddlepod
