// Qt's own connection to the X server, when the application runs on X11.
#pragma once

#include <xcb/xcb.h>

namespace huddlepod::x11 {

// Qt's xcb connection, or null without a GUI application on the xcb platform (offscreen, Wayland, no
// display).
xcb_connection_t* qtConnection();
xcb_window_t rootWindow(xcb_connection_t* connection);

} // namespace huddlepod::x11
