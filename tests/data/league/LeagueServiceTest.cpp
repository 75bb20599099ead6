// The league service on the wire, against a loopback server: request targets, the season context cache,
// empty and undecodable answers, and the concurrent year bounds.
#include "data/LeagueService.h"

#include "data/ScheduleBuilder.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/BackendError.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <regex>

namespace huddlepod {
namespace {

using test::errorOf;
using test::LoopbackServer;
using test::waitForTask;
using test::waitUntil;
using Grouping = LeagueService::StandingsGrouping;

const std::string season2023 = R"([{"id":"5EA50000-0000-4000-8000-00000000ABCD","year":2023}])";
const QUuid season2023ID = QUuid::fromString(QStringLiteral("5ea50000-0000-4000-8000-00000000abcd"));

std::string team(int n) {
    return "7ea70000-0000-4000-8000-00000000000" + std::to_string(n);
}

class LeagueServiceTest : public ::testing::Test {
protected:
    // A held answer would hang a lookup that is not cancelled until this runs out.
    explicit LeagueServiceTest(std::chrono::milliseconds timeout = std::chrono::seconds(60))
        : timeout(timeout) {
        server.setFallback({200, "[]"});
    }

    static std::string path(const std::string& table) { return "/rest/v1/" + table; }

    std::shared_ptr<PostgRESTClient> makeClient() { return makeClient(server); }
    std::shared_ptr<PostgRESTClient> makeClient(const LoopbackServer& on) {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        options.transferTimeout = timeout;
        options.totalTimeout = timeout;
        return std::make_shared<PostgRESTClient>(SupabaseConfiguration{on.baseUrl(), "anon"}, "1.0",
                                                 std::make_unique<HttpSession>(options));
    }

    // The targets as sent, with select lists of embedded tables cut to "select=…": their fields are the
    // backend's to check (tests/backend); the filters, order, limits and item order are checked here.
    std::vector<std::string> targets() const {
        static const std::regex embedding("select=[^&]*!inner\\([^&]*");
        std::vector<std::string> made;
        for (const auto& request : server.requests())
            made.push_back(std::regex_replace(request.target, embedding, "select=…"));
        return made;
    }

    std::size_t count(const std::string& table) const { return server.requestsTo(path(table)).size(); }

