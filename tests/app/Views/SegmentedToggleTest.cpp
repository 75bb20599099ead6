// The segmented toggle: segment geometry, spreading over the width, writes on every tap, and reduce motion.
#include "app/Views/Components/SegmentedToggle.h"
#include "RenderOutput.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/AppearancePreference.h"

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

TEST(SegmentedToggle, segmentsArePaddedTextWithTwoPointsBetween) {
    Model model;
    SegmentedToggle<Page> regular(allPages(), model.binding(), pageTitle, QStringLiteral("League view"));
    SegmentedToggle<Page> compact(allPages(), model.binding(), pageTitle, QStringLiteral("League view"),
                                  true);
    const std::vector<QRectF> wide = regular.segmentRects(regular.sizeHint().width());
    const std::vector<QRectF> narrow = compact.segmentRects(compact.sizeHint().width());
    ASSERT_EQ(wide.size(), 3u);
    const QFontMetricsF selected(Theme::font(11, FontWeight::semibold));
    EXPECT_DOUBLE_EQ(wide[0].width(),
                     std::ceil(selected.horizontalAdvance(QStringLiteral("Standings"))) + 20);
    EXPECT_DOUBLE_EQ(wide[0].height(), Theme::lineHeight(Theme::font(11)) + 8);
    EXPECT_DOUBLE_EQ(wide[1].left() - wide[0].right(), 2);
    for (std::size_t index = 0; index < 3; ++index) {
        EXPECT_DOUBLE_EQ(wide[index].width() - narrow[index].width(), 8);
    }
    EXPECT_EQ(regular.sizeHint(), QSize(int(std::ceil(wide[2].right())), int(wide[0].height())));
    EXPECT_EQ(regular.accessibleName(), QStringLiteral("League view"));
    EXPECT_EQ(regular.focusPolicy(), Qt::NoFocus);
    regular.resize(regular.sizeHint());
    testsupport::saveLooks(regular, QStringLiteral("segmented-toggle"));
}

TEST(SegmentedToggle, spanningSpreadsSegmentsEdgeToEdgeButNotASingleOne) {
    Model model;
    SegmentedToggle<Page> spread(allPages(), model.binding(), pageTitle, QStringLiteral("League view"), false,
                                 true);
    const std::vector<QRectF> rects = spread.segmentRects(416);
    EXPECT_DOUBLE_EQ(rects.front().left(), 0);
    EXPECT_NEAR(rects.back().right(), 416, 1e-9);
    EXPECT_NEAR(rects[1].left() - rects[0].right(), rects[2].left() - rects[1].right(), 1e-9);
    EXPECT_EQ(spread.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);

    SegmentedToggle<Page> single({Page::draft}, model.binding(), pageTitle, QStringLiteral("x"), false, true);
    const std::vector<QRectF> one = single.segmentRects(416);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_DOUBLE_EQ(one[0].left(), 0);
    EXPECT_LT(one[0].width(), 100);

    spread.resize(416, spread.sizeHint().height());
    testsupport::saveLooks(spread, QStringLiteral("segmented-toggle-spanning"));
}

TEST(SegmentedToggle, everyTapWritesTheSelectionTheSelectedOneIncluded) {
    ScopedWorkspaceSettings workspace;
    workspace.reduceMotionValue = true;
    Model model;
    SegmentedToggle<Page> toggle(allPages(), model.binding(), pageTitle, QStringLiteral("League view"));
    toggle.resize(toggle.sizeHint());
    tap(toggle, 0);
    tap(toggle, 0);
    tap(toggle, 2);
    EXPECT_EQ(model.writes, (std::vector<Page>{Page::standings, Page::standings, Page::draft}));
    EXPECT_EQ(toggle.selectedIndex(), 2);
    // Under reduce motion the highlight is already where it belongs.
    EXPECT_FALSE(toggle.isAnimating());

    // A change made elsewhere shows after refresh(), without a write.
    model.page = Page::schedule;
    toggle.refresh();
    EXPECT_EQ(toggle.selectedIndex(), 1);
    EXPECT_EQ(model.writes.size(), 3u);
}

TEST(SegmentedToggle, tapsAnimateTheHighlightWithoutReduceMotion) {
    ScopedWorkspaceSettings workspace;
    Model model;
    SegmentedToggle<Page> toggle(allPages(), model.binding(), pageTitle, QStringLiteral("League view"));
    toggle.resize(toggle.sizeHint());
    tap(toggle, 1);
    EXPECT_TRUE(toggle.isAnimating());
    EXPECT_EQ(toggle.selectedIndex(), 1);
    // Tapping the selected segment again writes but has nothing to animate.
    tap(toggle, 1);
    EXPECT_FALSE(toggle.isAnimating());
    EXPECT_EQ(model.writes.size(), 2u);
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
    // A page whose controls are rebuilt when the model changes drops the old toggle inside the write.
    ScopedWorkspaceSettings workspace;
    Page page = Page::standings;
    std::vector<Page> writes;
    QWidget row;
    QPointer<SegmentedToggle<Page>> toggle;
    toggle = new SegmentedToggle<Page>(allPages(),
                                       Binding<Page>{[&] { return page; },
                                                     [&](const Page& value) {
                                                         writes.push_back(value);
                                                         page = value;
                                                         delete toggle.data();
                                                     }},
                                       pageTitle, QStringLiteral("League view"), false, false, &row);
    toggle->resize(toggle->sizeHint());
    tap(*toggle, 2);
    EXPECT_TRUE(toggle.isNull());
    EXPECT_EQ(writes, std::vector<Page>{Page::draft});
}
