// Where the keyboard focus goes, as a watch on Qt's connection tells it, while another client moves the focus
// between its own window and nobody; with two watches alive and one of them ending.
#include "platform/x11/FocusWatch.h"
#include "tests/support/XApplicationEnvironment.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

extern "C" const char* __lsan_default_options() {
    return "suppressions=" HUDDLEPOD_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

namespace huddlepod {
namespace {

using test::XServerHarness;
using x11::FocusHolder;
using x11::FocusWatch;

// Another program on the server, with a window of its own that it can give the focus to.
class OtherProgram {
public:
    OtherProgram()
        : connection_(xcb_connect(
              test::XApplicationEnvironment::server()->display().toLocal8Bit().constData(), nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 100, 100, 200, 150, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection_, window_);
        sync();
    }
    ~OtherProgram() { xcb_disconnect(connection_); }

    void takeFocus() { focus(window_); }
    // As when the window that had it goes away: to the root window.
    void leaveFocusWithNobody() { focus(XCB_INPUT_FOCUS_POINTER_ROOT); }

private:
    void focus(xcb_window_t window) {
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        sync();
    }
    // A round trip: the server has done all asked before.
    void sync() {
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
};

struct Reports {
    std::vector<FocusHolder> seen;
    std::unique_ptr<FocusWatch> watch() {
        return std::make_unique<FocusWatch>([this](FocusHolder holder) { seen.push_back(holder); });
    }
    bool lastIs(FocusHolder holder) const { return !seen.empty() && seen.back() == holder; }
};

// Either of two watches ending leaves the other hearing every move of the focus.
class TwoWatches : public ::testing::TestWithParam<bool> {};

TEST_P(TwoWatches, theOneLeftHearsTheFocusGoToAnotherProgramAndToNobody) {
    const bool firstEnds = GetParam();
    OtherProgram other;
    other.leaveFocusWithNobody();
    Reports first;
    Reports second;
    std::unique_ptr<FocusWatch> firstWatch = first.watch();
    std::unique_ptr<FocusWatch> secondWatch = second.watch();
    ASSERT_TRUE(XServerHarness::waitFor([&] { return first.lastIs(FocusHolder::nobody); }));
    ASSERT_TRUE(XServerHarness::waitFor([&] { return second.lastIs(FocusHolder::nobody); }));

    (firstEnds ? firstWatch : secondWatch).reset();
    Reports& left = firstEnds ? second : first;

    other.takeFocus();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return left.lastIs(FocusHolder::otherWindow); }));
    other.leaveFocusWithNobody();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return left.lastIs(FocusHolder::nobody); }));
}

INSTANTIATE_TEST_SUITE_P(FocusWatch, TwoWatches, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "theFirstEnds" : "theSecondEnds";
                         });

} // namespace
} // namespace huddlepod

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new huddlepod::test::XApplicationEnvironment);
    return RUN_ALL_TESTS();
}