    std::chrono::milliseconds timeout;
    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    LeagueService service{makeClient()};
};

TEST_F(LeagueServiceTest, sendsQueriesAsShaped) {
    waitForTask(service.draft(2023, 2));
    waitForTask(service.schedule(2023));
    EXPECT_EQ(
        targets(),
        (std::vector<std::string>{
            "/rest/v1/draft_picks?select=…&drafts.year=eq.2023&round=eq.2&order=pick_overall.asc",
            "/rest/v1/games?select=id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,"
            "home_score,away_score,tv_network&year=eq.2023&order=game_date.asc,gametime.asc&limit=600"}));
}

TEST_F(LeagueServiceTest, seasonContextIsFetchedOncePerKnownYear) {
    const auto history = [](int n, const std::string& divisions) {
        return R"({"team_id":")" + team(n) + R"(","divisions":)" + divisions + "}";
    };
    server.setDefault(path("seasons"), {200, season2023});
    server.setDefault(
        path("team_division_history"),
        {200, "[" +
                  history(1, R"({"abbreviation":"OLD","name":"Old","conferences":{"abbreviation":"NFC"}})") +
                  "," +
                  history(2, R"({"name":"North","abbreviation":null,"conferences":{"abbreviation":"AFC"}})") +
                  "," + history(3, R"({"conferences":null})") + "," + history(4, "null") + "," +
                  history(1, R"({"abbreviation":"AE","conferences":{"abbreviation":"AFC"}})") + "]"});
    const auto context = waitForTask(service.seasonContext(2023));
    ASSERT_TRUE(context.has_value());
    EXPECT_EQ(context->seasonID, season2023ID);
    const auto id = [](int n) { return QUuid::fromString(QString::fromStdString(team(n))); };
    EXPECT_EQ(context->assignments, (DivisionAssignments{{id(1), {id(1), "AE", "AFC"}}, // a later row wins
                                                         {id(2), {id(2), "North", "AFC"}},
                                                         {id(3), {id(3), "—", "—"}}}));

    server.setDefault(path("standings"),
                      {200, R"([{"division_rank":1,"teams":{"id":")" + team(1) + R"("}}])"});
    const auto byConference = waitForTask(service.standings(2023, Grouping::conference));
    ASSERT_TRUE(byConference.has_value());
    EXPECT_EQ(byConference->columns()[0].title, "AFC");
    EXPECT_EQ(waitForTask(service.seasonContext(2023)), context);
    EXPECT_EQ(count("seasons") + count("team_division_history"), 2u);

    // An unknown season is asked for again and asks nothing more.
    server.setDefault(path("seasons"), {200, "[]"});
    EXPECT_EQ(waitForTask(service.seasonContext(1900)), std::nullopt);
    EXPECT_EQ(waitForTask(service.standings(1900, Grouping::division)), std::nullopt);
    EXPECT_EQ(count("seasons"), 3u);
    EXPECT_EQ(count("team_division_history") + count("standings"), 2u);
}

TEST_F(LeagueServiceTest, emptyAnswersGiveNoneAndOthersBecomeYears) {
    EXPECT_EQ(waitForTask(service.latestStandingsYear()), std::nullopt);
    EXPECT_EQ(waitForTask(service.latestDraftYear()), std::nullopt);
    EXPECT_EQ(waitForTask(service.draft(2023, 1)), std::nullopt);
    EXPECT_EQ(waitForTask(service.schedule(2023)), std::nullopt);
    for (AwardsSection section : AwardsSections::allCases)
        EXPECT_EQ(waitForTask(service.awards(2023, section)), std::nullopt);

    EXPECT_TRUE(waitForTask(service.champions(60)).sections().empty());

    for (const char* rounds : {"[]", R"([{"rounds":null}])", R"([{}])", R"([{"rounds":0}])",
                               R"([{"rounds":-1}])", R"([{"rounds":7}])"})
        server.enqueue(path("drafts"), {200, rounds});
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(waitForTask(service.draftRounds(2023)).empty()) << i;
    EXPECT_EQ(waitForTask(service.draftRounds(2023)), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

    // A corrupt count fails as an undecodable answer instead of building a list of two billion rounds.
    server.enqueue(path("drafts"), {200, R"([{"rounds":2147483647}])"});
    EXPECT_EQ(errorOf(service.draftRounds(2023)).kind(), PostgRESTError::Kind::decoding);

    server.enqueue(path("standings"), {200, R"([{"seasons":{"year":2024}}])"});
    server.enqueue(path("drafts"), {200, R"([{"year":2025}])"});
    EXPECT_EQ(waitForTask(service.latestStandingsYear()), 2024);
    EXPECT_EQ(waitForTask(service.latestDraftYear()), 2025);
}

TEST_F(LeagueServiceTest, failuresAreNotCached) {
    server.enqueue(path("seasons"), {200, R"([{"id":"5ea50000-0000-4000-8000-00000000abcd"}])"});
    EXPECT_EQ(errorOf(service.seasonContext(2023)).kind(), PostgRESTError::Kind::decoding);
    server.enqueue(path("seasons"), {200, season2023});
    server.enqueue(path("team_division_history"), {500, "{}"});
    EXPECT_EQ(errorOf(service.seasonContext(2023)).status(), 500);
    server.enqueue(path("seasons"), {200, season2023});
    EXPECT_TRUE(waitForTask(service.seasonContext(2023)).has_value());
    EXPECT_EQ(count("seasons"), 3u);

    server.enqueue(path("games"), {200, R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1"},
                                            {"id":"6f1c2a9e-0000-4000-8000-0000000000ac","week":null}])"});
    EXPECT_EQ(errorOf(service.schedule(2023)).kind(), PostgRESTError::Kind::decoding);

    // Answers that decode but are refused, each kept for an hour: asked again, the server answers.
    const auto kept = [](std::string body) {
        return LoopbackServer::Response(200, std::move(body)).withHeader("Cache-Control", "max-age=3600");
    };
    std::string games = "[";
    for (std::size_t game = 0; game <= ScheduleBuilder::maximumGames; ++game)
        games += R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1"},)";
    games.back() = ']';
    const std::string bounds = "/rest/v1/games?select=year&order=year.";
    using Answers = std::vector<std::pair<std::string, std::string>>; // target or path, body
    using Ask = std::function<std::string(LeagueService&)>;
    struct Case {
        const char* name;
        Answers refused, right;
        Ask ask;
        std::string outcome;
    };
    const Case cases[] = {
        {"a year no league has",
         {{path("drafts"), R"([{"year":2501}])"}},
         {{path("drafts"), R"([{"year":2024}])"}},
         [](LeagueService& on) { return std::to_string(waitForTask(on.latestDraftYear()).value_or(-1)); },
         "decoding, then 2024, asked 1"},
        {"more rounds than a draft has",
         {{path("drafts"), R"([{"rounds":2147483647}])"}},
         {{path("drafts"), R"([{"rounds":7}])"}},
         [](LeagueService& on) { return std::to_string(waitForTask(on.draftRounds(2023)).size()); },
         "decoding, then 7, asked 1"},
        {"more games than asked for",
         {{path("games"), games}},
         {{path("games"), R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1"}])"}},
         [](LeagueService& on) { return std::to_string(waitForTask(on.schedule(2023))->weeks.size()); },
         "decoding, then 1, asked 1"},
        {"bounds more years apart than a league spans",
         {{bounds + "asc&limit=1", R"([{"year":1900}])"}, {bounds + "desc&limit=1", R"([{"year":2200}])"}},
         {{bounds + "asc&limit=1", R"([{"year":1990}])"}, {bounds + "desc&limit=1", R"([{"year":2000}])"}},
         [](LeagueService& on) {
             const auto range = waitForTask(on.scheduleYearBounds());
             return std::to_string(range->lowerBound) + "…" + std::to_string(range->upperBound);
         },
         "decoding, then 1990…2000, asked 2"},
    };
    for (const Case& test : cases) {
        LoopbackServer caseServer;
        LeagueService caseService{makeClient(caseServer)};
        for (const auto& [target, body] : test.refused)
            caseServer.enqueue(target, kept(body));
        const auto asked = [&] {
            try {
                return test.ask(caseService);
            } catch (const PostgRESTError& error) {
                return error.kind() == PostgRESTError::Kind::decoding ? std::string("decoding")
                                                                      : std::string(error.what());
            }
        };
        std::string outcome = asked();
        for (const auto& [target, body] : test.right)
            caseServer.enqueue(target, {200, body});
        const std::size_t before = caseServer.requestCount();
        outcome += ", then " + asked();
        outcome += ", asked " + std::to_string(caseServer.requestCount() - before);
        EXPECT_EQ(outcome, test.outcome) << test.name;
    }
}

// The held answers below are never released while a test runs: a lookup that is not cancelled makes its
// test hang (and fail by ctest's time-out) instead of passing late.
class YearBoundsTest : public LeagueServiceTest {
protected:
    YearBoundsTest()
        : LeagueServiceTest(std::chrono::hours(1)) {}

    static void answer(LoopbackServer& on, const std::string& direction, LoopbackServer::Response response) {
        on.enqueue("/rest/v1/games?select=year&order=year." + direction + "&limit=1", std::move(response));
    }
    void answer(const std::string& direction, LoopbackServer::Response response) {
        answer(server, direction, std::move(response));
    }
};

TEST_F(YearBoundsTest, rangeFromBothLookupsWhereTheLowerBoundDecides) {
    const auto year = [](int value) { return "[{\"year\":" + std::to_string(value) + "}]"; };
    const LoopbackServer::Response held = LoopbackServer::Response::held();
    struct Case {
        LoopbackServer::Response lower;
        LoopbackServer::Response upper;
        std::string outcome;
    };
    const Case cases[] = {
        {{200, year(1920)}, {200, year(2024)}, "1920-2024"},
        {{200, year(2024)}, {200, year(2024)}, "2024-2024"},
        {{200, year(2000)}, {200, year(1999)}, "none"}, // the data changed between the two reads
        {{200, year(2000)}, {200, "[]"}, "none"},
        {{200, "[]"}, held, "none"}, // the upper lookup is cancelled
        {{503, "{}"}, held, "http 503"},
        {{200, year(1920)}, {429, "{}"}, "http 429"},
        {{200, "[]"}, {500, "{}"}, "none"}, // an upper failure counts only with a lower bound
    };
    for (const Case& test : cases) {
        // Each case on a server and client of its own: a cancelled lookup's request or unused answer
        // stays with its case.
        LoopbackServer caseServer;
        LeagueService caseService{makeClient(caseServer)};
        answer(caseServer, "asc", test.lower);
        answer(caseServer, "desc", test.upper);
        std::string outcome = "none";
        try {
            if (const auto range = waitForTask(caseService.scheduleYearBounds()))
                outcome = std::to_string(range->lowerBound) + "-" + std::to_string(range->upperBound);
        } catch (const PostgRESTError& error) {
            outcome = "http " + std::to_string(error.status());
        }
        EXPECT_EQ(outcome, test.outcome);
    }

    server.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).asc&limit=1",
                   {200, R"([{"seasons":{"year":1950}}])"});
    server.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).desc&limit=1",
                   {200, R"([{"seasons":{"year":2023}}])"});
    EXPECT_EQ(waitForTask(service.awardsYearBounds()), (YearRange{1950, 2023}));
}

