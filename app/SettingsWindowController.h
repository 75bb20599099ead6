// Owns the settings window: builds it on demand around the settings form and forgets it when it closes, so
// every opening after a close builds a fresh window, sized to fit and centred.
#pragma once

#include "GlobalShortcuts/Name.h"
#include "app/Views/SettingsView.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QSettings;

namespace huddlepod {

class SettingsModel;
class UpdaterController;

class SettingsWindowController : public QObject {
    Q_OBJECT

public:
    static constexpr const char* frameKey = "SettingsWindow";

    SettingsWindowController(SettingsModel& model, UpdaterController& updater,
                             std::function<void()> hidePanel, QSettings& defaults, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Hides the panel, refreshes the model, then brings the (existing or new) window to the front.
    void show();
    // The open window, else a new one.
    QWidget* existingOrNewWindow();
    // The open settings window, or none.
    QWidget* window() const { return window_; }
    SettingsView* view() const;

    SettingsModel& model() const { return *model_; }
    UpdaterController& updater() const { return *updater_; }
    const std::function<void()>& hidePanel() const { return hidePanel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SettingsModel* model_;
    UpdaterController* updater_;
    std::function<void()> hidePanel_;
    QSettings* defaults_;
    QPointer<QWidget> window_;
};

} // namespace huddlepod
