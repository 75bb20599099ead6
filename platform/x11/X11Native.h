// Qt's xcb connection for our own X11 layers.
#pragma once

#include <xcb/xcb.h>

#include <QByteArray>

#include <cstdlib>
#include <memory>

namespace huddlepod::x11 {

// Null unless the application runs on the xcb platform.
xcb_connection_t* nativeConnection();
xcb_window_t nativeRootWindow(xcb_connection_t* connection);
xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name);

// A reply from the server, freed as xcb asks.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

} // namespace huddlepod::x11
