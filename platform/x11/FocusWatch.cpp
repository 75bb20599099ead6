// Focus changes seen on Qt's connection: focus events on our windows and on the root window, and the window
// manager's _NET_ACTIVE_WINDOW.
#include "platform/x11/FocusWatch.h"
#include "platform/x11/X11Native.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>

namespace huddlepod::x11 {

namespace {

// The root window's focus and property events are selected for all watches together: by the first to
// begin, and given back by the last to end, so that a watch ending never deafens one still running.
int watchesAlive = 0;
uint32_t rootMaskAddedByWatches = 0;

xcb_window_t windowManagersOwnWindow(xcb_connection_t* connection, xcb_window_t root) {
    const Reply<xcb_get_property_reply_t> check(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, internAtom(connection, "_NET_SUPPORTING_WM_CHECK"),
                         XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!check || xcb_get_property_value_length(check.get()) < int(sizeof(xcb_window_t))) {
        return XCB_WINDOW_NONE;
    }
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
}

// The child of the root window that holds `window`.
xcb_window_t topLevelOf(xcb_connection_t* connection, xcb_window_t window, xcb_window_t root) {
    for (int depth = 0; depth < 64; ++depth) {
        const Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree || tree->parent == root || tree->parent == XCB_WINDOW_NONE) {
            return window;
        }
        window = tree->parent;
    }
    return window;
}

} // namespace

std::optional<FocusHolder> focusHolder() {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return std::nullopt;
    }
    const xcb_window_t root = nativeRootWindow(connection);
    const Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!focus) {
        return std::nullopt;
    }
    const xcb_window_t window = focus->focus;
    if (window == XCB_WINDOW_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT || window == root) {
        return FocusHolder::nobody;
    }
    // Windows this connection made carry its resource id base.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if ((window & ~setup->resource_id_mask) == setup->resource_id_base) {
        return FocusHolder::ours;
    }
    const xcb_window_t top = topLevelOf(connection, window, root);
    if (top == windowManagersOwnWindow(connection, root)) {
        return FocusHolder::nobody;
    }
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, top), nullptr));
    return attributes && attributes->override_redirect ? FocusHolder::popup : FocusHolder::otherWindow;
}

void takeInputFocus(const QWindow& window) {
    if (xcb_connection_t* connection = nativeConnection()) {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window.winId()),
                            XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
}

bool focusWithMap(const QWindow& window) {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return false;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    // Refused while a manager holds the map back (the window is not viewable yet): that error is dropped
    // unread.
    const xcb_void_cookie_t focus =
        xcb_set_input_focus_checked(connection, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_discard_reply(connection, focus.sequence);
    // Behind the map request in the manager's queue: it has the window by the time it reads this.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = internAtom(connection, "_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 1; // from an application
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, nativeRootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    return true;
}

bool mapWithFocus(const QWindow& window) {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return false;
    }
    xcb_map_window(connection, static_cast<xcb_window_t>(window.winId()));
    return focusWithMap(window);
}

FocusWatch::FocusWatch(std::function<void(FocusHolder)> changed, QObject* parent)
    : QObject(parent)
    , changed_(std::move(changed)) {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return;
    }
    // Focus moving to or from the root window itself (or to no window) is told only to the root window.
    if (watchesAlive++ == 0) {
        const xcb_window_t root = nativeRootWindow(connection);
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, root), nullptr));
        const uint32_t wanted = XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_PROPERTY_CHANGE;
        const uint32_t current = attributes ? attributes->your_event_mask : 0;
        rootMaskAddedByWatches = wanted & ~current;
        if (rootMaskAddedByWatches != 0) {
            const uint32_t mask = current | wanted;
            xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection);
        }
    }
    activeWindowAtom_ = internAtom(connection, "_NET_ACTIVE_WINDOW");
    QCoreApplication::instance()->installNativeEventFilter(this);
    scheduleCheck(); // the focus may have moved before the watch began
}

FocusWatch::~FocusWatch() {
    xcb_connection_t* connection = nativeConnection();
    if (!connection) {
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    if (--watchesAlive == 0 && rootMaskAddedByWatches != 0) {
        const xcb_window_t root = nativeRootWindow(connection);
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, root), nullptr));
        if (attributes) {
            const uint32_t mask = attributes->your_event_mask & ~rootMaskAddedByWatches;
            xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
            xcb_flush(connection);
        }
        rootMaskAddedByWatches = 0;
    }
}

bool FocusWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT:
        scheduleCheck();
        break;
    case XCB_PROPERTY_NOTIFY:
        if (reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom == activeWindowAtom_) {
            scheduleCheck();
        }
        break;
    default:
        break;
    }
    return false;
}

void FocusWatch::scheduleCheck() {
    if (checkScheduled_) {
        return;
    }
    checkScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        checkScheduled_ = false;
        if (const std::optional<FocusHolder> holder = focusHolder()) {
            // A copy: the callback may well delete this watch.
            const auto changed = changed_;
            changed(*holder);
        }
    });
}

} // namespace huddlepod::x11
