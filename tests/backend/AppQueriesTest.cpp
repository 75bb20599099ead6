// Sends the app's exact queries over HTTP and checks each answer's shape, types and content against the data.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace huddlepod::backend::testing {
namespace {

// "int", "number", "text", "bool", "uuid", "date", "object", "array"; a trailing "?" allows null.
void expectType(const nlohmann::json& row, const std::string& key, std::string type) {
    SCOPED_TRACE(key + " in " + row.dump().substr(0, 300));
    ASSERT_TRUE(row.contains(key));
    const auto& value = row.at(key);
    const bool nullable = !type.empty() && type.back() == '?';
    if (nullable) {
        type.pop_back();
        if (value.is_null()) {
            return;
        }
    }
    static const std::regex uuid("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
    static const std::regex date("^[0-9]{4}-[0-9]{2}-[0-9]{2}$");
    if (type == "int") {
        EXPECT_TRUE(value.is_number_integer());
    } else if (type == "number") {
        EXPECT_TRUE(value.is_number());
    } else if (type == "text") {
        EXPECT_TRUE(value.is_string());
    } else if (type == "bool") {
        EXPECT_TRUE(value.is_boolean());
    } else if (type == "uuid") {
        ASSERT_TRUE(value.is_string());
        EXPECT_TRUE(std::regex_match(value.get<std::string>(), uuid));
    } else if (type == "date") {
        ASSERT_TRUE(value.is_string());
        EXPECT_TRUE(std::regex_match(value.get<std::string>(), date));
    } else if (type == "object") {
        EXPECT_TRUE(value.is_object());
    } else if (type == "array") {
        EXPECT_TRUE(value.is_array());
    } else {
        FAIL() << "unknown type " << type;
    }
}

void expectTypes(const nlohmann::json& row, const std::vector<std::pair<std::string, std::string>>& types) {
    for (const auto& [key, type] : types) {
        expectType(row, key, type);
    }
}

class AppQueries : public ::testing::Test {
protected:
    AppQueries()
        : server_(tinyLeague())
        , http_(server_) {}

    const LeagueDatabase& db() const { return *tinyLeague(); }

    // A player with several seasons of passing, the richest subject for the card queries.
    std::string quarterback() const {
        return one(db(), "SELECT player_id FROM player_passing GROUP BY player_id ORDER BY count(*) DESC, "
                         "player_id LIMIT 1");
    }

    BackendServer server_;
    Http http_;
};

TEST_F(AppQueries, searchPlayersAnswersSearchResultRows) {
    const std::string fullName =
        one(db(), "SELECT full_name FROM player_search WHERE career_start IS NOT NULL "
                  "ORDER BY career_av DESC LIMIT 1");
    const std::string lastName = one(db(), "SELECT last_name FROM players WHERE full_name = ?", {fullName});

    const Reply exact = http_.rpc("search_players", nlohmann::json({{"query_text", fullName}}).dump());
    ASSERT_EQ(exact.status, 200);
    const auto rows = exact.json();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0]["full_name"], fullName);
    for (const auto& row : rows) {
        expectTypes(row, {{"id", "uuid"},
                          {"full_name", "text"},
                          {"primary_position", "text?"},
                          {"career_start", "int?"},
                          {"career_end", "int?"},
                          {"is_hof", "bool"},
                          {"is_active", "bool"},
                          {"teams", "array"},
                          {"draft_year", "int?"},
                          {"draft_team_abbr", "text?"},
                          {"draft_team_name", "text?"},
                          {"draft_team_city", "text?"},
                          {"draft_team_logo_url", "text?"}});
        for (const auto& team : row["teams"]) {
            expectTypes(team, {{"abbr", "text"},
                               {"name", "text?"},
                               {"city", "text?"},
                               {"logo_url", "text?"},
                               {"year", "int?"}});
        }
    }

    std::string shouted = lastName;
    for (auto& c : shouted) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto byLastName =
        http_.rpc("search_players", nlohmann::json({{"query_text", "  " + shouted}}).dump()).json();
    ASSERT_LE(byLastName.size(), 25u);
    bool found = false;
    for (const auto& row : byLastName) {
        found = found || row["full_name"] == fullName;
    }
    EXPECT_TRUE(found) << "a name part in other letter case finds the player";

    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"zzqxv"})").json(), nlohmann::json::array());
}

