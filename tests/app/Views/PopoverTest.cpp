// The popover: placement below, flipped above or clamped to the screen, and closing on outside clicks and
// Escape.
#include "app/Views/Components/Popover.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(PopoverPlacement, belowFlippedOrClamped) {
    const QRect screen(0, 0, 1000, 800);
    const QSize content(100, 200);
    const int height = 200 + Popover::arrowHeight;

    // Room below: hangs under the anchor, centred on it, arrow at the anchor's centre.
    const Popover::Placement below = Popover::place(content, QRect(400, 100, 40, 20), screen);
    EXPECT_FALSE(below.isAbove);
    EXPECT_EQ(below.frame, QRect(370, 120, 100, height));
    EXPECT_EQ(below.arrowX, 50);

    // No room below but room above: flips.
    const Popover::Placement above = Popover::place(content, QRect(400, 700, 40, 20), screen);
    EXPECT_TRUE(above.isAbove);
    EXPECT_EQ(above.frame, QRect(370, 700 - height, 100, height));

    // Near the right edge: clamped inside the margin, the arrow still points at the anchor.
    const Popover::Placement right = Popover::place(content, QRect(960, 100, 40, 20), screen);
    EXPECT_EQ(right.frame.right(), 1000 - Popover::screenMargin - 1);
    EXPECT_EQ(right.frame.left() + right.arrowX, 980);

    // Room on neither side: kept on the screen, below (the larger side here).
    const Popover::Placement squeezed =
        Popover::place(QSize(100, 700), QRect(400, 300, 40, 20), QRect(0, 0, 1000, 600));
    EXPECT_GE(squeezed.frame.top(), Popover::screenMargin);
    EXPECT_LE(squeezed.frame.bottom(), 600 - Popover::screenMargin - 1);
}

TEST(Popover, closesOnOutsideClickAndEscapeButNotInside) {
    auto makePopover = [] {
        PopoverList::Style style;
        auto* popover =
            new Popover(new PopoverList({QStringLiteral("One"), QStringLiteral("Two")}, 0, style));
        popover->setAttribute(Qt::WA_DeleteOnClose);
        popover->showFor(QRect(100, 100, 40, 20), QRect(0, 0, 800, 600));
        return popover;
    };

    QPointer<Popover> popover = makePopover();
    QSignalSpy closed(popover.data(), &Popover::closed);
    EXPECT_TRUE(popover->isVisible());
    EXPECT_EQ(popover->content()->geometry().top(), Popover::arrowHeight);
    QTest::mouseClick(popover, Qt::LeftButton, {}, QPoint(popover->width() / 2, popover->height() / 2));
    EXPECT_TRUE(popover->isVisible());
    QTest::mousePress(popover, Qt::LeftButton, {}, QPoint(popover->width() + 50, 10));
    EXPECT_FALSE(popover && popover->isVisible());
    EXPECT_EQ(closed.count(), 1);

    popover = makePopover();
    QSignalSpy closedByEscape(popover.data(), &Popover::closed);
    QTest::keyClick(popover, Qt::Key_Escape);
    EXPECT_EQ(closedByEscape.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popover.isNull());
}

TEST(PopoverList, heightFromRowCountCappedAndCentredOnSelection) {
    EXPECT_EQ(PopoverList::listHeight(3, 235), 74);
    EXPECT_EQ(PopoverList::listHeight(10, 235), 228);
    EXPECT_EQ(PopoverList::listHeight(11, 235), 235);

    QStringList titles;
    for (int year = 2024; year >= 1970; --year) {
        titles.append(QString::number(year));
    }
    PopoverList::Style style;
    style.width = 74;
    style.maximumHeight = 235;
    PopoverList list(titles, 20, style);
    EXPECT_EQ(list.size(), QSize(74, 235));
    list.show();
    const int centre = list.rowRect(20).center().y() - list.scrollOffset();
    EXPECT_NEAR(centre, list.viewport()->height() / 2, 1);

    // At the start of a list the selection cannot be centred: no scrolling.
    PopoverList top(titles, 1, style);
    top.show();
    EXPECT_EQ(top.scrollOffset(), 0);
    testsupport::saveLooks(list, QStringLiteral("popover-list"));
}
