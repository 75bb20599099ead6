// Update checks for the settings window: a user-initiated check with its answers, an optional daily check in
// the background, and whether a check can start now. The feed only names the newest version and its download
// page; the page is opened in the browser when the user agrees, and nothing is downloaded or installed.
#pragma once

#include "platform/updater/UpdateFeed.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QSettings;

namespace huddlepod {

class UpdaterController : public QObject {
    Q_OBJECT

public:
    static constexpr const char* automaticChecksKey = "automaticallyChecksForUpdates";
    static constexpr const char* lastCheckKey = "lastUpdateCheck";
    static constexpr std::chrono::hours checkInterval{24};
    static constexpr std::chrono::minutes retryDelay{1};

    // What the user sees of a check's outcome.
    struct Prompts {
        // True when the user wants the download page.
        std::function<bool(const UpdateCheckResult&, const QString& currentVersion)> offerUpdate;
        // Names the running version, which may be newer than the feed's.
        std::function<void(const UpdateCheckResult&, const QString& currentVersion)> upToDate;
        std::function<void(const UpdateCheckResult&)> couldNotCheck;
        std::function<void(const QUrl&)> openPage;
    };

    struct Environment {
        QSettings* defaults = nullptr;
        std::optional<QUrl> feedUrl; // none: nothing is ever checked
        QString currentVersion;
        Prompts prompts;
        std::chrono::milliseconds timeLimit = UpdateFeed::standardTimeLimit;
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    };

    explicit UpdaterController(Environment environment, QObject* parent = nullptr);
    ~UpdaterController() override;

    // A feed exists and no check is running.
    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    // Whether this build names a feed at all; without one nothing is ever checked.
    bool hasFeed() const { return feed_ != nullptr; }
    // Shows every outcome.
    void checkForUpdates();
    // Shows only a newer version.
    void checkForUpdatesInBackground();

    // Off unless stored on; on starts the daily check.
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool enabled);
    // When the next automatic check is due to start, while they are on.
    std::optional<QDateTime> nextAutomaticCheck() const;

signals:
    void canCheckForUpdatesChanged(bool canCheck);
    void checkFinished(const huddlepod::UpdateCheckResult& result);

private:
    void check(bool userInitiated);
    void scheduleAutomaticCheck();
    void updateCanCheck();

    Environment environment_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<UpdateFeed> feed_;
    QTimer automaticTimer_;
    bool canCheckForUpdates_ = false;
};

} // namespace huddlepod
