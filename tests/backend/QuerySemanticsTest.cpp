// PostgREST semantics over HTTP: embedding, inner joins, filters, ordering with null placement, limits, keys
// and errors.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

namespace huddlepod::backend::testing {
namespace {

class QuerySemantics : public ::testing::Test {
protected:
    QuerySemantics()
        : server_(tinyLeague())
        , http_(server_) {}

    const LeagueDatabase& db() const { return *tinyLeague(); }
    std::int64_t firstYear() const { return one(db(), "SELECT min(year) FROM drafts"); }

    BackendServer server_;
    Http http_;
};

TEST_F(QuerySemantics, embedsJoinFilterAndOrderAsPostgrestDoes) {
    const std::int64_t year = firstYear();
    const std::string inYear = "eq." + std::to_string(year);
    const std::string draftsInYear =
        "SELECT count(*) FROM draft_picks p JOIN drafts d ON d.id = p.draft_id WHERE d.year = ?";
    const std::string playoffTeams = "SELECT count(DISTINCT team_id) FROM standings WHERE is_playoff_team";
    const std::string afc =
        "SELECT count(*) FROM team_division_history h JOIN divisions d ON d.id = h.division_id "
        "JOIN conferences c ON c.id = d.conference_id WHERE c.abbreviation = 'AFC'";
    // Each filter below must leave out some rows, or it would prove nothing.
    ASSERT_LT(one(db(), draftsInYear, {year}), one(db(), "SELECT count(*) FROM draft_picks"));
    ASSERT_LT(one(db(), playoffTeams), one(db(), "SELECT count(*) FROM teams"));
    ASSERT_LT(one(db(), afc), one(db(), "SELECT count(*) FROM team_division_history"));

    std::size_t draftsShown = 0;
    std::size_t standingsShown = 0;
    auto isAfc = [](const nlohmann::json& row) {
        EXPECT_EQ(row["divisions"]["conferences"]["abbreviation"], "AFC");
    };
    const std::vector<Read> reads = {
        // A filter on a left embed nulls the embed but keeps the row; on an inner embed it drops the row.
        {"draft_picks",
         "select=pick_overall,drafts(year)&drafts.year=" + inYear,
         {"SELECT count(*) FROM draft_picks", {}},
         "",
         "drafts:object?",
         [&](const nlohmann::json& row) {
             if (!row["drafts"].is_null()) {
                 ++draftsShown;
                 EXPECT_EQ(row["drafts"]["year"], year);
             }
         }},
        {"draft_picks",
         "select=pick_overall,drafts!inner(year)&drafts.year=" + inYear,
         {draftsInYear, {year}},
         "",
         "drafts.year:int"},
        // To-many embeds are arrays filtered in place; an inner one drops the parents left empty.
        {"teams",
         "select=current_abbreviation,standings(wins)&standings.is_playoff_team=is.true",
         {"SELECT count(*) FROM teams", {}},
         "",
         "standings:array",
         [&](const nlohmann::json& row) { standingsShown += row["standings"].size(); }},
        {"teams",
         "select=current_abbreviation,standings!inner(wins)&standings.is_playoff_team=is.true",
         {playoffTeams, {}},
         "",
         "standings:array"},
        // Nested inner embeds filter two levels down; a left embed above them shows null instead.
        {"team_division_history",
         "select=team_id,divisions!inner(abbreviation,conferences!inner(abbreviation))&divisions.conferences."
         "abbreviation=eq.AFC",
         {afc, {}},
         "",
         "",
         isAfc},
        {"team_division_history",
         "select=team_id,divisions(abbreviation,conferences!inner(abbreviation))&divisions.conferences."
         "abbreviation=eq.AFC",
         {"SELECT count(*) FROM team_division_history", {}},
         "",
         "divisions:object?",
         [&](const nlohmann::json& row) {
             if (!row["divisions"].is_null()) {
                 isAfc(row);
             }
         }},
        // Related columns order first, then own columns.
        {"draft_picks",
         "select=pick_overall,drafts!inner(year)&order=drafts(year).desc,pick_overall.asc",
         {"SELECT count(*) FROM draft_picks", {}},
         "-drafts.year pick_overall",
         ""},
    };
    expectReads(http_, db(), reads);
    EXPECT_EQ(draftsShown, one(db(), draftsInYear, {year}).get<std::size_t>());
    EXPECT_EQ(standingsShown,
              one(db(), "SELECT count(*) FROM standings WHERE is_playoff_team").get<std::size_t>());
}

TEST_F(QuerySemantics, nullPlacementFollowsPostgreSql) {
    ASSERT_GT(one(db(), "SELECT count(*) FROM games WHERE home_score IS NULL").get<int>(), 0);
    for (const auto& [order, nullsFirst] : std::vector<std::pair<std::string, bool>>{
             {"home_score.asc", false},
             {"home_score.desc", true},
             {"home_score.asc.nullsfirst", true},
             {"home_score.desc.nullslast", false},
             {"home_score", false},
         }) {
        SCOPED_TRACE(order);
        std::vector<bool> nulls;
        std::vector<int> scores;
        for (const auto& row : http_.get("games", {{"select", "home_score"}, {"order", order}}).json()) {
            nulls.push_back(row["home_score"].is_null() == nullsFirst);
            if (!row["home_score"].is_null()) {
                scores.push_back(row["home_score"]);
            }
        }
        EXPECT_TRUE(std::is_sorted(nulls.begin(), nulls.end(), std::greater<>()));
        const bool descending = order.find("desc") != std::string::npos;
        EXPECT_TRUE(descending ? std::is_sorted(scores.rbegin(), scores.rend())
                               : std::is_sorted(scores.begin(), scores.end()));
    }
}

TEST_F(QuerySemantics, filterOperatorsAndLogicTreesSelectWhatSqlWould) {
    const std::string year = std::to_string(firstYear());
    const std::string game = one(db(), "SELECT id FROM games LIMIT 1");
    std::string shouted = game;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const std::vector<std::pair<Items, std::string>> cases = {
        {{{"id", "eq." + shouted}}, "id = '" + game + "'"}, // UUIDs compare in any letter case
        {{{"year", "eq." + year}}, "year = " + year},
        {{{"year", "neq." + year}}, "year <> " + year},
        {{{"year", "gt." + year}}, "year > " + year},
        {{{"home_score", "lt.10"}}, "home_score < 10"},
        {{{"home_score", "gte.30"}, {"away_score", "lte.10"}}, "home_score >= 30 AND away_score <= 10"},
        {{{"week", "in.(1,2,\"SuperBowl\")"}}, "week IN ('1','2','SuperBowl')"},
        {{{"home_score", "is.null"}}, "home_score IS NULL"},
        {{{"home_score", "not.is.null"}}, "home_score IS NOT NULL"},
        {{{"or", "(home_score.gt.40,and(away_score.gt.35,week.eq.1))"}},
         "home_score > 40 OR (away_score > 35 AND week = '1')"},
        {{{"not.or", "(home_score.gt.20,home_score.is.null)"}},
         "NOT (home_score > 20 OR home_score IS NULL)"},
    };
    for (const auto& [items, where] : cases) {
        SCOPED_TRACE(where);
        EXPECT_EQ(http_.get("games", items).json().size(),
                  one(db(), "SELECT count(*) FROM games WHERE " + where).get<std::size_t>());
    }
    EXPECT_EQ(http_.get("standings", {{"is_playoff_team", "eq.true"}}).json().size(),
              one(db(), "SELECT count(*) FROM standings WHERE is_playoff_team").get<std::size_t>());
    EXPECT_EQ(http_.get("players", {{"full_name", "eq.x' OR '1'='1"}}).json(), nlohmann::json::array())
        << "values never become SQL";
}

TEST_F(QuerySemantics, selectListsAliasesStarLimitsAndTheRowCap) {
    const auto rows = nlohmann::ordered_json::parse(
        http_.get("games", {{"select", "id,week,*,kickoff:gametime"}, {"limit", "1"}}).body);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].begin().key(), "id");
    EXPECT_EQ(rows[0].size(), Schema::instance().table("games")->columns.size() + 1)
        << "each key once, plus the alias";
    EXPECT_EQ(rows[0]["kickoff"], rows[0]["gametime"]);

