// The panel's window on a private X server, as a window manager sees it: the band of shadow it announces
// (_GTK_FRAME_EXTENTS) with and without a compositor and as that changes, told before the new size; where it
// takes input, told again to a manager that puts it in a frame; a size given at a new ratio, painted whole;
// the focus, asked for with the map; and the icon it reads as it takes the window in.
#include "app/PanelController.h"
#include "app/SearchPanel.h"
#include "platform/async/Clock.h"
#include "platform/x11/WindowHints.h"
#include "platform/x11/X11Native.h"
#include "tests/support/XApplicationEnvironment.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMargins>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>
#include <xcb/shape.h>
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

// Until the server has handled everything sent on the connection (by default the application's).
void roundTrip(xcb_connection_t* connection = x11::nativeConnection()) {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
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
    // Bits per pixel: 32 for a visual with an alpha channel.
    int depth(xcb_window_t window) const {
        xcb_get_geometry_reply_t* reply =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        const int bits = reply ? reply->depth : 0;
        std::free(reply);
        return bits;
    }
    void watch(xcb_window_t window) {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
        roundTrip(connection_);
    }
    // Since watch(): "band" for each change of the hint, "WxH" for each new size.
    std::vector<std::string> changes() {
        roundTrip(connection_);
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

TEST(PanelWindowHints, theWindowAnnouncesItsShadowBandOnlyWhileCompositedAndBeforeItsNewSize) {
    const std::vector<uint32_t> band{20, 20, 20, 20};
    struct Row {
        const char* name;
        bool composited;
        std::optional<bool> then; // the compositor came or went
        bool whileShown;
        bool shownAgain; // then hidden and shown again, asked again
        std::vector<uint32_t> expected;
        // What the manager sees of a change on screen (a hidden window is taken in anew when shown).
        std::vector<std::string> changes;
        // The window's visual: an alpha channel only under a compositor, as the window is made.
        int depth;
    };
    const Row rows[] = {
        {"composited", true, std::nullopt, true, false, band, {}, 32},
        {"opaque", false, std::nullopt, true, false, {}, {}, 24},
        {"compositor gone while shown", true, false, true, false, {}, {"band", "440x560"}, 32},
        {"compositor gone while shown, shown again", true, false, true, true, {}, {"band", "440x560"}, 24},
        // A new window, told of its band before it is mapped.
        {"compositor back while shown", false, true, true, false, band, {}, 32},
        {"compositor gone while hidden", true, false, false, false, {}, {}, 24},
        {"compositor back while hidden", false, true, false, false, band, {}, 32},
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
        const auto showAgain = [&] {
            panel.hide();
            panel.setComposited(*row.then);
            panel.prepareToShow();
            panel.show();
        };
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
        if (row.whileShown) {
            EXPECT_EQ(manager.changes(), row.changes);
        }
        if (row.shownAgain) {
            showAgain();
            roundTrip();
        }
        EXPECT_TRUE(panel.isVisible());
        const auto now = static_cast<xcb_window_t>(panel.winId());
        EXPECT_EQ(manager.frameExtents(now), row.expected);
        EXPECT_EQ(manager.depth(now), row.depth);
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

// A manager that frames a window asks for its shape changes only as it takes the window in, and copies the
// input shape to the frame only when told of a change: the panel tells it again on each show.
TEST(PanelWindowHints, aManagerThatFramesThePanelIsToldWhereItTakesInputOnEveryShow) {
    Observer manager;
    xcb_connection_t* connection = manager.connection();
    const uint8_t shapeNotify = xcb_get_extension_data(connection, &xcb_shape_id)->first_event;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &redirect);
    roundTrip(connection);

    // As a manager does on a map request: asks for shape changes, reparents the window into a frame of its
    // own and maps both. Then collects the input shapes it is told of until one comes, as "x,y WxH".
    const auto takeIn = [&](xcb_window_t window) {
        xcb_shape_select_input(connection, window, 1);
        const xcb_window_t frame = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, frame, root, 812, 12, 480, 600, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_reparent_window(connection, window, frame, 0, 0);
        xcb_map_window(connection, window);
        xcb_map_window(connection, frame);
        xcb_flush(connection);
    };
    const auto mapRequested = [&] {
        bool requested = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            requested = requested || (event->response_type & 0x7f) == XCB_MAP_REQUEST;
            std::free(event);
        }
        return requested;
    };
    std::vector<std::string> told;
    const auto inputShapeTold = [&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto* shape = reinterpret_cast<xcb_shape_notify_event_t*>(event);
            if ((event->response_type & 0x7f) == shapeNotify && shape->shape_kind == XCB_SHAPE_SK_INPUT) {
                told.push_back(std::to_string(shape->extents_x) + "," + std::to_string(shape->extents_y) +
                               " " + std::to_string(shape->extents_width) + "x" +
                               std::to_string(shape->extents_height));
            }
            std::free(event);
        }
        return !told.empty();
    };

    SearchPanel panel({440, 560}, true);
    panel.setContent(new QWidget);
    panel.moveSurfaceTo({832, 32});
    const auto window = [&] { return static_cast<xcb_window_t>(panel.winId()); };
    const auto isUnmapped = [&] {
        const x11::Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window()), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_UNMAPPED;
    };
    // For a step that failed: whether the window is mapped, and what holds it.
    const auto whereTheWindowIs = [&] {
        const x11::Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window()), nullptr));
        const x11::Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window()), nullptr));
        return std::string(attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED ? "mapped"
                                                                                         : "unmapped") +
               (tree && tree->parent == root ? " on the root window" : " in a frame");
    };
    // The panel's own 440x560 inside its 20-pixel band, nothing of the band.
    const std::vector<std::string> surface{"20,20 440x560"};
    for (const char* show : {"first show", "second show"}) {
        SCOPED_TRACE(show);
        panel.prepareToShow();
        panel.show();
        ASSERT_TRUE(XServerHarness::waitFor(mapRequested)) << whereTheWindowIs();
        told.clear();
        takeIn(window());
        ASSERT_TRUE(XServerHarness::waitFor(inputShapeTold));
        EXPECT_EQ(told, surface);
        // Hidden, the window leaves its frame, as a manager lets a withdrawn window go, before the program
        // shows it again (and has heard of the unmap). Mapped while still in the frame, which nobody
        // redirects, the window would be mapped there at once and then put back on the root window mapped,
        // with no request to the manager: so the server has done the reparent before the next show, not
        // merely been sent it.
        panel.hide();
        ASSERT_TRUE(XServerHarness::waitFor(isUnmapped));
        xcb_reparent_window(connection, window(), root, 812, 12);
        roundTrip(connection);
        ASSERT_TRUE(XServerHarness::waitFor([&] { return !panel.windowHandle()->isExposed(); }));
    }
}