TEST_F(AppQueries, playerBiographyHasEveryRecordKeyTyped) {
    const std::string id = quarterback();
    const Reply reply = http_.get("players", {{"id", "eq." + id}, {"limit", "1"}});
    ASSERT_EQ(reply.status, 200);
    const auto rows = reply.json();
    ASSERT_EQ(rows.size(), 1u);
    expectTypes(rows[0], {{"id", "uuid"},
                          {"first_name", "text?"},
                          {"last_name", "text?"},
                          {"full_name", "text"},
                          {"birth_date", "date?"},
                          {"birth_city", "text?"},
                          {"birth_state", "text?"},
                          {"college", "text?"},
                          {"high_school", "text?"},
                          {"high_school_city", "text?"},
                          {"high_school_state", "text?"},
                          {"height_inches", "int?"},
                          {"weight_lbs", "int?"},
                          {"draft_age", "int?"},
                          {"career_av", "int?"},
                          {"pfr_position", "text?"},
                          {"throws", "text?"},
                          {"nickname", "text?"},
                          {"uniform_numbers", "text?"},
                          {"is_hof", "bool"},
                          {"is_all_pro", "bool"},
                          {"all_pro_history", "array?"},
                          {"headshot_url", "text?"}});
    EXPECT_EQ(rows[0]["id"], id);

    const std::string upper = [&] {
        std::string text = id;
        for (auto& c : text) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return text;
    }();
    EXPECT_EQ(http_.get("players", {{"id", "eq." + upper}, {"limit", "1"}}).json(), rows)
        << "UUIDs match in any case";
    EXPECT_EQ(
        http_.get("players", {{"id", "eq.00000000-0000-4000-8000-000000000000"}, {"limit", "1"}}).json(),
        nlohmann::json::array());
}

TEST_F(AppQueries, allProHistoryEntriesAreTyped) {
    const std::string id = one(db(), "SELECT id FROM players WHERE all_pro_history IS NOT NULL LIMIT 1");
    ASSERT_FALSE(id.empty());
    const auto rows = http_.get("players", {{"id", "eq." + id}, {"limit", "1"}}).json();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0]["is_all_pro"].get<bool>());
    ASSERT_FALSE(rows[0]["all_pro_history"].empty());
    for (const auto& entry : rows[0]["all_pro_history"]) {
        expectTypes(entry,
                    {{"year", "int"}, {"team_level", "text"}, {"team_abbr", "text"}, {"position", "text"}});
    }
}

TEST_F(AppQueries, seasonTablesComeInYearThenSeasonTypeOrder) {
    const std::string id = quarterback();
    const std::vector<std::string> families = {"player_passing", "player_rushing_receiving", "player_defense",
                                               "player_kicking", "player_punting",           "player_returns",
                                               "player_scoring"};
    for (const auto& family : families) {
        SCOPED_TRACE(family);
        const Reply reply =
            http_.get(family, {{"player_id", "eq." + id}, {"order", "year.asc,season_type.asc"}});
        ASSERT_EQ(reply.status, 200);
        const auto rows = reply.json();
        EXPECT_EQ(
            rows.size(),
            one(db(), "SELECT count(*) FROM " + family + " WHERE player_id = ?", {id}).get<std::size_t>());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            expectTypes(rows[i], {{"id", "uuid"},
                                  {"year", "int"},
                                  {"season_type", "text"},
                                  {"team_abbr", "text?"},
                                  {"pos", "text?"},
                                  {"age", "int?"},
                                  {"games", "int?"},
                                  {"games_started", "int?"}});
            const std::string type = rows[i]["season_type"];
            EXPECT_TRUE(type == "regular" || type == "postseason");
            if (i > 0) {
                const auto previous = std::make_pair(rows[i - 1]["year"].get<int>(),
                                                     rows[i - 1]["season_type"].get<std::string>());
                EXPECT_LE(previous, std::make_pair(rows[i]["year"].get<int>(), type));
            }
        }
    }
    const auto passing =
        http_.get("player_passing", {{"player_id", "eq." + id}, {"order", "year.asc,season_type.asc"}})
            .json();
    ASSERT_FALSE(passing.empty());
    expectTypes(
        passing[0],
        {{"qb_rec", "text?"}, {"pass_att", "int?"}, {"pass_cmp_pct", "number?"}, {"pass_rating", "number?"}});
    EXPECT_TRUE(passing[0]["pass_cmp_pct"].is_null() || passing[0]["pass_cmp_pct"].get<double>() > 1.0)
        << "percentages are in percent units";
}

