// The league browser's model: setter reload rules, year bounds and remembered years, caches and stale loads.
#include "app/HomeViewModel.h"

#include "data/PostgRESTError.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/app/Tables.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace huddlepod {
void PrintTo(const HomeContentState& state, std::ostream* out) {
    static const char* const kinds[] = {"loaded", "empty", "failed", "loading"};
    *out << kinds[static_cast<int>(state.kind())] << "(" << state.text().toStdString()
         << state.table().title().value_or(QString()).toStdString() << ")";
}
} // namespace huddlepod

namespace {

using namespace huddlepod;
using huddlepod::testing::CallLog;
using huddlepod::testing::emptyTable;
using huddlepod::testing::FakeLeagueService;
using huddlepod::testing::tableWithRows;

const QString unconfigured = QStringLiteral("Huddlepod isn’t configured.");
const QString cannotReach = QStringLiteral("Can’t reach Huddlepod. Check your connection.");

using Year = std::optional<int>;
using Bounds = std::optional<YearRange>;
using Table = std::optional<DataTable>;
using Season = std::optional<SeasonSchedule>;
using Model = HomeViewModel&;

SeasonSchedule seasonWithWeeks(const QStringList& weeks, const QStringList& teams) {
    SeasonSchedule schedule;
    for (const QString& raw : weeks) {
        schedule.weeks.emplace_back(raw);
        schedule.tables[ScheduleWeek(raw)] = tableWithRows(QStringLiteral("week ") + raw);
    }
    for (const QString& team : teams) {
        schedule.teams.push_back(team);
        schedule.teamTables[team] = tableWithRows(QStringLiteral("team ") + team);
    }
    return schedule;
}

// Opens the standings page on its newest year, 2023, with the given division table.
void openStandings(Model m, CallLog& calls, Table table = tableWithRows("standings")) {
    m.load();
    calls.answer<Year>("latestStandingsYear", 2023);
    calls.answer<Table>("standings 2023 division", std::move(table));
}

// Opens the draft page on 2023 with three rounds, up to its table request.
void openDraft(Model m, CallLog& calls) {
    m.setTab(HomeTab::draft);
    calls.answer<Year>("latestDraftYear", 2023);
    calls.answer<std::vector<int>>("draftRounds 2023", {1, 2, 3});
}

// Opens the schedule page up to its season request for 2023.
void openSchedule(Model m, CallLog& calls) {
    m.setTab(HomeTab::schedule);
    calls.answer<Bounds>("scheduleYearBounds", YearRange{1999, 2023});
}

class HomeViewModelTest : public ::testing::Test {
protected:
    HomeViewModelTest() {
        QObject::connect(model.get(), &HomeViewModel::stateChanged,
                         [this] { stateKinds.push_back(model->state().kind()); });
    }
    ~HomeViewModelTest() override {
        model.reset();
        calls.abandonPending();
    }

