// Reserved strips: the geometry, and reading them from the X server.
#include "platform/x11/DesktopBars.h"

#include "platform/x11/DevicePixels.h"
#include "platform/x11/X11Native.h"

#include <algorithm>
#include <cstring>

namespace huddlepod::x11 {

int Bar::innerEdge() const {
    switch (edge) {
    case ScreenEdge::top:
        return strip.y() + strip.height();
    case ScreenEdge::bottom:
        return strip.y();
    case ScreenEdge::left:
        return strip.x() + strip.width();
    case ScreenEdge::right:
        return strip.x();
    }
    return 0;
}

Strut Strut::partial(const std::uint32_t (&values)[12]) {
    int v[12];
    for (int i = 0; i < 12; ++i) {
        v[i] = static_cast<int>(std::min<std::uint32_t>(values[i], 1u << 20));
    }
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]};
}

Strut Strut::whole(const std::uint32_t (&values)[4], QSize root) {
    const std::uint32_t all[12] = {values[0], values[1],
                                   values[2], values[3],
                                   0,         std::uint32_t(root.height() - 1),
                                   0,         std::uint32_t(root.height() - 1),
                                   0,         std::uint32_t(root.width() - 1),
                                   0,         std::uint32_t(root.width() - 1)};
    return partial(all);
}

std::vector<Bar> reservedStrips(const Strut& strut, QSize root) {
    std::vector<Bar> strips;
    // A start past its end reserves nothing; neither does a strip thicker than the screen.
    const auto add = [&](ScreenEdge edge, int thickness, int start, int end, int length) {
        if (thickness <= 0 || end < start || thickness >= length) {
            return;
        }
        switch (edge) {
        case ScreenEdge::top:
            strips.push_back({edge, QRect(start, 0, end - start + 1, thickness)});
            break;
        case ScreenEdge::bottom:
            strips.push_back({edge, QRect(start, root.height() - thickness, end - start + 1, thickness)});
            break;
        case ScreenEdge::left:
            strips.push_back({edge, QRect(0, start, thickness, end - start + 1)});
            break;
        case ScreenEdge::right:
            strips.push_back({edge, QRect(root.width() - thickness, start, thickness, end - start + 1)});
            break;
        }
    };
    // i3bar ends its strip one past the screen's last column: a strip stops at the screen's end.
    const int lastX = root.width() - 1;
    const int lastY = root.height() - 1;
    add(ScreenEdge::top, strut.top, strut.topStartX, std::min(strut.topEndX, lastX), root.height());
    add(ScreenEdge::bottom, strut.bottom, strut.bottomStartX, std::min(strut.bottomEndX, lastX),
        root.height());
    add(ScreenEdge::left, strut.left, strut.leftStartY, std::min(strut.leftEndY, lastY), root.width());
    add(ScreenEdge::right, strut.right, strut.rightStartY, std::min(strut.rightEndY, lastY), root.width());
    return strips;
}

namespace {

// The window's part on the screen as a bar along that edge of it: touching the edge and thinner than half the
// screen; unless it says which edge it reserves (`reserves`), also longer along the edge than across.
std::optional<Bar> alongEdge(const QRect& window, const QRect& screen, ScreenEdge edge,
                             bool reserves = false) {
    const QRect strip = window & screen;
    const bool across = edge == ScreenEdge::top || edge == ScreenEdge::bottom;
    const int length = across ? strip.width() : strip.height();
    const int thickness = across ? strip.height() : strip.width();
    if (strip.isEmpty() || (!reserves && length <= thickness) ||
        thickness * 2 >= (across ? screen.height() : screen.width())) {
        return std::nullopt;
    }
    const bool touches = (edge == ScreenEdge::top && strip.top() == screen.top()) ||
                         (edge == ScreenEdge::bottom && strip.bottom() == screen.bottom()) ||
                         (edge == ScreenEdge::left && strip.left() == screen.left()) ||
                         (edge == ScreenEdge::right && strip.right() == screen.right());
    return touches ? std::optional(Bar{edge, strip}) : std::nullopt;
}

} // namespace

