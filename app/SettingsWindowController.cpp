// The settings window: a plain titled, closable window (not resizable) around the form.
#include "app/SettingsWindowController.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/SettingsModel.h"
#include "app/UpdaterController.h"
#include "platform/BundleInformation.h"
#include "platform/UserDefaults.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace huddlepod {

namespace {

// Titled and closable only. Most managers read that from the flags (Qt's Motif hints) and the fixed size;
// Openbox lets no hint take minimising from a normal window or a dialog, only a toolbar's or a menu's type,
// which managers also keep out of their task lists, as an accessory application's windows stay out of them.
// The type goes on the native window before it is mapped.
void offerNeitherMinimiseNorMaximise(QWidget& window) {
    (void)window.winId();
    window.setAttribute(Qt::WA_X11NetWmWindowTypeToolBar);
}

} // namespace

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
    offerNeitherMinimiseNorMaximise(*window);
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
    // The window's alerts likewise, as each is shown (its native window made, not yet mapped).
    if (watched == window_ && event->type() == QEvent::ChildAdded) {
        if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType()) {
            child->installEventFilter(this);
        }
    } else if (event->type() == QEvent::Show && watched != window_) {
        if (auto* alert = qobject_cast<QDialog*>(watched); alert && alert->isWindow()) {
            offerNeitherMinimiseNorMaximise(*alert);
        }
    }
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
