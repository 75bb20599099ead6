// An active keyboard grab on Qt's own xcb connection.
#include "platform/x11/KeyboardGrab.h"

#include "platform/x11/X11Connection.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace huddlepod::x11 {

namespace {

class X11KeyboardGrab final : public KeyboardGrab {
public:
    explicit X11KeyboardGrab(xcb_connection_t* connection)
        : connection_(connection) {}
    ~X11KeyboardGrab() override { release(); }
    X11KeyboardGrab(const X11KeyboardGrab&) = delete;
    X11KeyboardGrab& operator=(const X11KeyboardGrab&) = delete;

    bool grab(WId window) override {
        // Reported to the grab window itself, whichever of its children has the focus: Qt passes keys on to
        // the focused widget.
        xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
            connection_,
            xcb_grab_keyboard(connection_, 0, static_cast<xcb_window_t>(window), XCB_CURRENT_TIME,
                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        held_ = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        return held_;
    }

    void release() override {
        if (held_) {
            xcb_ungrab_keyboard(connection_, XCB_CURRENT_TIME);
            xcb_flush(connection_);
            held_ = false;
        }
    }

private:
    xcb_connection_t* connection_;
    bool held_ = false;
};

class NullKeyboardGrab final : public KeyboardGrab {
public:
    bool grab(WId) override { return false; }
    void release() override {}
};

} // namespace

std::unique_ptr<KeyboardGrab> makeKeyboardGrab() {
    if (xcb_connection_t* connection = qtConnection()) {
        return std::make_unique<X11KeyboardGrab>(connection);
    }
    return std::make_unique<NullKeyboardGrab>();
}

} // namespace huddlepod::x11
