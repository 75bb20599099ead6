// The bars along the screen's edges that reserve a strip of it (a desktop panel, a tray's bar): where they
// are and which of their edges faces the rest of the screen, so that the panel is placed from the bar and
// not from a guess at the icon.
#pragma once

#include "platform/x11/DevicePixels.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace huddlepod::x11 {

enum class ScreenEdge { left, right, top, bottom };

// A strip reserved along one edge of the screen.
struct Bar {
    ScreenEdge edge = ScreenEdge::top;
    QRect strip;

    // The first row (or column) of the rest of the screen: below a top bar, the bar's own top row for a
    // bottom bar; likewise across for side bars.
    int innerEdge() const;
    bool operator==(const Bar&) const = default;
};

// What one window reserves, as _NET_WM_STRUT_PARTIAL's twelve values say: each thickness counts from the
// root window's edge, each start and end is inclusive.
struct Strut {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    int leftStartY = 0;
    int leftEndY = 0;
    int rightStartY = 0;
    int rightEndY = 0;
    int topStartX = 0;
    int topEndX = 0;
    int bottomStartX = 0;
    int bottomEndX = 0;

    static Strut partial(const std::uint32_t (&values)[12]);
    // _NET_WM_STRUT's four values: each strip runs along the whole edge.
    static Strut whole(const std::uint32_t (&values)[4], QSize root);
};

// The strips a window reserves on a root window of this size, one per edge it reserves anything on.
std::vector<Bar> reservedStrips(const Strut& strut, QSize root);
// A dock window that reserves nothing: a bar when it lies along an edge of the screen holding its centre,
// longer along that edge than across it and thinner than half that screen (wider than tall along the top or
// bottom, taller than wide down a side).
std::optional<Bar> dockAlongEdge(const QRect& window, const std::vector<QRect>& screens);
// The bar a point lies in: a reserved strip that holds it, else the band between `screen`'s edge and the
// work area's (top and bottom before the sides); none when the point lies in the work area or off the
// screen.
std::optional<Bar> barAt(QPoint point, const std::vector<Bar>& strips, std::optional<QRect> workArea,
                         const QRect& screen);
// The icon stretched over the bar's thickness: its edge towards the screen becomes the bar's inner edge.
QRect acrossBar(const QRect& icon, const Bar& bar);
// Where a tray most likely sits when nothing tells: the right end of the first bar along the top, else of
// the first along the bottom, as an icon `iconWidth` wide across the bar.
std::optional<QRect> likelyTrayPlace(const std::vector<Bar>& strips, int iconWidth);

// The desktop's bars in Qt's global coordinates, each on one screen, and the current desktop's work area,
// when the window manager publishes one, cut to each screen it reaches (one rectangle over screens of
// different scales has no place in Qt's coordinates).
struct DesktopBars {
    std::vector<Bar> strips;
    std::vector<QRect> workArea;

    // The work area's part on that screen; none where the manager publishes none.
    std::optional<QRect> workAreaOn(const QRect& screen) const;
};

// What a window that may be a bar tells of itself, in X's device pixels: its strut, whether it is a dock, and
// where it lies on the root.
struct BarWindow {
    std::optional<Strut> strut;
    bool dock = false;
    std::optional<QRect> place;
};

// The bars on each screen from what the server publishes: every strip a strut reserves, cut to each screen
// it reaches (a strip on none is no bar), a window with a strut where it lies along the edge it reserves
// (trayer counts its strut from the root's bottom, below a shorter screen), and every dock along an edge;
// the work area likewise cut to each screen.
DesktopBars desktopBars(const std::vector<BarWindow>& windows, std::optional<QRect> workArea, QSize root,
                        const std::vector<ScreenScale>& screens);

// The part of `screen` windows may use: the screen less the bars on it, and no more than the work area where
// the manager publishes one. Qt's own available geometry is no guide: it ignores the work area as soon as
// there are several screens.
QRect visibleFrame(const QRect& screen, const DesktopBars& bars);

// Reads the strut of every mapped top-level window and of every window a manager's frame holds (i3 lists no
// dock in _NET_CLIENT_LIST), strutless docks along a screen's edge, and the current desktop's work area.
// Every window asked about gets `eventMask` selected first, so that no change falls between its answer and
// the watch; `holders`, when given, receives the windows with a strut or of the dock type and the frames
// holding them: the windows whose moves and changes may move a bar.
DesktopBars readDesktopBars(xcb_connection_t* connection, std::uint32_t eventMask = 0,
                            std::vector<std::uint32_t>* holders = nullptr);

} // namespace huddlepod::x11
