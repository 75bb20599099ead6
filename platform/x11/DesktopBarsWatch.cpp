// Keeps the desktop's bars and reads them again when the X server tells of a change.
#include "platform/x11/DesktopBarsWatch.h"

#include "platform/x11/DevicePixels.h"
#include "platform/x11/OwnConnection.h"
#include "platform/x11/X11Native.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <chrono>

namespace huddlepod::x11 {

namespace {

// Asked of every window the bars are read from.
constexpr std::uint32_t windowEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

bool isIn(xcb_atom_t atom, const std::vector<xcb_atom_t>& atoms) {
    return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

} // namespace

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
    x_ = std::make_unique<OwnConnection>([this](const xcb_generic_event_t& event) { take(event); });
    xcb_connection_t* own = x_->get();
    if (!own) {
        return;
    }
    for (const char* name : {"_NET_WORKAREA", "_NET_CLIENT_LIST", "_NET_CURRENT_DESKTOP"}) {
        rootAtoms_.push_back(internAtom(own, name));
    }
    for (const char* name : {"_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT", "_NET_WM_WINDOW_TYPE"}) {
        windowAtoms_.push_back(internAtom(own, name));
    }
    // Children mapped, unmapped and moved, the root's own size and its properties.
    const std::uint32_t rootEvents =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(own, x_->root(), XCB_CW_EVENT_MASK, &rootEvents);
    // Bars are kept in Qt's global coordinates, which follow the screens.
    followScreens(this, [this] { changed(true); });
    reread();
}

DesktopBarsWatch::~DesktopBarsWatch() = default;

const DesktopBars& DesktopBarsWatch::current() {
    // What the server has told by now, without waiting for more.
    x_->readEvents();
    if (!x_->get()) {
        // No connection of our own: asked on Qt's each time.
        bars_ = read_(nativeConnection(), 0, nullptr);
    } else if (stale_) {
        reread();
    }
    return bars_;
}

std::optional<Bar> DesktopBarsWatch::barAt(QPoint point) {
    const DesktopBars& bars = current();
    const QScreen* screen = QGuiApplication::screenAt(point);
    const QRect holder = screen ? screen->geometry() : QRect();
    return x11::barAt(point, bars.strips, bars.workAreaOn(holder), holder);
}

void DesktopBarsWatch::reread() {
    if (!x_->get()) {
        return;
    }
    again_.stop();
    stale_ = false;
    holders_.clear();
    bars_ = read_(x_->get(), windowEvents, &holders_);
    std::sort(holders_.begin(), holders_.end());
    x_->readEvents();
}

void DesktopBarsWatch::changed(bool known) {
    // Either way no show uses the bars as they were: one that comes first reads them itself.
    stale_ = true;
    if (known) {
        again_.start(0);
    } else if (!again_.isActive()) {
        // A window mapped may be a new bar; most are not, and one is the panel's own frame: read a moment
        // later, off the show's path.
        again_.start(std::chrono::milliseconds(50));
    }
}

void DesktopBarsWatch::take(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (isIn(notify.atom, notify.window == x_->root() ? rootAtoms_ : windowAtoms_)) {
            changed(true);
        }
        return;
    }
    if (type == XCB_MAP_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        // Menus and tooltips are never bars, nor are our own windows.
        if (!notify.override_redirect && !x_->isQtsWindow(notify.window)) {
            changed(false);
        }
        return;
    }
    // A bar or the frame holding it moved, unmapped, reparented or gone, or the root resized; other events
    // (errors for windows gone before they were asked about, among others) change nothing.
    const xcb_window_t window = structureEventWindow(event);
    if (window != XCB_WINDOW_NONE && (std::binary_search(holders_.begin(), holders_.end(), window) ||
                                      (type == XCB_CONFIGURE_NOTIFY && window == x_->root()))) {
        changed(true);
    }
}

} // namespace huddlepod::x11
