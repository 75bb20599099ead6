// The league browser view: which narrowing control each page shows and when, the paddings that follow, the
// round scroller, loads on appearance, and tables wider than the panel.
#include "app/Views/HomeView.h"

#include "RenderOutput.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/ContentPane.h"
#include "app/Views/PlayerCardView.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/app/FakePlayerService.h"
#include "tests/app/Tables.h"

#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace huddlepod;
using huddlepod::testing::FakeLeagueService;
using huddlepod::testing::tableWithRows;
using Narrowing = HomeView::Narrowing;

// A table of `columns` 60-pixel columns.
DataTable tableOfWidth(int columns) {
    std::vector<StatColumn> stats;
    std::vector<QString> values;
    for (int i = 0; i < columns; ++i) {
        stats.push_back(StatColumn{QStringLiteral("C%1").arg(i), 60});
        values.push_back(QString::number(i));
    }
    return DataTable(
        QStringLiteral("Wide"), stats, {},
        {DataSection{std::nullopt, {DataRow{QStringLiteral("r"), values, false, {}, {}, false}}, false}});
}

class HomeViewTest : public ::testing::Test {
public: // the cases below drive the fixture from lambdas
    HomeViewTest() { view->resize(440, 500); }
    ~HomeViewTest() override {
        view.reset();
        model.reset();
        league->calls.abandonPending();
    }

    template <typename T>
    void answer(const QString& request, T value) {
        league->calls.answer<T>(request, std::move(value));
    }
    void openDraft(std::vector<int> rounds) {
        model->setTab(HomeTab::draft);
        answer<std::optional<int>>("latestDraftYear", 2024);
        answer("draftRounds 2024", std::move(rounds));
    }
    void openSchedule(std::optional<YearRange> bounds) {
        model->setTab(HomeTab::schedule);
        answer("scheduleYearBounds", bounds);
        if (bounds) {
            answer<std::optional<SeasonSchedule>>(QStringLiteral("schedule %1").arg(bounds->upperBound), {});
        }
    }
    // A new model, service and view, as at start.
    void restart() {
        view.reset();
        model.reset();
        league->calls.abandonPending();
        league = std::make_shared<FakeLeagueService>();
        model = std::make_unique<HomeViewModel>(league);
        view = std::make_unique<HomeView>(model.get(), [](const PlayerLink&) {});
    }
    int tabBarBottom() const { return view->tabBar()->layout()->contentsMargins().bottom(); }

    std::shared_ptr<FakeLeagueService> league = std::make_shared<FakeLeagueService>();
    std::unique_ptr<HomeViewModel> model = std::make_unique<HomeViewModel>(league);
    std::unique_ptr<HomeView> view = std::make_unique<HomeView>(model.get(), [](const PlayerLink&) {});
};