TEST_F(AppQueries, hallOfFameRowForAnInductee) {
    const std::string id = one(db(), "SELECT player_id FROM hall_of_fame LIMIT 1");
    ASSERT_FALSE(id.empty());
    const auto rows = http_.get("hall_of_fame", {{"player_id", "eq." + id}, {"limit", "1"}}).json();
    ASSERT_EQ(rows.size(), 1u);
    expectTypes(rows[0], {{"induction_year", "int?"},
                          {"position", "text?"},
                          {"pro_bowls", "int?"},
                          {"first_team_all_pro", "int?"}});
    EXPECT_EQ(http_.get("hall_of_fame", {{"player_id", "eq." + quarterback()}, {"limit", "1"}}).json().size(),
              one(db(), "SELECT count(*) FROM hall_of_fame WHERE player_id = ?", {quarterback()})
                  .get<std::size_t>());
}

TEST_F(AppQueries, gameLogReadsKeepOnlyTheYearInDateOrder) {
    const auto subject =
        db().query("SELECT o.player_id, g.year FROM game_player_offense o JOIN games g ON g.id = o.game_id "
                   "GROUP BY o.player_id, g.year ORDER BY count(*) DESC LIMIT 1");
    ASSERT_EQ(subject.size(), 1u);
    const std::string id = subject[0]["player_id"];
    const int year = subject[0]["year"];
    const std::string select = "game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_abbr,"
                               "away_team_abbr,home_score,away_score),*";
    for (const std::string table :
         {"game_player_offense", "game_player_defense", "game_player_kicking", "game_player_returns"}) {
        SCOPED_TRACE(table);
        const Reply reply = http_.get(table, {{"player_id", "eq." + id},
                                              {"select", select},
                                              {"games.year", "eq." + std::to_string(year)},
                                              {"order", "games(game_date).asc"}});
        ASSERT_EQ(reply.status, 200);
        const auto rows = reply.json();
        EXPECT_EQ(rows.size(),
                  one(db(),
                      "SELECT count(*) FROM " + table +
                          " t JOIN games g ON g.id = t.game_id WHERE t.player_id = ? AND g.year = ?",
                      {id, std::int64_t{year}})
                      .get<std::size_t>());
        std::string previous;
        for (const auto& row : rows) {
            expectTypes(
                row,
                {{"game_id", "uuid"}, {"team_abbr", "text?"}, {"games", "object"}, {"player_id", "uuid"}});
            const auto& game = row["games"];
            expectTypes(game, {{"year", "int"},
                               {"week", "text"},
                               {"game_date", "date?"},
                               {"season_type", "text"},
                               {"home_team_abbr", "text?"},
                               {"away_team_abbr", "text?"},
                               {"home_score", "int?"},
                               {"away_score", "int?"}});
            EXPECT_EQ(game["year"], year);
            EXPECT_LE(previous, game["game_date"].get<std::string>());
            previous = game["game_date"];
        }
    }
    const auto offense = http_
                             .get("game_player_offense", {{"player_id", "eq." + id},
                                                          {"select", select},
                                                          {"games.year", "eq." + std::to_string(year)},
                                                          {"order", "games(game_date).asc"}})
                             .json();
    ASSERT_FALSE(offense.empty());
    expectTypes(
        offense[0],
        {{"pass_att", "int?"}, {"pass_rating", "number?"}, {"rush_yds", "int?"}, {"fumbles", "int?"}});
    EXPECT_EQ(http_
                  .get("game_player_offense", {{"player_id", "eq." + id},
                                               {"select", select},
                                               {"games.year", "eq.1900"},
                                               {"order", "games(game_date).asc"}})
                  .json(),
              nlohmann::json::array());
}