std::optional<Bar> dockAlongEdge(const QRect& window, const std::vector<QRect>& screens) {
    for (const QRect& screen : screens) {
        if (!screen.contains(window.center())) {
            continue;
        }
        for (const ScreenEdge edge :
             {ScreenEdge::top, ScreenEdge::bottom, ScreenEdge::left, ScreenEdge::right}) {
            if (std::optional<Bar> bar = alongEdge(window, screen, edge)) {
                return bar;
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Bar> barAt(QPoint point, const std::vector<Bar>& strips, std::optional<QRect> workArea,
                         const QRect& screen) {
    for (const Bar& bar : strips) {
        if (bar.strip.contains(point)) {
            return bar;
        }
    }
    if (!workArea || !screen.contains(point) || workArea->contains(point)) {
        return std::nullopt;
    }
    const QRect area = *workArea;
    if (point.y() < area.top() && area.top() > screen.top()) {
        return Bar{ScreenEdge::top,
                   QRect(screen.left(), screen.top(), screen.width(), area.top() - screen.top())};
    }
    if (point.y() > area.bottom() && area.bottom() < screen.bottom()) {
        return Bar{ScreenEdge::bottom,
                   QRect(screen.left(), area.bottom() + 1, screen.width(), screen.bottom() - area.bottom())};
    }
    if (point.x() < area.left() && area.left() > screen.left()) {
        return Bar{ScreenEdge::left,
                   QRect(screen.left(), screen.top(), area.left() - screen.left(), screen.height())};
    }
    if (point.x() > area.right() && area.right() < screen.right()) {
        return Bar{ScreenEdge::right,
                   QRect(area.right() + 1, screen.top(), screen.right() - area.right(), screen.height())};
    }
    return std::nullopt;
}

QRect acrossBar(const QRect& icon, const Bar& bar) {
    switch (bar.edge) {
    case ScreenEdge::top:
    case ScreenEdge::bottom:
        return QRect(icon.x(), bar.strip.y(), icon.width(), bar.strip.height());
    case ScreenEdge::left:
    case ScreenEdge::right:
        return QRect(bar.strip.x(), icon.y(), bar.strip.width(), icon.height());
    }
    return icon;
}

std::optional<QRect> likelyTrayPlace(const std::vector<Bar>& strips, int iconWidth) {
    for (const ScreenEdge edge : {ScreenEdge::top, ScreenEdge::bottom}) {
        for (const Bar& bar : strips) {
            if (bar.edge == edge) {
                const int width = std::min(iconWidth, bar.strip.width());
                return acrossBar(QRect(bar.strip.x() + bar.strip.width() - width, 0, width, 1), bar);
            }
        }
    }
    return std::nullopt;
}

std::optional<QRect> DesktopBars::workAreaOn(const QRect& screen) const {
    for (const QRect& part : workArea) {
        if (screen.intersects(part)) {
            return part & screen;
        }
    }
    return std::nullopt;
}

DesktopBars desktopBars(const std::vector<BarWindow>& windows, std::optional<QRect> workArea, QSize root,
                        const std::vector<ScreenScale>& screens) {
    DesktopBars bars;
    for (const ScreenScale& screen : screens) {
        const QRect device = deviceRect(screen);
        const auto add = [&](const Bar& bar) {
            bars.strips.push_back({bar.edge, toLogical(bar.strip, {screen})});
        };
        for (const BarWindow& window : windows) {
            const bool heldHere = window.place && device.contains(window.place->center());
            if (!window.strut) {
                if (window.dock && heldHere) {
                    if (const std::optional<Bar> bar = dockAlongEdge(*window.place, {device})) {
                        add(*bar);
                    }
                }
                continue;
            }
            const std::vector<Bar> strips = reservedStrips(*window.strut, root);
            std::vector<Bar> here;
            for (const Bar& reserved : strips) {
                // A strip reaches from the root's edge: any part on a screen runs along that screen's edge.
                if (const std::optional<Bar> part = alongEdge(reserved.strip, device, reserved.edge, true)) {
                    here.push_back(*part);
                }
            }
            // The window itself along an edge it reserves, where no strip here already covers it.
            for (const Bar& reserved : strips) {
                const std::optional<Bar> own =
                    heldHere ? alongEdge(*window.place, device, reserved.edge, true) : std::nullopt;
                if (own && std::none_of(here.begin(), here.end(), [&](const Bar& bar) {
                        return bar.edge == own->edge && bar.strip.contains(own->strip);
                    })) {
                    here.push_back(*own);
                }
            }
            std::for_each(here.begin(), here.end(), add);
        }
        if (workArea && workArea->intersects(device)) {
            bars.workArea.push_back(toLogical(*workArea & device, {screen}));
        }
    }
    return bars;
}

QRect visibleFrame(const QRect& screen, const DesktopBars& bars) {
    // Edges as first and one-past-last rows and columns.
    int left = screen.left();
    int top = screen.top();
    int right = screen.left() + screen.width();
    int bottom = screen.top() + screen.height();
    for (const Bar& bar : bars.strips) {
        const QRect on = bar.strip & screen;
        if (on.isEmpty()) {
            continue;
        }
        switch (bar.edge) {
        case ScreenEdge::top:
            top = std::max(top, on.y() + on.height());
            break;
        case ScreenEdge::bottom:
            bottom = std::min(bottom, on.y());
            break;
        case ScreenEdge::left:
            left = std::max(left, on.x() + on.width());
            break;
        case ScreenEdge::right:
            right = std::min(right, on.x());
            break;
        }
    }
    const QRect frame(left, top, right - left, bottom - top);
    const std::optional<QRect> area = bars.workAreaOn(screen);
    return area ? frame & *area : frame;
}

namespace {

std::vector<xcb_window_t> windowsOf(const xcb_get_property_reply_t* list) {
    std::vector<xcb_window_t> windows;
    if (list && list->format == 32 && list->type == XCB_ATOM_WINDOW) {
        const auto* values = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
        windows.assign(values, values + xcb_get_property_value_length(list) / 4);
    }
    return windows;
}

template <std::size_t count>
bool readCardinals(const xcb_get_property_reply_t* reply, std::uint32_t (&values)[count]) {
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_CARDINAL ||
        xcb_get_property_value_length(reply) < int(count * 4)) {
        return false;
    }
    std::memcpy(values, xcb_get_property_value(reply), count * 4);
    return true;
}

struct Atoms {
    xcb_atom_t partial;
    xcb_atom_t strut;
    xcb_atom_t type;
    xcb_atom_t dock;
};

// What a window tells of itself when mapped: its strut, whether it is a dock, where it sits (device pixels
// from its parent's inside, until placed on the root) and, for a child of the root, the windows it holds.
struct Seen {
    xcb_window_t window = XCB_WINDOW_NONE;
    bool viewable = false;
    std::optional<Strut> strut;
    bool dock = false;
    std::optional<QRect> place;
    std::vector<xcb_window_t> children;
};

bool isDock(const xcb_get_property_reply_t* types, xcb_atom_t dock) {
    if (!types || types->format != 32 || types->type != XCB_ATOM_ATOM) {
        return false;
    }
    const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(types));
    const int count = xcb_get_property_value_length(types) / 4;
    return std::find(values, values + count, dock) != values + count;
}

// Asks every window at once, answering in their order; `parents` (sorted) are also asked for their children.
// A non-zero `eventMask` is selected on each window before it is asked.
std::vector<Seen> look(xcb_connection_t* connection, const Atoms& atoms, QSize rootSize,
                       const std::vector<xcb_window_t>& windows, const std::vector<xcb_window_t>& parents,
                       std::uint32_t eventMask) {
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_get_property_cookie_t partial;
        xcb_get_property_cookie_t strut;
        xcb_get_property_cookie_t type;
        std::optional<xcb_query_tree_cookie_t> tree;
    };
    std::vector<Asked> asked;
    asked.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        if (eventMask != 0) {
            xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &eventMask);
        }
        Asked each{xcb_get_window_attributes(connection, window),
                   xcb_get_geometry(connection, window),
                   xcb_get_property(connection, 0, window, atoms.partial, XCB_ATOM_CARDINAL, 0, 12),
                   xcb_get_property(connection, 0, window, atoms.strut, XCB_ATOM_CARDINAL, 0, 4),
                   xcb_get_property(connection, 0, window, atoms.type, XCB_ATOM_ATOM, 0, 16),
                   std::nullopt};
        if (std::binary_search(parents.begin(), parents.end(), window)) {
            each.tree = xcb_query_tree(connection, window);
        }
        asked.push_back(each);
    }
    std::vector<Seen> seen;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const Asked& each = asked[i];
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, each.attributes, nullptr));
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection, each.geometry, nullptr));
        const Reply<xcb_get_property_reply_t> partial(
            xcb_get_property_reply(connection, each.partial, nullptr));
        const Reply<xcb_get_property_reply_t> strut(xcb_get_property_reply(connection, each.strut, nullptr));
        const Reply<xcb_get_property_reply_t> type(xcb_get_property_reply(connection, each.type, nullptr));
        const Reply<xcb_query_tree_reply_t> tree(
            each.tree ? xcb_query_tree_reply(connection, *each.tree, nullptr) : nullptr);
        Seen one;
        one.window = windows[i];
        one.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (!one.viewable) {
            seen.push_back(std::move(one));
            continue;
        }
        std::uint32_t twelve[12];
        std::uint32_t four[4];
        if (readCardinals(partial.get(), twelve)) {
            one.strut = Strut::partial(twelve);
        } else if (readCardinals(strut.get(), four)) {
            one.strut = Strut::whole(four, rootSize);
        }
        one.dock = isDock(type.get(), atoms.dock);
        if (geometry) {
            // The inside of the window: its border lies outside.
            one.place = QRect(geometry->x + geometry->border_width, geometry->y + geometry->border_width,
                              geometry->width, geometry->height);
        }
        if (tree && one.place) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            one.children.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
        seen.push_back(std::move(one));
    }
    return seen;
}

} // namespace

