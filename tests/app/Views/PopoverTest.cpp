// The popover: placement, its shape with and without a compositor, closing, its list's overlay indicator,
// and reopening from the grid while a closed one awaits deletion.
#include "app/Views/Components/Popover.h"
#include "GridTables.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/DataGridView.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

Popover* makePopover(bool composited) {
    QStringList titles;
    for (int year = 2000; year < 2040; ++year) {
        titles.append(QString::number(year));
    }
    PopoverList::Style style;
    style.maximumHeight = 235;
    auto* popover = new Popover(new PopoverList(titles, 0, style));
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover->setComposited(composited);
    popover->showFor(QRect(100, 100, 40, 20), QRect(0, 0, 800, 600));
    return popover;
}

} // namespace

TEST(PopoverPlacement, belowFlippedOrClamped) {
    const QRect screen(0, 0, 1000, 800);
    const QSize content(100, 200);
    const int height = 200 + Popover::arrowHeight;
    const Popover::Placement below = Popover::place(content, QRect(400, 100, 40, 20), screen);
    EXPECT_EQ(below, (Popover::Placement{QRect(370, 120, 100, height), false, 50}));
    const Popover::Placement above = Popover::place(content, QRect(400, 700, 40, 20), screen);
    EXPECT_EQ(above, (Popover::Placement{QRect(370, 700 - height, 100, height), true, 50}));

    // Near the right edge: clamped inside the margin, the arrow still points at the anchor.
    const Popover::Placement right = Popover::place(content, QRect(960, 100, 40, 20), screen);
    EXPECT_EQ(right.frame.right(), 1000 - Popover::screenMargin - 1);
    EXPECT_EQ(right.frame.left() + right.arrowX, 980);
}

TEST(Popover, oneOutlineAShadowOrAnOpaqueMaskAndClosingOnPressesOutside) {
    for (const bool composited : {true, false}) {
        QPointer<Popover> popover = makePopover(composited);
        const int margin = composited ? Popover::shadowMargin : 0;
        const QPoint surface(margin, margin);
        const Popover::Placement placement = popover->placement();
        EXPECT_EQ(popover->geometry(), placement.frame.adjusted(-margin, -margin, margin, margin));
        EXPECT_EQ(popover->testAttribute(Qt::WA_TranslucentBackground), composited);

        const QImage image = testsupport::renderTransparent(*popover, Appearance::light, 1);
        const QColor fill = Theme::materialFill(Material::popover, Appearance::light);
        // No edge across the arrow's base.
        EXPECT_EQ(image.pixelColor(surface + QPoint(placement.arrowX, Popover::arrowHeight)), fill);
        const QPoint besideArrow = surface + QPoint(1, 1);
        const QPoint belowBody = surface + QPoint(placement.frame.width() / 2, placement.frame.height() + 2);
        if (composited) {
            EXPECT_GT(qAlpha(image.pixel(belowBody)), 0);      // shadow
            EXPECT_LT(qAlpha(image.pixel(besideArrow)), 0x20); // the light shadow, not black
        } else {
            EXPECT_FALSE(popover->mask().contains(besideArrow));
            testsupport::saveLooks(*popover, QStringLiteral("popover-without-compositor"));
            EXPECT_TRUE(popover->mask().contains(surface + QPoint(placement.arrowX, 2)));
        }
        QTest::mouseClick(popover, Qt::LeftButton, {}, surface + QPoint(20, 40));
        EXPECT_TRUE(popover->isVisible());
        // A press in the shadow is outside the surface.
        QTest::mousePress(popover, Qt::LeftButton, {}, composited ? besideArrow : QPoint(900, 10));
        EXPECT_FALSE(popover && popover->isVisible());
    }
}

TEST(PopoverList, heightFromRowsCentredOnSelectionIndicatorOnlyWhileScrolling) {
    EXPECT_LT(PopoverList::listHeight(3, 235), 235);
    EXPECT_EQ(PopoverList::listHeight(11, 235), 235);
    QPointer<Popover> popover = makePopover(true);
    auto* list = static_cast<PopoverList*>(popover->content());
    EXPECT_EQ(list->viewport()->width(), list->width()); // no scroll bar takes the rows' width
    EXPECT_FALSE(list->isIndicatorShown());

    QWheelEvent wheel(QPointF(20, 20), list->mapToGlobal(QPointF(20, 20)), {}, QPoint(0, -120), Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list->viewport(), &wheel);
    EXPECT_GT(list->scrollOffset(), 0);
    EXPECT_TRUE(list->isIndicatorShown());
    testsupport::saveLooks(*popover, QStringLiteral("popover-list-scrolling"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isIndicatorShown(); }, 5000));
    popover->close();
}

TEST(DataGridView, aSecondClickOpensAgainWhileTheClosedPopoverAwaitsDeletion) {
    DataGridView grid(testsupport::standingsTable(), 416, [](const PlayerLink&) {});
    grid.show();
    const QPoint cell = grid.gridLayout().links[2].hitArea.center().toPoint();
    QTest::mouseClick(&grid, Qt::LeftButton, {}, cell);
    ASSERT_NE(grid.disclosure(), nullptr);
    const QPointer<Popover> first = grid.disclosure();
    first->close(); // an outside press closes it; its deletion is still pending
    QTest::mouseClick(&grid, Qt::LeftButton, {}, cell);
    ASSERT_NE(grid.disclosure(), nullptr);
    EXPECT_NE(grid.disclosure(), first.data());
    EXPECT_TRUE(grid.disclosure()->isVisible());
}
