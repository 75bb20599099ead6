// Starts Xvfb on a free display, runs X clients against it and cleans up.
#include "XServerHarness.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace huddlepod::test {

namespace {

// Reads the display number Xvfb writes once it accepts connections; none if it exits first.
QString readDisplay(int fd) {
    std::string text;
    char c = 0;
    while (read(fd, &c, 1) == 1 && c != '\n') {
        text += c;
    }
    return c == '\n' ? QStringLiteral(":") + QString::fromStdString(text) : QString();
}

bool ownsSelection(xcb_connection_t* connection, xcb_atom_t selection, xcb_window_t owner) {
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply != nullptr && reply->owner == owner;
    std::free(reply);
    return owned;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData()),
        nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

// Takes a manager selection for `owner` and announces it with a MANAGER message on the root window, as tray
// and XSETTINGS managers do; true once the server names `owner` the selection's owner.
bool takeManagerSelection(xcb_connection_t* connection, xcb_atom_t selection, xcb_window_t owner) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_set_selection_owner(connection, owner, selection, XCB_CURRENT_TIME);
    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = root;
    manager.type = internAtom(connection, "MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection;
    manager.data.data32[2] = owner;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&manager));
    return ownsSelection(connection, selection, owner);
}

// A desktop's programs (xfconfd, xfwm4, xfsettingsd, xfce4-panel) with their folders under `home`, no
// accessibility bus to look for and no session manager.
QProcessEnvironment desktopEnvironment(QProcessEnvironment env, const QTemporaryDir& home) {
    for (const char* folder : {"CONFIG", "CACHE", "DATA"}) {
        env.insert(QStringLiteral("XDG_%1_HOME").arg(QLatin1String(folder)),
                   home.filePath(QString::fromLatin1(folder).toLower()));
    }
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.remove(QStringLiteral("SESSION_MANAGER"));
    return env;
}

// A connection of its own for a few questions to the server; every answer is none when it failed.
struct Client {
    explicit Client(const QString& display)
        : connection(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {}
    ~Client() { xcb_disconnect(connection); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool isOpen() const { return xcb_connection_has_error(connection) == 0; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root; }
    xcb_atom_t atom(const QByteArray& name) const {
        return isOpen() ? internAtom(connection, name) : xcb_atom_t(XCB_ATOM_NONE);
    }
    bool hasProperty(xcb_window_t window, xcb_atom_t atom) const {
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
            nullptr);
        const bool present = property != nullptr && property->type != XCB_NONE;
        std::free(property);
        return present;
    }

    xcb_connection_t* connection;
};

// An Xauthority file with one fresh cookie for any display (FamilyWild, no number): the server takes it as
// the one to ask for, clients find it for whatever the display is called.
bool writeAuthority(const QString& path) {
    QByteArray entry("\xff\xff");
    const auto field = [&entry](const QByteArray& bytes) {
        entry += static_cast<char>(bytes.size() >> 8);
        entry += static_cast<char>(bytes.size() & 0xff);
        entry += bytes;
    };
    QByteArray cookie(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(cookie.data()), 4);
    field({});
    field({});
    field("MIT-MAGIC-COOKIE-1");
    field(cookie);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(entry) == entry.size();
}

} // namespace

XServerHarness::XServerHarness(QSize screen, Access access) {
    const QByteArray geometry =
        QByteArray::number(screen.width()) + 'x' + QByteArray::number(screen.height()) + "x24";
    std::vector<const char*> arguments{"Xvfb",          "-displayfd", "3",   "-screen", "0",
                                       geometry.data(), "-nolisten",  "tcp", "-noreset"};
    QByteArray authority;
    if (access == Access::cookie) {
        authorityFolder_ = std::make_unique<QTemporaryDir>();
        authorityFile_ = authorityFolder_->filePath(QStringLiteral("Xauthority"));
        if (!authorityFolder_->isValid() || !writeAuthority(authorityFile_)) {
            return;
        }
        authority = QFile::encodeName(authorityFile_);
        arguments.insert(arguments.end(), {"-auth", authority.data()});
    }
    arguments.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], 3); // dup2 clears close-on-exec on the copy
        execvp("Xvfb", const_cast<char* const*>(arguments.data()));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ > 0) {
        display_ = readDisplay(fds[0]);
    }
    close(fds[0]);
}

