// Sends the app's exact queries over HTTP and checks each answer against the data: how many rows, in what
// order, the JSON types its decoders depend on, and what the screens rely on.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace huddlepod::backend::testing {
namespace {

class AppQueries : public ::testing::Test {
protected:
    AppQueries()
        : server_(tinyLeague())
        , http_(server_) {}

    const LeagueDatabase& db() const { return *tinyLeague(); }
    std::string text(const std::string& sql) const { return one(db(), sql); }
    int number(const std::string& sql) const { return one(db(), sql); }

    BackendServer server_;
    Http http_;
};

TEST_F(AppQueries, searchFindsNamesInAnyCaseAndAnswersSearchResultRows) {
    const std::string fullName = text("SELECT full_name FROM player_search WHERE career_start IS NOT NULL "
                                      "ORDER BY career_av DESC LIMIT 1");
    const std::string lastName = one(db(), "SELECT last_name FROM players WHERE full_name = ?", {fullName});
    std::string shouted = lastName;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](unsigned char c) { return std::toupper(c); });

    const auto rows = http_.rpc("search_players", nlohmann::json({{"query_text", fullName}}).dump()).json();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0]["full_name"], fullName);
    for (const auto& row : rows) {
        expectTypes(row, "id:uuid career_start:int? is_hof:bool is_active:bool teams:array draft_year:int?");
        for (const auto& team : row["teams"]) {
            expectTypes(team, "abbr:text year:int?");
        }
    }

    const auto byLastName =
        http_.rpc("search_players", nlohmann::json({{"query_text", "  " + shouted}}).dump()).json();
    EXPECT_TRUE(std::any_of(byLastName.begin(), byLastName.end(),
                            [&](const auto& row) { return row["full_name"] == fullName; }));
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"zzqxv"})").json(), nlohmann::json::array());
}

