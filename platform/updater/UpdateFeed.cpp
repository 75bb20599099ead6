// One GET with a size cap and a time limit, then a strict reading of the two fields.
#include "platform/updater/UpdateFeed.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

#include <utility>

namespace huddlepod {

namespace {

std::optional<QList<qulonglong>> versionNumbers(const QString& text) {
    static const QRegularExpression dotted(QStringLiteral("^\\d{1,9}(\\.\\d{1,9})*$"));
    if (!dotted.match(text).hasMatch()) {
        return std::nullopt;
    }
    QList<qulonglong> numbers;
    for (const QString& part : text.split(QLatin1Char('.'))) {
        numbers.append(part.toULongLong());
    }
    return numbers;
}

UpdateCheckResult failed(QString reason) {
    UpdateCheckResult result;
    result.failureReason = std::move(reason);
    return result;
}

} // namespace

std::optional<int> compareVersions(const QString& left, const QString& right) {
    const auto a = versionNumbers(left);
    const auto b = versionNumbers(right);
    if (!a || !b) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < std::max(a->size(), b->size()); ++i) {
        const qulonglong x = i < a->size() ? a->at(i) : 0;
        const qulonglong y = i < b->size() ? b->at(i) : 0;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

bool isAllowedFeedUrl(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return true;
    }
    return scheme == QLatin1String("http") && QHostAddress(url.host()).isLoopback();
}

UpdateFeed::UpdateFeed(QUrl url, QNetworkAccessManager& network, std::chrono::milliseconds timeLimit,
                       QObject* parent)
    : QObject(parent)
    , url_(std::move(url))
    , network_(&network)
    , timeLimit_(timeLimit) {}

UpdateFeed::~UpdateFeed() {
    for (QNetworkReply* reply : {reply_.data(), ending_.data()}) {
        if (reply) {
            reply->disconnect(this);
            reply->deleteLater();
        }
    }
}

bool UpdateFeed::check(const QString& currentVersion, std::function<void(UpdateCheckResult)> done) {
    if (isChecking()) {
        return false;
    }
    currentVersion_ = currentVersion;
    done_ = std::move(done);
    if (!isAllowedFeedUrl(url_)) {
        QTimer::singleShot(0, this,
                           [this] { finish(failed(QStringLiteral("The update address must use https."))); });
        return true;
    }
    body_.clear();
    QNetworkRequest request(url_);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Accept", "application/json");
    QNetworkReply* reply = network_->get(request);
    // Qt buffers no more than one byte past the limit, so it stops taking data from the connection there
    // however long the answer runs; and no more than that is ever read.
    reply->setReadBufferSize(maximumSize + 1);
    reply_ = reply;
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this,
            [this] { end(failed(QStringLiteral("The update server took too long to answer."))); });
    timer->start(timeLimit_);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        readUpToLimit(*reply);
        if (body_.size() > maximumSize) {
            end(failed(QStringLiteral("The update information is too large.")));
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        readUpToLimit(*reply);
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (body_.size() > maximumSize) {
            end(failed(QStringLiteral("The update information is too large.")));
        } else if (reply->error() != QNetworkReply::NoError &&
                   (status == 0 || (status >= 200 && status <= 299))) {
            // No status, or a body that did not arrive whole.
            end(failed(reply->errorString()));
        } else if (status < 200 || status > 299) {
            end(failed(QStringLiteral("The update server answered with status %1.").arg(status)));
        } else {
            end(evaluate(body_));
        }
    });
    return true;
}

void UpdateFeed::readUpToLimit(QNetworkReply& reply) {
    body_ += reply.read(maximumSize + 1 - body_.size());
}

void UpdateFeed::end(UpdateCheckResult result) {
    if (!reply_) {
        return; // already ended
    }
    // Qt's abort() would finish the reply (and run whatever the answer opens) before it tells the network
    // to stop. So the reply is only let go of here; on a later turn, outside its signals, deleting it
    // closes the connection, and only then comes the answer: a prompt that runs its own event loop finds
    // the download over, and no limit depends on how long the prompt stays open.
    ending_ = std::exchange(reply_, nullptr);
    ending_->disconnect(this);
    body_.clear();
    QTimer::singleShot(0, this, [this, result = std::move(result)] {
        delete ending_.data();
        finish(result);
    });
}

UpdateCheckResult UpdateFeed::evaluate(const QByteArray& body) const {
    const QJsonDocument document = QJsonDocument::fromJson(body);
    const QJsonObject object = document.object();
    const QString version = object.value(QLatin1String("version")).toString();
    const QUrl page(object.value(QLatin1String("url")).toString(), QUrl::StrictMode);
    const std::optional<int> order = compareVersions(currentVersion_, version);
    if (!document.isObject() || !order || !isAllowedFeedUrl(page)) {
        return failed(QStringLiteral("The update information could not be read."));
    }
    UpdateCheckResult result;
    result.kind = *order < 0 ? UpdateCheckResult::Kind::available : UpdateCheckResult::Kind::upToDate;
    result.version = version;
    result.downloadPage = page;
    return result;
}

void UpdateFeed::finish(UpdateCheckResult result) {
    if (auto done = std::exchange(done_, nullptr)) {
        done(std::move(result));
    }
}

} // namespace huddlepod
