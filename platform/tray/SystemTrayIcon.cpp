// The tray icon over QSystemTrayIcon.
#include "platform/tray/DBusMenuExporter.h"
#include "platform/tray/StatusNotifierItemExporter.h"
#include "platform/tray/TrayIcon.h"
#include "platform/x11/SelectionOwner.h"
#include "platform/x11/WindowPlaceWatch.h"
#include "platform/x11/X11Native.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMenu>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>
#include <optional>

namespace huddlepod {

namespace {

const QString notifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// Asks the StatusNotifier watcher whether a host has registered with it; never starts one.
QDBusMessage hostRegisteredQuery() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        notifierWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << notifierWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    return get;
}

bool saysHostRegistered(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

// The connection Qt shows a StatusNotifier icon on, which it names after the process and the icon's number;
// none for an XEmbed icon.
std::optional<QDBusConnection> statusNotifierConnection() {
    constexpr int iconsToTry = 8; // the program makes one
    for (int icon = 1; icon <= iconsToTry; ++icon) {
        QDBusConnection connection(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(icon));
        if (connection.isConnected() &&
            connection.objectRegisteredAt(QStringLiteral("/StatusNotifierItem"))) {
            return connection;
        }
    }
    return std::nullopt;
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

class SystemTrayIcon final : public QObject, public TrayIcon {
    Q_OBJECT

public:
    void setIcon(const QIcon& icon) override {
        image_ = icon;
        if (icon_) {
            icon_->setIcon(icon);
        }
    }
    void setToolTip(const QString& text) override {
        toolTip_ = text;
        // Before the host hears of the new tool tip, so that it never finds the title in its place.
        if (itemExporter_) {
            itemExporter_->setTitleWithheld(text.isEmpty());
        }
        if (icon_) {
            icon_->setToolTip(text);
        }
    }
    void setClickHandler(std::function<void(const Click&)> handler) override {
        handler_ = std::move(handler);
    }
    void setMenuRequestHandler(std::function<void(QPoint)> handler) override {
        menuRequestHandler_ = std::move(handler);
    }
    void setMenu(QMenu* menu) override {
        if (menu_) {
            disconnect(menu_, &QMenu::aboutToShow, this, &SystemTrayIcon::menuRequested);
        }
        menu_ = menu;
        if (menu_) {
            connect(menu_, &QMenu::aboutToShow, this, &SystemTrayIcon::menuRequested);
        }
        if (icon_) {
            icon_->setContextMenu(menu);
            exportMenu();
        }
    }
    // Qt settles on D-Bus or XEmbed once, the first time it is asked; so it is not asked before a tray is
    // there.
    void show() override {
        if (shown_) {
            return;
        }
        shown_ = true;
        // Listened for before asking, so a tray that starts in between is not missed.
        xembedTray_ = new x11::SelectionOwnerWatcher(
            "_NET_SYSTEM_TRAY_S" + QByteArray::number(x11::displayScreen()), this);
        connect(xembedTray_, &x11::SelectionOwnerWatcher::ownerChanged, this,
                [this] { attachIfTrayRunning(); });
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            notifierWatcher_ = new QDBusServiceWatcher(notifierWatcher, bus,
                                                       QDBusServiceWatcher::WatchForRegistration, this);
            connect(notifierWatcher_, &QDBusServiceWatcher::serviceRegistered, this,
                    &SystemTrayIcon::askWhetherHostRegistered);
            bus.connect(QString(), QStringLiteral("/StatusNotifierWatcher"), notifierWatcher,
                        QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
            // Answered at once by a running watcher, or by the bus when there is none; the short time-out
            // only bounds a watcher that hangs.
            hostRegistered_ = saysHostRegistered(bus.call(hostRegisteredQuery(), QDBus::Block, 250));
        }
        attachIfTrayRunning();
    }
    bool isHostAvailable() const override { return icon_ != nullptr; }

    std::optional<QRect> geometry() const override {
        if (!icon_) {
            return std::nullopt;
        }
        // Where the tray has put an XEmbed icon: until Qt hears that its window is embedded it reports the
        // corner of the screen.
        if (const QWidget* window = xembedIconWindow(); window && x11::nativeConnection()) {
            return iconPlace_.placeOf(static_cast<std::uint32_t>(window->internalWinId()));
        }
        const QRect rect = icon_->geometry(); // a StatusNotifier icon has none
        if (!rect.isValid() || rect.isEmpty()) {
            return std::nullopt;
        }
        return rect;
    }

    void popUpMenu(QMenu& menu, QPoint at) override {
        poppingUp_ = true;
        menu.exec(at);
        poppingUp_ = false;
    }

private slots:
    void hostRegistered() {
        hostRegistered_ = true;
        attachIfTrayRunning();
    }

private:
    void menuRequested() {
        if (!poppingUp_ && menuRequestHandler_) {
            menuRequestHandler_(QCursor::pos());
        }
    }

    void askWhetherHostRegistered() {
        auto* pending =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(hostRegisteredQuery()), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
            pending->deleteLater();
            if (saysHostRegistered(pending->reply())) {
                hostRegistered();
            }
        });
    }

    void attachIfTrayRunning() {
        if (icon_ || !shown_ || (!hostRegistered_ && !(xembedTray_ && xembedTray_->hasOwner()))) {
            return;
        }
        // Nothing more to wait for.
        QDBusConnection::sessionBus().disconnect(
            QString(), QStringLiteral("/StatusNotifierWatcher"), notifierWatcher,
            QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
        for (QObject* watcher :
             {static_cast<QObject*>(xembedTray_), static_cast<QObject*>(notifierWatcher_)}) {
            if (watcher) {
                watcher->disconnect(this);
                watcher->deleteLater();
            }
        }
        xembedTray_ = nullptr;
        notifierWatcher_ = nullptr;

        icon_ = std::make_unique<QSystemTrayIcon>();
        icon_->setIcon(image_);
        icon_->setToolTip(toolTip_);
        icon_->setContextMenu(menu_);
        QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
        icon_->show();
        exportMenu();
    }

    // Where Qt has exported the menu to a StatusNotifier host, ours takes the place of its export, under the
    // path the icon names.
    void exportMenu() {
        if (menuExporter_ && &menuExporter_->menu() != menu_) {
            menuExporter_.reset();
        }
        std::optional<QDBusConnection> connection = statusNotifierConnection();
        if (!connection) {
            return;
        }
        exportItem(*connection);
        if (!menu_) {
            return;
        }
        if (!menuExporter_) {
            menuExporter_ = std::make_unique<DBusMenuExporter>(*menu_);
        }
        const QString path = QStringLiteral("/MenuBar");
        if (connection->objectRegisteredAt(path) != menuExporter_.get()) {
            connection->unregisterObject(path);
            connection->registerObject(path, menuExporter_.get(), QDBusConnection::ExportAllContents);
        }
    }

    // Ours takes the place of Qt's item, for the title.
    void exportItem(const QDBusConnection& connection) {
        QObject* registered = connection.objectRegisteredAt(QLatin1String(StatusNotifierItemExporter::path));
        if (!registered || registered == itemExporter_.get()) {
            return;
        }
        itemExporter_.reset();
        itemExporter_ = std::make_unique<StatusNotifierItemExporter>(connection, *registered);
        itemExporter_->setTitleWithheld(toolTip_.isEmpty());
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
    std::function<void(QPoint)> menuRequestHandler_;
    bool poppingUp_ = false; // while popUpMenu() shows the menu
    bool shown_ = false;
    bool hostRegistered_ = false;
    mutable x11::WindowPlaceWatch iconPlace_;          // kept between shows
    x11::SelectionOwnerWatcher* xembedTray_ = nullptr; // a child, until a tray is there
    QDBusServiceWatcher* notifierWatcher_ = nullptr;   // likewise
    QElapsedTimer lastTrigger_;
    std::unique_ptr<DBusMenuExporter> menuExporter_; // while the icon shows on a StatusNotifier host
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<StatusNotifierItemExporter> itemExporter_; // likewise; dropped before Qt's item
    std::function<void(const Click&)> handler_;
};

} // namespace

std::unique_ptr<TrayIcon> makeSystemTrayIcon() {
    return std::make_unique<SystemTrayIcon>();
}

} // namespace huddlepod

#include "SystemTrayIcon.moc"