TEST_F(AppQueries, seasonContextQueries) {
    const int year = one(db(), "SELECT max(year) FROM standings s JOIN seasons y ON y.id = s.season_id");
    const auto seasons = http_
                             .get("seasons", {{"year", "eq." + std::to_string(year)},
                                              {"select", "id,year,playoff_teams_per_conference"},
                                              {"limit", "1"}})
                             .json();
    ASSERT_EQ(seasons.size(), 1u);
    expectTypes(seasons[0], {{"id", "uuid"}, {"year", "int"}, {"playoff_teams_per_conference", "int?"}});
    EXPECT_EQ(seasons[0].size(), 3u) << "only the selected columns";

    const auto history =
        http_
            .get("team_division_history",
                 {{"select", "team_id,divisions!inner(name,abbreviation,conferences!inner(abbreviation))"},
                  {"start_year", "lte." + std::to_string(year)},
                  {"or", "(end_year.is.null,end_year.gte." + std::to_string(year) + ")"}})
            .json();
    EXPECT_EQ(history.size(), one(db(), "SELECT count(*) FROM standings WHERE season_id = ?",
                                  {seasons[0]["id"].get<std::string>()})
                                  .get<std::size_t>())
        << "one division per team of the season";
    for (const auto& row : history) {
        expectTypes(row, {{"team_id", "uuid"}, {"divisions", "object"}});
        expectTypes(row["divisions"],
                    {{"name", "text?"}, {"abbreviation", "text?"}, {"conferences", "object"}});
        expectTypes(row["divisions"]["conferences"], {{"abbreviation", "text?"}});
    }

    EXPECT_EQ(http_
                  .get("standings",
                       {{"select", "seasons!inner(year)"}, {"order", "seasons(year).desc"}, {"limit", "1"}})
                  .json(),
              nlohmann::json::parse(R"([{"seasons":{"year":)" + std::to_string(year) + "}}]"));
    EXPECT_EQ(http_.get("drafts", {{"select", "year"}, {"order", "year.desc"}, {"limit", "1"}}).json(),
              nlohmann::json::parse(R"([{"year":)" + std::to_string(year) + "}]"));

    const auto standings =
        http_
            .get("standings",
                 {{"season_id", "eq." + seasons[0]["id"].get<std::string>()},
                  {"select",
                   "wins,losses,ties,win_pct,points_for,points_against,point_differential,division_rank,"
                   "conference_seed,is_division_winner,is_playoff_team,teams!inner(id,current_abbreviation,"
                   "current_name,current_city)"},
                  {"order", "division_rank.asc"}})
            .json();
    ASSERT_EQ(standings.size(), history.size());
    int previousRank = 0;
    for (const auto& row : standings) {
        expectTypes(row, {{"wins", "int"},
                          {"losses", "int"},
                          {"ties", "int"},
                          {"win_pct", "number"},
                          {"points_for", "int"},
                          {"points_against", "int"},
                          {"point_differential", "int"},
                          {"division_rank", "int"},
                          {"conference_seed", "int?"},
                          {"is_division_winner", "bool"},
                          {"is_playoff_team", "bool"},
                          {"teams", "object"}});
        expectTypes(row["teams"], {{"id", "uuid"},
                                   {"current_abbreviation", "text"},
                                   {"current_name", "text"},
                                   {"current_city", "text"}});
        EXPECT_LE(row["win_pct"].get<double>(), 1.0) << "winning percentage is a fraction";
        EXPECT_LE(previousRank, row["division_rank"].get<int>());
        previousRank = row["division_rank"];
    }
}

TEST_F(AppQueries, championsEmbedAliasesHintsAndTheGame) {
    const std::string select = "super_bowl_number,roman_numeral,mvp_name,mvp_position,seasons!inner(year),"
                               "mvp:players!super_bowls_mvp_player_id_fkey(id,"
                               "full_name),co_mvp:players!super_bowls_co_mvp_player_id_fkey(id,full_name),"
                               "playoff_games(home_score,away_score,"
                               "winner_team_id,home:teams!playoff_games_home_team_id_fkey(id,current_"
                               "abbreviation),away:teams!playoff_games_away_"
                               "team_id_fkey(id,current_abbreviation))";
    ASSERT_EQ(select.size(), 381u);
    const auto rows =
        http_.get("super_bowls", {{"select", select}, {"order", "super_bowl_number.desc"}, {"limit", "60"}})
            .json();
    ASSERT_EQ(rows.size(), one(db(), "SELECT count(*) FROM super_bowls").get<std::size_t>());
    bool sawCoMvp = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        expectTypes(row, {{"super_bowl_number", "int"},
                          {"roman_numeral", "text"},
                          {"mvp_name", "text?"},
                          {"mvp_position", "text?"},
                          {"seasons", "object"},
                          {"mvp", "object?"},
                          {"co_mvp", "object?"},
                          {"playoff_games", "object"}});
        const auto& game = row["playoff_games"];
        expectTypes(game, {{"home_score", "int"},
                           {"away_score", "int"},
                           {"winner_team_id", "uuid"},
                           {"home", "object"},
                           {"away", "object"}});
        EXPECT_EQ(game["home"].size(), 2u);
        EXPECT_TRUE(game["winner_team_id"] == game["home"]["id"] ||
                    game["winner_team_id"] == game["away"]["id"]);
        EXPECT_EQ(row["mvp"]["full_name"], row["mvp_name"]);
        sawCoMvp = sawCoMvp || !row["co_mvp"].is_null();
        if (i > 0) {
            EXPECT_GT(rows[i - 1]["super_bowl_number"].get<int>(), row["super_bowl_number"].get<int>());
        }
    }
    EXPECT_TRUE(sawCoMvp) << "one season has two winners";
}

