// The program on a StatusNotifier desktop: a private D-Bus session with status-notifier-watcher, and either
// gtk-sni-tray as the host or the test itself standing in for one (it then calls the icon's methods and reads
// its menu as a host would, and presses the pointer where the icon would be).
#include "tests/e2e/ProgramUnderX.h"
#include "tests/support/Contrast.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QImage>

namespace {

using huddlepod::test::XServerHarness;
using namespace std::chrono_literals;

struct MenuEntry {
    int id = 0;
    QString text;     // "-" for a separator, "(off)" after a disabled entry
    QString shortcut; // as [["Control","Q"]], empty without one
};

QString shortcutText(const QVariant& property) {
    QList<QStringList> chords;
    if (property.isValid()) {
        qvariant_cast<QDBusArgument>(property) >> chords;
    }
    QStringList texts;
    for (const QStringList& chord : chords) {
        texts << "[\"" + chord.join("\",\"") + "\"]";
    }
    return texts.isEmpty() ? QString() : "[" + texts.join(',') + "]";
}

void readLayout(const QDBusArgument& layout, std::vector<MenuEntry>& entries, bool isRoot) {
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    if (!isRoot) {
        const bool separator = properties.value("type").toString() == "separator";
        const bool enabled = properties.value("enabled", true).toBool();
        entries.push_back({id,
                           separator ? QStringLiteral("-")
                                     : properties.value("label").toString() + (enabled ? "" : "(off)"),
                           shortcutText(properties.value("shortcut"))});
    }
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        readLayout(qvariant_cast<QDBusArgument>(child.variant()), entries, false);
    }
    layout.endArray();
    layout.endStructure();
}

// Counts the signal it is connected to.
class SignalCount : public QObject {
    Q_OBJECT

public slots:
    void count() { ++received; }

public:
    int received = 0;
};

// The revisions of the menu's LayoutUpdated signals, one per signal.
class LayoutUpdates : public QObject {
    Q_OBJECT

public slots:
    void updated(uint revision, int parent) { received << QStringLiteral("%1/%2").arg(revision).arg(parent); }

public:
    QStringList received;
};

// An event as a host sends it in a group: (isvu).
struct HostEvent {
    int id = 0;
    QString eventId;
};

QDBusArgument& operator<<(QDBusArgument& argument, const HostEvent& event) {
    argument.beginStructure();
    argument << event.id << event.eventId << QDBusVariant(0) << 0u;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, HostEvent& event) {
    QDBusVariant data;
    uint timestamp = 0;
    argument.beginStructure();
    argument >> event.id >> event.eventId >> data >> timestamp;
    argument.endStructure();
    return argument;
}

// The properties of a menu entry as "{name=value,…}", by name; a shortcut as its chords.
QString propertiesText(const QVariantMap& properties) {
    QStringList pairs;
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        pairs << it.key() + "=" + (it.key() == "shortcut" ? shortcutText(it.value()) : it.value().toString());
    }
    return "{" + pairs.join(',') + "}";
}

// A watcher no host has registered with, counting how often it is asked whether one has.
class WatcherWithoutHost : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    explicit WatcherWithoutHost(QObject* object)
        : QDBusAbstractAdaptor(object) {}
    bool isHostRegistered() const {
        ++asked;
        return false;
    }
    mutable int asked = 0;
};

class StatusNotifierEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startSessionBus());
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { errors += app.readAllStandardError(); });
    }

    void startOnBus() {
        startProgram({{"DBUS_SESSION_BUS_ADDRESS", x.sessionBusAddress()},
                      {"HUDDLEPOD_DEBUG_LOG", home.filePath("debug.log")}});
    }
    bool waitRegistered() {
        return XServerHarness::waitFor([this] { return !x.registeredStatusNotifierItems().isEmpty(); });
    }
    // Under gtk-sni-tray with a bar of this colour, the panel stored as dragged to `dragged` if given.
    void startUnderHost(const QString& colour, std::optional<QPoint> dragged = std::nullopt) {
        ASSERT_TRUE(x.startStatusNotifierWatcher());
        ASSERT_TRUE(x.startStatusNotifierHost(colour));
        if (dragged) {
            QSettings settings(home.filePath("config/Huddlepod/Huddlepod.ini"), QSettings::IniFormat);
            settings.setValue("panel.detachedOrigin/x", dragged->x());
            settings.setValue("panel.detachedOrigin/y", dragged->y());
        }
        startOnBus();
        ASSERT_TRUE(waitRegistered()) << errors.toStdString();
    }
    // Stands in for the tray host itself: registers its own connection with the watcher.
    void startWithHostStandIn() {
        ASSERT_TRUE(x.startStatusNotifierWatcher());
        QDBusConnection bus(x.sessionBusAddress());
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                           "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierHost");
        call << bus.baseService();
        ASSERT_EQ(bus.call(call, QDBus::Block, 5000).type(), QDBusMessage::ReplyMessage);
        startOnBus();
        ASSERT_TRUE(waitRegistered()) << errors.toStdString();
    }

    // The icon's bus name and object path, as the watcher has it.
    std::pair<QString, QString> itemAddress() const {
        const QString item = x.registeredStatusNotifierItems().value(0);
        const qsizetype slash = item.indexOf('/');
        return slash < 0 ? std::pair(item, QStringLiteral("/StatusNotifierItem"))
                         : std::pair(item.left(slash), item.mid(slash));
    }
    QDBusMessage itemCall(const QString& interface, const QString& method, const QVariantList& arguments,
                          const QString& path = {}) const {
        const auto [service, itemPath] = itemAddress();
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, path.isEmpty() ? itemPath : path, interface, method);
        call.setArguments(arguments);
        return call;
    }
    QDBusMessage callItem(const QString& interface, const QString& method, const QVariantList& arguments,
                          const QString& path = {}) {
        return QDBusConnection(x.sessionBusAddress())
            .call(itemCall(interface, method, arguments, path), QDBus::Block, 5000);
    }
    QString menuPath() {
        const QDBusMessage reply =
            callItem("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", "Menu"});
        return reply.arguments().isEmpty()
                   ? QString()
                   : qvariant_cast<QDBusObjectPath>(reply.arguments().front().value<QDBusVariant>().variant())
                         .path();
    }
    // The menu as a host shows it: asked to get ready, then read whole.
    std::vector<MenuEntry> menu() {
        const QString path = menuPath();
        callItem("com.canonical.dbusmenu", "AboutToShow", {0}, path);
        const QDBusMessage layout =
            callItem("com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()}, path);
        std::vector<MenuEntry> entries;
        if (layout.type() == QDBusMessage::ReplyMessage && layout.arguments().size() == 2) {
            readLayout(qvariant_cast<QDBusArgument>(layout.arguments().at(1)), entries, true);
        }
        return entries;
    }
    // The title of the icon's tool tip.
    QString toolTip() {
        const QDBusMessage reply =
            callItem("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", "ToolTip"});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            return QStringLiteral("(unread)");
        }
        const auto tip =
            qvariant_cast<QDBusArgument>(reply.arguments().front().value<QDBusVariant>().variant());
        QString iconName, title, text;
        tip.beginStructure();
        tip >> iconName;
        tip.beginArray();
        while (!tip.atEnd()) {
            int width = 0, height = 0;
            QByteArray pixels;
            tip.beginStructure();
            tip >> width >> height >> pixels;
            tip.endStructure();
        }
        tip.endArray();
        tip >> title >> text;
        tip.endStructure();
        return title;
    }
    // The item's title, as a host with no tool tip to show reads it.
    QString title() {
        const QDBusMessage reply =
            callItem("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", "Title"});
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                   ? reply.arguments().front().value<QDBusVariant>().variant().toString()
                   : QStringLiteral("(unread)");
    }
    // The root's and then each entry's properties, by name, as GetLayout gives them for `names`; and the
    // revision it names, first.
    QString layoutText(const QStringList& names, std::vector<int>* ids = nullptr) {
        const QDBusMessage reply =
            callItem("com.canonical.dbusmenu", "GetLayout", {0, -1, names}, menuPath());
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
            return QStringLiteral("(unread)");
        }
        QStringList texts{QString::number(reply.arguments().at(0).toUInt())};
        const auto layout = qvariant_cast<QDBusArgument>(reply.arguments().at(1));
        int id = 0;
        QVariantMap properties;
        layout.beginStructure();
        layout >> id >> properties;
        texts << propertiesText(properties);
        layout.beginArray();
        while (!layout.atEnd()) {
            QDBusVariant child;
            layout >> child;
            const auto entry = qvariant_cast<QDBusArgument>(child.variant());
            entry.beginStructure();
            entry >> id >> properties;
            entry.endStructure();
            texts << propertiesText(properties);
            if (ids) {
                ids->push_back(id);
            }
        }
        layout.endArray();
        layout.endStructure();
        return texts.join('|');
    }
    void sendEvent(int id, const QString& event) {
        const QDBusMessage reply =
            callItem("com.canonical.dbusmenu", "Event", {id, event, QVariant::fromValue(QDBusVariant(0)), 0u},
                     menuPath());
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << event.toStdString();
    }
    QString menuText() {
        QStringList texts;
        for (const MenuEntry& entry : menu()) {
            texts << entry.text;
        }
        return texts.join('|');
    }
    void clickMenuEntry(const QString& text) {
        for (const MenuEntry& entry : menu()) {
            if (entry.text == text) {
                callItem("com.canonical.dbusmenu", "Event",
                         {entry.id, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u}, menuPath());
                return;
            }
        }
        ADD_FAILURE() << "no menu entry " << text.toStdString();
    }

    // A click on the icon as a host reports it: the press reaches the screen, the host calls Activate when
    // the button is let go.
    void clickIcon(QPoint at) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "mousedown", "1"});
        // About as long as a finger holds a click; cut short once the press has hidden the panel.
        XServerHarness::waitFor([this] { return !panel(); }, 300ms);
        activate(at);
        xdotool({"mouseup", "1"});
    }
    void activate(QPoint at) {
        callItem("org.kde.StatusNotifierItem", "Activate", {at.x(), at.y()});
        sinceClick.start();
    }
    // Past the double-click time since the last click: the next is a click of its own.
    void waitOutDoubleClick() const {
        XServerHarness::waitFor([this] { return sinceClick.elapsed() > 600; });
    }
    // The panel's placements, one line each time it is shown.
    QStringList shows() const { return panelPlacements(home.filePath("debug.log")); }
    // gtk-sni-tray's own windows: its bar along the top and, while one is open, an icon's menu below it.
    std::optional<QRect> hostMenu() const {
        const QString id = hostMenuWindow();
        if (id.isEmpty()) {
            return std::nullopt;
        }
        QMap<QString, int> values;
        for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n')) {
            values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        }
        return QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
    }
    QString hostMenuWindow() const {
        for (const QString& id :
             xdotool({"search", "--onlyvisible", "--classname", "gtk-sni-tray"}).split('\n')) {
            QMap<QString, int> values;
            for (const QString& line : xdotool({"getwindowgeometry", "--shell", id}).split('\n')) {
                values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
            }
            if (!id.isEmpty() && values["Y"] >= 30 && values["HEIGHT"] >= 60) { // not its tool tip
                return id;
            }
        }
        return {};
    }
    QString focusedWindowName() const { return xdotool({"getwindowfocus", "getwindowname"}); }
    // Right-clicks the icon in the host's bar, again until the host has put it there and shows its menu.
    bool openHostMenu() {
        return XServerHarness::waitFor([this] {
            xdotool(
                {"mousemove", QString::number(iconInBar.x()), QString::number(iconInBar.y()), "click", "3"});
            return XServerHarness::waitFor([this] { return hostMenu().has_value(); }, 2s);
        });
    }
    // gtk-sni-tray lines its icons up at the right end of its 30-pixel bar.
    static constexpr QPoint iconInBar{1265, 15};

    QElapsedTimer sinceClick;
};

