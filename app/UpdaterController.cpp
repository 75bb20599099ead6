// The feed checker behind the settings window's update controls.
#include "app/UpdaterController.h"

#include "platform/UserDefaults.h"

#include <QNetworkAccessManager>
#include <QSettings>

#include <algorithm>
#include <utility>

namespace huddlepod {

UpdaterController::UpdaterController(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment)) {
    if (environment_.feedUrl && !environment_.feedUrl->isEmpty()) {
        network_ = std::make_unique<QNetworkAccessManager>();
        feed_ = std::make_unique<UpdateFeed>(*environment_.feedUrl, *network_, environment_.timeLimit);
    }
    automaticTimer_.setSingleShot(true);
    connect(&automaticTimer_, &QTimer::timeout, this, &UpdaterController::checkForUpdatesInBackground);
    canCheckForUpdates_ = feed_ != nullptr;
    scheduleAutomaticCheck();
}

UpdaterController::~UpdaterController() = default;

void UpdaterController::checkForUpdates() {
    check(true);
}

void UpdaterController::checkForUpdatesInBackground() {
    check(false);
}

bool UpdaterController::automaticallyChecksForUpdates() const {
    return environment_.defaults->value(QLatin1String(automaticChecksKey), false).toBool();
}

void UpdaterController::setAutomaticallyChecksForUpdates(bool enabled) {
    environment_.defaults->setValue(QLatin1String(automaticChecksKey), enabled);
    UserDefaults::save(*environment_.defaults);
    scheduleAutomaticCheck();
}

std::optional<QDateTime> UpdaterController::nextAutomaticCheck() const {
    if (!feed_ || !automaticallyChecksForUpdates()) {
        return std::nullopt;
    }
    const QDateTime last = environment_.defaults->value(QLatin1String(lastCheckKey)).toDateTime();
    const QDateTime now = environment_.now();
    // A last check in the future (a clock set back) counts as none.
    if (!last.isValid() || last > now) {
        return now;
    }
    return std::max(now, last.addSecs(std::chrono::seconds(checkInterval).count()));
}

void UpdaterController::scheduleAutomaticCheck() {
    automaticTimer_.stop();
    if (const std::optional<QDateTime> next = nextAutomaticCheck()) {
        automaticTimer_.start(std::chrono::milliseconds(environment_.now().msecsTo(*next)));
    }
}

void UpdaterController::check(bool userInitiated) {
    if (!feed_) {
        return;
    }
    if (feed_->isChecking()) {
        if (!userInitiated && automaticallyChecksForUpdates()) {
            automaticTimer_.start(retryDelay); // the user's own check is still running: try again soon
        }
        return;
    }
    if (!userInitiated) {
        environment_.defaults->setValue(QLatin1String(lastCheckKey), environment_.now());
        UserDefaults::save(*environment_.defaults);
    }
    QPointer<UpdaterController> self(this);
    feed_->check(environment_.currentVersion, [self, userInitiated](const UpdateCheckResult& result) {
        if (!self) {
            return;
        }
        self->updateCanCheck();
        emit self->checkFinished(result);
        const Prompts& prompts = self->environment_.prompts;
        switch (result.kind) {
        case UpdateCheckResult::Kind::available:
            if (prompts.offerUpdate && prompts.offerUpdate(result, self->environment_.currentVersion) &&
                prompts.openPage) {
                prompts.openPage(result.downloadPage);
            }
            break;
        case UpdateCheckResult::Kind::upToDate:
            if (userInitiated && prompts.upToDate) {
                prompts.upToDate(result, self->environment_.currentVersion);
            }
            break;
        case UpdateCheckResult::Kind::failed:
            if (userInitiated && prompts.couldNotCheck) {
                prompts.couldNotCheck(result);
            }
            break;
        }
        if (self && !userInitiated) {
            self->scheduleAutomaticCheck();
        }
    });
    updateCanCheck();
}

void UpdaterController::updateCanCheck() {
    const bool canCheck = feed_ && !feed_->isChecking();
    if (canCheck != canCheckForUpdates_) {
        canCheckForUpdates_ = canCheck;
        emit canCheckForUpdatesChanged(canCheck);
    }
}

} // namespace huddlepod