// Keeps the repaint a widget asked for from it, noting that it was asked for.
struct HeldRepaint : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        asked = asked || event->type() == QEvent::UpdateRequest;
        return event->type() == QEvent::UpdateRequest;
    }
    bool asked = false;
};

// At a new ratio the panel asks for its own size anew. A manager that applies it before the program repaints
// (as on a busy machine) still gets the whole window painted, its content included, not only as far as the
// window reached before: here the manager had left it at half that size.
TEST(PanelWindowHints, aSizeTheManagerAppliesBeforeTheRepaintIsPaintedWhole) {
    Observer manager;
    xcb_connection_t* connection = manager.connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &redirect);
    roundTrip(connection);
    // Maps what asks to be mapped; the last size asked for, if any.
    std::optional<QSize> asked;
    const auto manage = [&] {
        roundTrip(connection);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_REQUEST) {
                xcb_map_window(connection, reinterpret_cast<xcb_map_request_event_t*>(event)->window);
            } else if (type == XCB_CONFIGURE_REQUEST) {
                const auto* request = reinterpret_cast<xcb_configure_request_event_t*>(event);
                asked = QSize(request->width, request->height);
            }
            std::free(event);
        }
        xcb_flush(connection);
    };
    const auto resize = [&](xcb_window_t window, QSize size) {
        const uint32_t values[] = {uint32_t(size.width()), uint32_t(size.height())};
        xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        roundTrip(connection);
    };
    // The window's own pixel, as drawn.
    const auto pixel = [&](xcb_window_t window, QPoint at) {
        const x11::Reply<xcb_get_image_reply_t> image(
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, int16_t(at.x()),
                                              int16_t(at.y()), 1, 1, ~0u),
                                nullptr));
        const uint8_t* data =
            image && xcb_get_image_data_length(image.get()) >= 4 ? xcb_get_image_data(image.get()) : nullptr;
        return data ? (unsigned(data[2]) << 16) | (unsigned(data[1]) << 8) | data[0] : 0u;
    };

    constexpr unsigned colour = 0x208040;
    SearchPanel panel({440, 560}, true);
    auto* content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette palette = content->palette();
    palette.setColor(QPalette::Window, QColor(QRgb(colour)));
    content->setPalette(palette);
    panel.setContent(content);
    panel.moveSurfaceTo({832, 32});
    panel.prepareToShow();
    panel.show();
    const auto window = static_cast<xcb_window_t>(panel.winId());
    // The content's corners: its top left, and its bottom right, which only the whole window holds.
    const QPoint near(30, 30), far(450, 570);
    ASSERT_TRUE(XServerHarness::waitFor([&] {
        manage();
        return panel.windowHandle()->isExposed() && pixel(window, near) == colour;
    }));
    resize(window, QSize(240, 300));
    ASSERT_TRUE(XServerHarness::waitFor([&] { return panel.size() == QSize(240, 300); }));

    // Told of a new ratio (this server's screen has one, so the signal alone), the panel asks for its own
    // size; it repaints no sooner than the manager has given it that size.
    HeldRepaint held;
    panel.installEventFilter(&held);
    QScreen* screen = panel.windowHandle()->screen();
    emit screen->logicalDotsPerInchChanged(screen->logicalDotsPerInch());
    ASSERT_TRUE(XServerHarness::waitFor([&] {
        manage();
        return asked.has_value();
    }));
    EXPECT_EQ(asked, QSize(480, 600));
    resize(window, *asked);
    ASSERT_TRUE(XServerHarness::waitFor([&] { return panel.size() == QSize(480, 600); }));
    panel.removeEventFilter(&held);
    if (held.asked) {
        QCoreApplication::postEvent(&panel, new QEvent(QEvent::UpdateRequest));
    }
    EXPECT_TRUE(XServerHarness::waitFor([&] { return pixel(window, far) == colour; }))
        << std::hex << pixel(window, far) << " at " << panel.width() << "x" << panel.height();
    EXPECT_EQ(pixel(window, near), colour);
}

