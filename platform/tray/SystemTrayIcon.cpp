// The tray icon over QSystemTrayIcon.
#include "platform/tray/TrayIcon.h"
#include "platform/x11/X11Native.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMenu>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace huddlepod {

namespace {

// Whether a StatusNotifier watcher runs on the session bus and a host has registered with it.
bool isStatusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher")
        << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false); // asked, never started

    const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

// Whether an XEmbed tray owns the tray selection of the first screen, the one Qt shows its icon on.
bool isXEmbedTrayRunning() {
    xcb_connection_t* connection = x11::nativeConnection();
    if (!connection) {
        return false;
    }
    const xcb_atom_t selection = x11::internAtom(connection, "_NET_SYSTEM_TRAY_S0");
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
}

// The window Qt shows an XEmbed icon in; none for a StatusNotifier icon.
const QWidget* xembedIconWindow() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QSystemTrayIconSys")) {
            return widget;
        }
    }
    return nullptr;
}

// Where the tray has put an XEmbed icon, asked of the X server: until Qt hears that its window is embedded it
// reports the corner of the screen. None while the window is not in a tray.
std::optional<QRect> embeddedGeometry(const QWidget& icon) {
    xcb_connection_t* connection = x11::nativeConnection();
    const auto window = static_cast<xcb_window_t>(icon.internalWinId());
    if (!connection || window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t root = tree && tree->parent != tree->root ? tree->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(tree);
    if (root == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    xcb_get_geometry_reply_t* size =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr);
    std::optional<QRect> rect;
    if (size && origin) {
        // X counts device pixels; Qt's global coordinates are device-independent.
        const qreal ratio = qGuiApp->devicePixelRatio();
        rect = QRect(qRound(origin->dst_x / ratio), qRound(origin->dst_y / ratio),
                     qRound(size->width / ratio), qRound(size->height / ratio));
    }
    std::free(size);
    std::free(origin);
    return rect;
}

class SystemTrayIcon final : public TrayIcon {
public:
    SystemTrayIcon() {
        // Qt settles on D-Bus or XEmbed once, the first time it is asked; so it is not asked before a tray is
        // there.
        QObject::connect(&waitForTray_, &QTimer::timeout, &waitForTray_, [this] { attachIfTrayRunning(); });
    }

    void setIcon(const QIcon& icon) override {
        image_ = icon;
        if (icon_) {
            icon_->setIcon(icon);
        }
    }
    void setToolTip(const QString& text) override {
        toolTip_ = text;
        if (icon_) {
            icon_->setToolTip(text);
        }
    }
    void setClickHandler(std::function<void(const Click&)> handler) override {
        handler_ = std::move(handler);
    }
    void setMenu(QMenu* menu) override {
        menu_ = menu;
        if (icon_) {
            icon_->setContextMenu(menu);
        }
    }
    void show() override {
        shown_ = true;
        attachIfTrayRunning();
        if (!icon_) {
            waitForTray_.start(500);
        }
    }
    bool isHostAvailable() const override { return icon_ != nullptr; }

    std::optional<QRect> geometry() const override {
        if (!icon_) {
            return std::nullopt;
        }
        if (const QWidget* window = xembedIconWindow(); window && x11::nativeConnection()) {
            return embeddedGeometry(*window);
        }
        const QRect rect = icon_->geometry(); // a StatusNotifier icon has none
        if (!rect.isValid() || rect.isEmpty()) {
            return std::nullopt;
        }
        return rect;
    }

    void popUpMenu(QMenu& menu, QPoint at) override { menu.exec(at); }

private:
    void attachIfTrayRunning() {
        if (icon_ || !shown_ || (!isStatusNotifierHostRegistered() && !isXEmbedTrayRunning())) {
            return;
        }
        waitForTray_.stop();
        icon_ = std::make_unique<QSystemTrayIcon>();
        icon_->setIcon(image_);
        icon_->setToolTip(toolTip_);
        icon_->setContextMenu(menu_);
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
        icon_->show();
    }

    void activated(QSystemTrayIcon::ActivationReason reason) {
        if (!handler_) {
            return;
        }
        Click click;
        click.cursor = QCursor::pos();
        click.controlHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            // A StatusNotifier tray reports each press of a double click as a click of its own (an XEmbed
            // icon's second press comes as DoubleClick).
            if (!xembedIconWindow()) {
                if (lastTrigger_.isValid() &&
                    lastTrigger_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
                    return;
                }
                lastTrigger_.start();
            }
            click.button = Button::left;
            break;
        case QSystemTrayIcon::DoubleClick: // the second press of a double click
        case QSystemTrayIcon::Unknown:
            return;
        case QSystemTrayIcon::Context:
            if (menu_ && menu_->isVisible()) {
                return; // the tray has shown the menu itself
            }
            click.button = Button::right;
            break;
        case QSystemTrayIcon::MiddleClick:
            click.button = Button::middle;
            break;
        }
        handler_(click);
    }

    QIcon image_;
    QString toolTip_;
    QMenu* menu_ = nullptr;
    bool shown_ = false;
    QTimer waitForTray_;
    QElapsedTimer lastTrigger_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::function<void(const Click&)> handler_;
};

} // namespace

std::unique_ptr<TrayIcon> makeSystemTrayIcon() {
    return std::make_unique<SystemTrayIcon>();
}

} // namespace huddlepod