    std::shared_ptr<FakeLeagueService> league = std::make_shared<FakeLeagueService>();
    CallLog& calls = league->calls;
    std::unique_ptr<HomeViewModel> model = std::make_unique<HomeViewModel>(league);
    std::vector<HomeContentState::Kind> stateKinds;
};

TEST(HomeViewModelUnconfigured, everyWriteKeepsTheUnconfiguredFailure) {
    HomeViewModel model(nullptr);
    model.load();
    model.setTab(HomeTab::draft);
    model.setTab(HomeTab::schedule);
    model.setSelectedTeam(QStringLiteral("KC"));
    model.selectYear(2000);
    EXPECT_EQ(model.state(), HomeContentState::failed(unconfigured));
    EXPECT_EQ(model.year(), std::nullopt);
}

// Each write is made on every page while its first load waits, so every load shows up as one more request.
TEST(HomeViewModelSetters, decideForEveryWriterWhetherToReload) {
    using enum HomeTab;
    const auto week5 = std::optional(ScheduleWeek(QStringLiteral("5")));
    const struct {
        const char* name;
        std::function<void(Model)> write;
        std::set<HomeTab> reloadsOn;
    } cases[] = {
        {"tab", [](Model m) { m.setTab(standings); }, {standings, schedule, draft, awards, champions}},
        {"grouping",
         [](Model m) { m.setStandingsGrouping(LeagueService::StandingsGrouping::division); },
         {standings}},
        {"round", [](Model m) { m.setDraftRound(1); }, {draft}},
        {"section", [](Model m) { m.setAwardsSection(AwardsSection::winners); }, {awards}},
        {"schedule grouping, same", [](Model m) { m.setScheduleGrouping(ScheduleGrouping::week); }, {}},
        {"schedule grouping, new",
         [](Model m) { m.setScheduleGrouping(ScheduleGrouping::team); },
         {schedule}},
        {"week, same", [](Model m) { m.setSelectedWeek(std::nullopt); }, {}},
        {"week, new", [&](Model m) { m.setSelectedWeek(week5); }, {schedule}},
        {"team, same", [](Model m) { m.setSelectedTeam(std::nullopt); }, {}},
        {"team, new", [](Model m) { m.setSelectedTeam(QStringLiteral("KC")); }, {schedule}},
        {"year", [](Model m) { m.setYear(1999); }, {}},
        {"state", [](Model m) { m.setState(HomeContentState::empty("x")); }, {}},
    };
    for (const auto& c : cases) {
        for (const HomeTab page : {standings, schedule, draft, awards, champions}) {
            SCOPED_TRACE(::testing::Message() << c.name << " on page " << int(page));
            auto league = std::make_shared<FakeLeagueService>();
            {
                HomeViewModel model(league);
                model.setTab(page);
                c.write(model);
            }
            EXPECT_EQ(league->calls.count() - 1, c.reloadsOn.contains(page) ? 1 : 0);
            league->calls.abandonPending(); // the waiting loads hold the service
        }
    }
}

TEST_F(HomeViewModelTest, firstAppearanceShowsTheNewestStandingsAndPagesReopenOnTheirLastYearFromTheCache) {
    EXPECT_EQ(model->state(), HomeContentState::loading());
    model->selectYear(2000);
    EXPECT_EQ(calls.count(), 0) << "creating the model starts nothing, and there are no bounds yet";
    openStandings(*model, calls);
    EXPECT_EQ(model->year(), 2023);
    EXPECT_EQ(model->bounds().at(HomeTab::standings), (YearRange{1920, 2023}));
    EXPECT_TRUE(model->showsYearPicker());
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("standings")));

    // A same-value write on its own page reloads, and the cache answers without a loading state.
    stateKinds.clear();
    model->setStandingsGrouping(LeagueService::StandingsGrouping::division);
    model->setTab(HomeTab::standings);
    EXPECT_EQ(calls.requests(), QStringList({"latestStandingsYear", "standings 2023 division"}));
    EXPECT_TRUE(stateKinds.empty());

    for (const int year : {2023, 1919, 2024}) // the shown year, then out of bounds
        model->selectYear(year);
    EXPECT_EQ(calls.count(), 2);
    model->selectYear(1920);
    calls.answer<Table>("standings 1920 division", tableWithRows("standings 1920"));

    openSchedule(*model, calls);
    EXPECT_EQ(model->year(), 2023) << "a page opens first on its own newest year";
    calls.answer<Season>("schedule 2023", seasonWithWeeks({"1", "2"}, {"KC"}));
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("week 1")));

    const int before = calls.count();
    model->setTab(HomeTab::standings);
    EXPECT_EQ(model->year(), 1920);
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("standings 1920")));
    model->setTab(HomeTab::schedule);
    EXPECT_EQ(model->year(), 2023);
    EXPECT_EQ(calls.count(), before) << "bounds, schedules and tables already known are not asked again";
}