TEST_F(StatusNotifierEndToEnd, theIconRegistersAndItsMenuOffersSettingsResetAndQuit) {
    ASSERT_NO_FATAL_FAILURE(startUnderHost("white", QPoint(40, 50)));
    EXPECT_EQ(menuText(), "Settings…|Reset Panel Position|-|Quit Huddlepod");

    // The host's own menu, opened from the icon in its bar.
    EXPECT_TRUE(openHostMenu());
    screenshot("status-notifier-menu");
    xdotool({"key", "Escape"});

    clickMenuEntry("Reset Panel Position");
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !stored("panel.detachedOrigin/x").isValid(); }));
    EXPECT_EQ(menuText(), "Settings…|Reset Panel Position(off)|-|Quit Huddlepod");

    // A host that draws no menu of its own asks the icon to show its menu (the answer comes once it closes).
    QDBusConnection(x.sessionBusAddress())
        .send(itemCall("org.kde.StatusNotifierItem", "ContextMenu", {700, 12}));
    EXPECT_TRUE(XServerHarness::waitFor([this] {
        return window({"--name", "^Huddlepod menu$"}).has_value();
    }));
    screenshot("status-notifier-own-menu");
    xdotool({"key", "Escape"});

    clickMenuEntry("Quit Huddlepod");
    EXPECT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
}

