// The panel's window on a private X server, as a window manager sees it: the band of shadow it announces
// (_GTK_FRAME_EXTENTS) with and without a compositor and as that changes, told before the new size.
#include "app/SearchPanel.h"
#include "platform/x11/WindowHints.h"
#include "platform/x11/X11Native.h"
#include "tests/support/XApplicationEnvironment.h"

#include <QMargins>
#include <QWidget>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern "C" const char* __lsan_default_options() {
    return "suppressions=" HUDDLEPOD_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

namespace huddlepod {
namespace {

using test::XServerHarness;

XServerHarness* server() {
    return test::XApplicationEnvironment::server();
}

// Another client of the server, as a window manager is: what a window carries, and what changed in order.
class Observer {
public:
    Observer()
        : connection_(xcb_connect(server()->display().toLocal8Bit().constData(), nullptr)) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, 18, "_GTK_FRAME_EXTENTS"), nullptr);
        extents_ = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
    }
    ~Observer() { xcb_disconnect(connection_); }

    xcb_connection_t* connection() const { return connection_; }
    // Left, right, top, bottom; none when the window carries no band.
    std::vector<uint32_t> frameExtents(xcb_window_t window) const {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, extents_, XCB_ATOM_CARDINAL, 0, 8),
            nullptr);
        std::vector<uint32_t> values;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }
    void watch(xcb_window_t window) {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    // Since watch(): "band" for each change of the hint, "WxH" for each new size.
    std::vector<std::string> changes() {
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        std::vector<std::string> seen;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_PROPERTY_NOTIFY &&
                reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == extents_) {
                seen.push_back("band");
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                const std::string size =
                    std::to_string(configure->width) + "x" + std::to_string(configure->height);
                if (seen.empty() || seen.back() != size) {
                    seen.push_back(size);
                }
            }
            std::free(event);
        }
        return seen;
    }

private:
    xcb_connection_t* connection_;
    xcb_atom_t extents_;
};

// Until the server has handled everything the application sent.
void roundTrip() {
    xcb_connection_t* connection = x11::nativeConnection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

TEST(PanelWindowHints, theWindowAnnouncesItsShadowBandOnlyWhileCompositedAndBeforeItsNewSize) {
    const std::vector<uint32_t> band{20, 20, 20, 20};
    struct Row {
        const char* name;
        bool composited;
        std::optional<bool> then; // the compositor came or went
        bool whileShown;
        std::vector<uint32_t> expected;
        // What the manager sees of a change on screen (a hidden window is taken in anew when shown).
        std::vector<std::string> changes;
    };
    const Row rows[] = {
        {"composited", true, std::nullopt, true, band, {}},
        {"opaque", false, std::nullopt, true, {}, {}},
        {"compositor gone while shown", true, false, true, {}, {"band", "440x560"}},
        {"compositor back while shown", false, true, true, band, {"band", "480x600"}},
        {"compositor gone while hidden", true, false, false, {}, {}},
        {"compositor back while hidden", false, true, false, band, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SearchPanel panel({440, 560}, row.composited);
        panel.setContent(new QWidget);
        panel.moveSurfaceTo({832, 32});
        panel.prepareToShow();
        panel.show();
        const auto window = static_cast<xcb_window_t>(panel.winId());
        Observer manager;
        manager.watch(window);
        if (row.then) {
            if (!row.whileShown) {
                panel.hide();
            }
            panel.setComposited(*row.then);
            if (!row.whileShown) {
                panel.prepareToShow();
                panel.show();
            }
        }
        roundTrip();
        EXPECT_EQ(manager.frameExtents(window), row.expected);
        if (row.whileShown) {
            EXPECT_EQ(manager.changes(), row.changes);
        }
        EXPECT_EQ(panel.surfaceGeometry(), QRect(832, 32, 440, 560));
    }
}

TEST(PanelWindowHints, theBandIsListedLeftRightTopBottomAndNoMarginsRemoveIt) {
    Observer client;
    xcb_connection_t* connection = client.connection();
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window,
                      xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    struct Row {
        QMargins margins; // left, top, right, bottom
        std::vector<uint32_t> expected;
    };
    const Row rows[] = {
        {QMargins(1, 2, 3, 4), {1, 3, 2, 4}},
        {QMargins(0, 0, 0, 7), {0, 0, 0, 7}},
        {QMargins(-5, 6, 0, 0), {0, 0, 6, 0}},
        {QMargins(), {}},
    };
    for (const Row& row : rows) {
        x11::setFrameExtents(connection, window, row.margins);
        EXPECT_EQ(client.frameExtents(window), row.expected)
            << row.margins.left() << "," << row.margins.top();
    }
}

} // namespace
} // namespace huddlepod

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new huddlepod::test::XApplicationEnvironment);
    return RUN_ALL_TESTS();
}