TEST_F(HomeViewModelTest, draftRoundFollowsTheYearsRoundsAndAFailedLookupIsShown) {
    model->setDraftRound(5); // stored only: standings is open
    openDraft(*model, calls);
    EXPECT_EQ(model->draftRound(), 1);
    EXPECT_TRUE(model->hasSubControls());
    calls.answer<Table>("draft 2023 1", tableWithRows("round 1"));
    model->setDraftRound(3);
    calls.answer<std::vector<int>>("draftRounds 2023", {1, 2, 3});
    calls.answer<Table>("draft 2023 3", tableWithRows("round 3"));

    // A failed lookup is no year without rounds: the round and its picker stay, and the page says why.
    model->selectYear(2022);
    calls.fail("draftRounds 2022", PostgRESTError::transport("offline"));
    EXPECT_EQ(model->state(), HomeContentState::failed(cannotReach));
    EXPECT_EQ(model->draftRound(), 3);
    EXPECT_EQ(model->availableRounds(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(calls.pending().isEmpty());
    // A replaced load's lookup ends in an error too, which is no failure to show.
    model->selectYear(2021);
    model->selectYear(1921);
    calls.fail("draftRounds 2021", PostgRESTError::http(503, {}));
    EXPECT_EQ(model->state(), HomeContentState::failed(cannotReach));

    // A year without rounds fetches round 1, once.
    calls.answer<std::vector<int>>("draftRounds 1921", {});
    EXPECT_EQ(model->draftRound(), 1);
    EXPECT_FALSE(model->hasSubControls());
    calls.answer<Table>("draft 1921 1", std::nullopt);
    EXPECT_EQ(model->state(), HomeContentState::empty("No round 1 recorded for the 1921 draft."));
    EXPECT_EQ(calls.requests().filter("draft 1921").size(), 1);
}

TEST_F(HomeViewModelTest, answersOfReplacedLoadsAreNeitherShownNorCached) {
    openStandings(*model, calls);
    model->setStandingsGrouping(LeagueService::StandingsGrouping::conference);
    model->setTab(HomeTab::awards);
    calls.answer<Table>("standings 2023 conference", tableWithRows("conference"));
    EXPECT_EQ(model->state(), HomeContentState::loading());
    model->setTab(HomeTab::champions);
    calls.answer<DataTable>("champions 60", tableWithRows("champions"));
    EXPECT_EQ(model->year(), 2023) << "the champions page keeps the year";
    EXPECT_FALSE(model->showsYearPicker());
    calls.answer<Bounds>("awardsYearBounds", YearRange{1950, 2022});
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("champions")));
    EXPECT_TRUE(model->bounds().find(HomeTab::awards) == model->bounds().end());

    model->setTab(HomeTab::champions);
    EXPECT_EQ(calls.requests().count("champions 60"), 1) << "champions come from the cache";
    model->setTab(HomeTab::standings);
    EXPECT_EQ(calls.pending().back(), "standings 2023 conference");
}

// Each case drives a fresh model to an empty page; nothing empty is cached, so a reload asks again.
TEST(HomeViewModelEmptyPages, everyPageSaysWhatIsMissing) {
    const auto awards = [](AwardsSection section) {
        return [section](Model m, CallLog& calls) {
            m.setAwardsSection(section);
            m.setTab(HomeTab::awards);
            calls.answer<Bounds>("awardsYearBounds", YearRange{1950, 2022});
            calls.answer<Table>("awards 2022 " + AwardsSections::rawValue(section), emptyTable("awards"));
        };
    };
    const struct {
        std::function<void(Model, CallLog&)> open;
        const char* text;
    } cases[] = {
        {[](Model m, CallLog& calls) { openStandings(m, calls, emptyTable("standings")); },
         "No standings recorded for 2023."},
        {[](Model m, CallLog& calls) {
             openSchedule(m, calls);
             calls.answer<Season>("schedule 2023", std::nullopt);
         },
         "No games recorded for 2023."},
        {[](Model m, CallLog& calls) {
             m.setDraftRound(3);
             openDraft(m, calls);
             calls.answer<Table>("draft 2023 3", std::nullopt);
         },
         "No round 3 recorded for the 2023 draft."},
        {awards(AwardsSection::winners), "No awards recorded for 2022."},
        {awards(AwardsSection::allPro), "No All-Pro team recorded for 2022."},
        {awards(AwardsSection::allRookie), "No All-Rookie team recorded for 2022."},
        {[](Model m, CallLog& calls) {
             m.load();
             calls.answer<Year>("latestStandingsYear", 2023);
             m.setTab(HomeTab::champions); // keeps the standings year
             calls.answer<DataTable>("champions 60", emptyTable("champions"));
         },
         "No champions recorded."},
        {[](Model m, CallLog& calls) {
             m.setTab(HomeTab::champions);
             calls.answer<DataTable>("champions 60", emptyTable("champions"));
         },
         "Nothing recorded yet."},
        {[](Model m, CallLog& calls) {
             m.load();
             calls.answer<Year>("latestStandingsYear", std::nullopt);
         },
         "Nothing recorded yet."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto league = std::make_shared<FakeLeagueService>();
        {
            HomeViewModel model(league);
            c.open(model, league->calls);
            EXPECT_EQ(model.state(), HomeContentState::empty(c.text));
            const int before = league->calls.count();
            model.load();
            EXPECT_GT(league->calls.count(), before);
        }
        league->calls.abandonPending();
    }
}

TEST_F(HomeViewModelTest, failedBoundsSchedulesAndTablesShowWhyAndAreAskedAgain) {
    const QString fallback = QStringLiteral("Something went wrong loading that.");
    model->load();
    calls.fail("latestStandingsYear", PostgRESTError::transport("offline"));
    EXPECT_EQ(model->state(), HomeContentState::failed(cannotReach));
    EXPECT_EQ(model->year(), std::nullopt);
    EXPECT_TRUE(model->bounds().empty());

    model->load();
    calls.answer<Year>("latestStandingsYear", 2023);
    calls.fail("standings 2023 division", PostgRESTError::http(404, {}));
    EXPECT_EQ(model->state(), HomeContentState::failed(fallback));
    model->load();
    calls.answer<Table>("standings 2023 division", tableWithRows("standings"));
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("standings")));

    // A failed schedule is not a season without games, and is not cached.
    openSchedule(*model, calls);
    calls.fail("schedule 2023", PostgRESTError::http(503, "busy"));
    EXPECT_EQ(model->state(), HomeContentState::failed("Huddlepod is having trouble. Try again shortly."));
    model->load();
    EXPECT_EQ(calls.pending(), QStringList({"schedule 2023"}));

    // The failed page shows no year, not the one of the page before.
    model->setTab(HomeTab::awards);
    calls.fail("awardsYearBounds", PostgRESTError::decoding("bad row"));
    EXPECT_EQ(model->state(), HomeContentState::failed(fallback));
    EXPECT_FALSE(model->showsYearPicker());
}

