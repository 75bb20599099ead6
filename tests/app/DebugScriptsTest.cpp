// The scripts' polling, their choice, their short runs and the league page's narrowing on a manual clock, and
// the parts of their lines.
#include "app/DebugScripts.h"

#include "app/GameLogState.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PlayerCardState.h"
#include "app/SearchViewModel.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/app/Tables.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> store(QCoro::Task<bool> task, std::optional<bool>& result) {
    result = co_await task;
}

using huddlepod::testing::CallLog;
using huddlepod::testing::FakeLeagueService;

// A script's world, without a backend unless given a league, writing its lines into a list.
struct ScriptWorld {
    explicit ScriptWorld(std::shared_ptr<FakeLeagueService> fake = nullptr)
        : league(std::move(fake)) {}
    ~ScriptWorld() {
        if (league)
            league->calls.abandonPending();
    }

    std::shared_ptr<FakeLeagueService> league;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    PanelNavigation navigation;
    SearchViewModel search{nullptr, nullptr, clock, [](const QByteArray&) {}};
    HomeViewModel home{league};
    std::unique_ptr<QWidget> panel;
    bool makesPanel = true;
    QStringList lines;

    DebugScriptContext context() {
        DebugScriptContext c;
        c.show = [this] { panel = makesPanel ? std::make_unique<QWidget>() : nullptr; };
        c.hide = [this] { lines.append(QStringLiteral("(hidden)")); };
        c.panel = [this] { return panel.get(); };
        c.navigation = &navigation;
        c.searchModel = &search;
        c.homeModel = &home;
        c.clock = clock;
        c.log = [this](const QString& line) { lines.append(line); };
        c.logFootprint = [this](const QString& label) { lines.append(QStringLiteral("memory ") + label); };
        c.dumpAccessibility = [](QWidget*) {};
        return c;
    }
};

DataRow linkedRow(QString id, std::map<int, std::vector<PlayerLink>> links) {
    DataRow row;
    row.id = std::move(id);
    row.links = std::move(links);
    return row;
}

} // namespace

TEST(DebugScripts, waitUntilPollsEveryFiftyMillisecondsUpToItsTimeOut) {
    ManualClock clock;
    int asked = 0;
    const std::function<bool()> late = [&] { return ++asked == 4; };
    std::optional<bool> result;
    auto waiting = store(DebugScripts::waitUntil(clock, 10s, late), result);
    clock.advance(100ms);
    EXPECT_FALSE(result.has_value());
    clock.advance(50ms);
    EXPECT_EQ(result, true);

    asked = 0;
    const std::function<bool()> never = [&] { return ++asked < 0; };
    auto timingOut = store(DebugScripts::waitUntil(clock, 10s, never), result = std::nullopt);
    clock.advance(10s);
    EXPECT_EQ(result, false);
    EXPECT_EQ(asked, 200);

    asked = 0;
    auto immediate = store(DebugScripts::waitUntil(clock, 0s, never), result = std::nullopt);
    EXPECT_EQ(result, false);
    EXPECT_EQ(asked, 0);
}

TEST(DebugScripts, shortRunsWriteTheirLinesInOrder) {
    const auto leagueOverTabs = [](DebugScriptContext c) {
        qputenv("HUDDLEPOD_DEBUG_HOME", "Draft");
        qputenv("HUDDLEPOD_DEBUG_TABS", "3");
        DebugScripts::runIfRequested(c);
        qunsetenv("HUDDLEPOD_DEBUG_HOME");
        qunsetenv("HUDDLEPOD_DEBUG_TABS");
    };
    struct Case {
        bool makesPanel;
        std::function<void(DebugScriptContext)> start;
        QStringList expected;
    };
    // clang-format off
    const Case cases[] = {
        {true, [](DebugScriptContext c) { auto t = DebugScripts::tabPresses(c, 0); },
         {"READY-TO-CAPTURE tabs/0"}},
        {false, [](DebugScriptContext c) { auto t = DebugScripts::driveKeyboard(c, "ab"); },
         {"KEY FAIL panel exists"}},
        {true, [](DebugScriptContext c) { auto t = DebugScripts::drive(c, {}); },
         {"memory at launch", "memory panel open, empty",
          "READY-TO-CAPTURE back-from-card (query should be intact: '')", "memory back at search", "(hidden)",
          "memory panel closed (idle)", "DONE"}},
        {true, leagueOverTabs, {"READY-TO-CAPTURE home/Draft"}},
    };
    // clang-format on
    qputenv("HUDDLEPOD_DEBUG_HOLD", "0");
    for (const Case& c : cases) {
        ScriptWorld world;
        world.makesPanel = c.makesPanel;
        c.start(world.context());
        world.clock->advance(20s);
        EXPECT_EQ(world.lines, c.expected) << c.expected.join(u'/').toStdString();
    }
    qunsetenv("HUDDLEPOD_DEBUG_HOLD");
}

