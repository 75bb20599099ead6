// The segmented toggle: segment geometry, spreading over the width, writes on every tap, and reduce motion.
#include "app/Views/Components/SegmentedToggle.h"
#include "RenderOutput.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/AppearancePreference.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

enum class Page { standings, schedule, draft };

// Records every write, like a view model's setter.
struct Model {
    Page page = Page::standings;
    std::vector<Page> writes;

    Binding<Page> binding() {
        return {[this] { return page; },
                [this](const Page& value) {
                    writes.push_back(value);
                    page = value;
                }};
    }
};

QString pageTitle(const Page& page) {
    switch (page) {
    case Page::standings:
        return QStringLiteral("Standings");
    case Page::schedule:
        return QStringLiteral("Schedule");
    case Page::draft:
        return QStringLiteral("Draft");
    }
    return {};
}

std::vector<Page> allPages() {
    return {Page::standings, Page::schedule, Page::draft};
}

void tap(SegmentedToggleBase& toggle, int index) {
    QTest::mouseClick(&toggle, Qt::LeftButton, {},
                      toggle.segmentRects(toggle.width())[std::size_t(index)].center().toPoint());
}

} // namespace

TEST(SegmentedToggle, segmentsHoldTheirTextsInARowOrSpreadOverTheWidth) {
    Model model;
    for (const bool compact : {false, true}) {
        SegmentedToggle<Page> toggle(allPages(), model.binding(), pageTitle, QStringLiteral("League view"),
                                     compact);
        const std::vector<QRectF> rects = toggle.segmentRects(toggle.sizeHint().width());
        ASSERT_EQ(rects.size(), 3u);
        for (std::size_t index = 0; index < 3; ++index) {
            const QFontMetricsF metrics(
                Theme::font(11, index == 0 ? FontWeight::semibold : FontWeight::regular));
            EXPECT_GT(rects[index].width(), metrics.horizontalAdvance(toggle.titles().at(int(index))));
            EXPECT_GT(rects[index].left(), index == 0 ? -1 : rects[index - 1].right());
        }
        EXPECT_GE(toggle.sizeHint().width(), rects.back().right());
        toggle.resize(toggle.sizeHint());
        testsupport::saveLooks(toggle, compact ? QStringLiteral("segmented-toggle-compact")
                                               : QStringLiteral("segmented-toggle"));
    }

    SegmentedToggle<Page> spread(allPages(), model.binding(), pageTitle, QStringLiteral("League view"), false,
                                 true);
    const std::vector<QRectF> rects = spread.segmentRects(416);
    EXPECT_DOUBLE_EQ(rects.front().left(), 0);
    EXPECT_NEAR(rects.back().right(), 416, 1e-9);
    EXPECT_NEAR(rects[1].left() - rects[0].right(), rects[2].left() - rects[1].right(), 1e-9);
    // A single spanning segment keeps its own width at the leading edge.
    SegmentedToggle<Page> single({Page::draft}, model.binding(), pageTitle, QStringLiteral("x"), false, true);
    EXPECT_LT(single.segmentRects(416).at(0).width(), 100);
    spread.resize(416, spread.sizeHint().height());
    testsupport::saveLooks(spread, QStringLiteral("segmented-toggle-spanning"));
}

TEST(SegmentedToggle, everyTapWritesTheSelectedOneIncludedAndMovesTheHighlight) {
    for (const bool reduceMotion : {false, true}) {
        ScopedWorkspaceSettings workspace;
        workspace.reduceMotionValue = reduceMotion;
        Model model;
        SegmentedToggle<Page> toggle(allPages(), model.binding(), pageTitle, QStringLiteral("League view"));
        toggle.resize(toggle.sizeHint());
        tap(toggle, 0);
        EXPECT_FALSE(toggle.isAnimating()) << "nothing to move";
        tap(toggle, 2);
        EXPECT_EQ(model.writes, (std::vector<Page>{Page::standings, Page::draft}));
        EXPECT_EQ(toggle.selectedIndex(), 2);
        EXPECT_EQ(toggle.isAnimating(), !reduceMotion);

        // A change made elsewhere shows after refresh(), without a write.
        model.page = Page::schedule;
        toggle.refresh();
        EXPECT_EQ(toggle.selectedIndex(), 1);
        EXPECT_EQ(model.writes.size(), 2u);
    }
}

TEST(SegmentedToggle, toggleOptionTypesSupplyTheirCasesAndTitles) {
    AppearancePreference stored = AppearancePreference::dark;
    SegmentedToggle<AppearancePreference> toggle(
        Binding<AppearancePreference>{[&] { return stored; },
                                      [&](const AppearancePreference& value) { stored = value; }},
        QStringLiteral("Appearance"));
    EXPECT_EQ(toggle.titles(),
              (QStringList{QStringLiteral("System"), QStringLiteral("Light"), QStringLiteral("Dark")}));
    EXPECT_EQ(toggle.selectedIndex(), 2);
    toggle.resize(toggle.sizeHint());
    tap(toggle, 0);
    EXPECT_EQ(stored, AppearancePreference::system);
}

TEST(SegmentedToggle, aWriteThatRemovesTheToggleEndsTheTapCleanly) {
    // A page whose controls are rebuilt when the model changes drops the old toggle inside the write, which
    // goes on reading its value; a click and an accessible press take the same way.
    ScopedWorkspaceSettings workspace;
    const std::function<void(SegmentedToggleBase&)> presses[] = {
        [](SegmentedToggleBase& toggle) { tap(toggle, 2); },
        [](SegmentedToggleBase& toggle) {
            QAccessible::queryAccessibleInterface(&toggle)->child(2)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        },
    };
    for (const auto& press : presses) {
        std::vector<Page> writes;
        QWidget row;
        QPointer<SegmentedToggle<Page>> toggle;
        toggle = new SegmentedToggle<Page>(allPages(),
                                           Binding<Page>{[] { return Page::standings; },
                                                         [&](const Page& value) {
                                                             delete toggle.data();
                                                             writes.push_back(value);
                                                         }},
                                           pageTitle, QStringLiteral("League view"), false, false, &row);
        toggle->resize(toggle->sizeHint());
        press(*toggle);
        EXPECT_TRUE(toggle.isNull());
        EXPECT_EQ(writes, std::vector<Page>{Page::draft});
    }
}
