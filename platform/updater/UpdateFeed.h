// Asks the update feed which version is the newest: a small JSON document {"version": "1.2.0",
// "url": "https://…/download"}. Nothing is ever downloaded or installed; a newer version is only named.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace huddlepod {

struct UpdateCheckResult {
    enum class Kind { available, upToDate, failed };
    Kind kind = Kind::failed;
    QString version;       // the feed's newest version (available, upToDate)
    QUrl downloadPage;     // where to get it (available)
    QString failureReason; // why the check failed (failed)
};

// Number by number ("1.10" is newer than "1.9"; missing numbers count as 0); none unless both are dotted
// decimal numbers.
std::optional<int> compareVersions(const QString& left, const QString& right);

// https only; plain http only to a loopback address.
bool isAllowedFeedUrl(const QUrl& url);

class UpdateFeed : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 maximumSize = 64 * 1024;
    static constexpr std::chrono::milliseconds standardTimeLimit{10'000};

    UpdateFeed(QUrl url, QNetworkAccessManager& network,
               std::chrono::milliseconds timeLimit = standardTimeLimit, QObject* parent = nullptr);
    ~UpdateFeed() override;

    const QUrl& url() const { return url_; }
    bool isChecking() const { return static_cast<bool>(done_); }

    // Compares the feed's version with ours; the answer comes once, on the event loop, unless a check is
    // already running (then false and nothing happens).
    bool check(const QString& currentVersion, std::function<void(UpdateCheckResult)> done);

private:
    // Reads what has arrived, up to one byte past the limit.
    void readUpToLimit(QNetworkReply& reply);
    // Closes the connection, and answers on a later turn.
    void end(UpdateCheckResult result);
    void finish(UpdateCheckResult result);
    UpdateCheckResult evaluate(const QByteArray& body) const;

    QUrl url_;
    QNetworkAccessManager* network_;
    std::chrono::milliseconds timeLimit_;
    QPointer<QNetworkReply> reply_;
    QPointer<QNetworkReply> ending_; // let go of, deleted before the answer
    QByteArray body_;
    QString currentVersion_;
    std::function<void(UpdateCheckResult)> done_;
};

} // namespace huddlepod