TEST_F(HomeViewModelTest, seasonsCorrectWeekAndTeamWithoutASecondLoad) {
    // A second load would replace the one that asked for the season: that request's token tells.
    const auto answerSeason = [&](const QString& request, Season season) {
        calls.answer(request, std::move(season));
        EXPECT_FALSE(calls.token(request).isCancelled()) << request.toStdString();
    };
    openSchedule(*model, calls);
    answerSeason("schedule 2023", seasonWithWeeks({"1", "2", "18"}, {"BUF", "KC"}));
    EXPECT_EQ(model->selectedWeek(), ScheduleWeek("1"));
    EXPECT_EQ(model->selectedTeam(), "BUF");

    // Choices within the season are served from it.
    model->setSelectedWeek(ScheduleWeek("18"));
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("week 18")));
    model->setScheduleGrouping(ScheduleGrouping::team);
    model->setSelectedTeam(QStringLiteral("KC"));
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("team KC")));
    model->setScheduleGrouping(ScheduleGrouping::week);
    EXPECT_EQ(calls.requests(), QStringList({"scheduleYearBounds", "schedule 2023"}));

    // Week 18 and KC are missing from 2000: its first week and team take their place.
    model->selectYear(2000);
    answerSeason("schedule 2000", seasonWithWeeks({"1", "17"}, {"NE"}));
    EXPECT_EQ(model->selectedWeek(), ScheduleWeek("1"));
    EXPECT_EQ(model->selectedTeam(), "NE");
    EXPECT_EQ(model->state(), HomeContentState::loaded(tableWithRows("week 1")));

    // A season without games clears both.
    model->selectYear(1999);
    answerSeason("schedule 1999", std::nullopt);
    EXPECT_EQ(model->selectedWeek(), std::nullopt);
    EXPECT_EQ(model->selectedTeam(), std::nullopt);
    EXPECT_FALSE(model->hasSubControls());
    EXPECT_EQ(calls.requests().size(), 4);
}

TEST_F(HomeViewModelTest, aModelDestroyedMidLoadIgnoresTheLateAnswer) {
    model->load();
    model.reset();
    calls.answer<Year>("latestStandingsYear", 2023);
    EXPECT_EQ(calls.requests(), QStringList({"latestStandingsYear"}));
}

} // namespace