XServerHarness::~XServerHarness() {
    if (traySelectionHolder_) {
        xcb_disconnect(traySelectionHolder_);
    }
    if (!busAddress_.isEmpty()) {
        QDBusConnection::disconnectFromBus(busAddress_);
    }
    for (auto& client : clients_) {
        client->kill();
        client->waitForFinished(5000);
    }
    clients_.clear();
    for (const QString& file : configFiles_) {
        QFile::remove(file);
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

QProcessEnvironment XServerHarness::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    if (!authorityFile_.isEmpty()) {
        environment.insert(QStringLiteral("XAUTHORITY"), authorityFile_);
    }
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!busAddress_.isEmpty()) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    }
    return environment;
}

int XServerHarness::run(const QString& program, const QStringList& arguments,
                        std::chrono::milliseconds timeout) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(static_cast<int>(timeout.count())) ||
        process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitCode();
}

QProcess& XServerHarness::start(const QString& program, const QStringList& arguments) {
    return start(environment(), program, arguments);
}

QProcess& XServerHarness::start(const QProcessEnvironment& environment, const QString& program,
                                const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    clients_.push_back(std::move(process));
    return *clients_.back();
}

bool XServerHarness::startTrayHost() {
    start(QStringLiteral("trayer"),
          {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
           QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
           QStringLiteral("--SetPartialStrut"), QStringLiteral("true")});
    // A manager that starts later takes the strut in with the bar; one already running may miss it when it
    // comes right after the bar is mapped.
    return waitFor(
        [this] { return hasSelectionOwner("_NET_SYSTEM_TRAY_S0") && hasTopLevelProperty("_NET_WM_STRUT"); });
}

bool XServerHarness::hasSelectionOwner(const QByteArray& selection) const {
    const Client client(display_);
    const xcb_atom_t atom = client.atom(selection);
    if (atom == XCB_ATOM_NONE) {
        return false;
    }
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        client.connection, xcb_get_selection_owner(client.connection, atom), nullptr);
    const bool owned = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

bool XServerHarness::hasRootProperty(const QByteArray& name) const {
    const Client client(display_);
    const xcb_atom_t atom = client.atom(name);
    return atom != XCB_ATOM_NONE && client.hasProperty(client.root(), atom);
}

bool XServerHarness::hasTopLevelProperty(const QByteArray& name) const {
    const Client client(display_);
    const xcb_atom_t atom = client.atom(name);
    // The root's children, and theirs: a window a manager has framed is one level down.
    const std::function<bool(xcb_window_t, int)> search = [&](xcb_window_t parent, int depth) {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(client.connection, xcb_query_tree(client.connection, parent), nullptr);
        bool found = false;
        if (tree != nullptr) {
            const xcb_window_t* children = xcb_query_tree_children(tree);
            for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
                found =
                    client.hasProperty(children[i], atom) || (depth > 1 && search(children[i], depth - 1));
            }
        }
        std::free(tree);
        return found;
    };
    return atom != XCB_ATOM_NONE && search(client.root(), 2);
}

std::optional<QRect> XServerHarness::workArea() const {
    const Client client(display_);
    const xcb_atom_t atom = client.atom("_NET_WORKAREA");
    if (atom == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        client.connection,
        xcb_get_property(client.connection, 0, client.root(), atom, XCB_ATOM_CARDINAL, 0, 4), nullptr);
    std::optional<QRect> area;
    if (property != nullptr && property->format == 32 && xcb_get_property_value_length(property) >= 16) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(property));
        area = QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
    }
    std::free(property);
    return area;
}

std::optional<unsigned> XServerHarness::pixel(int x, int y) const {
    xcb_connection_t* connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    std::optional<unsigned> colour;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                                              static_cast<int16_t>(x), static_cast<int16_t>(y), 1, 1, ~0u),
                                nullptr);
        // Depth 24 in 32-bit little-endian pixels: blue, green, red, unused.
        if (image != nullptr && xcb_get_image_data_length(image) >= 4) {
            const uint8_t* data = xcb_get_image_data(image);
            colour = (unsigned(data[2]) << 16) | (unsigned(data[1]) << 8) | data[0];
        }
        std::free(image);
    }
    xcb_disconnect(connection);
    return colour;
}

QString XServerHarness::writeConfig(const QString& kind, const char* contents) {
    const QString path = QDir::temp().filePath(
        QStringLiteral("huddlepod-%1-%2-%3.xml").arg(kind).arg(getpid()).arg(display_.mid(1)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) < 0) {
        return {};
    }
    configFiles_.push_back(path);
    return path;
}