TEST(DebugScripts, linkCandidatesAndLinePartsFollowTheTables) {
    const PlayerLink a{QUuid::createUuid(), "A", {}};
    const PlayerLink b{QUuid::createUuid(), "B", {}};
    const DataTable links(std::nullopt, {}, {},
                          {DataSection{std::nullopt, {linkedRow("none", {})}},
                           DataSection{"Postseason",
                                       {linkedRow("empty first", {{1, {}}, {2, {a}}}),
                                        linkedRow("lowest column", {{3, {a}}, {1, {b, a}}})}}});
    EXPECT_EQ(DebugScripts::firstLinkCandidate(links), b);
    EXPECT_EQ(DebugScripts::firstLinkCandidate(DataTable()), std::nullopt);

    const DataTable log(
        std::nullopt, {StatColumn{"Wk"}, StatColumn{}}, {},
        {DataSection{std::nullopt, {DataRow{}, DataRow{}}}, DataSection{"Postseason", {DataRow{}}}});
    EXPECT_EQ(DebugScripts::gameLogLine(GameLogState::loaded(log)),
              "game log: 2 regular + 1 Postseason, columns [Wk, W/L]");
    EXPECT_EQ(DebugScripts::gameLogLine(GameLogState::empty(2020)), "game log: empty or failed");

    PlayerBio bio;
    bio.fullName = "Jerry Rice";
    PlayerCard card(bio, PlayerStats{}, std::nullopt);
    card.tables = {DataTable(QString("Receiving"), {}, {}, {}), DataTable(),
                   DataTable(QString("Rushing"), {}, {}, {})};
    EXPECT_EQ(DebugScripts::cardLine(PlayerCardState::loaded(card)),
              "card ready: Jerry Rice — 3 sections [Receiving, Rushing]");
    EXPECT_EQ(DebugScripts::cardLine(PlayerCardState::failed("x")), std::nullopt);
}

namespace {

// Answers every request of the league browser from a league of 2020–2024 with three draft rounds, two weeks
// and two teams; page tables carry their request as title. The slow request waits until `slowFrom`.
void answerLeague(CallLog& calls, Clock::Instant now, const QString& slow, Clock::Instant slowFrom) {
    using huddlepod::testing::tableWithRows;
    for (const QString& request : calls.pending()) {
        const QString kind = request.section(u' ', 0, 0);
        if (request == slow && now < slowFrom) {
            continue;
        } else if (kind == "latestStandingsYear" || kind == "latestDraftYear") {
            calls.answer<std::optional<int>>(request, 2024);
        } else if (kind == "scheduleYearBounds" || kind == "awardsYearBounds") {
            calls.answer<std::optional<YearRange>>(request, YearRange{2020, 2024});
        } else if (kind == "draftRounds") {
            calls.answer<std::vector<int>>(request, {1, 2, 3});
        } else if (kind == "schedule") {
            SeasonSchedule season;
            for (const QString week : {"1", "2"}) {
                season.weeks.emplace_back(week);
                season.tables[ScheduleWeek(week)] = tableWithRows(request + " week " + week);
            }
            for (const QString team : {"KC", "SF"}) {
                season.teams.push_back(team);
                season.teamTables[team] = tableWithRows(request + " team " + team);
            }
            calls.answer<std::optional<SeasonSchedule>>(request, season);
        } else {
            calls.answer<std::optional<DataTable>>(request, tableWithRows(request));
        }
    }
}

} // namespace

