// The league service on the wire, against a loopback server: request targets, the season context cache,
// empty and undecodable answers, and the concurrent year bounds.
#include "data/LeagueService.h"

#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/BackendError.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace huddlepod {
namespace {

using test::errorOf;
using test::LoopbackServer;
using test::waitForTask;
using Grouping = LeagueService::StandingsGrouping;

// The select lists, written out independently of the service.
const std::string standingsSelect =
    "wins,losses,ties,win_pct,points_for,points_against,point_differential,division_rank,conference_seed,"
    "is_division_winner,is_playoff_team,teams!inner(id,current_abbreviation,current_name,current_city)";
const std::string championsSelect =
    "super_bowl_number,roman_numeral,mvp_name,mvp_position,seasons!inner(year),mvp:players!super_bowls_mvp_"
    "player_id_fkey(id,full_name),co_mvp:players!super_bowls_co_mvp_player_id_fkey(id,full_name),playoff_"
    "games("
    "home_score,away_score,winner_team_id,home:teams!playoff_games_home_team_id_fkey(id,current_abbreviation)"
    ","
    "away:teams!playoff_games_away_team_id_fkey(id,current_abbreviation))";
const std::string draftSelect =
    "round,pick_overall,drafts!inner(year),teams:teams!draft_picks_team_id_fkey(id,"
    "current_abbreviation),players(id,full_name,college),positions(abbreviation)";
const std::string gamesSelect = "id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,"
                                "home_score,away_score,tv_network";
const std::string awardsSelect =
    "ranking,vote_percentage,award_types!inner(abbreviation,name,sort_order),players!inner(id,full_name),"
    "positions(abbreviation,position_group,sort_order),teams:teams!awards_team_id_fkey(id,current_"
    "abbreviation,"
    "current_name,current_city),seasons!inner(year)";
const std::string allProSelect =
    "team_level,players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),teams:"
    "teams!"
    "all_pro_selections_team_id_fkey(id,current_abbreviation,current_name,current_city),seasons!inner(year)";
const std::string allRookieSelect = "players!inner(id,full_name),positions!inner(abbreviation,position_group,"
                                    "sort_order),teams!inner(id,current_"
                                    "abbreviation,current_name,current_city),seasons!inner(year)";

const std::string season2023 = R"([{"id":"5EA50000-0000-4000-8000-00000000ABCD","year":2023}])";
const QUuid season2023ID = QUuid::fromString(QStringLiteral("5ea50000-0000-4000-8000-00000000abcd"));

std::string team(int n) {
    return "7ea70000-0000-4000-8000-00000000000" + std::to_string(n);
}

const std::vector<const char*> tables{"seasons",
                                      "team_division_history",
                                      "standings",
                                      "drafts",
                                      "super_bowls",
                                      "draft_picks",
                                      "games",
                                      "awards",
                                      "all_pro_selections",
                                      "all_rookie_selections"};

class LeagueServiceTest : public ::testing::Test {
protected:
    // A held answer would hang a lookup that is not cancelled until this runs out.
    explicit LeagueServiceTest(std::chrono::milliseconds timeout = std::chrono::seconds(60))
        : timeout(timeout) {
        for (const char* table : tables)
            server.setDefault(path(table), {200, "[]"});
    }

    static std::string path(const std::string& table) { return "/rest/v1/" + table; }

    std::unique_ptr<PostgRESTClient> makeClient() {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        options.transferTimeout = timeout;
        options.totalTimeout = timeout;
        return std::make_unique<PostgRESTClient>(SupabaseConfiguration{server.baseUrl(), "anon"}, "1.0",
                                                 std::make_unique<HttpSession>(options));
    }

    std::vector<std::string> targets() const {
        std::vector<std::string> made;
        for (const auto& request : server.requests())
            made.push_back(request.target);
        return made;
    }

    std::size_t count(const std::string& table) const { return server.requestsTo(path(table)).size(); }

