// How fast a program's window opens on a global key, seen from outside: on $DISPLAY, an XTest press of the
// key to the window's MapNotify and then its FocusIn, over a given number of shows, each hidden again (the
// same key or another) before the next. Prints the median and the 90th percentile of both.
//
//   show_latency --match TEXT [--key ctrl+alt+s] [--hide-key KEY] [--count 35] [--pause-ms 100] [--label
//   NAME]
//
// The window is the first top-level mapped after the first (unmeasured) press whose title or WM_CLASS
// contains TEXT (or a window in a window manager's frame so mapped); later shows must reuse it. Keys are
// '+'-joined names of the US keyboard (see keyCodes).
#include <xcb/xcb.h>
#include <xcb/xproto.h>
#include <xcb/xtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Event = std::unique_ptr<xcb_generic_event_t, decltype(&std::free)>;

constexpr auto eventTimeout = std::chrono::seconds(10);

// X keycodes of the US keyboard under evdev rules (Xvfb's default).
const std::map<std::string, xcb_keycode_t> keyCodes{
    {"ctrl", 37},  {"alt", 64}, {"shift", 50}, {"super", 133}, {"space", 65},
    {"escape", 9}, {"s", 39},   {"k", 45},     {"f12", 96},
};

struct Options {
    std::string match;
    std::string label;
    std::vector<xcb_keycode_t> key;
    std::vector<xcb_keycode_t> hideKey;
    int count = 35;
    int pauseMs = 100;
};

std::optional<std::vector<xcb_keycode_t>> parseKey(const std::string& text) {
    std::vector<xcb_keycode_t> codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('+', start), text.size());
        const auto found = keyCodes.find(text.substr(start, end - start));
        if (found == keyCodes.end()) {
            return std::nullopt;
        }
        codes.push_back(found->second);
        start = end + 1;
    }
    return codes;
}

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "show_latency: %s\n", message.c_str());
    std::exit(1);
}

Options parse(int argc, char** argv) {
    Options options;
    std::string key = "ctrl+alt+s";
    std::string hideKey;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            fail("missing value after " + name);
        }
        const std::string value = argv[++i];
        if (name == "--match") {
            options.match = value;
        } else if (name == "--label") {
            options.label = value;
        } else if (name == "--key") {
            key = value;
        } else if (name == "--hide-key") {
            hideKey = value;
        } else if (name == "--count") {
            options.count = std::atoi(value.c_str());
        } else if (name == "--pause-ms") {
            options.pauseMs = std::atoi(value.c_str());
        } else {
            fail("unknown option " + name);
        }
    }
    if (options.match.empty() || options.count < 1) {
        fail("usage: show_latency --match TEXT [--key K] [--hide-key K] [--count N] [--pause-ms MS] "
             "[--label NAME]");
    }
    const auto keyCodesOf = [](const std::string& text) {
        const auto codes = parseKey(text);
        if (!codes) {
            fail("unknown key in " + text);
        }
        return *codes;
    };
    options.key = keyCodesOf(key);
    options.hideKey = keyCodesOf(hideKey.empty() ? key : hideKey);
    if (options.label.empty()) {
        options.label = options.match;
    }
    return options;
}

