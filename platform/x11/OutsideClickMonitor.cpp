// Raw button presses through XInput2 on Qt's connection.
#include "platform/x11/OutsideClickMonitor.h"
#include "platform/x11/DevicePixels.h"
#include "platform/x11/X11Native.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xinput.h>

#include <cstdlib>
#include <utility>

namespace huddlepod::x11 {

namespace {

// Selects (or clears) raw button presses of the master devices on the root window.
void selectRawPresses(xcb_connection_t* connection, bool on) {
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(connection, nativeRootWindow(connection), 1, &selection.head);
    xcb_flush(connection);
}

QPoint pointerPosition(xcb_connection_t* connection) {
    const auto cookie = xcb_query_pointer(connection, nativeRootWindow(connection));
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(connection, cookie, nullptr);
    if (!reply) {
        return {};
    }
    // X counts device pixels; Qt's global coordinates are device-independent.
    const QPoint at = toLogical(QPoint(reply->root_x, reply->root_y));
    std::free(reply);
    return at;
}

} // namespace

OutsideClickMonitor::OutsideClickMonitor(std::function<bool(QPoint)> isOurs,
                                         std::function<void()> onOutsideClick, QObject* parent)
    : QObject(parent)
    , isOurs_(std::move(isOurs))
    , onOutsideClick_(std::move(onOutsideClick)) {
    if (xcb_connection_t* connection = nativeConnection()) {
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
        if (extension && extension->present) {
            opcode_ = extension->major_opcode;
            selectRawPresses(connection, true);
            QCoreApplication::instance()->installNativeEventFilter(this);
            return;
        }
    }
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) {
            QTimer::singleShot(0, this, [callback = onOutsideClick_] { callback(); });
        }
    });
}

OutsideClickMonitor::~OutsideClickMonitor() {
    if (opcode_ != 0) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        if (xcb_connection_t* connection = nativeConnection()) {
            selectRawPresses(connection, false);
            if (marker_ != XCB_WINDOW_NONE) {
                xcb_destroy_window(connection, marker_);
            }
            xcb_flush(connection);
        }
    }
}

bool OutsideClickMonitor::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_CLIENT_MESSAGE) {
        const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (client->window != marker_) {
            return false;
        }
        if (pending_ && pending_->time == client->data.data32[0]) {
            settle();
        }
        return true; // ours alone
    }
    // X counts device pixels; Qt's global coordinates are device-independent.
    if (type == XCB_BUTTON_PRESS) {
        const auto* core = reinterpret_cast<const xcb_button_press_event_t*>(event);
        if (pending_ && pending_->time == core->time) {
            pending_->at = toLogical(QPoint(core->root_x, core->root_y));
        }
        return false;
    }
    if (type != XCB_GE_GENERIC) {
        return false;
    }
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if (generic->extension != opcode_) {
        return false;
    }
    if (generic->event_type == XCB_INPUT_BUTTON_PRESS) {
        const auto* device = reinterpret_cast<const xcb_input_button_press_event_t*>(event);
        if (pending_ && pending_->time == device->time) {
            // 16.16 fixed point
            pending_->at =
                toLogical(QPoint(qRound(device->root_x / 65536.0), qRound(device->root_y / 65536.0)));
        }
        return false;
    }
    if (generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS) {
        return false;
    }
    const auto* raw = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
    // 4 to 7 are the wheel's steps, not clicks.
    if (raw->detail >= 4 && raw->detail <= 7) {
        return false;
    }
    settle(); // one still waiting is decided first
    pending_ = PendingPress{raw->time, std::nullopt};
    // A message to ourselves comes back after everything the server sent us before it, the press on our
    // window included.
    xcb_connection_t* connection = nativeConnection();
    if (marker_ == XCB_WINDOW_NONE) { // made at the first press, so that a show does not wait for it
        marker_ = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, marker_, nativeRootWindow(connection), -1, -1, 1,
                          1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    xcb_client_message_event_t marker{};
    marker.response_type = XCB_CLIENT_MESSAGE;
    marker.format = 32;
    marker.window = marker_;
    marker.type = internAtom(connection, "_HUDDLEPOD_PRESS_SEEN");
    marker.data.data32[0] = raw->time;
    xcb_send_event(connection, 0, marker_, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&marker));
    xcb_flush(connection);
    return false; // Qt never asked for raw events; let it see them anyway
}

void OutsideClickMonitor::settle() {
    if (!pending_) {
        return;
    }
    const std::optional<QPoint> at = std::exchange(pending_, std::nullopt)->at;
    press(at.value_or(pointerPosition(nativeConnection())));
}

void OutsideClickMonitor::press(QPoint at) {
    if (isOurs_ && isOurs_(at)) {
        return;
    }
    // A copy: the callback may well delete this monitor.
    QTimer::singleShot(0, this, [callback = onOutsideClick_] { callback(); });
}

} // namespace huddlepod::x11