DesktopBars readDesktopBars(xcb_connection_t* connection, std::uint32_t eventMask,
                            std::vector<std::uint32_t>* holders) {
    DesktopBars bars;
    if (!connection) {
        return bars;
    }
    const xcb_window_t root = nativeRootWindow(connection);
    const xcb_atom_t clientListAtom = internAtom(connection, "_NET_CLIENT_LIST");
    const xcb_atom_t workAreaAtom = internAtom(connection, "_NET_WORKAREA");
    const xcb_atom_t desktopAtom = internAtom(connection, "_NET_CURRENT_DESKTOP");
    const xcb_atom_t partialAtom = internAtom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t strutAtom = internAtom(connection, "_NET_WM_STRUT");

    // Asked together: the root's children (bars without a window manager), the manager's clients (bars it
    // has framed), the root's size and the work area.
    const auto treeCookie = xcb_query_tree(connection, root);
    const auto clientsCookie =
        xcb_get_property(connection, 0, root, clientListAtom, XCB_ATOM_WINDOW, 0, 4096);
    const auto sizeCookie = xcb_get_geometry(connection, root);
    const auto desktopCookie = xcb_get_property(connection, 0, root, desktopAtom, XCB_ATOM_CARDINAL, 0, 1);
    const auto areaCookie = xcb_get_property(connection, 0, root, workAreaAtom, XCB_ATOM_CARDINAL, 0, 4 * 64);
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, treeCookie, nullptr));
    const Reply<xcb_get_property_reply_t> clients(xcb_get_property_reply(connection, clientsCookie, nullptr));
    const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(connection, sizeCookie, nullptr));
    const Reply<xcb_get_property_reply_t> desktop(xcb_get_property_reply(connection, desktopCookie, nullptr));
    const Reply<xcb_get_property_reply_t> area(xcb_get_property_reply(connection, areaCookie, nullptr));
    if (!size) {
        return bars;
    }
    const QSize rootSize(size->width, size->height);

    std::uint32_t current[1] = {0};
    readCardinals(desktop.get(), current);
    std::optional<QRect> workArea;
    if (area && area->format == 32 && area->type == XCB_ATOM_CARDINAL &&
        std::uint32_t(xcb_get_property_value_length(area.get())) >= (current[0] + 1) * 16) {
        const auto* values =
            static_cast<const std::uint32_t*>(xcb_get_property_value(area.get())) + current[0] * 4;
        workArea = QRect(int(values[0]), int(values[1]), int(values[2]), int(values[3]));
    }

    std::vector<xcb_window_t> rootChildren;
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        rootChildren.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    std::sort(rootChildren.begin(), rootChildren.end());
    std::vector<xcb_window_t> windows = windowsOf(clients.get());
    windows.insert(windows.end(), rootChildren.begin(), rootChildren.end());
    std::sort(windows.begin(), windows.end());
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());

    const Atoms atoms{partialAtom, strutAtom, internAtom(connection, "_NET_WM_WINDOW_TYPE"),
                      internAtom(connection, "_NET_WM_WINDOW_TYPE_DOCK")};
    // Two rounds of questions, each asked together: the manager's clients and the root's children, then the
    // windows those children hold that the manager does not list (i3 frames i3bar and lists no dock).
    std::vector<Seen> seen = look(connection, atoms, rootSize, windows, rootChildren, eventMask);
    struct InFrame {
        xcb_window_t window;
        xcb_window_t frame;
        QPoint origin; // the frame's inside
    };
    std::vector<InFrame> insideFrames;
    for (const Seen& each : seen) {
        for (const xcb_window_t child : each.children) {
            insideFrames.push_back({child, each.window, each.place->topLeft()});
        }
    }
    std::sort(insideFrames.begin(), insideFrames.end(),
              [](const InFrame& a, const InFrame& b) { return a.window < b.window; });
    const auto frameOf = [&](xcb_window_t window) -> const InFrame* {
        const auto found =
            std::lower_bound(insideFrames.begin(), insideFrames.end(), window,
                             [](const InFrame& entry, xcb_window_t w) { return entry.window < w; });
        return found != insideFrames.end() && found->window == window ? &*found : nullptr;
    };
    // Where a window sits on the root: a frame's window is placed from the frame's inside; a client deeper
    // down is not placed at all.
    const auto placeOnRoot = [&](Seen& each) {
        if (std::binary_search(rootChildren.begin(), rootChildren.end(), each.window)) {
            return;
        }
        const InFrame* frame = frameOf(each.window);
        if (frame && each.place) {
            each.place->translate(frame->origin);
        } else {
            each.place.reset();
        }
    };
    std::vector<xcb_window_t> unlisted;
    for (const InFrame& each : insideFrames) {
        if (!std::binary_search(windows.begin(), windows.end(), each.window)) {
            unlisted.push_back(each.window);
        }
    }
    std::vector<Seen> inFrames = look(connection, atoms, rootSize, unlisted, {}, eventMask);
    seen.insert(seen.end(), std::make_move_iterator(inFrames.begin()),
                std::make_move_iterator(inFrames.end()));
    for (Seen& each : seen) {
        placeOnRoot(each);
    }

    std::vector<BarWindow> barWindows;
    for (const Seen& each : seen) {
        if (!each.viewable || (!each.strut && !each.dock)) {
            continue;
        }
        barWindows.push_back({each.strut, each.dock, each.place});
        // A dock off the screen's edges is no bar until it moves to one: its moves are followed all the same.
        if (holders) {
            holders->push_back(each.window);
            if (const InFrame* frame = frameOf(each.window)) {
                holders->push_back(frame->frame);
            }
        }
    }
    std::vector<ScreenScale> screens = currentScreenScales();
    if (screens.empty()) {
        screens.push_back({QRect(QPoint(), rootSize), 1});
    }
    bars = desktopBars(barWindows, workArea, rootSize, screens);
    return bars;
}

} // namespace huddlepod::x11