TEST_F(StatusNotifierEndToEnd, theMenuNamesItsShortcutsKeysByTheirKeysymsAsHostsReadThem) {
    startWithHostStandIn();
    QStringList shortcuts;
    for (const MenuEntry& entry : menu()) {
        shortcuts << entry.text + " " + entry.shortcut;
    }
    EXPECT_EQ(shortcuts.join('|').toStdString(),
              R"(Settings… [["Control","comma"]]|Reset Panel Position(off) |- |)"
              R"(Quit Huddlepod [["Control","Q"]])");
}

// What a host may send besides a click and a whole read: named properties, hovering, the menu opened
// without being readied and closed, several events at once; and the changes it is told of.
TEST_F(StatusNotifierEndToEnd, theMenuAnswersEveryEventAndNamedPropertyAHostSends) {
    QSettings file(home.filePath("config/Huddlepod/Huddlepod.ini"), QSettings::IniFormat);
    file.setValue("panel.detachedOrigin/x", 40);
    file.setValue("panel.detachedOrigin/y", 50);
    file.sync();
    qDBusRegisterMetaType<HostEvent>();
    qDBusRegisterMetaType<QList<HostEvent>>();
    startWithHostStandIn();
    LayoutUpdates updates;
    ASSERT_TRUE(QDBusConnection(x.sessionBusAddress())
                    .connect(itemAddress().first, menuPath(), "com.canonical.dbusmenu", "LayoutUpdated",
                             &updates, SLOT(updated(uint, int))));
    ASSERT_EQ(menuText(), "Settings…|Reset Panel Position|-|Quit Huddlepod");
    QCoreApplication::processEvents(); // the news of the menu first filled
    updates.received.clear();
    std::vector<int> ids;
    const QString labels = layoutText({"label"}, &ids);
    const QString revision = labels.section('|', 0, 0);
    EXPECT_EQ(labels.section('|', 1).toStdString(),
              "{}|{label=Settings…}|{label=Reset Panel Position}|{}|{label=Quit Huddlepod}");
    EXPECT_EQ(layoutText({"type", "enabled"}).section('|', 1).toStdString(),
              "{}|{enabled=true}|{enabled=true}|{enabled=true,type=separator}|{enabled=true}");
    ASSERT_EQ(ids.size(), 4u);
    const int settings = ids[0], reset = ids[1], quit = ids[3];

    QDBusMessage group = callItem(
        "com.canonical.dbusmenu", "GetGroupProperties",
        {QVariant::fromValue(QList<int>{quit, 0, settings}), QStringList{"shortcut", "visible"}}, menuPath());
    ASSERT_EQ(group.type(), QDBusMessage::ReplyMessage);
    QStringList items;
    const auto groupArgument = qvariant_cast<QDBusArgument>(group.arguments().value(0));
    groupArgument.beginArray();
    while (!groupArgument.atEnd()) {
        int id = 0;
        QVariantMap properties;
        groupArgument.beginStructure();
        groupArgument >> id >> properties;
        groupArgument.endStructure();
        items << QString::number(id == quit       ? 3
                                 : id == settings ? 1
                                 : id == 0        ? 0
                                                  : -1) +
                     propertiesText(properties);
    }
    groupArgument.endArray();
    EXPECT_EQ(
        items.join('|').toStdString(),
        R"(3{shortcut=[["Control","Q"]],visible=true}|0{}|1{shortcut=[["Control","comma"]],visible=true})");

    // Hovering and opening do nothing to an entry; the program runs on and no window opens.
    sendEvent(quit, "hovered");
    sendEvent(settings, "hovered");
    sendEvent(quit, "opened");
    sendEvent(quit, "closed");
    sendEvent(0, "closed");
    EXPECT_EQ(layoutText({"label"}).section('|', 0, 0), revision);
    EXPECT_EQ(app.state(), QProcess::Running);
    EXPECT_FALSE(window({"--name", "^Huddlepod Settings$"}, 200).has_value());

    // Several at once: a click among them counts, the unknown entry is named back.
    const QDBusMessage unknown = callItem(
        "com.canonical.dbusmenu", "EventGroup",
        {QVariant::fromValue(QList<HostEvent>{{quit, "hovered"}, {reset, "clicked"}, {9999, "clicked"}})},
        menuPath());
    ASSERT_EQ(unknown.type(), QDBusMessage::ReplyMessage) << unknown.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<QList<int>>(unknown.arguments().value(0)), QList<int>{9999});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !stored("panel.detachedOrigin/x").isValid(); }));
    EXPECT_TRUE(updates.received.isEmpty()) << updates.received.join(' ').toStdString();

    // Opened without being readied first: the menu catches up and the host is told, once.
    sendEvent(0, "opened");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return !updates.received.isEmpty(); }));
    const QString next = QString::number(revision.toUInt() + 1);
    EXPECT_EQ(updates.received.join(' ').toStdString(), (next + "/0").toStdString());
    EXPECT_EQ(layoutText({"label", "enabled"}).toStdString(),
              (next + "|{}|{enabled=true,label=Settings…}|{enabled=false,label=Reset Panel Position}|"
                      "{enabled=true}|{enabled=true,label=Quit Huddlepod}")
                  .toStdString());
    // Readied and opened again with nothing changed: no news.
    sendEvent(0, "closed");
    const QDBusMessage ready = callItem("com.canonical.dbusmenu", "AboutToShow", {0}, menuPath());
    EXPECT_EQ(ready.arguments().value(0).toBool(), false);
    sendEvent(0, "opened");
    EXPECT_EQ(layoutText({"label"}).section('|', 0, 0), next);
    EXPECT_EQ(updates.received.size(), 1);
}

