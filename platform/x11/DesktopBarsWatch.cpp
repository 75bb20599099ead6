// Keeps the desktop's bars and reads them again when the X server tells of a change.
#include "platform/x11/DesktopBarsWatch.h"

#include "platform/x11/X11Native.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace huddlepod::x11 {

namespace {

// Asked of every window the bars are read from.
constexpr std::uint32_t windowEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

} // namespace

struct DesktopBarsWatch::Connection {
    explicit Connection(xcb_connection_t* c)
        : connection(c) {}
    ~Connection() { xcb_disconnect(connection); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isQtsWindow(xcb_window_t window) const { return (window & ~qtIdMask) == qtIdBase; }

    xcb_connection_t* connection;
    xcb_window_t root = XCB_WINDOW_NONE;
    std::vector<xcb_atom_t> rootAtoms;   // the work area, the client list, the current desktop
    std::vector<xcb_atom_t> windowAtoms; // a window's struts and type
    std::uint32_t qtIdBase = 0;          // the window ids Qt's connection hands out
    std::uint32_t qtIdMask = 0;
};

DesktopBarsWatch& DesktopBarsWatch::shared() {
    static QPointer<DesktopBarsWatch> watch;
    if (!watch) {
        watch = new DesktopBarsWatch(readDesktopBars, QCoreApplication::instance());
    }
    return *watch;
}

DesktopBarsWatch::DesktopBarsWatch(Reader read, QObject* parent)
    : QObject(parent)
    , read_(std::move(read)) {
    again_.setSingleShot(true);
    connect(&again_, &QTimer::timeout, this, &DesktopBarsWatch::reread);
    xcb_connection_t* qt = nativeConnection();
    if (!qt) {
        return;
    }
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(own) != 0) {
        xcb_disconnect(own);
        return;
    }
    x_ = std::make_unique<Connection>(own);
    x_->root = nativeRootWindow(own);
    x_->qtIdBase = xcb_get_setup(qt)->resource_id_base;
    x_->qtIdMask = xcb_get_setup(qt)->resource_id_mask;
    for (const char* name : {"_NET_WORKAREA", "_NET_CLIENT_LIST", "_NET_CURRENT_DESKTOP"}) {
        x_->rootAtoms.push_back(internAtom(own, name));
    }
    for (const char* name : {"_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT", "_NET_WM_WINDOW_TYPE"}) {
        x_->windowAtoms.push_back(internAtom(own, name));
    }
    // Children mapped, unmapped and moved, the root's own size and its properties.
    const std::uint32_t rootEvents =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(own, x_->root, XCB_CW_EVENT_MASK, &rootEvents);
    events_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(own), QSocketNotifier::Read);
    connect(events_.get(), &QSocketNotifier::activated, this, &DesktopBarsWatch::readEvents);
    // Bars are kept in Qt's global coordinates, which follow the screens.
    const auto followScreen = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [this] { changed(true); });
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        followScreen(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, followScreen](QScreen* screen) {
        followScreen(screen);
        changed(true);
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { changed(true); });
    reread();
}

DesktopBarsWatch::~DesktopBarsWatch() = default;

const DesktopBars& DesktopBarsWatch::current() {
    if (!x_) {
        bars_ = read_(nativeConnection(), 0, nullptr);
        return bars_;
    }
    // What the server has told by now, without waiting for more.
    readEvents();
    if (x_ && stale_) {
        reread();
    }
    return bars_;
}

std::optional<Bar> DesktopBarsWatch::barAt(QPoint point) {
    const DesktopBars& bars = current();
    const QScreen* screen = QGuiApplication::screenAt(point);
    return x11::barAt(point, bars.strips, bars.workArea, screen ? screen->geometry() : QRect());
}

void DesktopBarsWatch::reread() {
    if (!x_) {
        return;
    }
    again_.stop();
    stale_ = false;
    holders_.clear();
    bars_ = read_(x_->connection, windowEvents, &holders_);
    std::sort(holders_.begin(), holders_.end());
    // Events that came with the answers are read off the socket already: it will not tell of them again.
    readEvents();
}

void DesktopBarsWatch::changed(bool known) {
    if (known) {
        stale_ = true;
        again_.start(0);
    } else if (!again_.isActive()) {
        // A window mapped may be a new bar; most are not, and one is the panel's own frame: read a moment
        // later, off the show's path, and meanwhile keep the bars as they are.
        again_.start(std::chrono::milliseconds(50));
    }
}

void DesktopBarsWatch::readEvents() {
    if (!x_) {
        return;
    }
    const auto holds = [this](xcb_window_t window) {
        return std::binary_search(holders_.begin(), holders_.end(), window);
    };
    const auto isIn = [](xcb_atom_t atom, const std::vector<xcb_atom_t>& atoms) {
        return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
    };
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_->connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (isIn(notify->atom, notify->window == x_->root ? x_->rootAtoms : x_->windowAtoms)) {
                changed(true);
            }
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* notify = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            // Menus and tooltips are never bars, nor are our own windows.
            if (!notify->override_redirect && !x_->isQtsWindow(notify->window)) {
                changed(false);
            }
            break;
        }
        case XCB_UNMAP_NOTIFY:
            if (holds(reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window)) {
                changed(true);
            }
            break;
        case XCB_DESTROY_NOTIFY:
            if (holds(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window)) {
                changed(true);
            }
            break;
        case XCB_REPARENT_NOTIFY:
            if (holds(reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window)) {
                changed(true);
            }
            break;
        case XCB_CONFIGURE_NOTIFY: {
            const xcb_window_t window = reinterpret_cast<const xcb_configure_notify_event_t*>(event)->window;
            if (window == x_->root || holds(window)) {
                changed(true);
            }
            break;
        }
        default: // errors for windows gone before they were asked about, among others
            break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(x_->connection) != 0) {
        // The server is gone or the connection broke: from now on the bars are read when asked for. The
        // notifier may be the caller.
        events_->setEnabled(false);
        events_.release()->deleteLater();
        x_.reset();
    }
}

} // namespace huddlepod::x11
