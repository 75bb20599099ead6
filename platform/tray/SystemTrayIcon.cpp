// The tray icon over QSystemTrayIcon.
#include "platform/tray/TrayIcon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace huddlepod {

namespace {

class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon() {
        // No context menu of Qt's own: a right click is reported and the controller builds the menu then.
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_,
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    }

    void setIcon(const QIcon& icon) override { icon_.setIcon(icon); }
    void setToolTip(const QString& text) override { icon_.setToolTip(text); }
    void setClickHandler(std::function<void(const Click&)> handler) override {
        handler_ = std::move(handler);
    }
    void show() override { icon_.show(); }
    bool isHostAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    std::optional<QRect> geometry() const override {
        const QRect rect = icon_.geometry();
        if (!rect.isValid() || rect.isEmpty()) {
            return std::nullopt;
        }
        return rect;
    }

    void popUpMenu(QMenu& menu, QPoint at) override { menu.exec(at); }

private:
    void activated(QSystemTrayIcon::ActivationReason reason) {
        if (!handler_) {
            return;
        }
        Click click;
        click.cursor = QCursor::pos();
        click.controlHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
        switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick: // the second press of a double click toggles back
            click.button = Button::left;
            break;
        case QSystemTrayIcon::Context:
            click.button = Button::right;
            break;
        case QSystemTrayIcon::MiddleClick:
            click.button = Button::middle;
            break;
        case QSystemTrayIcon::Unknown:
            return;
        }
        handler_(click);
    }

    QSystemTrayIcon icon_;
    std::function<void(const Click&)> handler_;
};

} // namespace

std::unique_ptr<TrayIcon> makeSystemTrayIcon() {
    return std::make_unique<SystemTrayIcon>();
}

} // namespace huddlepod