bool XServerHarness::startWindowManager() {
    static const char* config = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme><name>Clearlooks</name><keepBorder>no</keepBorder></theme>
  <desktops><number>1</number></desktops>
</openbox_config>
)";
    const QString file = writeConfig(QStringLiteral("openbox"), config);
    if (file.isEmpty()) {
        return false;
    }
    start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable"), QStringLiteral("--config-file"), file});
    // Openbox names itself on the root (_NET_SUPPORTING_WM_CHECK) before it takes in windows: one mapped
    // then can stay unmapped and unmanaged. It names its theme once it has started.
    return waitFor(
        [this] { return hasRootProperty("_NET_SUPPORTING_WM_CHECK") && hasRootProperty("_OB_THEME"); });
}

bool XServerHarness::startXfwm() {
    if (busAddress_.isEmpty() && !startSessionBus()) {
        return false;
    }
    desktopHome_ = std::make_unique<QTemporaryDir>();
    if (!desktopHome_->isValid()) {
        return false;
    }
    const QProcessEnvironment env = desktopEnvironment(environment(), *desktopHome_);
    // The private bus starts no services: the settings daemon is started here, from its service file.
    const QString service = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                   "dbus-1/services/org.xfce.Xfconf.service");
    const QString daemon = QSettings(service, QSettings::IniFormat).value("D-BUS Service/Exec").toString();
    if (daemon.isEmpty()) {
        return false;
    }
    start(env, daemon, {});
    QDBusConnectionInterface* bus = QDBusConnection(busAddress_).interface();
    if (bus == nullptr ||
        !waitFor([&] { return bus->isServiceRegistered(QStringLiteral("org.xfce.Xfconf")).value(); })) {
        return false;
    }
    start(env, QStringLiteral("xfwm4"), {});
    return waitFor(
        [this] { return hasRootProperty("_NET_SUPPORTING_WM_CHECK") && hasSelectionOwner("_NET_WM_CM_S0"); },
        std::chrono::seconds(20));
}

bool XServerHarness::setXfwmCompositing(bool on) {
    const QString value = on ? QStringLiteral("true") : QStringLiteral("false");
    if (run(QStringLiteral("xfconf-query"),
            {"-c", "xfwm4", "-p", "/general/use_compositing", "-n", "-t", "bool", "-s", value}) != 0) {
        return false;
    }
    return waitFor([&] { return hasSelectionOwner("_NET_WM_CM_S0") == on; });
}

bool XServerHarness::startCompositor() {
    // Plain compositing, no shadows of its own: a window's own shadow is all that shows.
    compositor_ = &start(QStringLiteral("xcompmgr"), {});
    return waitFor([this] { return hasSelectionOwner("_NET_WM_CM_S0"); });
}

bool XServerHarness::stopCompositor() {
    if (compositor_ == nullptr) {
        return true;
    }
    compositor_->terminate();
    compositor_->waitForFinished(5000);
    compositor_ = nullptr;
    return waitFor([this] { return !hasSelectionOwner("_NET_WM_CM_S0"); });
}

bool XServerHarness::setRootColour(unsigned rgb) {
    xcb_connection_t* connection = xcb_connect(display_.toLocal8Bit().constData(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    if (ok) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        // One pixel of the colour as the root's tile, and named in _XROOTPMAP_ID, where compositors look for
        // the backdrop they paint. It outlives this connection, as a desktop's background does.
        const xcb_pixmap_t tile = xcb_generate_id(connection);
        xcb_create_pixmap(connection, screen->root_depth, tile, screen->root, 1, 1);
        const xcb_gcontext_t gc = xcb_generate_id(connection);
        const uint32_t pixel = rgb & 0xffffffu; // a 24-bit TrueColor root: the pixel is the colour
        xcb_create_gc(connection, gc, tile, XCB_GC_FOREGROUND, &pixel);
        const xcb_rectangle_t all{0, 0, 1, 1};
        xcb_poly_fill_rectangle(connection, tile, gc, 1, &all);
        xcb_free_gc(connection, gc);
        xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXMAP, &tile);
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 13, "_XROOTPMAP_ID"), nullptr);
        if (atom != nullptr) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, atom->atom, XCB_ATOM_PIXMAP,
                                32, 1, &tile);
        }
        std::free(atom);
        xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
        xcb_set_close_down_mode(connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
        std::free(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)); // a round trip
    }
    xcb_disconnect(connection);
    return ok;
}

