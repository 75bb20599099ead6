// X's device pixels to and from Qt's global coordinates on desktops of several screens and scales.
#include "platform/x11/DevicePixels.h"

#include <gtest/gtest.h>

using namespace huddlepod::x11;

namespace {

// Two 2x screens of 2880x1800 and 3840x2160 device pixels side by side: each keeps its device origin.
const std::vector<ScreenScale> bothDoubled{{QRect(0, 0, 1440, 900), 2}, {QRect(2880, 0, 1920, 1080), 2}};
// Mixed: 1920x1080 at 1, then 3840x2160 at 2; and the other way round.
const std::vector<ScreenScale> plainThenDoubled{{QRect(0, 0, 1920, 1080), 1},
                                                {QRect(1920, 0, 1920, 1080), 2}};
const std::vector<ScreenScale> doubledThenPlain{{QRect(0, 0, 1920, 1080), 2},
                                                {QRect(3840, 0, 1920, 1080), 1}};
// The second screen above the first, at 1.5.
const std::vector<ScreenScale> stacked{{QRect(0, 1080, 1920, 1080), 1}, {QRect(0, 0, 1280, 720), 1.5}};

struct PointCase {
    const char* name;
    const std::vector<ScreenScale>* screens;
    QPoint device;
    QPoint logical;
};

} // namespace

TEST(DevicePixels, convertsAPointThroughTheScreenThatHoldsIt) {
    const PointCase cases[] = {
        {"first 2x screen", &bothDoubled, QPoint(2000, 600), QPoint(1000, 300)},
        {"tray icon on the second 2x screen", &bothDoubled, QPoint(6664, 10), QPoint(4772, 5)},
        {"second 2x screen's origin", &bothDoubled, QPoint(2880, 0), QPoint(2880, 0)},
        {"plain first screen", &plainThenDoubled, QPoint(1919, 1079), QPoint(1919, 1079)},
        {"2x second screen", &plainThenDoubled, QPoint(5000, 100), QPoint(3460, 50)},
        {"2x first screen", &doubledThenPlain, QPoint(3000, 2000), QPoint(1500, 1000)},
        {"plain second screen after a 2x one", &doubledThenPlain, QPoint(4000, 100), QPoint(4000, 100)},
        {"1.5 screen above", &stacked, QPoint(960, 540), QPoint(640, 360)},
        {"plain screen below", &stacked, QPoint(100, 1500), QPoint(100, 1500)},
    };
    for (const PointCase& c : cases) {
        EXPECT_EQ(toLogical(c.device, *c.screens), c.logical) << c.name;
        EXPECT_EQ(toDevice(c.logical, *c.screens), c.device) << c.name;
    }
    // Below the shorter screen: through the nearest.
    EXPECT_EQ(toLogical(QPoint(1000, 2000), bothDoubled), QPoint(500, 1000)) << "off every screen";
    EXPECT_EQ(toLogical(QPoint(6664, 10), {}), QPoint(6664, 10)) << "no screens";
    EXPECT_EQ(toDevice(QPoint(4772, 5), {}), QPoint(4772, 5)) << "no screens";
}

TEST(DevicePixels, convertsARectangleThroughTheScreenThatHoldsItsCentre) {
    // A tray icon of 48x52 device pixels at the right end of the second 2x screen.
    EXPECT_EQ(toLogical(QRect(6664, 0, 48, 52), bothDoubled), QRect(4772, 0, 24, 26));
    EXPECT_EQ(toLogical(QRect(5000, 20, 48, 48), plainThenDoubled), QRect(3460, 10, 24, 24));
    EXPECT_EQ(toLogical(QRect(4000, 20, 24, 24), doubledThenPlain), QRect(4000, 20, 24, 24));
    // Mostly on the second screen though its corner is on the first.
    EXPECT_EQ(toLogical(QRect(2870, 0, 40, 40), bothDoubled), QRect(2875, 0, 20, 20));
}
