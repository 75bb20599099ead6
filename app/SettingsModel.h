// The state behind the settings window: the stored appearance, launch at login with its last error, and
// whether the panel is detached from the tray icon.
#pragma once

#include "app/LoginItem.h"
#include "ui/AppearancePreference.h"
#include "ui/Preferences.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QSettings;

namespace huddlepod {

class SettingsModel : public QObject {
    Q_OBJECT

public:
    struct Environment {
        QSettings* defaults = nullptr;
        LoginItem loginItem;
        // Forgets the panel's stored detached position.
        std::function<void()> onResetPanelPosition;
        // Whether the panel has a stored detached position now.
        std::function<bool()> isPanelDetached;
        // Puts an appearance into effect for the whole application.
        std::function<void(AppearancePreference)> applyAppearance;
    };

    explicit SettingsModel(Environment environment, QObject* parent = nullptr);

    // The last failed login-item change, then a settings write that failed, one to a line; none when neither.
    std::optional<QString> errorMessage() const;
    AppearancePreference appearance() const { return appearance_; }
    // A different value is stored and applied at once; the same value does nothing.
    void setAppearance(AppearancePreference appearance);
    LoginItem::State loginItemState() const { return loginItemState_; }
    bool isPanelDetached() const { return isPanelDetached_; }
    void setPanelDetached(bool detached);
    const LoginItem& loginItem() const { return environment_.loginItem; }

    bool launchAtLogin() const { return loginItemState_ == LoginItem::State::enabled; }
    // Asks the system, keeps its error (a success clears an older one) and reads the state back.
    void setLaunchAtLogin(bool enabled);

    // Re-reads the login item, the panel's placement and the stored appearance; the error stays.
    void refresh();

    void onResetPanelPosition();
    // The stored detached position, read afresh.
    bool readPanelDetached() const;

signals:
    // Any of the observable values changed.
    void changed();

private:
    void setLoginItemState(LoginItem::State state);
    void setLoginItemError(std::optional<QString> message);

    Environment environment_;
    Preferences preferences_;
    std::optional<QString> loginItemError_;
    AppearancePreference appearance_;
    LoginItem::State loginItemState_;
    bool isPanelDetached_;
};

} // namespace huddlepod
