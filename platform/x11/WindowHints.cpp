// EWMH hints, the input shape and the pointer query.
#include "platform/x11/WindowHints.h"
#include "platform/x11/DevicePixels.h"
#include "platform/x11/X11Native.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMargins>
#include <QRegion>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <QtMath>

#include <xcb/shape.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace huddlepod::x11 {

xcb_connection_t* nativeConnection() {
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_window_t nativeRootWindow(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem > 0 ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
    // An atom lasts as long as the connection: asked of the server once per connection and name, not on
    // every show (Qt's connection and the desktop bars' own one both ask).
    static std::map<std::pair<xcb_connection_t*, QByteArray>, xcb_atom_t> cache;
    if (const auto found = cache.find({connection, name}); found != cache.end()) {
        return found->second;
    }
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    if (atom != XCB_ATOM_NONE) {
        cache.emplace(std::pair(connection, name), atom);
    }
    return atom;
}

void sendQueuedRequests() {
    if (xcb_connection_t* connection = nativeConnection()) {
        xcb_flush(connection);
    }
}

void setOnAllDesktopsAndOffTaskbar(QWindow& window) {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, internAtom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);

    // Written whole, without asking what is there: the window manager drops the states of a withdrawn
    // window, and Qt merges its own (above) into these when it maps the window.
    const xcb_atom_t stateAtom = internAtom(connection, "_NET_WM_STATE");
    std::vector<xcb_atom_t> states;
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                             "_NET_WM_STATE_ABOVE"}) {
        states.push_back(internAtom(connection, name));
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, stateAtom, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
    xcb_flush(connection);
}

void setInputRegion(QWindow& window, const QRegion& region) {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return;
    }
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    if (region.isEmpty()) {
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id, 0, 0, XCB_PIXMAP_NONE);
    } else {
        // X counts device pixels.
        const qreal ratio = window.devicePixelRatio();
        std::vector<xcb_rectangle_t> rectangles;
        for (const QRect& rect : region) {
            const QRect device(
                QPoint(qFloor(rect.left() * ratio), qFloor(rect.top() * ratio)),
                QPoint(qCeil((rect.right() + 1) * ratio) - 1, qCeil((rect.bottom() + 1) * ratio) - 1));
            rectangles.push_back({int16_t(device.x()), int16_t(device.y()), uint16_t(device.width()),
                                  uint16_t(device.height())});
        }
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, id,
                             0, 0, uint32_t(rectangles.size()), rectangles.data());
    }
    xcb_flush(connection);
}

void setFrameExtents(QWindow& window, const QMargins& extents) {
    if (xcb_connection_t* connection = nativeConnection()) {
        const qreal ratio = window.devicePixelRatio();
        const auto device = [ratio](int length) { return qRound(length * ratio); };
        setFrameExtents(connection, static_cast<xcb_window_t>(window.winId()),
                        QMargins(device(extents.left()), device(extents.top()), device(extents.right()),
                                 device(extents.bottom())));
    }
}

void setFrameExtents(xcb_connection_t* connection, xcb_window_t window, const QMargins& extents) {
    const xcb_atom_t atom = internAtom(connection, "_GTK_FRAME_EXTENTS");
    if (extents.isNull()) {
        xcb_delete_property(connection, window, atom);
    } else {
        const uint32_t values[4] = {
            uint32_t(std::max(extents.left(), 0)), uint32_t(std::max(extents.right(), 0)),
            uint32_t(std::max(extents.top(), 0)), uint32_t(std::max(extents.bottom(), 0))};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom, XCB_ATOM_CARDINAL, 32, 4,
                            values);
    }
    xcb_flush(connection);
}

namespace {

bool isSupportedByWindowManager(xcb_connection_t* connection, xcb_atom_t atom) {
    const auto cookie = xcb_get_property(connection, 0, nativeRootWindow(connection),
                                         internAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply) {
        return false;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = reply->format == 32 ? xcb_get_property_value_length(reply) / 4 : 0;
    const bool found = std::find(atoms, atoms + count, atom) != atoms + count;
    std::free(reply);
    return found;
}

// A _NET_WM_MOVERESIZE request for the window, with the first button, to the manager through the root.
void sendMoveResize(xcb_connection_t* connection, xcb_atom_t moveResize, QWindow& window, QPoint at,
                    uint32_t action) {
    const QPoint device = toDevice(at);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window.winId());
    message.type = moveResize;
    message.data.data32[0] = uint32_t(device.x());
    message.data.data32[1] = uint32_t(device.y());
    message.data.data32[2] = action;
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // a normal application
    xcb_send_event(connection, 0, nativeRootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

} // namespace

bool startWindowManagerMove(QWindow& window, QPoint from) {
    xcb_connection_t* connection = nativeConnection();
    const xcb_atom_t moveResize =
        connection ? internAtom(connection, "_NET_WM_MOVERESIZE") : xcb_atom_t(XCB_ATOM_NONE);
    if (moveResize == XCB_ATOM_NONE || !isSupportedByWindowManager(connection, moveResize)) {
        return false;
    }
    // The press grabbed the pointer for us; the manager needs it.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    sendMoveResize(connection, moveResize, window, from, 8); // _NET_WM_MOVERESIZE_MOVE
    return true;
}

void cancelWindowManagerMove(QWindow& window) {
    if (xcb_connection_t* connection = nativeConnection()) {
        sendMoveResize(connection, internAtom(connection, "_NET_WM_MOVERESIZE"), window, QPoint(),
                       11); // _NET_WM_MOVERESIZE_CANCEL
    }
}

namespace {

// Forgets what it knew of the window manager when the root window's property changes.
class WindowManagerCheck : public QAbstractNativeEventFilter {
public:
    explicit WindowManagerCheck(xcb_connection_t* connection)
        : root_(nativeRootWindow(connection))
        , atom_(internAtom(connection, "_NET_SUPPORTING_WM_CHECK")) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (eventType == "xcb_generic_event_t" && (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (property->window == root_ && property->atom == atom_) {
                known.reset();
            }
        }
        return false;
    }

    std::optional<bool> known;
    const xcb_window_t root_;
    const xcb_atom_t atom_;
};

} // namespace

std::optional<bool> windowManagerRuns() {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return std::nullopt;
    }
    // Qt's connection hears the root window's property changes.
    static WindowManagerCheck* check = new WindowManagerCheck(connection);
    if (!check->known) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, check->root_, check->atom_, XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        check->known = reply && xcb_get_property_value_length(reply.get()) >= int(sizeof(xcb_window_t));
    }
    return check->known;
}

std::optional<bool> isLeftButtonDown() {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return std::nullopt;
    }
    const auto cookie = xcb_query_pointer(connection, nativeRootWindow(connection));
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(connection, cookie, nullptr);
    if (!reply) {
        return std::nullopt;
    }
    const bool down = (reply->mask & XCB_BUTTON_MASK_1) != 0;
    std::free(reply);
    return down;
}

} // namespace huddlepod::x11