TEST_F(HomeViewTest, subRowShowsThePagesNarrowingControlAndSeasonPicker) {
    const struct {
        const char* name;
        std::function<void(HomeViewTest&)> open;
        bool row;
        Narrowing narrowing;
        bool yearPicker;
        QString readOnlyLabel; // of the week or team picker, when it has fewer than two values
    } cases[] = {
        {"standings",
         [](HomeViewTest& t) {
             t.model->load();
             t.answer<std::optional<int>>("latestStandingsYear", 2024);
         },
         true,
         Narrowing::standingsGrouping,
         true,
         {}},
        {"champions",
         [](HomeViewTest& t) { t.model->setTab(HomeTab::champions); },
         false,
         Narrowing::none,
         false,
         {}},
        {"draft with one round", [](HomeViewTest& t) { t.openDraft({1}); }, true, Narrowing::none, true, {}},
        {"draft with three rounds",
         [](HomeViewTest& t) {
             t.openDraft({1, 2, 3});
         },
         true,
         Narrowing::draftRounds,
         true,
         {}},
        {"schedule without weeks",
         [](HomeViewTest& t) {
             t.openSchedule(YearRange{2000, 2024});
         },
         true, Narrowing::scheduleByWeek, true, "1"},
        {"schedule by team without teams",
         [](HomeViewTest& t) {
             t.openSchedule(YearRange{2000, 2024});
             t.model->setScheduleGrouping(ScheduleGrouping::team);
         },
         true, Narrowing::scheduleByTeam, true, ""},
        {"schedule without a year",
         [](HomeViewTest& t) { t.openSchedule(std::nullopt); },
         false,
         Narrowing::scheduleByWeek,
         false,
         {}},
        {"awards",
         [](HomeViewTest& t) {
             t.model->setTab(HomeTab::awards);
             t.answer<std::optional<YearRange>>("awardsYearBounds", YearRange{1950, 2024});
         },
         true,
         Narrowing::awardsSection,
         true,
         {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        restart();
        test.open(*this);
        EXPECT_EQ(!view->subControls()->isHidden(), test.row);
        EXPECT_EQ(tabBarBottom(), test.row ? 4 : 8);
        EXPECT_EQ(view->narrowing(), test.narrowing);
        EXPECT_EQ(!view->yearPicker()->isHidden(), test.yearPicker);
        if (!test.readOnlyLabel.isNull()) {
            auto* picker = view->narrowingControl()->findChild<ListPickerBase*>();
            ASSERT_NE(picker, nullptr);
            EXPECT_FALSE(picker->isInteractive());
            EXPECT_EQ(picker->accessibleName(), test.readOnlyLabel.isEmpty() ? "Team " : "Week 1");
        }
        if (test.narrowing != Narrowing::none && test.narrowing != Narrowing::draftRounds) {
            // Every narrowing control but the rounds keeps the 12-pixel leading margin itself.
            EXPECT_EQ(view->narrowingControl()->layout()->contentsMargins().left(), 12);
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
    EXPECT_EQ(model->tab(), HomeTab::champions);
    EXPECT_EQ(league->calls.requests().back(), "champions 60");
}

TEST_F(HomeViewTest, roundScrollerCentresTheSelectedRound) {
    view->show();
    std::vector<int> rounds(20);
    std::iota(rounds.begin(), rounds.end(), 1);
    openDraft(rounds);
    model->setDraftRound(10);
    QCoreApplication::processEvents(); // lays the new row out
    QScrollArea* scroller = view->roundScroller();
    ASSERT_NE(scroller, nullptr);
    auto* toggle = scroller->widget()->findChild<SegmentedToggleBase*>();
    const QRectF segment = toggle->segmentRects(toggle->width()).at(9);
    const QPoint centre = toggle->mapTo(scroller->viewport(), segment.center().toPoint());
    EXPECT_NEAR(centre.x(), scroller->viewport()->width() / 2, 1);
    EXPECT_EQ(scroller->height(), toggle->height());
    huddlepod::testsupport::saveLooks(*view->subControls(), QStringLiteral("home-round-scroller"));
}

TEST_F(HomeViewTest, tablesWiderThanThePanelScrollSideways) {
    auto players = std::make_shared<huddlepod::testing::FakePlayerService>();
    PlayerCardViewModel cardModel(SearchResult{}, players, std::make_shared<ManualClock>(),
                                  [](const QByteArray&) {});
    PlayerCard card(PlayerBio{}, PlayerStats{}, std::nullopt);
    card.tables = {tableOfWidth(5), tableOfWidth(12)};
    cardModel.setState(PlayerCardState::loaded(card));
    PlayerCardView cardView(&cardModel);
    cardView.resize(440, 500);
    cardView.show();
    view->show();

    for (const int columns : {5, 12}) {
        model->setState(HomeContentState::loaded(tableOfWidth(columns)));
        auto* pane = dynamic_cast<QScrollArea*>(view->content());
        ASSERT_NE(pane, nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(pane->horizontalScrollBar()->maximum() > 0, columns == 12);
    }
    for (QScrollArea* pane :
         {static_cast<QScrollArea*>(cardView.content()), static_cast<QScrollArea*>(view->content())}) {
        const QWidget* grid = pane->widget()->findChildren<DataGridView*>().back();
        // Scrolled to its end, the last column is inside the viewport.
        QWheelEvent wheel(QPointF(100, 100), pane->mapToGlobal(QPointF(100, 100)), {}, QPoint(0, -2400),
                          Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pane->viewport(), &wheel);
        EXPECT_EQ(pane->horizontalScrollBar()->value(), pane->horizontalScrollBar()->maximum());
        EXPECT_LE(grid->mapTo(pane->viewport(), QPoint(grid->width(), 0)).x(), pane->viewport()->width());
        EXPECT_EQ(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
}

} // namespace