TEST_F(StatusNotifierEndToEnd, theIconHasNoToolTipWhileThePanelShows) {
    startWithHostStandIn();
    SignalCount newToolTips;
    ASSERT_TRUE(QDBusConnection(x.sessionBusAddress())
                    .connect(itemAddress().first, itemAddress().second, "org.kde.StatusNotifierItem",
                             "NewToolTip", &newToolTips, SLOT(count())));
    const std::string text = "Huddlepod — search NFL players (right-click for settings)";
    EXPECT_EQ(toolTip().toStdString(), text);

    // A host with no tool tip to show shows the title instead: it goes with the tool tip.
    SignalCount newTitles;
    ASSERT_TRUE(QDBusConnection(x.sessionBusAddress())
                    .connect(itemAddress().first, itemAddress().second, "org.kde.StatusNotifierItem",
                             "NewTitle", &newTitles, SLOT(count())));
    EXPECT_EQ(title().toStdString(), "Huddlepod");

    showPanel();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return newToolTips.received == 1; })) << newToolTips.received;
    EXPECT_EQ(toolTip().toStdString(), "");
    EXPECT_EQ(newTitles.received, 1);
    EXPECT_EQ(title().toStdString(), "");

    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitPanel(false));
    EXPECT_TRUE(XServerHarness::waitFor([&] { return newToolTips.received == 2; })) << newToolTips.received;
    EXPECT_EQ(toolTip().toStdString(), text);
    EXPECT_EQ(newTitles.received, 2);
    EXPECT_EQ(title().toStdString(), "Huddlepod");
}