TEST(DebugScripts, theLeaguePageNarrowsAsAskedAndAnnouncesThePageOnceItHasSettled) {
    struct Case {
        const char* name;
        HomeTab page;
        std::vector<std::pair<const char*, const char*>> switches;
        const char* shown;                   // the table's title once settled
        std::chrono::milliseconds announced; // when the marker line is written, to the next poll
        const char* slow = "";               // a request answered only at 4 s
    };
    // clang-format off
    const Case cases[] = {
        {"conference", HomeTab::standings, {{"HUDDLEPOD_DEBUG_GROUPING", "conference"}},
         "standings 2024 conference", 300ms},
        {"Conference: exact only", HomeTab::standings, {{"HUDDLEPOD_DEBUG_GROUPING", "Conference"}},
         "standings 2024 division", 300ms},
        {"round", HomeTab::draft, {{"HUDDLEPOD_DEBUG_ROUND", "2"}}, "draft 2024 2", 1100ms},
        {"a round the year lacks", HomeTab::draft, {{"HUDDLEPOD_DEBUG_ROUND", "99"}}, "draft 2024 1", 1100ms},
        {"year and round", HomeTab::draft, {{"HUDDLEPOD_DEBUG_ROUND", "3"}, {"HUDDLEPOD_DEBUG_YEAR", "2022"}},
         "draft 2022 3", 2500ms},
        {"a year outside the bounds", HomeTab::draft, {{"HUDDLEPOD_DEBUG_YEAR", "1900"}}, "draft 2024 1",
         1700ms},
        {"awards section", HomeTab::awards, {{"HUDDLEPOD_DEBUG_AWARDS", "All-Pro"}}, "awards 2024 allPro",
         300ms},
        {"week", HomeTab::schedule, {{"HUDDLEPOD_DEBUG_WEEK", "2"}}, "schedule 2024 week 2", 1100ms},
        {"a week the season lacks", HomeTab::schedule, {{"HUDDLEPOD_DEBUG_WEEK", "99"}},
         "schedule 2024 week 1", 1100ms},
        {"week, then team", HomeTab::schedule, {{"HUDDLEPOD_DEBUG_WEEK", "2"}, {"HUDDLEPOD_DEBUG_TEAM", "SF"}},
         "schedule 2024 team SF", 1900ms},
        // 2024's table stays on show while 2022's rounds are looked up.
        {"a slow new year", HomeTab::draft, {{"HUDDLEPOD_DEBUG_YEAR", "2022"}}, "draft 2022 1", 4000ms,
         "draftRounds 2022"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [name, value] : c.switches)
            qputenv(name, value);
        ScriptWorld world(std::make_shared<FakeLeagueService>());
        const Clock::Instant start = world.clock->now();
        auto script = DebugScripts::leaguePage(world.context(), c.page);
        std::optional<std::chrono::milliseconds> announced;
        while (!announced && world.clock->now() - start < 12s) {
            world.clock->advance(50ms);
            answerLeague(world.league->calls, world.clock->now(), QString::fromUtf8(c.slow), start + 4s);
            if (world.lines.contains("READY-TO-CAPTURE home/" + title(c.page)))
                announced = std::chrono::duration_cast<std::chrono::milliseconds>(world.clock->now() - start);
        }
        world.clock->advance(1s); // to the script's end
        for (const auto& [name, value] : c.switches)
            qunsetenv(name);
        ASSERT_TRUE(announced.has_value());
        EXPECT_GE(*announced, c.announced);
        EXPECT_LE(*announced, c.announced + 100ms);
        EXPECT_EQ(world.home.state().table().title(), QString::fromUtf8(c.shown));
    }
}