TEST_F(AppQueries, everyReadAnswersTheRowsOfTheDataInTheOrderAsked) {
    const std::string quarterback = text("SELECT player_id FROM player_passing GROUP BY player_id "
                                         "ORDER BY count(*) DESC, player_id LIMIT 1");
    const std::string allPro = text("SELECT id FROM players WHERE all_pro_history IS NOT NULL LIMIT 1");
    const std::string inductee = text("SELECT player_id FROM hall_of_fame LIMIT 1");
    const auto busiest =
        db().query("SELECT o.player_id, g.year FROM game_player_offense o JOIN games g "
                   "ON g.id = o.game_id GROUP BY o.player_id, g.year ORDER BY count(*) DESC LIMIT 1");
    const std::string logPlayer = busiest.at(0)["player_id"];
    const std::int64_t logYear = busiest.at(0)["year"];
    const std::int64_t played =
        number("SELECT max(year) FROM standings s JOIN seasons y ON y.id = s.season_id");
    const std::string season = one(db(), "SELECT id FROM seasons WHERE year = ?", {played});
    const std::int64_t firstDraft = number("SELECT min(year) FROM drafts");
    const std::int64_t firstGames = number("SELECT min(year) FROM games");
    const std::int64_t future = number("SELECT max(year) FROM games");
    const std::int64_t honoured =
        number("SELECT max(y.year) FROM awards a JOIN seasons y ON y.id = a.season_id");
    auto str = [](std::int64_t year) { return std::to_string(year); };

    int coMvps = 0;
    std::vector<Read> reads = {
        {"players",
         "id=eq." + allPro + "&limit=1",
         {"SELECT 1", {}},
         "",
         "id:uuid birth_date:date? height_inches:int? is_hof:bool is_all_pro:bool all_pro_history:array "
         "all_pro_history.0.year:int all_pro_history.0.team_level:text",
         [&](const nlohmann::json& row) { EXPECT_EQ(row["id"], allPro); }},
        {"hall_of_fame",
         "player_id=eq." + inductee + "&limit=1",
         {"SELECT 1", {}},
         "",
         "induction_year:int? first_team_all_pro:int?"},
        {"seasons",
         "year=eq." + str(played) + "&select=id,year,playoff_teams_per_conference&limit=1",
         {"SELECT 1", {}},
         "",
         "id:uuid playoff_teams_per_conference:int?",
         [](const nlohmann::json& row) { EXPECT_EQ(row.size(), 3u) << "only the selected columns"; }},
        {"team_division_history",
         "select=team_id,divisions!inner(name,abbreviation,conferences!inner(abbreviation))&start_year=lte." +
             str(played) + "&or=(end_year.is.null,end_year.gte." + str(played) + ")",
         {"SELECT count(*) FROM standings WHERE season_id = ?", {season}},
         "",
         "team_id:uuid divisions.conferences.abbreviation:text?"},
        {"standings",
         "season_id=eq." + season +
             "&select=wins,losses,ties,win_pct,points_for,points_against,point_differential,division_rank,"
             "conference_seed,is_division_winner,is_playoff_team,teams!inner(id,current_abbreviation,current_"
             "name,"
             "current_city)&order=division_rank.asc",
         {"SELECT count(*) FROM standings WHERE season_id = ?", {season}},
         "division_rank",
         "wins:int win_pct:number conference_seed:int? is_division_winner:bool is_playoff_team:bool "
         "teams.id:uuid",
         [](const nlohmann::json& row) { EXPECT_LE(row["win_pct"].get<double>(), 1.0) << "a fraction"; }},
        {"super_bowls",
         "select=super_bowl_number,roman_numeral,mvp_name,mvp_position,seasons!inner(year),mvp:players!super_"
         "bowls_mvp_player_id_fkey(id,full_name),co_mvp:players!super_bowls_co_mvp_player_id_fkey(id,full_"
         "name),"
         "playoff_games(home_score,away_score,winner_team_id,home:teams!playoff_games_home_team_id_fkey(id,"
         "current_abbreviation),away:teams!playoff_games_away_team_id_fkey(id,current_abbreviation))&order="
         "super_"
         "bowl_number.desc&limit=60",
         {"SELECT count(*) FROM super_bowls", {}},
         "-super_bowl_number",
         "co_mvp:object? playoff_games.home_score:int playoff_games.winner_team_id:uuid",
         [&](const nlohmann::json& row) {
             coMvps += row["co_mvp"].is_null() ? 0 : 1;
             const auto& game = row["playoff_games"];
             EXPECT_EQ(game["home"].size(), 2u);
             EXPECT_TRUE(game["winner_team_id"] == game["home"]["id"] ||
                         game["winner_team_id"] == game["away"]["id"]);
             EXPECT_EQ(row["mvp"]["full_name"], row["mvp_name"]);
         }},
        {"drafts",
         "select=rounds&year=eq." + str(firstDraft) + "&limit=1",
         {"SELECT 1", {}},
         "",
         "",
         [&](const nlohmann::json& row) {
             EXPECT_EQ(row["rounds"], one(db(), "SELECT rounds FROM drafts WHERE year = ?", {firstDraft}));
         }},
        {"draft_picks",
         "select=round,pick_overall,drafts!inner(year),teams:teams!draft_picks_team_id_fkey(id,current_"
         "abbreviation),players(id,full_name,college),positions(abbreviation)&drafts.year=eq." +
             str(firstDraft) + "&round=eq.2&order=pick_overall.asc",
         {"SELECT count(*) FROM draft_picks p JOIN drafts d ON d.id = p.draft_id WHERE d.year = ? AND round "
          "= 2",
          {firstDraft}},
         "pick_overall",
         "round:int players.id:uuid teams.current_abbreviation:text positions:object"},
        {"awards",
         "select=ranking,vote_percentage,award_types!inner(abbreviation,name,sort_order),players!inner(id,"
         "full_"
         "name),positions(abbreviation,position_group,sort_order),teams:teams!awards_team_id_fkey(id,current_"
         "abbreviation,current_name,current_city),seasons!inner(year)&seasons.year=eq." +
             str(honoured) + "&ranking=eq.1&order=award_types(sort_order).asc",
         {"SELECT count(*) FROM awards a JOIN seasons y ON y.id = a.season_id WHERE y.year = ? AND ranking = "
          "1",
          {honoured}},
         "award_types.sort_order",
         "vote_percentage:number players.id:uuid teams:object",
         [](const nlohmann::json& row) {
             EXPECT_GT(row["vote_percentage"].get<double>(), 1.0) << "vote shares are in percent units";
         }},
        {"all_pro_selections",
         "select=team_level,players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_"
         "order),"
         "teams:teams!all_pro_selections_team_id_fkey(id,current_abbreviation,current_name,current_city),"
         "seasons!inner(year)&seasons.year=eq." +
             str(honoured),
         {"SELECT count(*) FROM all_pro_selections a JOIN seasons y ON y.id = a.season_id WHERE y.year = ?",
          {honoured}},
         "",
         "positions.sort_order:int",
         [](const nlohmann::json& row) {
             EXPECT_TRUE(row["team_level"] == "first_team" || row["team_level"] == "second_team");
         }},
        {"all_rookie_selections",
         "select=players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),teams!"
         "inner(id,current_abbreviation,current_name,current_city),seasons!inner(year)&seasons.year=eq." +
             str(honoured),
         {"SELECT count(*) FROM all_rookie_selections r JOIN seasons y ON y.id = r.season_id WHERE y.year = "
          "?",
          {honoured}},
         "",
         "teams.id:uuid",
         [](const nlohmann::json& row) { EXPECT_FALSE(row.contains("team_level")); }},
    };
    for (const std::string family :
         {"player_passing", "player_rushing_receiving", "player_defense", "player_kicking", "player_punting",
          "player_returns", "player_scoring"}) {
        reads.push_back({family,
                         "player_id=eq." + quarterback + "&order=year.asc,season_type.asc",
                         {"SELECT count(*) FROM " + family + " WHERE player_id = ?", {quarterback}},
                         "year season_type",
                         "id:uuid year:int games:int?",
                         [](const nlohmann::json& row) {
                             EXPECT_TRUE(row["season_type"] == "regular" ||
                                         row["season_type"] == "postseason");
                             if (row.contains("pass_cmp_pct") && !row["pass_cmp_pct"].is_null()) {
                                 EXPECT_GT(row["pass_cmp_pct"].get<double>(), 1.0) << "percent units";
                             }
                         }});
    }
    for (const std::string table :
         {"game_player_offense", "game_player_defense", "game_player_kicking", "game_player_returns"}) {
        for (const std::int64_t year : {logYear, std::int64_t{1900}}) {
            reads.push_back(
                {table,
                 "player_id=eq." + logPlayer +
                     "&select=game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_"
                     "abbr,away_team_abbr,home_score,away_score),*&games.year=eq." +
                     str(year) + "&order=games(game_date).asc",
                 {"SELECT count(*) FROM " + table +
                      " t JOIN games g ON g.id = t.game_id WHERE t.player_id = ? AND g.year = ?",
                  {logPlayer, year}},
                 "games.game_date",
                 "game_id:uuid player_id:uuid games.week:text games.home_score:int?"});
        }
    }
    for (const std::int64_t year : {firstGames, future}) {
        reads.push_back(
            {"games",
             "select=id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,home_"
             "score,away_score,tv_network&year=eq." +
                 str(year) + "&order=game_date.asc,gametime.asc&limit=600",
             {"SELECT count(*) FROM games WHERE year = ?", {year}},
             "game_date gametime",
             "id:uuid game_date:date gametime:text home_score:int?",
             [&, year](const nlohmann::json& row) {
                 EXPECT_EQ(row["home_score"].is_null(), year == future) << "the future season";
             }});
    }

    expectReads(http_, db(), reads);
    EXPECT_EQ(coMvps, 1) << "one season has two winners";
}