TEST_F(StatusNotifierEndToEnd, resetFromTheHostsMenuBeforeAnyLeftClickPutsThePanelUnderTheIcon) {
    ASSERT_NO_FATAL_FAILURE(startUnderHost("white", QPoint(300, 200)));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !shows().isEmpty(); }));
    EXPECT_EQ(shows().join(' ').toStdString(), "300,200,440,560"); // where it was dragged to

    ASSERT_TRUE(openHostMenu());
    xdotool({"key", "Down", "Down", "Return"}); // "Reset Panel Position"
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !storedOrigin(); }));
    // The icon taken as 24 wide around where the pointer was as the host asked for the menu (x 1254–1277),
    // across the host's 30-pixel bar; the panel 6 below the bar, held 8 from the screen's right edge.
    EXPECT_TRUE(XServerHarness::waitFor([this] { return panel() && panel()->topLeft() == QPoint(832, 36); }))
        << (panel() ? panel()->x() : -1) << "," << (panel() ? panel()->y() : -1);
    screenshot("status-notifier-reset-under-the-icon");

    // And the shortcut opens it there again.
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(false));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return shows().size() == 2; }));
    EXPECT_EQ(shows().back().toStdString(), "832,36,440,560");
}

TEST_F(StatusNotifierEndToEnd, thePanelTakesTheKeyboardBackWhenTheHostsMenuClosesOverIt) {
    // Dragged away, so that it stays open on the clicks that open and close the menu.
    ASSERT_NO_FATAL_FAILURE(startUnderHost("white", QPoint(300, 200)));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return focusedWindowName() == "Huddlepod search"; }));

    // The host's menu over the panel, holding the keyboard as some hosts' menus do; closing it leaves the
    // focus with nobody.
    ASSERT_TRUE(openHostMenu());
    xdotool({"windowfocus", "--sync", hostMenuWindow()});
    screenshot("status-notifier-menu-over-the-panel");
    xdotool({"key", "Escape"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !hostMenu(); }));
    EXPECT_TRUE(XServerHarness::waitFor([this] { return focusedWindowName() == "Huddlepod search"; }))
        << focusedWindowName().toStdString();
    xdotool({"key", "Escape"}); // reaches the panel, which hides
    EXPECT_TRUE(waitPanel(false));
}

TEST_F(StatusNotifierEndToEnd, theKeyboardComesBackAfterASecondMenuWhenTheFirstLeftTheFocusAlone) {
    ASSERT_NO_FATAL_FAILURE(startUnderHost("white", QPoint(300, 200)));
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return focusedWindowName() == "Huddlepod search"; }));

    // A menu that only grabs the keyboard: closing it leaves the focus where it was.
    ASSERT_TRUE(openHostMenu());
    xdotool({"key", "Escape"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !hostMenu(); }));
    ASSERT_EQ(focusedWindowName().toStdString(), "Huddlepod search");

    // The next one takes the focus and leaves it with nobody.
    ASSERT_TRUE(openHostMenu());
    xdotool({"windowfocus", "--sync", hostMenuWindow()});
    xdotool({"key", "Escape"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return !hostMenu(); }));
    EXPECT_TRUE(XServerHarness::waitFor([this] { return focusedWindowName() == "Huddlepod search"; }))
        << focusedWindowName().toStdString();
    xdotool({"key", "Escape"});
    EXPECT_TRUE(waitPanel(false));
}