    std::chrono::milliseconds timeout;
    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    std::unique_ptr<PostgRESTClient> client = makeClient();
    LeagueService service{*client};
};

TEST_F(LeagueServiceTest, sendsEveryQueryExactlyAsShaped) {
    EXPECT_EQ(standingsSelect.size(), 197u);
    EXPECT_EQ(championsSelect.size(), 381u);
    EXPECT_EQ(draftSelect.size(), 153u);
    EXPECT_EQ(gamesSelect.size(), 106u);
    EXPECT_EQ(awardsSelect.size(), 252u);
    EXPECT_EQ(allProSelect.size(), 209u);
    EXPECT_EQ(allRookieSelect.size(), 166u);

    server.setDefault(path("seasons"), {200, season2023});
    waitForTask(service.standings(2023, Grouping::division));
    waitForTask(service.latestStandingsYear());
    waitForTask(service.latestDraftYear());
    waitForTask(service.champions(60));
    waitForTask(service.draftRounds(2023));
    waitForTask(service.draft(2023, 2));
    waitForTask(service.schedule(2023));
    for (AwardsSection section : AwardsSections::allCases)
        waitForTask(service.awards(2023, section));
    // Both bounds answer, so no lookup is cancelled: a cancelled request may reach the server late or never.
    server.setDefault(path("games"), {200, R"([{"year":2001}])"});
    server.setDefault(path("awards"), {200, R"([{"seasons":{"year":2001}}])"});
    waitForTask(service.scheduleYearBounds());
    waitForTask(service.awardsYearBounds());

    std::vector<std::string> sent = targets();
    ASSERT_EQ(sent.size(), 16u);
    const std::vector<std::string> expected{
        "/rest/v1/seasons?year=eq.2023&select=id,year,playoff_teams_per_conference&limit=1",
        "/rest/v1/team_division_history?select=team_id,divisions!inner(name,abbreviation,conferences!inner("
        "abbreviation))&start_year=lte.2023&or=(end_year.is.null,end_year.gte.2023)",
        "/rest/v1/standings?season_id=eq.5ea50000-0000-4000-8000-00000000abcd&select=" + standingsSelect +
            "&order=division_rank.asc",
        "/rest/v1/standings?select=seasons!inner(year)&order=seasons(year).desc&limit=1",
        "/rest/v1/drafts?select=year&order=year.desc&limit=1",
        "/rest/v1/super_bowls?select=" + championsSelect + "&order=super_bowl_number.desc&limit=60",
        "/rest/v1/drafts?select=rounds&year=eq.2023&limit=1",
        "/rest/v1/draft_picks?select=" + draftSelect +
            "&drafts.year=eq.2023&round=eq.2&order=pick_overall.asc",
        "/rest/v1/games?select=" + gamesSelect + "&year=eq.2023&order=game_date.asc,gametime.asc&limit=600",
        "/rest/v1/awards?select=" + awardsSelect +
            "&seasons.year=eq.2023&ranking=eq.1&order=award_types(sort_order).asc",
        "/rest/v1/all_pro_selections?select=" + allProSelect + "&seasons.year=eq.2023",
        "/rest/v1/all_rookie_selections?select=" + allRookieSelect + "&seasons.year=eq.2023",
    };
    EXPECT_EQ(std::vector(sent.begin(), sent.begin() + 12), expected);
    // The two lookups of a year range run at once, so they may arrive in either order.
    std::sort(sent.begin() + 12, sent.begin() + 14);
    std::sort(sent.begin() + 14, sent.end());
    EXPECT_EQ(std::vector(sent.begin() + 12, sent.end()),
              (std::vector<std::string>{
                  "/rest/v1/games?select=year&order=year.asc&limit=1",
                  "/rest/v1/games?select=year&order=year.desc&limit=1",
                  "/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).asc&limit=1",
                  "/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).desc&limit=1"}));
}

TEST_F(LeagueServiceTest, seasonContextIsFetchedOncePerYear) {
    server.setDefault(path("seasons"), {200, season2023});
    server.setDefault(path("team_division_history"),
                      {200, R"([{"team_id":")" + team(1) +
                                R"(","divisions":{"abbreviation":"OLD","name":"Old",
                                   "conferences":{"abbreviation":"NFC"}}},
                                {"team_id":")" +
                                team(2) + R"(","divisions":{"name":"North","abbreviation":null,
                                   "conferences":{"abbreviation":"AFC"}}},
                                {"team_id":")" +
                                team(3) + R"(","divisions":{"conferences":null}},
                                {"team_id":")" +
                                team(4) + R"(","divisions":null},
                                {"team_id":")" +
                                team(1) + R"(","divisions":{"abbreviation":"AE",
                                   "conferences":{"abbreviation":"AFC"}}}])"});
    const auto context = waitForTask(service.seasonContext(2023));
    ASSERT_TRUE(context.has_value());
    EXPECT_EQ(context->seasonID, season2023ID);
    const auto id = [](int n) { return QUuid::fromString(QString::fromStdString(team(n))); };
    EXPECT_EQ(context->assignments,
              (DivisionAssignments{{id(1), {id(1), QStringLiteral("AE"), QStringLiteral("AFC")}},
                                   {id(2), {id(2), QStringLiteral("North"), QStringLiteral("AFC")}},
                                   {id(3), {id(3), QStringLiteral("—"), QStringLiteral("—")}}}));

    server.setDefault(path("standings"), {200, R"([{"division_rank":1,"teams":{"id":")" + team(1) +
                                                   R"(","current_abbreviation":"ONE"}},
                                                   {"division_rank":1,"teams":{"id":")" +
                                                   team(2) + R"(","current_abbreviation":"TWO"}}])"});
    const auto byDivision = waitForTask(service.standings(2023, Grouping::division));
    const auto byConference = waitForTask(service.standings(2023, Grouping::conference));
    EXPECT_EQ(waitForTask(service.seasonContext(2023)), context);
    EXPECT_EQ(count("seasons"), 1u);
    EXPECT_EQ(count("team_division_history"), 1u);
    EXPECT_EQ(count("standings"), 2u);
    ASSERT_TRUE(byDivision && byConference);
    EXPECT_EQ(byDivision->columns()[0].title, "AE");
    EXPECT_EQ(byDivision->sections()[1].label, "North");
    EXPECT_EQ(byConference->columns()[0].title, "AFC");
    EXPECT_EQ(byConference->columns().size(), 9u);
}

