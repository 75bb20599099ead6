// Keeps a held window's place on the screen and asks again when it or a window holding it changes.
#include "platform/x11/WindowPlaceWatch.h"

#include "platform/x11/DevicePixels.h"
#include "platform/x11/OwnConnection.h"
#include "platform/x11/X11Native.h"

#include <algorithm>

namespace huddlepod::x11 {

std::optional<QRect> readWindowPlace(xcb_connection_t* connection, std::uint32_t window,
                                     std::vector<std::uint32_t>* chain) {
    if (!connection || window == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    if (chain) {
        // Every window holding it is watched before its place is asked.
        const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        for (xcb_window_t each = window; each != XCB_WINDOW_NONE;) {
            xcb_change_window_attributes(connection, each, XCB_CW_EVENT_MASK, &events);
            chain->push_back(each);
            const Reply<xcb_query_tree_reply_t> up(
                xcb_query_tree_reply(connection, xcb_query_tree(connection, each), nullptr));
            each = up && up->parent != up->root ? up->parent : xcb_window_t(XCB_WINDOW_NONE);
        }
    }
    // Asked together: the window's root is the display's first unless the display has several.
    const xcb_window_t likelyRoot = nativeRootWindow(connection);
    const auto treeCookie = xcb_query_tree(connection, window);
    const auto sizeCookie = xcb_get_geometry(connection, window);
    const auto originCookie = xcb_translate_coordinates(connection, window, likelyRoot, 0, 0);
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, treeCookie, nullptr));
    const Reply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(connection, sizeCookie, nullptr));
    Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(connection, originCookie, nullptr));
    if (!tree || tree->parent == tree->root) {
        return std::nullopt;
    }
    if (tree->root != likelyRoot) {
        origin.reset(xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, window, tree->root, 0, 0), nullptr));
    }
    if (!size || !origin) {
        return std::nullopt;
    }
    // X counts device pixels; Qt's global coordinates are device-independent.
    return toLogical(QRect(origin->dst_x, origin->dst_y, size->width, size->height));
}

WindowPlaceWatch::WindowPlaceWatch(Reader read, QObject* parent)
    : QObject(parent)
    , read_(std::move(read))
    , x_(std::make_unique<OwnConnection>([this](const xcb_generic_event_t& event) { take(event); })) {
    again_.setSingleShot(true);
    connect(&again_, &QTimer::timeout, this, &WindowPlaceWatch::reread);
    // The place is kept in Qt's global coordinates, which follow the screens.
    followScreens(this, [this] { changed(); });
}

WindowPlaceWatch::~WindowPlaceWatch() = default;

std::optional<QRect> WindowPlaceWatch::placeOf(std::uint32_t window) {
    if (!x_->get()) {
        return read_(nativeConnection(), window, nullptr);
    }
    // What the server has told by now, without waiting for more.
    x_->readEvents();
    if (window != window_ || stale_) {
        window_ = window;
        reread();
    }
    return place_;
}

void WindowPlaceWatch::reread() {
    again_.stop();
    stale_ = false;
    chain_.clear();
    place_ = read_(x_->get(), window_, &chain_);
    std::sort(chain_.begin(), chain_.end());
    x_->readEvents();
}

void WindowPlaceWatch::take(const xcb_generic_event_t& event) {
    const xcb_window_t window = structureEventWindow(event);
    if (window != XCB_WINDOW_NONE && std::binary_search(chain_.begin(), chain_.end(), window)) {
        changed();
    }
}

void WindowPlaceWatch::changed() {
    // Read again on the next turn, so the next show finds it ready.
    stale_ = true;
    again_.start(0);
}

} // namespace huddlepod::x11
