// The tray icon as the application sees it: an icon with a tool tip, its clicks, its place on screen and a
// menu popped up under it. The system implementation sits on QSystemTrayIcon; tests use their own.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMenu;

namespace huddlepod {

class TrayIcon {
public:
    enum class Button { left, right, middle };
    struct Click {
        Button button = Button::left;
        bool controlHeld = false;
        // Where the pointer was, in global coordinates.
        QPoint cursor;
    };

    virtual ~TrayIcon() = default;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setClickHandler(std::function<void(const Click&)> handler) = 0;
    virtual void show() = 0;
    // Whether the desktop has a tray to show the icon in.
    virtual bool isHostAvailable() const = 0;
    // The icon's rectangle in global coordinates, when the tray tells it.
    virtual std::optional<QRect> geometry() const = 0;
    // Shows the menu with its top-left corner at `at` and returns once it has closed.
    virtual void popUpMenu(QMenu& menu, QPoint at) = 0;
};

// The desktop's tray (XEmbed or StatusNotifierItem, as Qt finds it).
std::unique_ptr<TrayIcon> makeSystemTrayIcon();

} // namespace huddlepod
