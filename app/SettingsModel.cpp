// Every write goes through a setter that notifies only when the value really changes.
#include "app/SettingsModel.h"

#include "platform/UserDefaults.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <utility>

namespace huddlepod {

SettingsModel::SettingsModel(Environment environment, QObject* parent)
    : QObject(parent)
    , environment_(std::move(environment))
    , preferences_(*environment_.defaults)
    , appearance_(preferences_.appearance())
    , loginItemState_(environment_.loginItem.state())
    , isPanelDetached_(readPanelDetached()) {
    // "System" follows the desktop: when its dark preference (or contrast) changes, apply the choice again.
    connect(&WorkspaceSettings::notifier(), &WorkspaceSettingsNotifier::changed, this, [this] {
        if (environment_.applyAppearance) {
            environment_.applyAppearance(appearance_);
        }
    });
    connect(&UserDefaults::saveStatus(), &UserDefaultsSaveStatus::changed, this, &SettingsModel::changed);
}

std::optional<QString> SettingsModel::errorMessage() const {
    QStringList lines;
    if (loginItemError_) {
        lines.append(*loginItemError_);
    }
    if (const std::optional<QString> failure = UserDefaults::saveStatus().failure()) {
        lines.append(QStringLiteral("Couldn't save settings: ") + *failure);
    }
    if (lines.isEmpty()) {
        return std::nullopt;
    }
    return lines.join(QLatin1Char('\n'));
}

void SettingsModel::setAppearance(AppearancePreference appearance) {
    if (appearance == appearance_) {
        return;
    }
    appearance_ = appearance;
    preferences_.setAppearance(appearance);
    if (environment_.applyAppearance) {
        environment_.applyAppearance(appearance);
    }
    emit changed();
}

void SettingsModel::setPanelDetached(bool detached) {
    if (detached != isPanelDetached_) {
        isPanelDetached_ = detached;
        emit changed();
    }
}

void SettingsModel::setLaunchAtLogin(bool enabled) {
    setLoginItemError(environment_.loginItem.set(enabled));
    setLoginItemState(environment_.loginItem.state());
}

void SettingsModel::refresh() {
    setLoginItemState(environment_.loginItem.state());
    setPanelDetached(readPanelDetached());
    setAppearance(preferences_.appearance());
}

void SettingsModel::onResetPanelPosition() {
    if (environment_.onResetPanelPosition) {
        environment_.onResetPanelPosition();
    }
}

bool SettingsModel::readPanelDetached() const {
    return environment_.isPanelDetached && environment_.isPanelDetached();
}

void SettingsModel::setLoginItemState(LoginItem::State state) {
    if (state != loginItemState_) {
        loginItemState_ = state;
        emit changed();
    }
}

void SettingsModel::setLoginItemError(std::optional<QString> message) {
    if (message != loginItemError_) {
        loginItemError_ = std::move(message);
        emit changed();
    }
}

} // namespace huddlepod