bool XServerHarness::startSessionBus() {
    // The session bus's rules without its service folders: nothing on it starts other programs (an
    // accessibility bus, a settings portal) that the harness would not know to end.
    static const char* config =
        R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
    const QString file = writeConfig(QStringLiteral("bus"), config);
    if (file.isEmpty()) {
        return false;
    }
    QProcess& daemon = start(QStringLiteral("dbus-daemon"),
                             {QStringLiteral("--config-file=") + file, QStringLiteral("--nofork"),
                              QStringLiteral("--print-address=1")});
    if (!waitFor([&] { return daemon.canReadLine() || daemon.state() == QProcess::NotRunning; })) {
        return false;
    }
    busAddress_ = QString::fromUtf8(daemon.readLine()).trimmed();
    return !busAddress_.isEmpty() && QDBusConnection::connectToBus(busAddress_, busAddress_).isConnected();
}

bool XServerHarness::startStatusNotifierWatcher() {
    if (busAddress_.isEmpty()) {
        return false;
    }
    start(QStringLiteral("status-notifier-watcher"), {});
    // It owns its name a moment before it answers there.
    return waitFor(
        [this] { return watcherProperty(QStringLiteral("RegisteredStatusNotifierItems")).isValid(); });
}

bool XServerHarness::startStatusNotifierHost(const QString& colour) {
    QStringList arguments{QStringLiteral("--top"), QStringLiteral("--end"), QStringLiteral("--size"),
                          QStringLiteral("30")};
    if (!colour.isEmpty()) {
        arguments << QStringLiteral("--color") << colour;
    }
    start(QStringLiteral("gtk-sni-tray-standalone"), arguments);
    return waitFor(
        [this] { return watcherProperty(QStringLiteral("IsStatusNotifierHostRegistered")).toBool(); });
}

QStringList XServerHarness::registeredStatusNotifierItems() const {
    return watcherProperty(QStringLiteral("RegisteredStatusNotifierItems")).toStringList();
}

QVariant XServerHarness::watcherProperty(const QString& name) const {
    if (busAddress_.isEmpty()) {
        return {};
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher") << name;
    const QDBusMessage reply = QDBusConnection(busAddress_).call(get, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().front().value<QDBusVariant>().variant();
}

bool XServerHarness::holdTraySelection() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display_.toLocal8Bit().constData(), &screen);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    traySelectionHolder_ = connection;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t selection = internAtom(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    return takeManagerSelection(connection, selection, owner);
}

bool XServerHarness::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout.count()) {
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::yieldCurrentThread();
    }
    return true;
}

bool XServerHarness::answersPing(std::uint32_t window, std::chrono::milliseconds timeout) const {
    const Client client(display_);
    if (!client.isOpen()) {
        return false;
    }
    // The answer goes to the root window, to those that listen for its structure.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(client.connection, client.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_client_message_event_t ping{};
    ping.response_type = XCB_CLIENT_MESSAGE;
    ping.format = 32;
    ping.window = window;
    ping.type = client.atom("WM_PROTOCOLS");
    ping.data.data32[0] = client.atom("_NET_WM_PING");
    ping.data.data32[1] = QRandomGenerator::global()->generate(); // as the time, to know the answer by
    ping.data.data32[2] = window;
    xcb_send_event(client.connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&ping));
    xcb_flush(client.connection);
    bool answered = false;
    waitFor(
        [&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(client.connection)) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
                answered = answered ||
                           ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                            message->type == ping.type && message->data.data32[0] == ping.data.data32[0] &&
                            message->data.data32[1] == ping.data.data32[1]);
                std::free(event);
            }
            return answered || xcb_connection_has_error(client.connection) != 0;
        },
        timeout);
    return answered;
}

bool XServerHarness::splitIntoMonitors(const std::vector<QRect>& monitors) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const QRect& m = monitors[i];
        // Size in pixels and millimetres (at 96 dpi), then the offset.
        const auto size = [](int pixels) {
            return QStringLiteral("%1/%2").arg(pixels).arg(pixels * 254 / 960);
        };
        const QString geometry =
            QStringLiteral("%1x%2+%3+%4").arg(size(m.width()), size(m.height())).arg(m.x()).arg(m.y());
        const QString output = i == 0 ? QStringLiteral("screen") : QStringLiteral("none");
        if (run(QStringLiteral("xrandr"),
                {"--setmonitor", QStringLiteral("monitor-%1").arg(i), geometry, output}) != 0) {
            return false;
        }
    }
    return true;
}

