// The launch switches of the debug driver: the requested look, the backdrop window, the delayed update check,
// and the settings, Ctrl+, and status-menu actions run a while after launch.
#pragma once

#include "ui/AppearancePreference.h"

#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace huddlepod::DebugLaunch {

// The requested appearance put into effect over the stored one; nothing when none is requested.
void applyRequestedAppearance();

// A borderless window of the requested grey over the whole main screen, shown in front at the normal level
// and transparent to the mouse; none when not asked for or without a screen.
std::unique_ptr<QWidget> makeBackdrop();

// Runs the action after the delay on the event loop while `context` lives; a negative delay runs it on the
// next turn, one longer than a timer can hold never.
void schedule(double seconds, QObject* context, std::function<void()> action);

// With a delay requested: writes "update check starting" and runs the check after it.
void scheduleUpdateCheck(QObject* context, std::function<void()> checkInBackground);

// What the settings, Ctrl+, and menu switches act on.
struct Switches {
    // The delegate's "Settings…" action.
    std::function<void()> openSettings;
    // The settings window, none while there is none.
    std::function<QWidget*()> settingsWindow;
    // Through the settings model, which stores and applies it.
    std::function<void(AppearancePreference)> setAppearance;
    std::function<void()> popUpStatusMenu;
};

// Schedules each switch that holds a delay; any combination can run.
void scheduleLaunchSwitches(QObject* context, Switches switches);

} // namespace huddlepod::DebugLaunch
