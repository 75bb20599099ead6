// Where the panel opens: the origin arithmetic, the screen choice and the flip to Qt's coordinates.
#include "ui/PanelPositioner.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

const QSizeF panel(440, 560);

struct OriginCase {
    const char* name;
    std::optional<UpRect> anchor;
    UpRect visible;
    QPointF expected;
};

} // namespace

TEST(PanelPositioner, placesTheOriginUnderTheAnchorWithinTheVisibleFrame) {
    const UpRect desktop{0, 0, 1440, 875};
    const OriginCase cases[] = {
        {"centred under the anchor", UpRect{700, 875, 20, 24}, desktop, {490, 875 - 6 - 560}},
        {"near the right edge", UpRect{1420, 875, 20, 24}, desktop, {1440 - 440 - 8, 309}},
        {"near the left edge", UpRect{0, 875, 20, 24}, desktop, {8, 309}},
        {"anchor above the frame", UpRect{700, 900, 20, 24}, desktop, {490, 875 - 6 - 560}},
        {"anchor below the frame's bottom", UpRect{700, -300, 20, 24}, desktop, {490, 8}},
        {"no anchor", std::nullopt, desktop, {500, 309}},
        {"too narrow", UpRect{100, 875, 20, 24}, UpRect{50, 0, 456, 875}, {58, 309}},
        {"too low", UpRect{700, 568, 20, 24}, UpRect{0, 100, 1440, 568}, {490, 108}},
        {"offset second screen", UpRect{2000, 1000, 20, 20}, UpRect{1440, 0, 1920, 1000}, {1790, 434}},
    };
    for (const OriginCase& c : cases) {
        EXPECT_EQ(PanelPositioner::origin(panel, c.anchor, c.visible), c.expected) << c.name;
        const UpRect frame = PanelPositioner::frame(panel, c.anchor, c.visible);
        EXPECT_EQ(QPointF(frame.x, frame.y), c.expected) << c.name;
        EXPECT_EQ(QSizeF(frame.width, frame.height), panel) << c.name;
    }
}

TEST(PanelPositioner, choosesTheScreenMeetingTheAnchorThenTheMouseThenTheFirst) {
    const UpRect left{0, 0, 1440, 900};
    const UpRect right{1440, 0, 1920, 1080};
    const std::vector<ScreenArea> screens{{left, left}, {right, right}};
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{2000, 1050, 20, 20}, screens, QPointF(10, 10)), right);
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{-500, 0, 20, 20}, screens, QPointF(1500, 10)), right);
    EXPECT_EQ(PanelPositioner::screenFrame(std::nullopt, screens, std::nullopt), left);
    // An anchor that only touches a screen's edge does not meet it.
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{1440, 0, 20, 20}, screens, std::nullopt), right);
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{0, 0, 20, 20}, {}, QPointF(1, 1)), std::nullopt);
}

TEST(PanelPositioner, choosesByTheWholeFrameAndGivesItsVisibleFrame) {
    // A bar 24 high along the top of each screen, outside its visible frame.
    const ScreenArea left{{0, 0, 1440, 900}, {0, 0, 1440, 876}};
    const ScreenArea right{{1440, 0, 1920, 1080}, {1440, 0, 1920, 1056}};
    const std::vector<ScreenArea> screens{left, right};
    const UpRect leftVisible{0, 0, 1440, 876};
    const UpRect rightVisible{1440, 0, 1920, 1056};
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{3300, 1056, 24, 24}, screens, std::nullopt), rightVisible);
    EXPECT_EQ(PanelPositioner::screenFrame(std::nullopt, screens, QPointF(3310, 1070)), rightVisible);
    EXPECT_EQ(PanelPositioner::screenFrame(UpRect{1400, 880, 24, 20}, screens, QPointF(3310, 1070)),
              leftVisible);
    EXPECT_EQ(PanelPositioner::screenFrame(std::nullopt, screens, QPointF(5000, 10)), leftVisible);
}