bool XServerHarness::setXftDpi(int dpi) {
    const QByteArray line = "Xft.dpi: " + QByteArray::number(dpi) + "\n";
    const QString file = writeConfig(QStringLiteral("xresources"), line.constData());
    return !file.isEmpty() &&
           run(QStringLiteral("xrdb"), {QStringLiteral("-nocpp"), QStringLiteral("-merge"), file}) == 0;
}

bool XServerHarness::startTrayHostOnMonitor(int monitor) {
    return startTrayHostAt(BarEdge::top, monitor);
}

bool XServerHarness::startTrayHostAt(BarEdge edge, int monitor, bool rightEnd, bool reserves) {
    const QStringList arguments{QStringLiteral("--edge"),
                                edge == BarEdge::top ? QStringLiteral("top") : QStringLiteral("bottom"),
                                QStringLiteral("--align"),
                                rightEnd ? QStringLiteral("right") : QStringLiteral("left"),
                                QStringLiteral("--widthtype"),
                                QStringLiteral("request"),
                                QStringLiteral("--SetPartialStrut"),
                                reserves ? QStringLiteral("true") : QStringLiteral("false"),
                                QStringLiteral("--monitor"),
                                QString::number(monitor)};
    start(QStringLiteral("trayer"), arguments);
    return waitFor([this, reserves] {
        return hasSelectionOwner("_NET_SYSTEM_TRAY_S0") &&
               hasTopLevelProperty(reserves ? "_NET_WM_STRUT" : "_NET_WM_WINDOW_TYPE");
    });
}

namespace {

// The first key that types the keysym without modifiers; 0 when none does.
xcb_keycode_t keycodeOf(xcb_connection_t* connection, std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, std::uint8_t(count)), nullptr);
    xcb_keycode_t found = 0;
    if (mapping != nullptr) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int key = 0; key < count && found == 0; ++key) {
            if (syms[key * mapping->keysyms_per_keycode] == keysym) {
                found = xcb_keycode_t(setup->min_keycode + key);
            }
        }
    }
    std::free(mapping);
    return found;
}

} // namespace

