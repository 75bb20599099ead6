// The input shape set on the window, and again each time the window is mapped.
#include "platform/x11/InputShape.h"
#include "platform/x11/WindowHints.h"
#include "platform/x11/X11Native.h"

#include <QCoreApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace huddlepod::x11 {

InputShape::InputShape(QWindow& window, QObject* parent)
    : QObject(parent)
    , window_(&window) {
    if (nativeConnection() != nullptr) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filtering_ = true;
    }
}

InputShape::~InputShape() {
    if (filtering_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void InputShape::set(const QRegion& region) {
    region_ = region;
    apply();
}

void InputShape::apply() {
    if (window_ && window_->handle() != nullptr) {
        setInputRegion(*window_, region_);
    }
}

bool InputShape::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_ || window_->handle() == nullptr || region_.isEmpty()) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto id = static_cast<xcb_window_t>(window_->winId());
    // A manager maps the window once it has framed it; the server maps it again after a reparent of a
    // mapped window (a manager started later).
    if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
        reinterpret_cast<const xcb_map_notify_event_t*>(event)->window == id) {
        apply();
    }
    return false; // Qt handles the event as ever
}

} // namespace huddlepod::x11