TEST_F(LeagueServiceTest, unknownSeasonIsNotCachedAndAsksNothingMore) {
    EXPECT_EQ(waitForTask(service.seasonContext(1900)), std::nullopt);
    EXPECT_EQ(waitForTask(service.standings(1900, Grouping::division)), std::nullopt);
    EXPECT_EQ(count("seasons"), 2u); // asked again
    EXPECT_EQ(count("team_division_history"), 0u);
    EXPECT_EQ(count("standings"), 0u);

    // A known season without history rows is cached with no assignments.
    server.setDefault(path("seasons"), {200, season2023});
    EXPECT_EQ(waitForTask(service.seasonContext(2023)), (LeagueService::SeasonContext{season2023ID, {}}));
    EXPECT_EQ(waitForTask(service.standings(2023, Grouping::conference)), std::nullopt);
    EXPECT_EQ(count("seasons"), 3u);
    EXPECT_EQ(count("standings"), 1u);
}

TEST_F(LeagueServiceTest, emptyAnswersGiveNone) {
    EXPECT_EQ(waitForTask(service.latestStandingsYear()), std::nullopt);
    EXPECT_EQ(waitForTask(service.latestDraftYear()), std::nullopt);
    EXPECT_EQ(waitForTask(service.draft(2023, 1)), std::nullopt);
    EXPECT_EQ(waitForTask(service.schedule(2023)), std::nullopt);
    for (AwardsSection section : AwardsSections::allCases)
        EXPECT_EQ(waitForTask(service.awards(2023, section)), std::nullopt);
    EXPECT_EQ(waitForTask(service.scheduleYearBounds()), std::nullopt);
    EXPECT_EQ(waitForTask(service.awardsYearBounds()), std::nullopt);

    const DataTable champions = waitForTask(service.champions(60));
    EXPECT_TRUE(champions.sections().empty());
    EXPECT_EQ(champions.columns().size(), 6u);

    for (const char* rounds : {"[]", R"([{"rounds":null}])", R"([{}])", R"([{"rounds":0}])",
                               R"([{"rounds":-1}])", R"([{"rounds":7}])"})
        server.enqueue(path("drafts"), {200, rounds});
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(waitForTask(service.draftRounds(2023)).empty()) << i;
    EXPECT_EQ(waitForTask(service.draftRounds(2023)), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

    // A corrupt count fails as an undecodable answer instead of building a list of two billion rounds.
    server.enqueue(path("drafts"), {200, R"([{"rounds":2147483647}])"});
    EXPECT_EQ(errorOf(service.draftRounds(2023)).kind(), PostgRESTError::Kind::decoding);
}

TEST_F(LeagueServiceTest, answersBecomeTables) {
    server.enqueue(path("standings"), {200, R"([{"seasons":{"year":2024}}])"});
    server.enqueue(path("drafts"), {200, R"([{"year":2025}])"});
    EXPECT_EQ(waitForTask(service.latestStandingsYear()), 2024);
    EXPECT_EQ(waitForTask(service.latestDraftYear()), 2025);

    server.enqueue(path("games"), {200, R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1",
        "away_team_abbr":"KC","home_team_abbr":"BAL","away_score":27,"home_score":20}])"});
    const auto schedule = waitForTask(service.schedule(2024));
    ASSERT_TRUE(schedule.has_value());
    EXPECT_EQ(schedule->teams, (std::vector<QString>{"BAL", "KC"}));
    EXPECT_EQ(schedule->tables.at(ScheduleWeek(QStringLiteral("1"))).sections()[0].rows[0].id,
              "6F1C2A9E-0000-4000-8000-0000000000AB");

    server.enqueue(path("draft_picks"), {200, R"([{"pick_overall":33,"players":{"full_name":"A B"}}])"});
    const auto draft = waitForTask(service.draft(2024, 2));
    ASSERT_TRUE(draft.has_value());
    EXPECT_EQ(draft->columns()[0].title, "Rd 2");
    EXPECT_EQ(draft->sections()[0].rows[0].id, "2024-33");

    server.enqueue(path("all_pro_selections"),
                   {200, R"([{"team_level":"second_team","players":{"full_name":"C"}}])"});
    const auto allPro = waitForTask(service.awards(2024, AwardsSection::allPro));
    ASSERT_TRUE(allPro.has_value());
    EXPECT_EQ(allPro->columns()[0].title, "2nd Team");
}