std::uint32_t XServerHarness::mapDock(const QRect& place, const std::vector<std::uint32_t>& strut,
                                      std::uint32_t id, const std::vector<std::uint32_t>& thenPress) {
    if (!docks_) {
        docks_.reset(xcb_connect(display_.toLocal8Bit().constData(), nullptr));
    }
    xcb_connection_t* connection = docks_.get();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = id != 0 ? id : xcb_generate_id(connection);
    const std::uint32_t grey = 0x606060;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, std::int16_t(place.x()),
                      std::int16_t(place.y()), std::uint16_t(place.width()), std::uint16_t(place.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &grey);
    const xcb_atom_t dock = internAtom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        internAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &dock);
    if (!strut.empty()) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                            internAtom(connection, "_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32,
                            std::uint32_t(strut.size()), strut.data());
    }
    std::vector<xcb_keycode_t> keys;
    for (const std::uint32_t keysym : thenPress) {
        keys.push_back(keycodeOf(connection, keysym));
    }
    xcb_map_window(connection, window);
    for (const xcb_keycode_t key : keys) {
        xcb_test_fake_input(connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        xcb_test_fake_input(connection, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return window;
}

void XServerHarness::destroyDock(std::uint32_t id) {
    if (docks_) {
        xcb_destroy_window(docks_.get(), id);
        std::free(xcb_get_input_focus_reply(docks_.get(), xcb_get_input_focus(docks_.get()), nullptr));
    }
}

} // namespace huddlepod::test

namespace huddlepod::test {

bool XServerHarness::startXsettingsManager() {
    if (busAddress_.isEmpty() && !startSessionBus()) {
        return false;
    }
    if (!desktopHome_) {
        desktopHome_ = std::make_unique<QTemporaryDir>();
    }
    if (!desktopHome_->isValid()) {
        return false;
    }
    const QProcessEnvironment env = desktopEnvironment(environment(), *desktopHome_);
    QDBusConnectionInterface* bus = QDBusConnection(busAddress_).interface();
    if (bus == nullptr) {
        return false;
    }
    const QString xfconf = QStringLiteral("org.xfce.Xfconf");
    if (!bus->isServiceRegistered(xfconf).value()) {
        // The private bus starts no services: the settings daemon is started here, from its service file.
        const QString service = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                       "dbus-1/services/org.xfce.Xfconf.service");
        const QString daemon =
            QSettings(service, QSettings::IniFormat).value("D-BUS Service/Exec").toString();
        if (daemon.isEmpty()) {
            return false;
        }
        start(env, daemon, {});
        if (!waitFor([&] { return bus->isServiceRegistered(xfconf).value(); })) {
            return false;
        }
    }
    // Without waiting for a window manager, which a bare server may never get.
    start(env, QStringLiteral("xfsettingsd"), {QStringLiteral("--disable-wm-check")});
    return waitFor([this] { return !xsettingsBlob().isEmpty(); }, std::chrono::seconds(20));
}

bool XServerHarness::setXsettingsTheme(const QString& name) {
    if (run(QStringLiteral("xfconf-query"),
            {"-c", "xsettings", "-p", "/Net/ThemeName", "-n", "-t", "string", "-s", name}) != 0) {
        return false;
    }
    return waitFor([&] { return xsettingsBlob().contains(name.toUtf8()); });
}

QByteArray XServerHarness::xsettingsBlob() const {
    const Client client(display_);
    const xcb_atom_t selection = client.atom("_XSETTINGS_S0");
    const xcb_atom_t settings = client.atom("_XSETTINGS_SETTINGS");
    if (selection == XCB_ATOM_NONE || settings == XCB_ATOM_NONE) {
        return {};
    }
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        client.connection, xcb_get_selection_owner(client.connection, selection), nullptr);
    const xcb_window_t window = owner != nullptr ? owner->owner : xcb_window_t(XCB_NONE);
    std::free(owner);
    if (window == XCB_NONE) {
        return {};
    }
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        client.connection,
        xcb_get_property(client.connection, 0, window, settings, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 18),
        nullptr);
    QByteArray blob;
    if (property != nullptr && property->format == 8) {
        blob = QByteArray(static_cast<const char*>(xcb_get_property_value(property)),
                          xcb_get_property_value_length(property));
    }
    std::free(property);
    return blob;
}

} // namespace huddlepod::test

namespace huddlepod::test {

void XServerHarness::CloseConnection::operator()(xcb_connection_t* connection) const {
    xcb_disconnect(connection);
}

bool XServerHarness::ownXsettings(const QByteArray& blob) {
    const bool first = !xsettingsOwner_;
    if (first) {
        xsettingsOwner_.reset(xcb_connect(display_.toLocal8Bit().constData(), nullptr));
        if (xcb_connection_has_error(xsettingsOwner_.get()) != 0) {
            xsettingsOwner_.reset();
            return false;
        }
    }
    xcb_connection_t* connection = xsettingsOwner_.get();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t selection = internAtom(connection, "_XSETTINGS_S0");
    const xcb_atom_t settings = internAtom(connection, "_XSETTINGS_SETTINGS");
    if (first) {
        xsettingsWindow_ = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, xsettingsWindow_, root, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xsettingsWindow_, settings, settings, 8,
                        static_cast<std::uint32_t>(blob.size()), blob.constData());
    return first ? takeManagerSelection(connection, selection, xsettingsWindow_)
                 : ownsSelection(connection, selection, xsettingsWindow_);
}

bool XServerHarness::releaseXsettings() {
    xsettingsOwner_.reset();
    xsettingsWindow_ = 0;
    return waitFor([this] { return !hasSelectionOwner("_XSETTINGS_S0"); });
}

} // namespace huddlepod::test

