// The settings window: a plain titled, closable window (not resizable) around the form.
#include "app/SettingsWindowController.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/SettingsModel.h"
#include "app/UpdaterController.h"
#include "platform/BundleInformation.h"
#include "platform/UserDefaults.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace huddlepod {

SettingsWindowController::SettingsWindowController(SettingsModel& model, UpdaterController& updater,
                                                   std::function<void()> hidePanel, QSettings& defaults,
                                                   QObject* parent)
    : QObject(parent)
    , model_(&model)
    , updater_(&updater)
    , hidePanel_(std::move(hidePanel))
    , defaults_(&defaults) {}

SettingsWindowController::~SettingsWindowController() {
    delete window_.data();
}

void SettingsWindowController::show() {
    if (hidePanel_) {
        hidePanel_();
    }
    model_->refresh();
    GlobalShortcuts::retryFailedRegistrations(); // a shortcut another program held may be free now
    QWidget* window = existingOrNewWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

SettingsView* SettingsWindowController::view() const {
    return qobject_cast<SettingsView*>(window_.data());
}

QWidget* SettingsWindowController::existingOrNewWindow() {
    if (window_) {
        return window_;
    }
    QPointer<SettingsWindowController> self(this);
    auto* window = new SettingsView(
        *model_, *updater_, GlobalShortcuts::toggleSearchName(),
        {bundleValue(QStringLiteral("CFBundleShortVersionString")).value_or(QStringLiteral("0.0.0")),
         bundleValue(QStringLiteral("CFBundleVersion")).value_or(QStringLiteral("0"))},
        [self] {
            if (self && self->window_) {
                self->window_->close();
            }
        });
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Huddlepod Settings"));
    window->installEventFilter(this);
    window->adjustSize();
    // Centred on the screen under the pointer each time; the saved frame is a record, never restored.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window_ = window;
    return window;
}

bool SettingsWindowController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close) {
        const QRect frame = window_->frameGeometry();
        defaults_->setValue(QLatin1String(frameKey), QStringLiteral("%1 %2 %3 %4")
                                                         .arg(frame.x())
                                                         .arg(frame.y())
                                                         .arg(frame.width())
                                                         .arg(frame.height()));
        UserDefaults::save(*defaults_);
        window_->removeEventFilter(this);
        window_ = nullptr; // the window deletes itself; the next opening builds a new one
    }
    return QObject::eventFilter(watched, event);
}

} // namespace huddlepod