TEST_F(LeagueServiceTest, oneUndecodableRowFailsTheCall) {
    server.enqueue(path("games"), {200, R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1"},
                                            {"id":"6f1c2a9e-0000-4000-8000-0000000000ac","week":null}])"});
    EXPECT_EQ(errorOf(service.schedule(2023)).kind(), PostgRESTError::Kind::decoding);

    server.enqueue(path("seasons"), {200, R"([{"id":"5ea50000-0000-4000-8000-00000000abcd"}])"});
    EXPECT_EQ(errorOf(service.seasonContext(2023)).kind(), PostgRESTError::Kind::decoding);
    server.enqueue(path("seasons"), {200, season2023});
    server.enqueue(path("team_division_history"), {500, "{}"});
    EXPECT_EQ(errorOf(service.seasonContext(2023)).status(), 500);
    // Neither failure was cached: the third call asks again and succeeds.
    server.enqueue(path("seasons"), {200, season2023});
    EXPECT_TRUE(waitForTask(service.seasonContext(2023)).has_value());
    EXPECT_EQ(count("seasons"), 3u);

    server.enqueue(path("super_bowls"), {200, R"([{"super_bowl_number":1,"seasons":{}}])"});
    EXPECT_EQ(errorOf(service.champions(60)).kind(), PostgRESTError::Kind::decoding);
    server.enqueue(path("standings"), {200, R"([{"seasons":null}])"});
    EXPECT_EQ(errorOf(service.latestStandingsYear()).kind(), PostgRESTError::Kind::decoding);
}

// The held answers below are never released while a test runs: a lookup that is not cancelled makes its
// test hang (and fail by ctest's time-out) instead of passing late.
class YearBoundsTest : public LeagueServiceTest {
protected:
    YearBoundsTest()
        : LeagueServiceTest(std::chrono::hours(1)) {}

    void answer(const std::string& direction, LoopbackServer::Response response) {
        server.enqueue("/rest/v1/games?select=year&order=year." + direction + "&limit=1",
                       std::move(response));
    }
    std::optional<YearRange> bounds() { return waitForTask(service.scheduleYearBounds()); }
};

TEST_F(YearBoundsTest, rangeFromBothLookups) {
    answer("asc", {200, R"([{"year":1920}])"});
    answer("desc", {200, R"([{"year":2024}])"});
    EXPECT_EQ(bounds(), (YearRange{1920, 2024}));
    answer("asc", {200, R"([{"year":2024}])"});
    answer("desc", {200, R"([{"year":2024}])"});
    EXPECT_EQ(bounds(), (YearRange{2024, 2024}));
    answer("asc", {200, R"([{"year":2000}])"});
    answer("desc", {200, R"([{"year":1999}])"}); // the data changed between the two reads
    EXPECT_EQ(bounds(), std::nullopt);
    answer("asc", {200, R"([{"year":2000}])"});
    answer("desc", {200, "[]"});
    EXPECT_EQ(bounds(), std::nullopt);

    server.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).asc&limit=1",
                   {200, R"([{"seasons":{"year":1950}}])"});
    server.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).desc&limit=1",
                   {200, R"([{"seasons":{"year":2023}}])"});
    EXPECT_EQ(waitForTask(service.awardsYearBounds()), (YearRange{1950, 2023}));
}

TEST_F(YearBoundsTest, missingLowerBoundCancelsTheUpperLookup) {
    answer("asc", {200, "[]"});
    answer("desc", LoopbackServer::Response::held()); // never answers while the test runs
    EXPECT_EQ(bounds(), std::nullopt);
}

TEST_F(YearBoundsTest, lowerFailureWinsAndCancelsTheUpperLookup) {
    answer("asc", {503, "{}"});
    answer("desc", LoopbackServer::Response::held());
    EXPECT_EQ(errorOf(service.scheduleYearBounds()).status(), 503);
}

TEST_F(YearBoundsTest, upperFailureCountsOnlyWithALowerBound) {
    answer("asc", {200, "[]"});
    answer("desc", {500, "{}"});
    EXPECT_EQ(bounds(), std::nullopt);
    answer("asc", {200, R"([{"year":1920}])"});
    answer("desc", {429, "{}"});
    EXPECT_EQ(errorOf(service.scheduleYearBounds()).status(), 429);
}

} // namespace
} // namespace huddlepod
