// The tray icon as the application sees it: an icon with a tool tip, its clicks, its menu and its place on
// screen. The system implementation sits on QSystemTrayIcon; tests use their own.
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
    // The second press of a double click is not reported: a double click is one click.
    virtual void setClickHandler(std::function<void(const Click&)> handler) = 0;
    // Where the pointer is when the tray asks for the icon's menu by itself (a StatusNotifier host getting it
    // ready to show): on the icon, as for a click. Menus shown through popUpMenu() are not reported.
    virtual void setMenuRequestHandler(std::function<void(QPoint cursor)> handler) = 0;
    // The icon's context menu, which the tray shows by itself (a right click on an XEmbed tray, the tray's
    // own menu over D-Bus on a StatusNotifier one). Not owned; it outlives the icon.
    virtual void setMenu(QMenu* menu) = 0;
    // Shows the icon, now or as soon as a tray appears on the desktop.
    virtual void show() = 0;
    // Whether the desktop has a tray to show the icon in.
    virtual bool isHostAvailable() const = 0;
    // The icon's rectangle in global coordinates, when the tray has placed it and tells where.
    virtual std::optional<QRect> geometry() const = 0;
    // Shows the menu with its top-left corner at `at` and returns once it has closed.
    virtual void popUpMenu(QMenu& menu, QPoint at) = 0;
};

// The desktop's tray: a StatusNotifier host on the session bus or the screen's XEmbed tray, whichever is
// there when the icon is first shown; a tray that starts later is waited for.
std::unique_ptr<TrayIcon> makeSystemTrayIcon();

} // namespace huddlepod
