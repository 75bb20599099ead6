// What the watches keep of the desktop while another program changes it, read again after each change and
// only then: its bar as it appears, moves to the other edge, stops reserving its strip and goes; where a
// window it holds lies as the holder moves.
#include "platform/x11/DesktopBarsWatch.h"
#include "platform/x11/WindowPlaceWatch.h"
#include "tests/support/XApplicationEnvironment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" const char* __lsan_default_options() {
    return "suppressions=" HUDDLEPOD_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

namespace huddlepod::x11 {
namespace {

using test::XServerHarness;

// Another program's window, mapped at once, on the root or in another window; a dock from the start if asked.
class OtherWindow {
public:
    explicit OtherWindow(const QRect& place, xcb_window_t parent = XCB_WINDOW_NONE, bool dock = false)
        : connection_(xcb_connect(
              test::XApplicationEnvironment::server()->display().toLocal8Bit().constData(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, parent ? parent : root_,
                          int16_t(place.x()), int16_t(place.y()), uint16_t(place.width()),
                          uint16_t(place.height()), 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                          nullptr);
        if (dock) {
            const xcb_atom_t type = atom("_NET_WM_WINDOW_TYPE_DOCK");
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, atom("_NET_WM_WINDOW_TYPE"),
                                XCB_ATOM_ATOM, 32, 1, &type);
        }
        map(true);
    }
    ~OtherWindow() { xcb_disconnect(connection_); }

    xcb_window_t id() const { return window_; }
    // _NET_WM_STRUT_PARTIAL's twelve values; none reserve nothing.
    void reserve(const std::vector<uint32_t>& strut) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, atom("_NET_WM_STRUT_PARTIAL"),
                            XCB_ATOM_CARDINAL, 32, uint32_t(strut.size()), strut.data());
        sync();
    }
    // Within its parent, or into another one.
    void moveTo(QPoint at, xcb_window_t parent = XCB_WINDOW_NONE) {
        const uint32_t values[] = {uint32_t(at.x()), uint32_t(at.y())};
        parent
            ? xcb_reparent_window(connection_, window_, parent, int16_t(at.x()), int16_t(at.y()))
            : xcb_configure_window(connection_, window_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
        sync();
    }
    void map(bool shown) {
        shown ? xcb_map_window(connection_, window_) : xcb_unmap_window(connection_, window_);
        sync();
    }
    xcb_window_t root() const { return root_; }

private:
    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }
    // A round trip: the server has done all asked before.
    void sync() {
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t window_ = XCB_WINDOW_NONE;
};

TEST(DesktopBarsWatch, readsTheBarsAgainAfterEachChangeTheServerTellsOfAndNeverInBetween) {
    int reads = 0;
    DesktopBarsWatch watch(
        [&reads](xcb_connection_t* connection, uint32_t events, std::vector<uint32_t>* holders) {
            ++reads;
            return readDesktopBars(connection, events, holders);
        });
    const auto barsAre = [&](const std::vector<Bar>& strips) {
        return XServerHarness::waitFor([&] { return watch.current().strips == strips; });
    };
    ASSERT_TRUE(barsAre({}));

    // A bar along the bottom of the 1280x800 screen, mapped after the watch began.
    OtherWindow bar(QRect(0, 770, 1280, 30), XCB_WINDOW_NONE, true);
    bar.reserve({0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1279});
    EXPECT_TRUE(barsAre({{ScreenEdge::bottom, {0, 770, 1280, 30}}}));
    // Shows with nothing changed ask the server nothing.
    const int settled = reads;
    for (int show = 0; show < 3; ++show) {
        QCoreApplication::processEvents();
        EXPECT_EQ(watch.barAt({600, 790}), Bar({ScreenEdge::bottom, {0, 770, 1280, 30}}));
    }
    EXPECT_EQ(reads, settled);

    // Moved to the top between two shows: its strut first, then its window.
    bar.reserve({0, 0, 30, 0, 0, 0, 0, 0, 0, 1279, 0, 0});
    EXPECT_TRUE(barsAre({{ScreenEdge::top, {0, 0, 1280, 30}}}));
    bar.moveTo({0, 0});
    // Reserving nothing, it is still a dock along the top; moved off the edge it is none, and back again.
    bar.reserve({});
    bar.moveTo({0, 300});
    EXPECT_TRUE(barsAre({}));
    bar.moveTo({0, 0});
    EXPECT_TRUE(barsAre({{ScreenEdge::top, {0, 0, 1280, 30}}}));
    bar.map(false);
    EXPECT_TRUE(barsAre({}));
}

TEST(DesktopBarsWatch, takesADockThatReservesNothingInsideAManagersFrameAlongAnyEdgeAndFollowsTheFrame) {
    DesktopBarsWatch watch;
    const auto barsAre = [&](const std::vector<Bar>& strips) {
        return XServerHarness::waitFor([&] { return watch.current().strips == strips; });
    };
    // A frame (as i3 puts docks in, listing none) holding a dock 4 px in from its own corner.
    OtherWindow frame(QRect(1246, 0, 34, 800));
    OtherWindow dock(QRect(4, 0, 30, 800), frame.id(), true);
    EXPECT_TRUE(barsAre({{ScreenEdge::right, {1250, 0, 30, 800}}}));
    frame.moveTo({-4, 0});
    EXPECT_TRUE(barsAre({{ScreenEdge::left, {0, 0, 30, 800}}}));
    frame.moveTo({600, 0});
    EXPECT_TRUE(barsAre({}));
}

TEST(WindowPlaceWatch, followsAHeldWindowAsItOrAWindowHoldingItMovesAndAsksNothingInBetween) {
    int reads = 0;
    WindowPlaceWatch watch(
        [&reads](xcb_connection_t* connection, uint32_t window, std::vector<uint32_t>* chain) {
            ++reads;
            return readWindowPlace(connection, window, chain);
        });
    // An icon in a tray in a window manager's frame.
    OtherWindow frame(QRect(1000, 0, 200, 30));
    OtherWindow tray(QRect(0, 0, 200, 30), frame.id());
    OtherWindow icon(QRect(50, 3, 24, 24), tray.id());
    const auto placeIs = [&](std::optional<QRect> place) {
        return XServerHarness::waitFor([&] { return watch.placeOf(icon.id()) == place; });
    };
    EXPECT_TRUE(placeIs(QRect(1050, 3, 24, 24)));
    const int settled = reads;
    for (int show = 0; show < 3; ++show) {
        QCoreApplication::processEvents();
        EXPECT_EQ(watch.placeOf(icon.id()), QRect(1050, 3, 24, 24));
    }
    EXPECT_EQ(reads, settled);

    // The frame moves to the bottom; the tray moves the icon along.
    frame.moveTo({900, 770});
    EXPECT_TRUE(placeIs(QRect(950, 773, 24, 24)));
    icon.moveTo({80, 3});
    EXPECT_TRUE(placeIs(QRect(980, 773, 24, 24)));
    // Let go onto the root, nothing holds it.
    icon.moveTo({5, 5}, icon.root());
    EXPECT_TRUE(placeIs(std::nullopt));
}

} // namespace
} // namespace huddlepod::x11

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new huddlepod::test::XApplicationEnvironment);
    return RUN_ALL_TESTS();
}
