// The scripts' polling, their choice, their short runs and the league page's narrowing on a manual clock, and
// the parts of their lines.
#include "app/DebugScripts.h"

#include "app/GameLogState.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PlayerCardState.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchViewModel.h"
#include "tests/app/FakeLeagueService.h"
#include "tests/app/FakePlayerService.h"
#include "tests/app/FakeSearchService.h"
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
using huddlepod::testing::FakePlayerService;
using huddlepod::testing::FakeSearchService;

// A script's world, without a backend unless given a league or a search, writing its lines into a list.
// A card model starts loading as it is handed out, as the card view that shows it does.
struct ScriptWorld {
    explicit ScriptWorld(std::shared_ptr<FakeLeagueService> fake = nullptr,
                         std::shared_ptr<FakeSearchService> searching = nullptr)
        : league(std::move(fake))
        , searchService(std::move(searching)) {}
    ~ScriptWorld() {
        if (league)
            league->calls.abandonPending();
        if (searchService)
            searchService->calls.abandonPending();
        cards.clear();
        players->calls.abandonPending();
    }

    std::shared_ptr<FakeLeagueService> league;
    std::shared_ptr<FakeSearchService> searchService;
    std::shared_ptr<FakePlayerService> players = std::make_shared<FakePlayerService>();
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    PanelNavigation navigation;
    SearchViewModel search{searchService, nullptr, clock, [](const QByteArray&) {}};
    HomeViewModel home{league};
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
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
        c.playerModel = [this](const SearchResult& result) {
            auto* card = cards
                             .emplace_back(std::make_unique<PlayerCardViewModel>(result, players, clock,
                                                                                 [](const QByteArray&) {}))
                             .get();
            card->load();
            return card;
        };
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

namespace {

QUuid idOf(const QString& name) {
    return QUuid::createUuidV5(QUuid(), name);
}

SearchResult found(const QString& name) {
    SearchResult result;
    result.id = idOf(name);
    result.fullName = name;
    return result;
}

// A card whose player played one season, with tables titled as given ("" for a table without a title).
PlayerCard cardOf(const QString& name, const QStringList& tableTitles) {
    PlayerBio bio;
    bio.fullName = name;
    PlayerStats stats;
    stats.passing.resize(1);
    stats.passing[0].year = 1985;
    PlayerCard card(bio, std::move(stats), std::nullopt);
    for (const QString& title : tableTitles)
        card.tables.push_back(title.isEmpty() ? DataTable() : DataTable(title, {}, {}, {}));
    return card;
}

// Answers the player service: a card for a player named in `cards` (none for "missing"; "never" is left
// unanswered), and an empty game log for any season.
void answerPlayers(CallLog& calls, const std::map<QString, QString>& cards) {
    for (const QString& request : calls.pending()) {
        if (request.startsWith("gameLog ")) {
            calls.answer(request, std::vector<GameLogEntry>{});
            continue;
        }
        for (const auto& [name, answer] : cards) {
            if (request != "card " + idOf(name).toString(QUuid::WithoutBraces) || answer == "never")
                continue;
            calls.answer(request, answer == "missing"
                                      ? std::optional<PlayerCard>()
                                      : std::optional(cardOf(name, answer.split(u',', Qt::KeepEmptyParts))));
        }
    }
}

} // namespace

TEST(DebugScripts, theQueryDriveWritesEachQuerysLinesWhole) {
    struct Run {
        const char* name;
        std::vector<std::pair<const char*, const char*>> switches;
        QStringList queries;
        std::map<QString, QStringList> results; // what each query finds
        std::map<QString, QString> cards;       // each card's table titles, or how it fails
        QStringList expected;
    };
    // clang-format off
    const Run runs[] = {
        {"cards and game logs", {{"HUDDLEPOD_DEBUG_TAB", "gamelog"}}, {"jo", "zz", "ed"},
         {{"jo", {"Joe Montana", "Joe Namath", "Jon Kitna", "Joe Greene"}}, {"zz", {}}, {"ed", {"Ed Reed"}}},
         {{"Joe Montana", "Passing,,Rushing"}, {"Ed Reed", "missing"}},
         {"memory at launch", "memory panel open, empty",
          "memory results for jo", "query 'jo' -> Joe Montana | Joe Namath | Jon Kitna",
          "game log: empty or failed", "card ready: Joe Montana — 3 sections [Passing, Rushing]",
          "memory card 1/3 jo", "READY-TO-CAPTURE jo",
          "no results for zz — skipping",
          "memory results for ed", "query 'ed' -> Ed Reed", "game log: empty or failed",
          "memory card 3/3 ed", "READY-TO-CAPTURE ed",
          "READY-TO-CAPTURE back-from-card (query should be intact: 'ed')", "memory back at search", "(hidden)",
          "memory panel closed (idle)", "DONE"}},
        {"stopping at the results", {{"HUDDLEPOD_DEBUG_STOP", "Results"}}, {"jo"},
         {{"jo", {"Joe Montana", "Joe Namath"}}}, {},
         {"memory at launch", "memory panel open, empty",
          "memory results for jo", "query 'jo' -> Joe Montana | Joe Namath", "READY-TO-CAPTURE results/jo (2 rows)",
          "READY-TO-CAPTURE back-from-card (query should be intact: 'jo')", "memory back at search", "(hidden)",
          "memory panel closed (idle)", "DONE"}},
        {"a card that never settles", {}, {"jo"}, {{"jo", {"Joe Montana"}}}, {{"Joe Montana", "never"}},
         {"memory at launch", "memory panel open, empty",
          "memory results for jo", "query 'jo' -> Joe Montana", "card never settled for jo",
          "READY-TO-CAPTURE back-from-card (query should be intact: 'jo')", "memory back at search", "(hidden)",
          "memory panel closed (idle)", "DONE"}},
    };
    // clang-format on
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        qputenv("HUDDLEPOD_DEBUG_HOLD", "0");
        for (const auto& [name, value] : run.switches)
            qputenv(name, value);
        ScriptWorld world(nullptr, std::make_shared<FakeSearchService>());
        auto drive = DebugScripts::drive(world.context(), run.queries);
        for (auto elapsed = 0ms; elapsed < 60s && !world.lines.contains("DONE"); elapsed += 50ms) {
            world.clock->advance(50ms);
            for (const QString& query : world.searchService->calls.pending()) {
                std::vector<SearchResult> rows;
                for (const QString& name : run.results.at(query))
                    rows.push_back(found(name));
                world.searchService->calls.answer(query, rows);
            }
            answerPlayers(world.players->calls, run.cards);
        }
        for (const auto& [name, value] : run.switches)
            qunsetenv(name);
        qunsetenv("HUDDLEPOD_DEBUG_HOLD");
        EXPECT_EQ(world.lines.join(u'\n').toStdString(), run.expected.join(u'\n').toStdString());
    }
}

