// The league browser view: which narrowing control each page shows and when, the round scroller, loads on
// appearance, and tables wider than the panel.
#include "app/Views/HomeView.h"

#include "RenderOutput.h"
#include "Spoken.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/ContentPane.h"
#include "tests/app/FakeLeagueService.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using namespace huddlepod;
using huddlepod::testing::FakeLeagueService;
using Narrowing = HomeView::Narrowing;

// A table of `columns` 60-pixel columns without gaps.
DataTable tableOfWidth(int columns) {
    std::vector<StatColumn> stats;
    std::vector<QString> values;
    for (int i = 0; i < columns; ++i) {
        stats.push_back(StatColumn{QStringLiteral("C%1").arg(i), 60, true, false, 0.0});
        values.push_back(QString::number(i));
    }
    return DataTable(
        QStringLiteral("Wide"), stats, {},
        {DataSection{std::nullopt, {DataRow{QStringLiteral("r"), values, false, {}, {}, false}}, false}});
}

class HomeViewTest : public ::testing::Test {
public: // the cases below drive the fixture from lambdas
    ~HomeViewTest() override { stop(); }

    template <typename T>
    void answer(const QString& request, T value) {
        league->calls.answer<T>(request, std::move(value));
    }
    // Opens a page whose newest year is 2024 (none without a year), answering what it asks first.
    void open(HomeTab tab, bool hasYear, std::vector<int> rounds = {}) {
        const std::optional<YearRange> bounds =
            hasYear ? std::optional(YearRange{1950, 2024}) : std::optional<YearRange>();
        model->setTab(tab);
        if (tab == HomeTab::standings || tab == HomeTab::draft) {
            answer<std::optional<int>>(tab == HomeTab::draft ? "latestDraftYear" : "latestStandingsYear",
                                       hasYear ? std::optional(2024) : std::nullopt);
        } else if (tab != HomeTab::champions) {
            answer(tab == HomeTab::schedule ? "scheduleYearBounds" : "awardsYearBounds", bounds);
        }
        if (tab == HomeTab::draft && hasYear) {
            answer("draftRounds 2024", std::move(rounds));
        } else if (tab == HomeTab::schedule && hasYear) {
            answer<std::optional<SeasonSchedule>>("schedule 2024", {}); // a season without games
        }
    }
    void stop() {
        view.reset();
        model.reset();
        league->calls.abandonPending();
    }
    // A new model, service and view, as at start.
    void restart() {
        stop();
        league = std::make_shared<FakeLeagueService>();
        model = std::make_unique<HomeViewModel>(league);
        view = std::make_unique<HomeView>(model.get(), [](const PlayerLink&) {});
    }

    std::shared_ptr<FakeLeagueService> league = std::make_shared<FakeLeagueService>();
    std::unique_ptr<HomeViewModel> model = std::make_unique<HomeViewModel>(league);
    std::unique_ptr<HomeView> view = std::make_unique<HomeView>(model.get(), [](const PlayerLink&) {});
};