TEST_F(AppQueries, draftRoundPicksFilterOnTheEmbeddedDraftYear) {
    const int year = one(db(), "SELECT min(year) FROM drafts");
    EXPECT_EQ(
        http_.get("drafts", {{"select", "rounds"}, {"year", "eq." + std::to_string(year)}, {"limit", "1"}})
            .json(),
        nlohmann::json::parse(
            R"([{"rounds":)" +
            one(db(), "SELECT rounds FROM drafts WHERE year = ?", {std::int64_t{year}}).dump() + "}]"));
    const std::string select =
        "round,pick_overall,drafts!inner(year),teams:teams!draft_picks_team_id_fkey(id,current_abbreviation),"
        "players(id,full_name,college),positions(abbreviation)";
    ASSERT_EQ(select.size(), 153u);
    const auto rows = http_
                          .get("draft_picks", {{"select", select},
                                               {"drafts.year", "eq." + std::to_string(year)},
                                               {"round", "eq.2"},
                                               {"order", "pick_overall.asc"}})
                          .json();
    ASSERT_EQ(rows.size(), one(db(),
                               "SELECT count(*) FROM draft_picks p JOIN drafts d ON d.id = p.draft_id WHERE "
                               "d.year = ? AND round = 2",
                               {std::int64_t{year}})
                               .get<std::size_t>());
    ASSERT_FALSE(rows.empty());
    int previous = 0;
    for (const auto& row : rows) {
        expectTypes(row, {{"round", "int"},
                          {"pick_overall", "int"},
                          {"drafts", "object"},
                          {"teams", "object"},
                          {"players", "object"},
                          {"positions", "object"}});
        EXPECT_EQ(row["round"], 2);
        EXPECT_EQ(row["drafts"]["year"], year);
        expectTypes(row["players"], {{"id", "uuid"}, {"full_name", "text"}, {"college", "text?"}});
        EXPECT_LT(previous, row["pick_overall"].get<int>());
        previous = row["pick_overall"];
    }
}

TEST_F(AppQueries, scheduleOfAPlayedAndOfTheFutureSeason) {
    const std::string select = "id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,"
                               "home_score,away_score,tv_network";
    ASSERT_EQ(select.size(), 106u);
    const int first = one(db(), "SELECT min(year) FROM games");
    const int last = one(db(), "SELECT max(year) FROM games");
    EXPECT_EQ(
        http_.get("games", {{"select", "year"}, {"order", "year.asc"}, {"limit", "1"}}).json()[0]["year"],
        first);
    EXPECT_EQ(
        http_.get("games", {{"select", "year"}, {"order", "year.desc"}, {"limit", "1"}}).json()[0]["year"],
        last);
    for (const int year : {first, last}) {
        const auto rows = http_
                              .get("games", {{"select", select},
                                             {"year", "eq." + std::to_string(year)},
                                             {"order", "game_date.asc,gametime.asc"},
                                             {"limit", "600"}})
                              .json();
        ASSERT_EQ(
            rows.size(),
            one(db(), "SELECT count(*) FROM games WHERE year = ?", {std::int64_t{year}}).get<std::size_t>());
        std::pair<std::string, std::string> previous;
        for (const auto& row : rows) {
            expectTypes(row, {{"id", "uuid"},
                              {"week", "text"},
                              {"game_date", "date"},
                              {"gametime", "text"},
                              {"game_day_of_week", "text"},
                              {"home_team_abbr", "text"},
                              {"away_team_abbr", "text"},
                              {"home_score", "int?"},
                              {"away_score", "int?"},
                              {"tv_network", "text?"}});
            const auto key =
                std::make_pair(row["game_date"].get<std::string>(), row["gametime"].get<std::string>());
            EXPECT_LE(previous, key);
            previous = key;
            EXPECT_EQ(row["home_score"].is_null(), year == last)
                << "the future season has times but no scores";
        }
    }
}