// The show asks for the keyboard with the map, never once the program hears that the window is mapped: where
// nothing holds the map back, the server has given the panel the focus by the time it answers the program's
// next request; a manager that holds the map back is asked to activate the window right behind the request.
TEST(PanelWindowHints, aManagerTakingThePanelInReadsTheApplicationsIconOnlyInSmallSizes) {
    const QIcon before = QGuiApplication::windowIcon();
    QIcon application;
    for (const int size : {16, 48, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::darkGreen);
        application.addPixmap(pixmap);
    }
    QGuiApplication::setWindowIcon(application);
    SearchPanel panel(QSize(440, 560), false);
    panel.prepareToShow();
    roundTrip();

    Observer manager;
    xcb_connection_t* connection = manager.connection();
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(panel.winId()),
                         x11::internAtom(connection, "_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1 << 20),
        nullptr));
    ASSERT_TRUE(reply);
    const auto* words = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = reply->format == 32 ? xcb_get_property_value_length(reply.get()) / 4 : 0;
    std::vector<std::string> sizes;
    for (int at = 0; at + 2 <= count; at += 2 + int(words[at] * words[at + 1])) {
        sizes.push_back(std::to_string(words[at]) + "x" + std::to_string(words[at + 1]));
    }
    EXPECT_EQ(sizes, (std::vector<std::string>{"16x16", "32x32"}));
    QGuiApplication::setWindowIcon(before);
}

TEST(PanelWindowHints, theShowAsksForTheFocusWithTheMap) {
    QTemporaryDir dir;
    QSettings defaults(dir.filePath(QStringLiteral("Huddlepod.ini")), QSettings::IniFormat);
    PanelController::Environment env;
    env.clock = std::make_shared<SystemClock>();
    env.defaults = &defaults;
    env.screens = [] {
        return std::vector<PanelController::Screen>{{QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800)}};
    };
    env.cursor = [] { return QPoint(10, 10); };
    env.content = [](const PanelController::ContentParts&) {
        return PanelController::Content{new QLineEdit, [] { return false; }};
    };
    env.watchOutsideClicks = [](std::function<bool(QPoint)>, std::function<void()>) {
        return std::make_unique<QObject>();
    };
    env.diagnostics = [](const QByteArray&) {};

    for (const bool held : {false, true}) {
        SCOPED_TRACE(held ? "a manager holds the map back" : "nothing holds the map back");
        Observer manager;
        xcb_connection_t* connection = manager.connection();
        if (held) {
            const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
            xcb_change_window_attributes(connection,
                                         xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root,
                                         XCB_CW_EVENT_MASK, &redirect);
            roundTrip(connection);
        }
        PanelController controller(env);
        // The second show maps a window shown before, which carries all its hints by then.
        for (const char* show : {"first show", "second show"}) {
            SCOPED_TRACE(show);
            controller.show();
            // The server's answer to the program's next request, none of the program's events read meanwhile.
            xcb_connection_t* program = x11::nativeConnection();
            const x11::Reply<xcb_get_input_focus_reply_t> focus(
                xcb_get_input_focus_reply(program, xcb_get_input_focus(program), nullptr));
            ASSERT_TRUE(focus);
            const auto window = static_cast<xcb_window_t>(controller.panel()->winId());
            const xcb_atom_t activate = x11::internAtom(connection, "_NET_ACTIVE_WINDOW");
            std::vector<std::string> asked;
            roundTrip(connection);
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const auto type = event->response_type & 0x7f;
                if (type == XCB_MAP_REQUEST &&
                    reinterpret_cast<xcb_map_request_event_t*>(event)->window == window) {
                    asked.push_back("map");
                } else if (type == XCB_CLIENT_MESSAGE) {
                    const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                    if (message->type == activate && message->window == window) {
                        asked.push_back("activate");
                    }
                }
                std::free(event);
            }
            if (held) {
                // Qt's own map may follow as a request of its own.
                ASSERT_FALSE(asked.empty());
                EXPECT_EQ(std::vector<std::string>(asked.begin(),
                                                   asked.begin() + std::min<std::size_t>(2, asked.size())),
                          (std::vector<std::string>{"map", "activate"}));
            } else {
                EXPECT_EQ(focus->focus, window);
            }
            controller.hide();
            QCoreApplication::processEvents();
        }
    }
}

} // namespace
} // namespace huddlepod

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new huddlepod::test::XApplicationEnvironment);
    return RUN_ALL_TESTS();
}
