// Qt's xcb connection for our own X11 layers.
#pragma once

#include <xcb/xcb.h>

#include <QByteArray>

namespace huddlepod::x11 {

// Null unless the application runs on the xcb platform.
xcb_connection_t* nativeConnection();
xcb_window_t nativeRootWindow(xcb_connection_t* connection);
xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name);

} // namespace huddlepod::x11