TEST_F(HomeViewTest, subRowShowsThePagesNarrowingControlAndSeasonPicker) {
    const struct {
        HomeTab tab;
        bool hasYear;
        std::vector<int> rounds;
        ScheduleGrouping grouping;
        bool row;
        Narrowing narrowing;
        QString readOnlyLabel; // of a week or team picker with fewer than two values
    } cases[] = {
        {HomeTab::standings, true, {}, ScheduleGrouping::week, true, Narrowing::standingsGrouping, {}},
        {HomeTab::champions, true, {}, ScheduleGrouping::week, false, Narrowing::none, {}},
        {HomeTab::draft, true, {1}, ScheduleGrouping::week, true, Narrowing::none, {}},
        {HomeTab::draft, true, {1, 2, 3}, ScheduleGrouping::week, true, Narrowing::draftRounds, {}},
        {HomeTab::schedule, true, {}, ScheduleGrouping::week, true, Narrowing::scheduleByWeek, "Week 1"},
        {HomeTab::schedule, true, {}, ScheduleGrouping::team, true, Narrowing::scheduleByTeam, "Team "},
        {HomeTab::schedule, false, {}, ScheduleGrouping::week, false, Narrowing::scheduleByWeek, {}},
        {HomeTab::awards, true, {}, ScheduleGrouping::week, true, Narrowing::awardsSection, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(rawValue(test.tab).toStdString() + (test.hasYear ? "" : " without a year"));
        restart();
        model->setScheduleGrouping(test.grouping);
        open(test.tab, test.hasYear, test.rounds);
        EXPECT_EQ(!view->subControls()->isHidden(), test.row);
        EXPECT_EQ(view->narrowing(), test.narrowing);
        EXPECT_EQ(!view->yearPicker()->isHidden(), test.row);
        if (!test.readOnlyLabel.isNull()) {
            auto* picker = view->narrowingControl()->findChild<ListPickerBase*>();
            ASSERT_NE(picker, nullptr);
            EXPECT_FALSE(picker->isInteractive());
            EXPECT_EQ(picker->accessibleName(), test.readOnlyLabel);
        }
    }
    EXPECT_EQ(view->yearPicker()->values().front(), 2024) << "seasons run from the newest down";
    EXPECT_EQ(view->yearPicker()->values().back(), 1950);
}

TEST_F(HomeViewTest, appearLoadsAndTheTabBarWritesThePage) {
    view->show();
    EXPECT_EQ(league->calls.count(), 0) << "showing alone loads nothing";
    view->appear();
    EXPECT_EQ(league->calls.requests(), QStringList{"latestStandingsYear"});
    auto* tabs = view->tabBar()->findChild<SegmentedToggleBase*>();
    tabs->tap(4);
    EXPECT_EQ(league->calls.requests().back(), "champions 60");
}

TEST_F(HomeViewTest, roundScrollerCentresTheSelectedRound) {
    view->resize(440, 500);
    view->show();
    std::vector<int> rounds(20);
    std::iota(rounds.begin(), rounds.end(), 1);
    open(HomeTab::draft, true, rounds);
    model->setDraftRound(10);
    QCoreApplication::processEvents(); // lays the new row out
    QScrollArea* scroller = view->roundScroller();
    ASSERT_NE(scroller, nullptr);
    auto* toggle = scroller->widget()->findChild<SegmentedToggleBase*>();
    const QRectF segment = toggle->segmentRects(toggle->width()).at(9);
    const QPoint centre = toggle->mapTo(scroller->viewport(), segment.center().toPoint());
    EXPECT_NEAR(centre.x(), scroller->viewport()->width() / 2, 1);
    huddlepod::testsupport::saveLooks(*view->subControls(), QStringLiteral("home-round-scroller"));
}

TEST(GridScrollArea, aTableRunningPastThePaneScrollsSideways) {
    // 7 columns end inside the pane, eating into the trailing margin; 8 run past its edge.
    for (const auto& [columns, scrolls] : {std::pair{7, false}, std::pair{8, true}}) {
        GridScrollArea pane({new DataGridView(tableOfWidth(columns), 416)}, QMargins(12, 10, 12, 10), 0);
        pane.resize(440, 300);
        pane.show();
        QCoreApplication::processEvents();
        QScrollBar* bar = pane.horizontalScrollBar();
        EXPECT_EQ(bar->maximum() > 0, scrolls) << columns;
        huddlepod::testsupport::saveLooks(pane, QStringLiteral("grid-scroll-area-%1").arg(columns));
        QWheelEvent wheel({100, 100}, pane.mapToGlobal(QPointF(100, 100)), {}, {0, -2400}, Qt::NoButton,
                          Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pane.viewport(), &wheel);
        EXPECT_EQ(bar->value(), bar->maximum());
        const QWidget* grid = pane.widget()->findChild<DataGridView*>();
        EXPECT_EQ(grid->mapTo(pane.viewport(), QPoint(grid->width(), 0)).x(),
                  scrolls ? pane.viewport()->width() - 12 : 12 + 60 * columns);
    }
}

} // namespace

TEST_F(HomeViewTest, everyControlOfEveryPageSaysWhatItIs) {
    view->resize(440, 508);
    view->show();
    const auto season = [this] {
        model->setTab(HomeTab::schedule);
        answer<std::optional<YearRange>>("scheduleYearBounds", YearRange{1950, 2024});
        SeasonSchedule games;
        games.weeks = {ScheduleWeek(QStringLiteral("1")), ScheduleWeek(QStringLiteral("2"))};
        games.teams = {QStringLiteral("KC"), QStringLiteral("SF")};
        answer<std::optional<SeasonSchedule>>("schedule 2024", games);
    };
    const struct {
        const char* page;
        std::function<void()> open;
        QStringList said;
    } pages[] = {
        {"standings",
         [this] { open(HomeTab::standings, true); },
         {"Standings grouping", "Division", "Conference"}},
        {"schedule by week",
         season,
         {"Schedule grouping", "Week", "Team", "Previous week", "Week 1 (Choose a week)", "Next week"}},
        {"schedule by team",
         [this] { model->setScheduleGrouping(ScheduleGrouping::team); },
         {"Schedule grouping", "Week", "Team", "Previous team", "Team KC (Choose a team)", "Next team"}},
        {"draft",
         [this] {
             open(HomeTab::draft, true, {1, 2, 3});
         },
         {"Draft round", "1", "2", "3"}},
        {"awards",
         [this] { open(HomeTab::awards, true); },
         {"Awards section", "Winners", "All-Pro", "All-Rookie"}},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        page.open();
        QCoreApplication::processEvents();
        EXPECT_EQ(testsupport::spoken(view->tabBar()),
                  QStringList({"League view", "Standings", "Schedule", "Draft", "Awards", "Champions"}));
        EXPECT_EQ(testsupport::spoken(view->narrowingControl()).join(u'|').toStdString(),
                  page.said.join(u'|').toStdString());
    }
}
