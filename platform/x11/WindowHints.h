// Window-manager hints and pointer state on X11, on Qt's own connection. Each does nothing (or answers
// none) when the application does not run on X11.
#pragma once

#include <xcb/xcb.h>

#include <optional>

class QMargins;
class QPoint;
class QRegion;
class QWindow;

namespace huddlepod::x11 {

// Before the window is mapped: on every desktop (_NET_WM_DESKTOP 0xFFFFFFFF, sticky), off the taskbar and
// the pager, above other windows.
void setOnAllDesktopsAndOffTaskbar(QWindow& window);
// Where the window takes pointer input, in its own coordinates (device-independent pixels); an empty region
// gives it back the whole window. Other areas pass presses to what lies below. Set once, it does not reach
// the frame a window manager puts around the window: InputShape keeps it there.
void setInputRegion(QWindow& window, const QRegion& region);
// The band around the window's visible part that is only shadow (_GTK_FRAME_EXTENTS), so that a window
// manager keeping windows inside the work area, placing or snapping them goes by the visible part. Margins
// are in device-independent pixels; no margins removes the hint. Set before the window is mapped and before
// a change of size that follows the band.
void setFrameExtents(QWindow& window, const QMargins& extents);
// The same on any connection, in device pixels: left, right, top, bottom, as the hint lists them.
void setFrameExtents(xcb_connection_t* connection, xcb_window_t window, const QMargins& extents);
// Hands a drag of the window by the first button to the window manager (_NET_WM_MOVERESIZE), counted from
// `from` (global, device-independent pixels): the pointer's place for where the window is now. False without
// a window manager that offers it; the caller then moves the window itself.
bool startWindowManagerMove(QWindow& window, QPoint from);
// Ends a move handed to the window manager that it has not finished; it puts the window back where the move
// began. For a button that went up before the manager took the pointer, which it would otherwise keep until
// the next click.
void cancelWindowManagerMove(QWindow& window);
// Sends the requests queued on Qt's connection (a window's map among them) now, rather than when the event
// loop next waits, so the server works on them while the caller goes on.
void sendQueuedRequests();
// Whether a window manager runs (it names its window in the root window's _NET_SUPPORTING_WM_CHECK): asked
// of the server once, then again only after that property has changed. None off X11.
std::optional<bool> windowManagerRuns();
// Whether the first pointer button is held now; none off X11.
std::optional<bool> isLeftButtonDown();

} // namespace huddlepod::x11
