// Every write goes through a setter that notifies only when the value really changes.
#include "app/SettingsModel.h"

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
    setErrorMessage(environment_.loginItem.set(enabled));
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

void SettingsModel::setErrorMessage(std::optional<QString> message) {
    if (message != errorMessage_) {
        errorMessage_ = std::move(message);
        emit changed();
    }
}

} // namespace huddlepod