TEST_F(AppQueries, latestAndEarliestYearsComeFromOneRow) {
    const int played = number("SELECT max(year) FROM standings s JOIN seasons y ON y.id = s.season_id");
    const struct {
        std::string table;
        std::string select;
        std::string order;
        std::string path;
        int year;
    } bounds[] = {
        {"standings", "seasons!inner(year)", "seasons(year).desc", "seasons.year", played},
        {"awards", "seasons!inner(year)", "seasons(year).desc", "seasons.year",
         number("SELECT max(y.year) FROM awards a JOIN seasons y ON y.id = a.season_id")},
        {"drafts", "year", "year.desc", "year", number("SELECT max(year) FROM drafts")},
        {"games", "year", "year.asc", "year", number("SELECT min(year) FROM games")},
        {"games", "year", "year.desc", "year", number("SELECT max(year) FROM games")},
    };
    for (const auto& bound : bounds) {
        SCOPED_TRACE(bound.table + " " + bound.order);
        const auto rows =
            http_.get(bound.table, {{"select", bound.select}, {"order", bound.order}, {"limit", "1"}}).json();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].at(pointer(bound.path)), bound.year);
        EXPECT_EQ(rows[0].size(), 1u);
    }
}

TEST_F(AppQueries, warmUpHeadAnswersWithoutABody) {
    const Reply reply = http_.send("HEAD", "/rest/v1/players", {{"select", "id"}, {"limit", "1"}});
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body.empty());
}

} // namespace
} // namespace huddlepod::backend::testing
