// Opens our own X connection beside Qt's and hands on its events.
#include "platform/x11/OwnConnection.h"

#include "platform/x11/X11Native.h"

#include <QSocketNotifier>

#include <cstdlib>
#include <utility>

namespace huddlepod::x11 {

xcb_window_t structureEventWindow(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
        return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window;
    case XCB_REPARENT_NOTIFY:
        return reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
    case XCB_MAP_NOTIFY:
        return reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
    case XCB_UNMAP_NOTIFY:
        return reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    case XCB_DESTROY_NOTIFY:
        return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
    default:
        return XCB_WINDOW_NONE;
    }
}

OwnConnection::OwnConnection(Handler onEvent, QObject* parent)
    : QObject(parent)
    , onEvent_(std::move(onEvent)) {
    xcb_connection_t* qt = nativeConnection();
    if (!qt) {
        return;
    }
    // The display Qt opened: it takes it from DISPLAY as well.
    xcb_connection_t* own = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(own) != 0) {
        xcb_disconnect(own);
        return;
    }
    connection_ = own;
    root_ = nativeRootWindow(own);
    qtIdBase_ = xcb_get_setup(qt)->resource_id_base;
    qtIdMask_ = xcb_get_setup(qt)->resource_id_mask;
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(own), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &OwnConnection::readEvents);
}

OwnConnection::~OwnConnection() {
    notifier_.reset();
    if (connection_) {
        xcb_disconnect(connection_);
    }
}

void OwnConnection::readEvents() {
    while (connection_) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection_);
        if (!event) {
            break;
        }
        onEvent_(*event);
        std::free(event);
    }
    if (connection_ && xcb_connection_has_error(connection_) != 0) {
        // The server is gone or the connection broke. The notifier may be the caller.
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
        xcb_disconnect(std::exchange(connection_, nullptr));
    }
}

} // namespace huddlepod::x11