    const auto limited = http_.get("players", {{"select", "id"}, {"limit", "3"}});
    EXPECT_EQ(limited.json().size(), 3u);
    EXPECT_EQ(limited.headers.find("Content-Range")->second, "0-2/*");
    EXPECT_EQ(http_.get("players", {{"select", "id"}, {"limit", "0"}}).json(), nlohmann::json::array());

    ServerOptions options;
    options.maxRows = 5;
    BackendServer capped(tinyLeague(), options);
    Http http(capped);
    EXPECT_EQ(http.get("players", {{"select", "id"}}).json().size(), 5u);
    EXPECT_EQ(http.get("players", {{"select", "id"}, {"limit", "50"}}).json().size(), 5u);
}

TEST_F(QuerySemantics, keyMustTravelInBothHeaders) {
    const Items items = {{"select", "id"}, {"limit", "1"}};
    const std::string key = server_.anonKey();
    for (const auto& [method, headers] : std::vector<std::pair<std::string, httplib::Headers>>{
             {"GET", {}},
             {"HEAD", {}},
             {"GET", {{"apikey", key}}},
             {"GET", {{"apikey", "other"}, {"Authorization", "Bearer other"}}},
             {"GET", {{"apikey", key}, {"Authorization", "Bearer other"}}},
             {"GET", {{"apikey", "other"}, {"Authorization", "Bearer " + key}}},
         }) {
        const Reply reply = http_.send(method, "/rest/v1/players", items, headers, false);
        EXPECT_EQ(reply.status, 401) << method << " with " << headers.size() << " headers";
        if (method == "GET") {
            EXPECT_TRUE(reply.json().contains("message"));
        }
    }
    EXPECT_EQ(Http(server_, "other").rpc("search_players", R"({"query_text":"ab"})").status, 401);
    EXPECT_EQ(http_.send("GET", "/rest/v1/players", items).status, 200);
}

TEST_F(QuerySemantics, clearErrorsForWhatDoesNotExist) {
    const std::vector<std::tuple<std::string, Items, int, std::string>> cases = {
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
    for (const auto& [table, items, status, code] : cases) {
        SCOPED_TRACE(target(table, items));
        const Reply reply = http_.get(table, items);
        EXPECT_EQ(reply.status, status);
        const auto body = reply.json();
        EXPECT_EQ(body["code"], code);
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