class Display {
public:
    Display() {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) {
            fail("cannot connect to $DISPLAY");
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const auto* xtest = xcb_get_extension_data(connection_, &xcb_test_id);
        if (xtest == nullptr || !xtest->present) {
            fail("the X server has no XTEST");
        }
        select(root_, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    xcb_connection_t* connection() const { return connection_; }

    void select(xcb_window_t window, std::uint32_t mask) {
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }

    // Presses the keys in order and returns when the last one was sent.
    Clock::time_point press(const std::vector<xcb_keycode_t>& keys) {
        for (const xcb_keycode_t key : keys) {
            xcb_test_fake_input(connection_, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        const Clock::time_point at = Clock::now();
        xcb_flush(connection_);
        return at;
    }
    // Releases the keys in reverse order and waits until the server has taken them.
    void release(const std::vector<xcb_keycode_t>& keys) {
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            xcb_test_fake_input(connection_, XCB_KEY_RELEASE, *key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    // The next event, or none once the deadline has passed.
    Event next(Clock::time_point deadline) {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                return Event(event, &std::free);
            }
            if (xcb_connection_has_error(connection_)) {
                fail("lost the X connection");
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return Event(nullptr, &std::free);
            }
            pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left.count()) + 1);
        }
    }

    std::string property(xcb_window_t window, xcb_atom_t property) {
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
        if (reply == nullptr) {
            return {};
        }
        std::string value(static_cast<const char*>(xcb_get_property_value(reply)),
                          static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        std::replace(value.begin(), value.end(), '\0', ' ');
        return value;
    }

    std::vector<xcb_window_t> children(xcb_window_t window) {
        auto* reply = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
        if (reply == nullptr) {
            return {};
        }
        const xcb_window_t* first = xcb_query_tree_children(reply);
        std::vector<xcb_window_t> children(first, first + xcb_query_tree_children_length(reply));
        std::free(reply);
        return children;
    }

    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};

std::uint8_t typeOf(const Event& event) {
    return event->response_type & 0x7f;
}

// Waits for the event `accept` takes; fails after the timeout, naming `what`.
template <typename Accept>
Clock::time_point waitFor(Display& display, const char* what, Accept accept) {
    const Clock::time_point deadline = Clock::now() + eventTimeout;
    while (Event event = display.next(deadline)) {
        if (accept(event)) {
            return Clock::now();
        }
    }
    fail(std::string("timed out waiting for ") + what);
}

bool isFocusInOn(const Event& event, xcb_window_t window) {
    if (typeOf(event) != XCB_FOCUS_IN) {
        return false;
    }
    const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event.get());
    const bool byGrab = focus->mode == XCB_NOTIFY_MODE_GRAB || focus->mode == XCB_NOTIFY_MODE_UNGRAB;
    return focus->event == window && !byGrab && focus->detail != XCB_NOTIFY_DETAIL_POINTER &&
           focus->detail != XCB_NOTIFY_DETAIL_INFERIOR;
}

bool isMapOf(const Event& event, xcb_window_t window) {
    return typeOf(event) == XCB_MAP_NOTIFY &&
           reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window == window;
}

bool isUnmapOf(const Event& event, xcb_window_t window) {
    return typeOf(event) == XCB_UNMAP_NOTIFY &&
           reinterpret_cast<const xcb_unmap_notify_event_t*>(event.get())->window == window;
}

// The first show: finds the window by its title or class, and listens to it from then on.
xcb_window_t findWindow(Display& display, const Options& options) {
    const xcb_atom_t netWmName = display.atom("_NET_WM_NAME");
    display.press(options.key);
    xcb_window_t found = XCB_NONE;
    waitFor(display, "the window to map", [&](const Event& event) {
        if (typeOf(event) != XCB_MAP_NOTIFY) {
            return false;
        }
        // A window manager maps its frame, which holds the window (two levels down at most).
        std::vector<xcb_window_t> candidates{
            reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window};
        for (std::size_t i = 0; i < candidates.size() && i < 1024; ++i) {
            const xcb_window_t window = candidates[i];
            for (const xcb_atom_t property :
                 {xcb_atom_t{XCB_ATOM_WM_NAME}, netWmName, xcb_atom_t{XCB_ATOM_WM_CLASS}}) {
                if (display.property(window, property).find(options.match) != std::string::npos) {
                    found = window;
                    return true;
                }
            }
            const std::vector<xcb_window_t> children = display.children(window);
            candidates.insert(candidates.end(), children.begin(), children.end());
        }
        return false;
    });
    display.select(found, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_FOCUS_CHANGE);
    display.release(options.key);
    return found;
}

void hide(Display& display, const Options& options, xcb_window_t window) {
    display.press(options.hideKey);
    display.release(options.hideKey);
    waitFor(display, "the window to unmap", [&](const Event& event) { return isUnmapOf(event, window); });
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<std::size_t>(rank, 1, values.size()) - 1];
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    Display display;
    const xcb_window_t window = findWindow(display, options);
    // Let the first show finish whatever it does once focused, then start from hidden.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    hide(display, options, window);

    std::vector<double> toMap;
    std::vector<double> toFocus;
    for (int i = 0; i < options.count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.pauseMs));
        const Clock::time_point pressed = display.press(options.key);
        const Clock::time_point mapped =
            waitFor(display, "the window to map", [&](const Event& event) { return isMapOf(event, window); });
        const Clock::time_point focused =
            waitFor(display, "the window to take focus",
                    [&](const Event& event) { return isFocusInOn(event, window); });
        display.release(options.key);
        toMap.push_back(std::chrono::duration<double, std::milli>(mapped - pressed).count());
        toFocus.push_back(std::chrono::duration<double, std::milli>(focused - pressed).count());
        std::this_thread::sleep_for(std::chrono::milliseconds(options.pauseMs));
        hide(display, options, window);
    }
    std::printf("%-10s press → MapNotify: median %.2f ms, p90 %.2f ms;  press → FocusIn: median %.2f ms, "
                "p90 %.2f ms  (%d shows)\n",
                options.label.c_str(), percentile(toMap, 0.5), percentile(toMap, 0.9),
                percentile(toFocus, 0.5), percentile(toFocus, 0.9), options.count);
    return 0;
}
