// The debug driver's launch switches.
#include "app/DebugLaunch.h"

#include "app/DebugDriver.h"
#include "ui/ApplyAppearance.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace huddlepod::DebugLaunch {

namespace {

// Ctrl+, handed to the application as a key press, where the main menu's key equivalents take it; true when
// one took it.
bool sendSettingsKeyEquivalent() {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Comma, Qt::ControlModifier, QStringLiteral(","));
    // The application itself takes no keys: only an application-wide key equivalent makes this true.
    return QCoreApplication::sendEvent(QCoreApplication::instance(), &event);
}

QString text(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

void applyRequestedAppearance() {
    if (const std::optional<Appearance> appearance = DebugDriver::requestedAppearance()) {
        applyAppearance(*appearance == Appearance::dark ? AppearancePreference::dark
                                                        : AppearancePreference::light);
    }
}

std::unique_ptr<QWidget> makeBackdrop() {
    const std::optional<double> white = DebugDriver::requestedBackdrop();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!white || !screen) {
        return nullptr;
    }
    auto window =
        std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint |
                                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    window->setWindowTitle(QStringLiteral("Huddlepod backdrop"));
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(float(*white), float(*white), float(*white), 1.0f));
    window->setPalette(palette);
    window->setGeometry(screen->geometry());
    // In front of the other programs' windows at the normal level, so captures show it behind ours only.
    window->show();
    window->raise();
    return window;
}

void schedule(double seconds, QObject* context, std::function<void()> action) {
    if (const std::optional<std::chrono::milliseconds> delay = DebugDriver::timerDelay(seconds)) {
        QTimer::singleShot(*delay, context, std::move(action));
    }
}

void scheduleUpdateCheck(QObject* context, std::function<void()> checkInBackground) {
    if (const std::optional<double> delay = DebugDriver::updateCheckDelay()) {
        schedule(*delay, context, [check = std::move(checkInBackground)] {
            DebugDriver::log(QStringLiteral("update check starting"));
            check();
        });
    }
}

void scheduleLaunchSwitches(QObject* context, Switches switches) {
    const auto shared = std::make_shared<Switches>(std::move(switches));
    const auto settingsOpen = [shared] {
        const QWidget* window = shared->settingsWindow ? shared->settingsWindow() : nullptr;
        return window && window->isVisible();
    };
    if (const std::optional<double> delay = DebugDriver::openSettingsOnLaunch()) {
        schedule(*delay, context, [shared] {
            shared->openSettings();
            if (const std::optional<AppearancePreference> flip = DebugDriver::flipAppearance()) {
                shared->setAppearance(*flip);
            }
            DebugDriver::logFootprint(QStringLiteral("settings window open"));
            DebugDriver::log(QStringLiteral("READY-TO-CAPTURE settings"));
        });
    }
    if (const std::optional<double> delay = DebugDriver::commaKeyEquivalentOnLaunch()) {
        schedule(*delay, context, [shared, settingsOpen, context] {
            DebugDriver::log(QStringLiteral("⌘, routed through the main menu: ") +
                             text(sendSettingsKeyEquivalent()));
            DebugDriver::log(QStringLiteral("settings window open: ") + text(settingsOpen()));
            if (QWidget* window = shared->settingsWindow ? shared->settingsWindow() : nullptr) {
                window->close();
            }
            QTimer::singleShot(0, context, [settingsOpen] {
                DebugDriver::log(QStringLiteral("closed; still open: ") + text(settingsOpen()));
                DebugDriver::log(QStringLiteral("⌘, again: ") + text(sendSettingsKeyEquivalent()));
                DebugDriver::log(QStringLiteral("reopened: ") + text(settingsOpen()));
            });
        });
    }
    if (const std::optional<double> delay = DebugDriver::openMenuOnLaunch()) {
        schedule(*delay, context, [shared] {
            DebugDriver::log(QStringLiteral("READY-TO-CAPTURE status-menu"));
            if (shared->popUpStatusMenu) {
                shared->popUpStatusMenu();
            }
        });
    }
}

} // namespace huddlepod::DebugLaunch
