// Taking the whole keyboard for one of our windows while the shortcut recorder listens, so that combinations
// other clients hold reach it too; behind an interface so the recorder runs against a fake in tests.
#pragma once

#include <QtGui/qwindowdefs.h>

#include <memory>

namespace huddlepod::x11 {

class KeyboardGrab {
public:
    virtual ~KeyboardGrab() = default;

    // Sends every key to the window (a native window id) until release(); false when the keyboard cannot be
    // taken (the window is not viewable, another client holds the keyboard, no display).
    virtual bool grab(WId window) = 0;
    virtual void release() = 0;
};

// xcb_grab_keyboard on Qt's connection, or a grab that always fails without an X display.
std::unique_ptr<KeyboardGrab> makeKeyboardGrab();

} // namespace huddlepod::x11
