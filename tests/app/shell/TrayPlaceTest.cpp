// Where the panel opens under a tray icon the tray does not place exactly: from the bar's inner edge, and
// before any click from the place remembered in an earlier run or, failing that, the bar's right end; never
// from a place no bar holds any more.
#include "app/IconPlaceMemory.h"
#include "app/PanelController.h"
#include "app/StatusItemController.h"
#include "platform/UserDefaults.h"
#include "tests/app/shell/ShellTestSupport.h"

#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace huddlepod;
using huddlepod::testing::FakeTray;

namespace {

const QRect screen(0, 0, 1280, 800);

// A tray icon on a desktop whose bars are `bars`, the screens laid out as `screens`.
struct TrayOnDesktop {
    explicit TrayOnDesktop(QSettings& defaults, std::vector<x11::Bar> bars,
                           std::vector<QRect> screens = {screen})
        : bars(std::move(bars)) {
        auto owned = std::make_unique<FakeTray>();
        tray = owned.get();
        controller = std::make_unique<StatusItemController>(
            std::move(owned), [] {}, [] { return std::make_unique<QMenu>(); }, [](const QByteArray&) {});
        StatusItemController::Surroundings surroundings;
        surroundings.barAt = [this](QPoint point) {
            return x11::barAt(point, this->bars, std::nullopt, screen);
        };
        surroundings.likelyTrayPlace = [this] { return x11::likelyTrayPlace(this->bars, 24); };
        surroundings.screenLayout = [screens] { return screens; };
        surroundings.defaults = &defaults;
        controller->setSurroundings(std::move(surroundings));
    }
    void click(QPoint at) { tray->handler({TrayIcon::Button::left, false, at}); }
    // Where the panel opens: its top-left corner, with the work area (`available`) read or not yet.
    QPoint panelAt(QRect available = screen) const {
        const std::vector<PanelController::Screen> screens{{screen, available}};
        return PanelController::placement(std::nullopt, screens, controller->anchorFrame(), std::nullopt)
            .topLeft;
    }

    std::vector<x11::Bar> bars; // as the desktop has them now
    FakeTray* tray = nullptr;
    std::unique_ptr<StatusItemController> controller;
};

const x11::Bar xfceBar{x11::ScreenEdge::top, {0, 0, 1280, 29}};

} // namespace

TEST(TrayPlace, thePanelOpensSixPixelsUnderTheBarWhereverTheIconWasClicked) {
    QTemporaryDir dir;
    const auto defaults = UserDefaults::open(dir.filePath("Huddlepod.ini"));
    TrayOnDesktop desktop(*defaults, {xfceBar});
    // A StatusNotifier icon at the right end of XFCE's 29-pixel bar, clicked at its top, middle and bottom;
    // before and after the work area below the bar is known.
    for (const int y : {4, 14, 22, 26, 28}) {
        desktop.click({1265, y});
        EXPECT_EQ(desktop.panelAt(), QPoint(832, 35)) << "clicked at y " << y;
        EXPECT_EQ(desktop.panelAt(QRect(0, 29, 1280, 771)), QPoint(832, 35)) << "clicked at y " << y;
    }
    // An embedded icon smaller than its 44-pixel bar, before the work area is read.
    TrayOnDesktop tall(*defaults, {{x11::ScreenEdge::top, {0, 0, 1280, 44}}});
    tall.tray->rect = QRect(700, 10, 24, 24);
    EXPECT_EQ(tall.panelAt(), QPoint(492, 50));
    // Outside any bar the icon is what the tray tells.
    tall.tray->rect = QRect(700, 100, 24, 24);
    EXPECT_EQ(tall.panelAt(), QPoint(492, 130));
}

TEST(TrayPlace, beforeAnyClickThePanelOpensWhereTheIconWasLastSeenOnTheSameScreensElseAtTheBarsRightEnd) {
    QTemporaryDir dir;
    const auto defaults = UserDefaults::open(dir.filePath("Huddlepod.ini"));
    {
        TrayOnDesktop never(*defaults, {xfceBar});
        EXPECT_EQ(never.panelAt(), QPoint(832, 35)); // no place ever seen: the bar's right end
        TrayOnDesktop noBar(*defaults, {});
        EXPECT_EQ(noBar.controller->anchorFrame(), std::nullopt);

        TrayOnDesktop first(*defaults, {xfceBar});
        first.click({700, 22});
        EXPECT_EQ(first.panelAt(), QPoint(481, 35));
    }
    // A later run, same screens: the remembered place, though nothing was clicked yet.
    const auto reread = UserDefaults::open(dir.filePath("Huddlepod.ini"));
    TrayOnDesktop restarted(*reread, {xfceBar});
    EXPECT_EQ(restarted.controller->anchorFrame(), QRect(689, 0, 24, 29));
    EXPECT_EQ(restarted.panelAt(), QPoint(481, 35));
    // Screens laid out otherwise: the place no longer stands.
    TrayOnDesktop otherScreens(*reread, {xfceBar}, {screen, QRect(1280, 0, 1920, 1080)});
    EXPECT_EQ(otherScreens.panelAt(), QPoint(832, 35));
    TrayOnDesktop resized(*reread, {xfceBar}, {QRect(0, 0, 1920, 1080)});
    EXPECT_EQ(resized.controller->anchorFrame(), QRect(1256, 0, 24, 29));

    // A stored place that is not whole numbers is no place.
    reread->setValue("statusItem.lastIconPlace/width", "wide");
    EXPECT_EQ(IconPlaceMemory(*reread).place({screen}), std::nullopt);
}

TEST(TrayPlace, aPlaceInABarThatHasMovedToAnotherEdgeGivesWayToTheRightEndOfTheBarNow) {
    QTemporaryDir dir;
    const auto defaults = UserDefaults::open(dir.filePath("Huddlepod.ini"));
    const x11::Bar xfceAtTheBottom{x11::ScreenEdge::bottom, {0, 771, 1280, 29}};
    {
        TrayOnDesktop desktop(*defaults, {xfceAtTheBottom});
        desktop.click({700, 785});
        EXPECT_EQ(desktop.panelAt(QRect(0, 0, 1280, 771)), QPoint(481, 203)); // 8 above the bar
        // The bar moves to the top: the next shortcut, before the icon is clicked again.
        desktop.bars = {xfceBar};
        EXPECT_EQ(desktop.panelAt(QRect(0, 29, 1280, 771)), QPoint(832, 35));
    }
    // And after a restart, with the place remembered at the bottom.
    const auto reread = UserDefaults::open(dir.filePath("Huddlepod.ini"));
    TrayOnDesktop restarted(*reread, {xfceBar});
    EXPECT_EQ(restarted.panelAt(QRect(0, 29, 1280, 771)), QPoint(832, 35));
    // A tray the desktop tells nothing of: the pointer's place stands though no bar holds it.
    TrayOnDesktop unknownTray(*reread, {});
    unknownTray.click({1265, 10});
    EXPECT_EQ(unknownTray.panelAt(), QPoint(832, 29));
}
