// Injected faults: forced answers, malformed rows, dropped connections, delays, and the control endpoint.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace huddlepod::backend::testing {
namespace {

class FaultInjection : public ::testing::Test {
protected:
    FaultInjection()
        : server_(tinyLeague())
        , http_(server_) {}

    static FaultRule rule(std::string route) {
        FaultRule fault;
        fault.route = std::move(route);
        return fault;
    }

    BackendServer server_;
    Http http_;
};

TEST_F(FaultInjection, forcedStatusAppliesToItsRouteForItsCount) {
    FaultRule fault = rule("players");
    fault.status = 503;
    fault.body = "overloaded";
    fault.times = 1;
    server_.faults().add(fault);
    FaultRule limit = rule("games");
    limit.status = 429;
    server_.faults().add(limit);

    const Reply forced = http_.get("players", {{"limit", "1"}});
    EXPECT_EQ(forced.status, 503);
    EXPECT_EQ(forced.body, "overloaded");
    EXPECT_EQ(http_.get("players", {{"limit", "1"}}).status, 200) << "the rule was used up";
    for (int i = 0; i < 2; ++i) {
        const Reply limited = http_.get("games", {{"limit", "1"}});
        EXPECT_EQ(limited.status, 429);
        EXPECT_EQ(limited.json()["code"], "PGRST000") << "a PostgREST-style error when no body is given";
    }
    server_.faults().clear();
    EXPECT_EQ(http_.get("games", {{"limit", "1"}}).status, 200);
}

TEST_F(FaultInjection, malformedRowsChangeEveryValuesType) {
    FaultRule fault = rule("*");
    fault.malformedRows = true;
    server_.faults().add(fault);
    const auto rows = http_.get("games", {{"select", "id,year,home_score"}, {"limit", "2"}}).json();
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_TRUE(row["id"].is_number());
        EXPECT_TRUE(row["year"].is_string());
        EXPECT_FALSE(row["home_score"].is_number());
    }
    EXPECT_EQ(http_.get("games", {{"year", "eq.1900"}}).json(), nlohmann::json::parse("[null]"));
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"zzqxv"})").json(),
              nlohmann::json::parse("[null]"));
}

TEST_F(FaultInjection, droppedConnectionGivesNoAnswerAtAll) {
    FaultRule fault = rule("rpc/search_players");
    fault.dropConnection = true;
    fault.times = 1;
    server_.faults().add(fault);
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"ab"})").status, 0);
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"ab"})").status, 200);
}

TEST_F(FaultInjection, delayedAnswerStillArrivesAndStopCutsALongDelayShort) {
    FaultRule brief = rule("players");
    brief.delay = std::chrono::milliseconds(5);
    brief.times = 1;
    server_.faults().add(brief);
    EXPECT_EQ(http_.get("players", {{"select", "id"}, {"limit", "1"}}).json().size(), 1u);

    FaultRule endless = rule("games");
    endless.delay = std::chrono::minutes(10);
    server_.faults().add(endless);
    auto pending = std::async(std::launch::async, [this] {
        Http http(server_);
        return http.get("games", {{"limit", "1"}}).status;
    });
    while (server_.requests().size() < 2) {
        std::this_thread::yield(); // wait until the delayed request has arrived
    }
    server_.stop();
    pending.get(); // returns once the server stops, whatever the client saw
    SUCCEED();
}

TEST_F(FaultInjection, controlEndpointSetsListsAndClearsRules) {
    const Reply set = http_.post(
        "/__control/faults", R"([{"route":"drafts","status":500,"times":2},{"route":"teams","delay_ms":1}])");
    ASSERT_EQ(set.status, 200);
    EXPECT_EQ(set.json().size(), 2u);
    EXPECT_EQ(http_.get("drafts").status, 500);
    EXPECT_EQ(http_.send("GET", "/__control/faults").json()[0]["times"], 1);
    EXPECT_EQ(http_.send("DELETE", "/__control/faults").status, 200);
    EXPECT_EQ(http_.get("drafts").status, 200);

    EXPECT_EQ(http_.post("/__control/faults", R"({"route":"drafts","status":99})").status, 400);
    EXPECT_EQ(http_.post("/__control/faults", R"({"route":"drafts","colour":"red"})").status, 400);
    EXPECT_EQ(http_.post("/__control/faults", "[").status, 400);
    EXPECT_EQ(http_.send("DELETE", "/__control/faults", {}, {}, false).status, 401);
}

TEST(FaultRules, readFromJson) {
    const auto rules = faultRulesFromJson(nlohmann::json::parse(
        R"([{"route":"players","delay_ms":20,"status":503,"body":"x","times":3},{"malformed_rows":true},{"drop_connection":true}])"));
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].route, "players");
    EXPECT_EQ(rules[0].delay, std::chrono::milliseconds(20));
    EXPECT_EQ(rules[0].status, 503);
    EXPECT_EQ(rules[0].body, "x");
    EXPECT_EQ(rules[0].times, 3);
    EXPECT_EQ(rules[1].route, "*");
    EXPECT_TRUE(rules[1].malformedRows);
    EXPECT_TRUE(rules[2].dropConnection);
    EXPECT_THROW(faultRuleFromJson(nlohmann::json::parse(R"({"body":"no status"})")), std::invalid_argument);
    EXPECT_THROW(faultRuleFromJson(nlohmann::json::parse(R"({"delay_ms":-1})")), std::invalid_argument);
    EXPECT_THROW(faultRuleFromJson(nlohmann::json::parse("3")), std::invalid_argument);
}

} // namespace
} // namespace huddlepod::backend::testing
