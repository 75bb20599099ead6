// The panel window's background drag, and the panel and an open popover following the compositor.
#include "app/SearchPanel.h"
#include "app/PanelController.h"
#include "app/PanelPlacement.h"
#include "app/Views/Components/Popover.h"
#include "platform/x11/Compositor.h"
#include "tests/app/shell/ShellTestSupport.h"
#include "tests/support/AsyncTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

void mouse(QWidget& widget, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
    const QPoint local = global - widget.pos();
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
    QCoreApplication::processEvents();
}

} // namespace

TEST(SearchPanel, aPressMovesNothingUntilThePointerGoesTheDragDistanceAndLateMovesBelongToTheDrag) {
    SearchPanel panel({440, 560}, false);
    panel.setContent(new QWidget);
    panel.moveSurfaceTo({100, 80});
    panel.show();
    QCoreApplication::processEvents();
    QSignalSpy dragged(&panel, &SearchPanel::dragged);
    const QPoint grip(105, 104);

    mouse(panel, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    mouse(panel, QEvent::MouseMove, grip + QPoint(3, 2), Qt::LeftButton); // a hand's jitter in a click
    mouse(panel, QEvent::MouseButtonRelease, grip + QPoint(3, 2), Qt::NoButton);
    mouse(panel, QEvent::MouseMove, grip + QPoint(200, 100), Qt::NoButton);
    EXPECT_EQ(panel.pos(), QPoint(100, 80));
    EXPECT_EQ(dragged.count(), 0);

    mouse(panel, QEvent::MouseButtonPress, grip, Qt::LeftButton);
    mouse(panel, QEvent::MouseMove, grip + QPoint(30, -20), Qt::LeftButton);
    EXPECT_EQ(panel.pos(), QPoint(130, 60)); // caught up with the pointer at once
    mouse(panel, QEvent::MouseMove, grip + QPoint(60, 40), Qt::LeftButton);
    mouse(panel, QEvent::MouseButtonRelease, grip + QPoint(60, 40), Qt::NoButton);
    EXPECT_EQ(panel.pos(), QPoint(160, 120));
    const int duringDrag = int(dragged.count());
    EXPECT_GT(duringDrag, 0);

    panel.move(170, 130); // where a window manager reports the drag ended, after the button is up
    QCoreApplication::processEvents();
    EXPECT_EQ(dragged.count(), duringDrag + 1);
    panel.moveSurfaceTo({0, 0}); // a placement ends it
    panel.move(5, 5);
    QCoreApplication::processEvents();
    EXPECT_EQ(dragged.count(), duringDrag + 1);
}

TEST(SearchPanel, aPreparedPanelSaysEachTimeItGetsOnScreen) {
    SearchPanel panel({440, 560}, false);
    panel.setContent(new QWidget);
    QSignalSpy exposed(&panel, &SearchPanel::exposed);
    for (const int shows : {1, 2}) {
        panel.prepareToShow();
        panel.show();
        EXPECT_TRUE(test::waitUntil([&] { return exposed.count() >= shows; })) << shows;
        panel.hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(exposed.count(), shows);
    }
}

TEST(PanelCompositing, theOpenPanelFollowsTheCompositorAndEachShowAsksAgain) {
    huddlepod::testing::ShellFixture fixture;
    bool composited = true;
    std::function<void(bool)> changed;
    PanelController::Environment env = fixture.environment();
    env.isCompositing = [&] { return composited; };
    env.followCompositing = [&](QObject*, std::function<void(bool)> handler) {
        changed = std::move(handler);
    };
    PanelController controller(env);
    controller.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(controller.panel()->geometry(), QRect(812, 10, 480, 600));

    changed(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller.panel()->geometry(), QRect(832, 30, 440, 560));
    EXPECT_FALSE(controller.panel()->mask().isEmpty());
    EXPECT_EQ(PanelPlacement(*fixture.defaults).detachedOrigin(), std::nullopt);
    changed(true);
    EXPECT_EQ(controller.panel()->geometry(), QRect(812, 10, 480, 600));

    controller.hide();
    composited = false; // gone while hidden, unannounced
    controller.show();
    EXPECT_EQ(controller.panel()->geometry(), QRect(832, 30, 440, 560));
    EXPECT_FALSE(controller.panel()->mask().isEmpty());
}

TEST(PanelCompositing, anOpenPopoverClosesWhenACompositorComesOrGoes) {
    for (const bool composited : {false, true}) {
        QPointer<Popover> popover = new Popover(new QWidget);
        popover->setAttribute(Qt::WA_DeleteOnClose);
        popover->showFor(QRect(100, 100, 40, 20), QRect(0, 0, 800, 600));
        ASSERT_TRUE(popover->isVisible());
        emit CompositingMonitor::shared().changed(composited);
        EXPECT_TRUE(!popover || !popover->isVisible()) << composited;
        delete popover.data();
    }
}
