// An ordinary window of a program of the test's own on a private X server: it asks to sit where the test
// wants it and records the presses it receives, so a test can tell where a real click went. Header-only; link
// xcb.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace huddlepod::test {

// A yellow window, mapped at once, on a connection of its own to `display` (XServerHarness::display()).
class Bystander {
public:
    Bystander(const QString& display, QRect requested)
        : connection_(xcb_connect(display.toLocal8Bit().constData(), nullptr)) {
        if (xcb_connection_has_error(connection_) != 0) {
            return;
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        root_ = screen->root;
        window_ = xcb_generate_id(connection_);
        const uint32_t values[] = {0xffcc00, XCB_EVENT_MASK_BUTTON_PRESS};
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, int16_t(requested.x()),
                          int16_t(requested.y()), uint16_t(requested.width()), uint16_t(requested.height()),
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        // WM_NORMAL_HINTS with a user-given position and size, so managers leave it where it asks to be.
        uint32_t hints[18] = {};
        hints[0] = 1 | 2; // USPosition | USSize
        hints[1] = uint32_t(requested.x());
        hints[2] = uint32_t(requested.y());
        hints[3] = uint32_t(requested.width());
        hints[4] = uint32_t(requested.height());
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            9, "bystander");
        xcb_map_window(connection_, window_);
        xcb_flush(connection_);
    }
    ~Bystander() { xcb_disconnect(connection_); }
    Bystander(const Bystander&) = delete;
    Bystander& operator=(const Bystander&) = delete;

    // Where it is on screen once viewable; none before.
    std::optional<QRect> geometry() const {
        const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window_),
                                            nullptr),
            &std::free);
        const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window_), nullptr), &std::free);
        const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
            xcb_translate_coordinates_reply(
                connection_, xcb_translate_coordinates(connection_, window_, root_, 0, 0), nullptr),
            &std::free);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !geometry || !origin) {
            return std::nullopt;
        }
        return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }
    // Each press received so far, where on the screen it was, as "x,y".
    const std::vector<std::string>& presses() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS) {
                const auto* press = reinterpret_cast<const xcb_button_press_event_t*>(event);
                presses_.push_back(std::to_string(press->root_x) + "," + std::to_string(press->root_y));
            }
            std::free(event);
        }
        return presses_;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    std::vector<std::string> presses_;
};

} // namespace huddlepod::test
