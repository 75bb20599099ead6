// The settings form: the shortcut recorder, launch at login and appearance, the login-item notice, the panel
// position, the version with the update controls, and the last login-item error.
#pragma once

#include "GlobalShortcuts/Name.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;

namespace huddlepod {

class SegmentedToggleBase;
class SettingsModel;
class UpdaterController;

namespace GlobalShortcuts {
class Recorder;
}

class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 460;

    struct About {
        QString version; // "0.0.0" when the build has none
        QString build;   // "0" when the build has none
    };

    SettingsView(SettingsModel& model, UpdaterController& updater, const GlobalShortcuts::Name& shortcutName,
                 About about, std::function<void()> onClose, QWidget* parent = nullptr);

    GlobalShortcuts::Recorder* recorder() const { return recorder_; }
    QCheckBox* launchAtLoginToggle() const { return launchAtLogin_; }
    SegmentedToggleBase* appearancePicker() const { return appearance_; }
    QWidget* loginItemNotice() const { return notice_; }
    QLabel* loginItemNoticeText() const { return noticeText_; }
    QPushButton* openLoginItemsButton() const { return openLoginItems_; }
    QLabel* panelPositionDetail() const { return panelDetail_; }
    QPushButton* resetButton() const { return reset_; }
    QLabel* versionLabel() const { return version_; }
    QPushButton* checkForUpdatesButton() const { return checkForUpdates_; }
    QCheckBox* automaticUpdatesToggle() const { return automaticUpdates_; }
    QWidget* errorSection() const { return errorSection_; }
    QLabel* errorText() const { return errorText_; }

protected:
    // Escape and Ctrl+. close the window (while recording, the recorder takes Escape first).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void sync();

    SettingsModel* model_;
    UpdaterController* updater_;
    std::function<void()> onClose_;
    GlobalShortcuts::Recorder* recorder_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    SegmentedToggleBase* appearance_ = nullptr;
    QWidget* notice_ = nullptr;
    QLabel* noticeText_ = nullptr;
    QPushButton* openLoginItems_ = nullptr;
    QLabel* panelDetail_ = nullptr;
    QPushButton* reset_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* checkForUpdates_ = nullptr;
    QCheckBox* automaticUpdates_ = nullptr;
    QWidget* errorSection_ = nullptr;
    QLabel* errorText_ = nullptr;
};

} // namespace huddlepod