namespace huddlepod::test {

namespace {

// The panel's place in its settings: along the top or bottom, from the left end.
QString xfcePanelPosition(XServerHarness::BarEdge edge) {
    return edge == XServerHarness::BarEdge::top ? QStringLiteral("p=6;x=0;y=0")
                                                : QStringLiteral("p=8;x=0;y=0");
}

} // namespace

bool XServerHarness::workAreaEndsAtBar(BarEdge edge) const {
    const std::optional<QRect> area = workArea();
    if (!area || edge == BarEdge::top) {
        return area && area->top() > 0;
    }
    const Client client(display_);
    xcb_get_geometry_reply_t* root = xcb_get_geometry_reply(
        client.connection, xcb_get_geometry(client.connection, client.root()), nullptr);
    const bool endsAbove = root != nullptr && area->top() == 0 && area->bottom() < root->height - 1;
    std::free(root);
    return endsAbove;
}

bool XServerHarness::moveXfcePanel(BarEdge edge) {
    return run(QStringLiteral("xfconf-query"),
               {"-c", "xfce4-panel", "-p", "/panels/panel-1/position", "-s", xfcePanelPosition(edge)}) == 0 &&
           waitFor([&] { return workAreaEndsAtBar(edge); });
}

bool XServerHarness::startXfcePanel(XfceTrayPlace tray, BarEdge edge) {
    if (!desktopHome_ && !startXfwm()) {
        return false;
    }
    // The panel's settings, written before the panel first asks the settings daemon for them: one bar
    // along the top or bottom, the whole width, 28 pixels plus its border; expanding separators push the
    // tray.
    const QString separator = QStringLiteral(R"(
    <property name="plugin-%1" type="string" value="separator">
      <property name="expand" type="bool" value="true"/>
      <property name="style" type="uint" value="0"/>
    </property>)");
    QStringList ids;
    QString plugins;
    const auto addPlugin = [&](const QString& definition) {
        ids << QString::number(ids.size() + 1);
        plugins += definition.arg(ids.size());
    };
    addPlugin(separator);
    addPlugin(QStringLiteral(R"(
    <property name="plugin-%1" type="string" value="systray"/>)"));
    if (tray == XfceTrayPlace::aThirdAlong) {
        addPlugin(separator);
        addPlugin(separator);
    }
    QString idValues;
    for (const QString& id : ids) {
        idValues += QStringLiteral(R"(
        <value type="int" value="%1"/>)")
                        .arg(id);
    }
    const QString channel = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="%3"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">%1
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">%2
  </property>
</channel>
)")
                                .arg(idValues, plugins, xfcePanelPosition(edge));
    const QString folder = desktopHome_->filePath(QStringLiteral("config/xfce4/xfconf/xfce-perchannel-xml"));
    QFile file(folder + QStringLiteral("/xfce4-panel.xml"));
    if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(channel.toUtf8()) < 0) {
        return false;
    }
    file.close();

    const QProcessEnvironment env = desktopEnvironment(environment(), *desktopHome_);
    start(env, QStringLiteral("xfce4-panel"), {});
    return waitFor(
        [&] {
            return watcherProperty(QStringLiteral("IsStatusNotifierHostRegistered")).toBool() &&
                   hasSelectionOwner("_NET_SYSTEM_TRAY_S0") && workAreaEndsAtBar(edge);
        },
        std::chrono::seconds(20));
}

} // namespace huddlepod::test

namespace huddlepod::test {

bool XServerHarness::startI3(BarEdge bar) {
    // i3bar puts its tray on the primary output, and Xvfb marks none as primary.
    if (run(QStringLiteral("xrandr"), {"--output", "screen", "--primary"}) != 0) {
        return false;
    }
    // The control socket beside the config, so nothing is left in the user's runtime folder.
    const QString socket =
        QDir::temp().filePath(QStringLiteral("huddlepod-i3-socket-%1-%2").arg(getpid()).arg(display_.mid(1)));
    configFiles_.push_back(socket);
    const QByteArray config = "# i3 config file (v4)\n"
                              "font pango:Lato 9\n"
                              "ipc-socket " +
                              socket.toLocal8Bit() +
                              "\n"
                              "bar {\n"
                              "    position " +
                              QByteArray(bar == BarEdge::top ? "top" : "bottom") +
                              "\n"
                              "    tray_output primary\n"
                              "}\n";
    const QString file = writeConfig(QStringLiteral("i3"), config.constData());
    if (file.isEmpty()) {
        return false;
    }
    start(QStringLiteral("i3"), {QStringLiteral("-c"), file});
    return waitFor(
        [this] {
            return hasRootProperty("_NET_SUPPORTING_WM_CHECK") && hasSelectionOwner("_NET_SYSTEM_TRAY_S0");
        },
        std::chrono::seconds(20));
}

std::optional<qint64> XServerHarness::processId(const QString& program) const {
    for (const auto& client : clients_) {
        if (client->program() == program && client->state() == QProcess::Running) {
            return client->processId();
        }
    }
    return std::nullopt;
}

} // namespace huddlepod::test