TEST(DebugScripts, theLeaguePageFollowsItsFirstLinkAndSaysHowThatWent) {
    const PlayerLink montana{idOf("Joe Montana"), "Joe Montana", "QB"};
    const DataTable linked(QString("Champions"), {StatColumn{"Year"}, StatColumn{"MVP"}}, {},
                           {DataSection{std::nullopt, {linkedRow("1984", {{1, {montana}}})}}});
    const QString following =
        "following link: Joe Montana " + montana.id.toString(QUuid::WithoutBraces).toUpper();
    const struct {
        const char* name;
        DataTable champions;
        QString card; // its table titles, or how it fails
        QStringList expected;
    } cases[] = {
        {"no links",
         huddlepod::testing::tableWithRows("Champions"),
         "",
         {"LINK-NONE — no linked rows in this table", "READY-TO-CAPTURE home/Champions"}},
        {"opened",
         linked,
         "Passing,",
         {following, "LINK-OPENED Joe Montana — 2 tables", "READY-TO-CAPTURE home/Champions"}},
        {"no such player",
         linked,
         "missing",
         {following, "LINK-FAILED Joe Montana", "READY-TO-CAPTURE home/Champions"}},
        {"a card that never comes",
         linked,
         "never",
         {following, "LINK-FAILED Joe Montana", "READY-TO-CAPTURE home/Champions"}},
    };
    qputenv("HUDDLEPOD_DEBUG_OPEN_LINK", "1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptWorld world(std::make_shared<FakeLeagueService>());
        auto script = DebugScripts::leaguePage(world.context(), HomeTab::champions);
        for (auto elapsed = 0ms; elapsed < 15s; elapsed += 50ms) {
            world.clock->advance(50ms);
            if (world.league->calls.pending().contains("champions 60"))
                world.league->calls.answer("champions 60", c.champions);
            answerPlayers(world.players->calls, {{"Joe Montana", c.card}});
        }
        EXPECT_EQ(world.lines.join(u'\n').toStdString(), c.expected.join(u'\n').toStdString());
        if (world.navigation.route().isPlayer()) {
            EXPECT_EQ(world.navigation.route().playerResult()->fullName, "Joe Montana");
        }
    }
    qunsetenv("HUDDLEPOD_DEBUG_OPEN_LINK");
}