TEST_F(YearBoundsTest, yearsALeagueCannotHaveFailTheAnswerAsUndecodable) {
    const auto flat = [](const std::string& year) { return "[{\"year\":" + year + "}]"; };
    const auto nested = [](const std::string& year) { return "[{\"seasons\":{\"year\":" + year + "}}]"; };
    // Each page's lookup, answered with `low` for the oldest year it asks and `high` for the newest.
    const auto standings = [&](LeagueService& on, LoopbackServer& at, const std::string&,
                               const std::string& high) {
        at.enqueue(path("standings"), {200, nested(high)});
        return waitForTask(on.latestStandingsYear()).value_or(-1);
    };
    const auto draft = [&](LeagueService& on, LoopbackServer& at, const std::string&,
                           const std::string& high) {
        at.enqueue(path("drafts"), {200, flat(high)});
        return waitForTask(on.latestDraftYear()).value_or(-1);
    };
    const auto schedule = [&](LeagueService& on, LoopbackServer& at, const std::string& low,
                              const std::string& high) {
        answer(at, "asc", {200, flat(low)});
        answer(at, "desc", {200, flat(high)});
        const auto range = waitForTask(on.scheduleYearBounds());
        return range ? int(range->upperBound - range->lowerBound + 1) : -1;
    };
    const auto awards = [&](LeagueService& on, LoopbackServer& at, const std::string& low,
                            const std::string& high) {
        at.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).asc&limit=1",
                   {200, nested(low)});
        at.enqueue("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).desc&limit=1",
                   {200, nested(high)});
        const auto range = waitForTask(on.awardsYearBounds());
        return range ? int(range->upperBound - range->lowerBound + 1) : -1;
    };
    using Lookup =
        std::function<int(LeagueService&, LoopbackServer&, const std::string&, const std::string&)>;
    struct Case {
        const char* page;
        Lookup lookup;
        std::string low, high;
        std::string outcome; // the newest year, the number of years in the range, or the failure's kind
    };
    const Case cases[] = {
        {"standings", standings, "", "2147483647", "decoding"},
        {"standings", standings, "", "-2147483648", "decoding"},
        {"standings", standings, "", "20000000", "decoding"},
        {"standings", standings, "", "2147483648", "decoding"},
        {"standings", standings, "", "2500", "2500"},
        {"draft", draft, "", "2147483647", "decoding"},
        {"draft", draft, "", "-2147483648", "decoding"},
        {"draft", draft, "", "20000000", "decoding"},
        {"draft", draft, "", "2501", "decoding"},
        {"draft", draft, "", "1800", "1800"},
        {"schedule", schedule, "-2147483648", "2024", "decoding"},
        {"schedule", schedule, "1950", "2147483647", "decoding"},
        {"schedule", schedule, "1950", "20000000", "decoding"},
        {"schedule", schedule, "1799", "2024", "decoding"},
        {"schedule", schedule, "1900", "2199", "300"},
        {"schedule", schedule, "1900", "2200", "decoding"}, // 301 years
        {"awards", awards, "-2147483648", "2024", "decoding"},
        {"awards", awards, "1950", "2147483647", "decoding"},
        {"awards", awards, "20000000", "20000000", "decoding"},
        {"awards", awards, "1800", "2099", "300"},
        {"awards", awards, "1800", "2500", "decoding"},
    };
    for (const Case& test : cases) {
        LoopbackServer caseServer;
        LeagueService caseService{makeClient(caseServer)};
        std::string outcome;
        try {
            outcome = std::to_string(test.lookup(caseService, caseServer, test.low, test.high));
        } catch (const PostgRESTError& error) {
            outcome = error.kind() == PostgRESTError::Kind::decoding ? "decoding" : error.what();
        }
        EXPECT_EQ(outcome, test.outcome) << test.page << " " << test.low << "…" << test.high;
    }
}

TEST_F(YearBoundsTest, bothLookupsRunAtOnce) {
    LoopbackServer::Response heldLower(200, R"([{"year":1920}])");
    heldLower.hold = true;
    answer("asc", heldLower);
    answer("desc", {200, R"([{"year":2024}])"});
    auto task = service.scheduleYearBounds();
    EXPECT_TRUE(waitUntil([&] { return server.requestCount() == 2; })) << "the upper lookup waited";
    server.release();
    EXPECT_EQ(waitForTask(std::move(task)), (YearRange{1920, 2024}));
}

} // namespace
} // namespace huddlepod