TEST_F(StatusNotifierEndToEnd, theIconReadsOnAMidGreyBar) {
    ASSERT_NO_FATAL_FAILURE(startUnderHost("#808080"));
    const QColor bar("#808080");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return x.pixel(600, 15) == (bar.rgb() & 0xffffffu); }));
    // The pixels at the bar's right end, where the host puts the icon, that make at least 3:1 with the bar:
    // as many as a sixth of a 22-pixel icon.
    const QString shot =
        QStringLiteral(HUDDLEPOD_TEST_BINARY_DIR "/test-output/e2e/status-notifier-grey-bar.png");
    int readable = 0;
    EXPECT_TRUE(XServerHarness::waitFor([&] {
        screenshot("status-notifier-grey-bar");
        const QImage screen(shot);
        readable = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 1230; x < 1280 && !screen.isNull(); ++x) {
                readable += huddlepod::test::contrast(screen.pixelColor(x, y), bar) >= 3.0 ? 1 : 0;
            }
        }
        return readable >= 22 * 22 / 6;
    })) << readable;
}

TEST_F(StatusNotifierEndToEnd, anIconMadeBeforeAnyTrayShowsOnceATrayStarts) {
    startOnBus();
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.contains("no system tray"); }));
    ASSERT_TRUE(x.startStatusNotifierWatcher());
    ASSERT_TRUE(x.startStatusNotifierHost());
    ASSERT_TRUE(waitRegistered()) << errors.toStdString();
    EXPECT_EQ(menuText(), "Settings…|Reset Panel Position(off)|-|Quit Huddlepod");
    EXPECT_TRUE(openHostMenu()); // the icon is in the bar
}

TEST_F(StatusNotifierEndToEnd, anIconWaitingForATrayDoesNotKeepAskingTheBus) {
    QDBusConnection bus = QDBusConnection::connectToBus(x.sessionBusAddress(), "watcher without host");
    QObject root;
    const auto* watcher = new WatcherWithoutHost(&root);
    ASSERT_TRUE(bus.registerObject("/StatusNotifierWatcher", &root));
    ASSERT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));
    startOnBus();
    ASSERT_TRUE(XServerHarness::waitFor([this] { return errors.contains("no system tray"); }));
    ASSERT_TRUE(x.startTrayHost());
    ASSERT_TRUE(XServerHarness::waitFor([this] { return trayIcon().has_value(); }));
    EXPECT_LE(watcher->asked, 2); // as the icon is first shown, and as Qt picks the kind of tray
    bus.unregisterObject("/StatusNotifierWatcher");
    QDBusConnection::disconnectFromBus("watcher without host");
}

TEST_F(StatusNotifierEndToEnd, aClickOpensThePanelUnderItAndASecondClickBesideItClosesIt) {
    startWithHostStandIn();
    clickIcon({700, 12}); // the icon taken as 24×24 around the click: x 689–712, y 1–24
    ASSERT_EQ(shows().join(' ').toStdString(), "481,31,440,560");
    ASSERT_TRUE(waitPanel(true));
    EXPECT_EQ(panel()->topLeft(), QPoint(481, 31));

    waitOutDoubleClick();
    clickIcon({703, 14});
    EXPECT_EQ(shows().size(), 1);
    EXPECT_TRUE(waitPanel(false));
}

TEST_F(StatusNotifierEndToEnd, theReportOfAPressThatHidThePanelAsAClickElsewhereDoesNothing) {
    startWithHostStandIn();
    clickIcon({700, 12});
    ASSERT_TRUE(waitPanel(true));
    waitOutDoubleClick();
    clickIcon({720, 12}); // still on a large icon, yet beyond the 24 pixels taken for it
    EXPECT_EQ(shows().size(), 1);
    EXPECT_TRUE(waitPanel(false));

    waitOutDoubleClick();
    clickIcon({720, 12});
    EXPECT_EQ(shows().size(), 2);
}

TEST_F(StatusNotifierEndToEnd, aDoubleClickOnTheIconCountsAsOneClick) {
    startWithHostStandIn();
    activate({700, 12});
    activate({700, 12});
    ASSERT_EQ(shows().size(), 1);
    waitOutDoubleClick();
    activate({700, 12}); // would open it again, had the double click closed it
    EXPECT_EQ(shows().size(), 1);
    EXPECT_TRUE(waitPanel(false));
}

} // namespace

#include "StatusNotifierEndToEndTest.moc"