TEST_F(AppQueries, awardsAndAllLeagueTeams) {
    const int year = one(db(), "SELECT max(y.year) FROM awards a JOIN seasons y ON y.id = a.season_id");
    const std::string yearFilter = "eq." + std::to_string(year);
    const std::string winnersSelect = "ranking,vote_percentage,award_types!inner(abbreviation,name,sort_"
                                      "order),players!inner(id,full_name),positions(abbreviation,"
                                      "position_group,sort_order),teams:teams!awards_team_id_fkey(id,current_"
                                      "abbreviation,current_name,current_city),seasons!inner(year)";
    ASSERT_EQ(winnersSelect.size(), 252u);
    const auto winners = http_
                             .get("awards", {{"select", winnersSelect},
                                             {"seasons.year", yearFilter},
                                             {"ranking", "eq.1"},
                                             {"order", "award_types(sort_order).asc"}})
                             .json();
    ASSERT_FALSE(winners.empty());
    int previousOrder = 0;
    for (const auto& row : winners) {
        expectTypes(row, {{"ranking", "int"},
                          {"vote_percentage", "number"},
                          {"award_types", "object"},
                          {"players", "object"},
                          {"positions", "object"},
                          {"teams", "object"},
                          {"seasons", "object"}});
        EXPECT_EQ(row["ranking"], 1);
        EXPECT_EQ(row["seasons"]["year"], year);
        EXPECT_GT(row["vote_percentage"].get<double>(), 1.0) << "vote shares are in percent units";
        EXPECT_LT(previousOrder, row["award_types"]["sort_order"].get<int>());
        previousOrder = row["award_types"]["sort_order"];
    }
    EXPECT_EQ(http_
                  .get("awards",
                       {{"select", "seasons!inner(year)"}, {"order", "seasons(year).desc"}, {"limit", "1"}})
                  .json()[0]["seasons"]["year"],
              year);

    const std::string allProSelect =
        "team_level,players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),"
        "teams:teams!all_pro_selections_team_"
        "id_fkey(id,current_abbreviation,current_name,current_city),seasons!inner(year)";
    ASSERT_EQ(allProSelect.size(), 209u);
    const auto allPro =
        http_.get("all_pro_selections", {{"select", allProSelect}, {"seasons.year", yearFilter}}).json();
    ASSERT_FALSE(allPro.empty());
    for (const auto& row : allPro) {
        expectTypes(
            row,
            {{"team_level", "text"}, {"players", "object"}, {"positions", "object"}, {"teams", "object"}});
        EXPECT_TRUE(row["team_level"] == "first_team" || row["team_level"] == "second_team");
        expectTypes(row["positions"],
                    {{"abbreviation", "text"}, {"position_group", "text"}, {"sort_order", "int"}});
    }

    const std::string rookieSelect =
        "players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),teams!inner(id,"
        "current_abbreviation,current_name,current_city),seasons!inner(year)";
    ASSERT_EQ(rookieSelect.size(), 166u);
    const auto rookies =
        http_.get("all_rookie_selections", {{"select", rookieSelect}, {"seasons.year", yearFilter}}).json();
    ASSERT_EQ(rookies.size(), one(db(),
                                  "SELECT count(*) FROM all_rookie_selections r JOIN seasons y ON y.id = "
                                  "r.season_id WHERE y.year = ?",
                                  {std::int64_t{year}})
                                  .get<std::size_t>());
    for (const auto& row : rookies) {
        EXPECT_FALSE(row.contains("team_level"));
        EXPECT_EQ(row["seasons"]["year"], year);
    }
}

TEST_F(AppQueries, warmUpHeadAnswersWithoutABody) {
    const Reply reply = http_.head("players", {{"select", "id"}, {"limit", "1"}});
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body.empty());
    const Reply get = http_.get("players", {{"select", "id"}, {"limit", "1"}});
    EXPECT_EQ(get.json().size(), 1u);
}

} // namespace
} // namespace huddlepod::backend::testing
