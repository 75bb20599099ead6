// PostgREST semantics over HTTP: embedding, inner joins, filters, ordering with null placement, limits, keys
// and errors.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace huddlepod::backend::testing {
namespace {

class QuerySemantics : public ::testing::Test {
protected:
    QuerySemantics()
        : server_(tinyLeague())
        , http_(server_) {}

    const LeagueDatabase& db() const { return *tinyLeague(); }
    int firstYear() const { return one(db(), "SELECT min(year) FROM drafts"); }

    BackendServer server_;
    Http http_;
};

TEST_F(QuerySemantics, embeddedFilterNullsALeftEmbedAndDropsTheRowOfAnInnerOne) {
    const std::string year = std::to_string(firstYear());
    const std::size_t all = one(db(), "SELECT count(*) FROM draft_picks");
    const std::size_t inYear =
        one(db(), "SELECT count(*) FROM draft_picks p JOIN drafts d ON d.id = p.draft_id WHERE d.year = ?",
            {std::int64_t{firstYear()}});
    ASSERT_LT(inYear, all);

    const auto left =
        http_.get("draft_picks", {{"select", "pick_overall,drafts(year)"}, {"drafts.year", "eq." + year}})
            .json();
    ASSERT_EQ(left.size(), all);
    std::size_t present = 0;
    for (const auto& row : left) {
        if (!row["drafts"].is_null()) {
            EXPECT_EQ(row["drafts"]["year"].dump(), year);
            ++present;
        }
    }
    EXPECT_EQ(present, inYear);

    const auto inner = http_
                           .get("draft_picks", {{"select", "pick_overall,drafts!inner(year)"},
                                                {"drafts.year", "eq." + year}})
                           .json();
    EXPECT_EQ(inner.size(), inYear);
}

TEST_F(QuerySemantics, toManyEmbedsAreArraysFilteredAndInnerDropsEmptyParents) {
    const std::size_t teams = one(db(), "SELECT count(*) FROM teams");
    const std::size_t seasons = one(db(), "SELECT count(DISTINCT season_id) FROM standings");
    const auto rows =
        http_.get("teams", {{"select", "current_abbreviation,standings(wins,is_playoff_team)"}}).json();
    ASSERT_EQ(rows.size(), teams);
    for (const auto& row : rows) {
        ASSERT_TRUE(row["standings"].is_array());
        EXPECT_EQ(row["standings"].size(), seasons);
    }

    const auto playoffOnly = http_
                                 .get("teams", {{"select", "current_abbreviation,standings(wins)"},
                                                {"standings.is_playoff_team", "is.true"}})
                                 .json();
    ASSERT_EQ(playoffOnly.size(), teams);
    std::size_t entries = 0;
    std::size_t withoutPlayoffs = 0;
    for (const auto& row : playoffOnly) {
        entries += row["standings"].size();
        withoutPlayoffs += row["standings"].empty() ? 1 : 0;
    }
    EXPECT_EQ(entries, one(db(), "SELECT count(*) FROM standings WHERE is_playoff_team").get<std::size_t>());
    ASSERT_GT(withoutPlayoffs, 0u);

    const auto inner = http_
                           .get("teams", {{"select", "current_abbreviation,standings!inner(wins)"},
                                          {"standings.is_playoff_team", "is.true"}})
                           .json();
    EXPECT_EQ(inner.size(), teams - withoutPlayoffs);
}

TEST_F(QuerySemantics, nestedInnerEmbedsFilterTwoLevelsDown) {
    const auto all =
        http_
            .get("team_division_history",
                 {{"select", "team_id,divisions!inner(abbreviation,conferences!inner(abbreviation))"}})
            .json();
    const auto afc =
        http_
            .get("team_division_history",
                 {{"select", "team_id,divisions!inner(abbreviation,conferences!inner(abbreviation))"},
                  {"divisions.conferences.abbreviation", "eq.AFC"}})
            .json();
    ASSERT_FALSE(afc.empty());
    EXPECT_LT(afc.size(), all.size());
    for (const auto& row : afc) {
        EXPECT_EQ(row["divisions"]["conferences"]["abbreviation"], "AFC");
    }
    const auto leftTop =
        http_
            .get("team_division_history",
                 {{"select", "team_id,divisions(abbreviation,conferences!inner(abbreviation))"},
                  {"divisions.conferences.abbreviation", "eq.AFC"}})
            .json();
    ASSERT_EQ(leftTop.size(), all.size()) << "a left embed keeps the row and shows null";
    for (const auto& row : leftTop) {
        EXPECT_TRUE(row["divisions"].is_null() || row["divisions"]["conferences"]["abbreviation"] == "AFC");
    }
}

TEST_F(QuerySemantics, ordersByRelatedColumnsThenOwnColumns) {
    const auto rows = http_
                          .get("draft_picks", {{"select", "pick_overall,drafts!inner(year)"},
                                               {"order", "drafts(year).desc,pick_overall.asc"}})
                          .json();
    ASSERT_GT(rows.size(), 2u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const int previousYear = rows[i - 1]["drafts"]["year"];
        const int year = rows[i]["drafts"]["year"];
        EXPECT_GE(previousYear, year);
        if (previousYear == year) {
            EXPECT_LT(rows[i - 1]["pick_overall"].get<int>(), rows[i]["pick_overall"].get<int>());
        }
    }
}

TEST_F(QuerySemantics, nullPlacementFollowsPostgreSql) {
    auto scores = [&](const std::string& order) {
        std::vector<bool> nulls;
        for (const auto& row : http_.get("games", {{"select", "home_score"}, {"order", order}}).json()) {
            nulls.push_back(row["home_score"].is_null());
        }
        return nulls;
    };
    auto nullsFirst = [](const std::vector<bool>& nulls) {
        return std::is_sorted(nulls.begin(), nulls.end(), std::greater<>());
    };
    auto nullsLast = [](const std::vector<bool>& nulls) {
        return std::is_sorted(nulls.begin(), nulls.end());
    };
    ASSERT_GT(one(db(), "SELECT count(*) FROM games WHERE home_score IS NULL").get<int>(), 0);
    EXPECT_TRUE(nullsLast(scores("home_score.asc")));
    EXPECT_TRUE(nullsFirst(scores("home_score.desc")));
    EXPECT_TRUE(nullsFirst(scores("home_score.asc.nullsfirst")));
    EXPECT_TRUE(nullsLast(scores("home_score.desc.nullslast")));
    EXPECT_TRUE(nullsLast(scores("home_score")));

    const auto ascending =
        http_
            .get("games",
                 {{"select", "home_score"}, {"order", "home_score.asc"}, {"home_score", "not.is.null"}})
            .json();
    for (std::size_t i = 1; i < ascending.size(); ++i) {
        EXPECT_LE(ascending[i - 1]["home_score"].get<int>(), ascending[i]["home_score"].get<int>());
    }
}

TEST_F(QuerySemantics, filterOperatorsAndLogicTrees) {
    auto count = [&](const Items& items) { return http_.get("games", items).json().size(); };
    auto sql = [&](const std::string& where) {
        return one(db(), "SELECT count(*) FROM games WHERE " + where).get<std::size_t>();
    };
    const std::string year = std::to_string(firstYear());
    EXPECT_EQ(count({{"year", "eq." + year}}), sql("year = " + year));
    EXPECT_EQ(count({{"year", "neq." + year}}), sql("year <> " + year));
    EXPECT_EQ(count({{"year", "gt." + year}}), sql("year > " + year));
    EXPECT_EQ(count({{"home_score", "lt.10"}}), sql("home_score < 10"));
    EXPECT_EQ(count({{"home_score", "gte.30"}, {"away_score", "lte.10"}}),
              sql("home_score >= 30 AND away_score <= 10"));
    EXPECT_EQ(count({{"week", "in.(1,2,\"SuperBowl\")"}}), sql("week IN ('1','2','SuperBowl')"));
    EXPECT_EQ(count({{"home_score", "is.null"}}), sql("home_score IS NULL"));
    EXPECT_EQ(count({{"home_score", "not.is.null"}}), sql("home_score IS NOT NULL"));
    EXPECT_EQ(count({{"or", "(home_score.gt.40,and(away_score.gt.35,week.eq.1))"}}),
              sql("home_score > 40 OR (away_score > 35 AND week = '1')"));
    EXPECT_EQ(count({{"not.or", "(home_score.gt.20,home_score.is.null)"}}),
              sql("NOT (home_score > 20 OR home_score IS NULL)"));
    EXPECT_EQ(http_.get("standings", {{"is_playoff_team", "eq.true"}}).json().size(),
              one(db(), "SELECT count(*) FROM standings WHERE is_playoff_team").get<std::size_t>());
    EXPECT_EQ(http_.get("players", {{"full_name", "eq.x' OR '1'='1"}}).json(), nlohmann::json::array())
        << "values never become SQL";
}

TEST_F(QuerySemantics, selectListsAliasesStarAndDuplicates) {
    const auto rows = nlohmann::ordered_json::parse(
        http_.get("games", {{"select", "id,week,*,kickoff:gametime"}, {"limit", "1"}}).body);
    ASSERT_EQ(rows.size(), 1u);
    const auto& row = rows[0];
    EXPECT_EQ(row.begin().key(), "id");
    EXPECT_EQ(row.size(), Schema::instance().table("games")->columns.size() + 1)
        << "each key once, plus the alias";
    EXPECT_EQ(row["kickoff"], row["gametime"]);

    const auto limited = http_.get("players", {{"select", "id"}, {"limit", "3"}});
    EXPECT_EQ(limited.json().size(), 3u);
    EXPECT_EQ(limited.headers.find("Content-Range")->second, "0-2/*");
    EXPECT_EQ(http_.get("players", {{"select", "id"}, {"limit", "0"}}).json(), nlohmann::json::array());
}

TEST_F(QuerySemantics, rowCapLimitsEveryRead) {
    ServerOptions options;
    options.maxRows = 5;
    BackendServer capped(tinyLeague(), options);
    Http http(capped);
    EXPECT_EQ(http.get("players", {{"select", "id"}}).json().size(), 5u);
    EXPECT_EQ(http.get("players", {{"select", "id"}, {"limit", "50"}}).json().size(), 5u);
}

TEST_F(QuerySemantics, keyMustTravelInBothHeaders) {
    const Items items = {{"select", "id"}, {"limit", "1"}};
    const Reply none = http_.send("GET", "/rest/v1/players", items, {}, false);
    EXPECT_EQ(none.status, 401);
    const auto body = none.json();
    for (const char* key : {"code", "details", "hint", "message"}) {
        EXPECT_TRUE(body.contains(key)) << key;
    }
    EXPECT_EQ(http_.send("GET", "/rest/v1/players", items, {{"apikey", server_.anonKey()}}, false).status,
              401);
    EXPECT_EQ(http_
                  .send("GET", "/rest/v1/players", items,
                        {{"apikey", "other"}, {"Authorization", "Bearer other"}}, false)
                  .status,
              401);
    EXPECT_EQ(http_
                  .send("GET", "/rest/v1/players", items,
                        {{"apikey", server_.anonKey()}, {"Authorization", "Bearer other"}}, false)
                  .status,
              401);
    EXPECT_EQ(http_.send("HEAD", "/rest/v1/players", items, {}, false).status, 401);
    Http wrong(server_, "other");
    EXPECT_EQ(wrong.rpc("search_players", R"({"query_text":"ab"})").status, 401);
    EXPECT_EQ(http_.send("GET", "/rest/v1/players", items).status, 200);
}

TEST_F(QuerySemantics, clearErrorsForWhatDoesNotExist) {
    struct Case {
        std::string table;
        Items items;
        int status;
        std::string code;
    };
    const std::vector<Case> cases = {
        {"nothing_here", {}, 404, "PGRST205"},
        {"player_search", {}, 404, "PGRST205"},
        {"players", {{"select", "id,shoe_size"}}, 400, "42703"},
        {"players", {{"shoe_size", "eq.12"}}, 400, "42703"},
        {"players", {{"order", "shoe_size.desc"}}, 400, "42703"},
        {"players", {{"select", "id,teams(id)"}}, 400, "PGRST200"},
        {"games", {{"select", "id,teams(id)"}}, 400, "PGRST201"},
        {"games", {{"select", "id,teams!nonexistent_fkey(id)"}}, 400, "PGRST200"},
        {"games", {{"year", "eq.soon"}}, 400, "22P02"},
        {"games", {{"game_date", "eq.2024-02-30"}}, 400, "22007"},
        {"games", {{"id", "eq.12345"}}, 400, "22P02"},
        {"games", {{"year", "like.2024"}}, 400, "PGRST100"},
        {"games", {{"year", "2024"}}, 400, "PGRST100"},
        {"games", {{"select", "id,(week"}}, 400, "PGRST100"},
        {"games", {{"limit", "-1"}}, 400, "PGRST100"},
        {"games", {{"order", "year.sideways"}}, 400, "PGRST100"},
        {"games", {{"seasons.year", "eq.2024"}}, 400, "PGRST108"},
        {"teams", {{"select", "id,standings(wins)"}, {"order", "standings(wins).desc"}}, 400, "PGRST118"},
        {"games", {{"home_score", "is.maybe"}}, 400, "PGRST100"},
        {"games", {{"week", "is.true"}}, 400, "42804"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(target(c.table, c.items));
        const Reply reply = http_.get(c.table, c.items);
        EXPECT_EQ(reply.status, c.status);
        const auto body = reply.json();
        EXPECT_EQ(body["code"], c.code);
        EXPECT_TRUE(body["message"].is_string());
    }
    EXPECT_EQ(http_.post("/rest/v1/players", "{}").status, 405);
    EXPECT_EQ(http_.rpc("players_by_age", R"({"query_text":"ab"})").status, 404);
    EXPECT_EQ(http_.rpc("search_players", R"({"text":"ab"})").status, 404);
    EXPECT_EQ(http_.rpc("search_players", "{not json").status, 400);
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":["ab"]})").status, 400);
    EXPECT_EQ(http_.send("GET", "/elsewhere").status, 404);
}

} // namespace
} // namespace huddlepod::backend::testing
