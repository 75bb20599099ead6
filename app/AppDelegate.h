// Builds every long-lived object of the shell when the application has started, in a fixed order, and keeps
// them for the life of the process.
#pragma once

#include "app/PanelController.h"
#include "app/StatusItemController.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QSettings;

namespace huddlepod {

class MainMenu;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    // What each launch step creates or calls; system() gives the real ones, tests give recording fakes.
    // The steps whose objects come later (settings, updates, the debug driver) are seams that do nothing yet.
    struct LaunchServices {
        QSettings* defaults = nullptr; // the settings store; outlives the delegate
        std::function<MainMenu*(AppDelegate&)> installMainMenu;
        std::function<void()> applyStoredAppearance;
        std::function<void()> applyRequestedAppearance;
        std::function<void()> createBackdrop;
        std::function<std::unique_ptr<PanelController>(PanelController::AnchorProvider)> makePanelController;
        std::function<void(AppDelegate&)> createSettingsModel;
        std::function<void(AppDelegate&)> createUpdater;
        std::function<void(AppDelegate&)> createSettingsController;
        std::function<std::unique_ptr<StatusItemController>(std::function<void()> onClick,
                                                            StatusItemController::MenuProvider menuProvider)>
            makeStatusItem;
        std::function<void(const QString& milestone)> logLaunchMilestone;
        // The action is told where the pointer was at the key press, when known.
        std::function<void(std::function<void(std::optional<QPoint> pointer)> action)> registerToggleShortcut;
        // The variable's value, none when unset.
        std::function<std::optional<QString>(const QString& name)> environment;
        // Runs the action after the delay on the event loop.
        std::function<void(std::chrono::milliseconds delay, std::function<void()> action)> schedule;
        std::function<void(AppDelegate&)> scheduleLaunchSwitches;
        std::function<void(AppDelegate&)> runDebugScript;
        // Shows the settings window; none until the settings window exists.
        std::function<void()> openSettings;

        static LaunchServices system(QSettings& defaults);
    };

    explicit AppDelegate(LaunchServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    // Hides the panel (its monitors go with it); nothing is written.
    void applicationWillTerminate();
    void openSettings();
    void resetPanelPosition();
    // Built anew on each call: "Settings…", "Reset Panel Position", a separator, "Quit Huddlepod".
    std::unique_ptr<QMenu> statusMenu();
    void toggle();
    // Shows the panel unless it is showing already (a later start of the program asks for it).
    void showPanel();

    PanelController* panelController() const { return panelController_.get(); }
    StatusItemController* statusItemController() const { return statusItemController_.get(); }

private:
    LaunchServices services_;
    std::unique_ptr<StatusItemController> statusItemController_;
    std::unique_ptr<PanelController> panelController_;
    QPointer<MainMenu> mainMenu_;
};

} // namespace huddlepod
