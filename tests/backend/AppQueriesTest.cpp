// Drives the app's own services against the local backend: every request they send is compared whole with
// the request its screen needs, then sent again as sent and its answer checked against the data: how many
// rows, in what order, the JSON types its decoders depend on, and what the screens rely on.
#include "BackendTestSupport.h"

#include "data/LeagueService.h"
#include "data/PlayerService.h"
#include "data/PostgRESTClient.h"
#include "data/SearchService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace huddlepod::backend::testing {
namespace {

using huddlepod::test::waitForTask;

// A request as the backend logged it ("GET /rest/v1/games?select=id&limit=1"), shown as its method and
// path on one line and then each query item, percent-decoded, on a line of its own.
std::string shown(const std::string& logged) {
    const auto question = logged.find('?');
    std::string made = logged.substr(0, question) + "\n";
    if (question == std::string::npos)
        return made;
    const std::string query = logged.substr(question + 1);
    for (std::size_t start = 0; start <= query.size();) {
        const auto end = std::min(query.find('&', start), query.size());
        const std::string item = query.substr(start, end - start);
        const auto equals = item.find('=');
        const auto decoded = [](const std::string& part) {
            return QByteArray::fromPercentEncoding(QByteArray::fromStdString(part)).toStdString();
        };
        made += "  " + decoded(item.substr(0, equals)) + "=" +
                (equals == std::string::npos ? "" : decoded(item.substr(equals + 1))) + "\n";
        start = end + 1;
    }
    return made;
}

// An expected request: "METHOD path", then its query items in the order sent, each "name=value".
struct Sent {
    std::string request;
    std::vector<std::string> items;
};

// `{name}` in a text replaced by its value.
std::string filled(std::string text, const std::map<std::string, std::string>& values) {
    for (const auto& [name, value] : values) {
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
            text.replace(at, name.size(), value);
    }
    return text;
}

std::string shown(const Sent& sent, const std::map<std::string, std::string>& values) {
    std::string made = sent.request + "\n";
    for (const std::string& item : sent.items)
        made += "  " + filled(item, values) + "\n";
    return made;
}

// One operation of the app's services, run once, and the requests it must send.
struct Call {
    std::string what;
    std::function<void()> run;
    std::vector<Sent> sends;
    std::map<std::string, std::string> values = {}; // what the {placeholders} of `sends` stand for
    bool together = false;                          // sent at once, so they arrive in any order
};

// The values of the generated league the calls ask about.
struct Inputs {
    std::string fullName;    // a searched player
    std::string quarterback; // the player with the most passing seasons
    std::string allPro;      // a player with an All-Pro history
    std::string inductee;    // a Hall of Famer
    std::string logPlayer;   // the player and year with the most offense game lines
    std::int64_t logYear = 0;
    std::int64_t played = 0; // the newest season with standings
    std::string season;      // its id
    std::int64_t firstDraft = 0;
    std::int64_t firstGames = 0;
    std::int64_t future = 0; // the scheduled season without scores
    std::int64_t honoured = 0;
};

class AppQueries : public ::testing::Test {
protected:
    AppQueries()
        : server_(tinyLeague())
        , http_(server_) {}

    const LeagueDatabase& db() const { return *tinyLeague(); }
    std::string text(const std::string& sql) const { return one(db(), sql); }
    int number(const std::string& sql) const { return one(db(), sql); }

    Inputs inputs() const {
        Inputs in;
        in.fullName = text("SELECT full_name FROM player_search WHERE career_start IS NOT NULL "
                           "ORDER BY career_av DESC LIMIT 1");
        in.quarterback = text("SELECT player_id FROM player_passing GROUP BY player_id "
                              "ORDER BY count(*) DESC, player_id LIMIT 1");
        in.allPro = text("SELECT id FROM players WHERE all_pro_history IS NOT NULL LIMIT 1");
        in.inductee = text("SELECT player_id FROM hall_of_fame LIMIT 1");
        const auto busiest =
            db().query("SELECT o.player_id, g.year FROM game_player_offense o JOIN games g "
                       "ON g.id = o.game_id GROUP BY o.player_id, g.year ORDER BY count(*) DESC LIMIT 1");
        in.logPlayer = busiest.at(0)["player_id"];
        in.logYear = busiest.at(0)["year"];
        in.played = number("SELECT max(year) FROM standings s JOIN seasons y ON y.id = s.season_id");
        in.season = one(db(), "SELECT id FROM seasons WHERE year = ?", {in.played});
        in.firstDraft = number("SELECT min(year) FROM drafts");
        in.firstGames = number("SELECT min(year) FROM games");
        in.future = number("SELECT max(year) FROM games");
        in.honoured = number("SELECT max(y.year) FROM awards a JOIN seasons y ON y.id = a.season_id");
        return in;
    }

    static QUuid uuid(const std::string& id) { return QUuid::fromString(QString::fromStdString(id)); }

    // Every operation the screens use, with the requests each sends, as the screens need them.
    std::vector<Call> calls(const Inputs& in) {
        const auto family = [](const char* table) {
            return Sent{std::string("GET /rest/v1/") + table,
                        {"player_id=eq.{player}", "order=year.asc,season_type.asc"}};
        };
        const auto gameLines = [](const char* table) {
            return Sent{
                std::string("GET /rest/v1/") + table,
                {"player_id=eq.{player}",
                 "select=game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_abbr,"
                 "away_team_abbr,home_score,away_score),*",
                 "games.year=eq.{year}", "order=games(game_date).asc"}};
        };
        const Sent bio{"GET /rest/v1/players", {"id=eq.{player}", "limit=1"}};
        const Sent hallOfFame{"GET /rest/v1/hall_of_fame", {"player_id=eq.{player}", "limit=1"}};
        const std::vector<Sent> families{family("player_passing"), family("player_rushing_receiving"),
                                         family("player_defense"), family("player_kicking"),
                                         family("player_punting"), family("player_returns"),
                                         family("player_scoring")};
        const std::vector<Sent> gameLog{gameLines("game_player_offense"), gameLines("game_player_defense"),
                                        gameLines("game_player_kicking"), gameLines("game_player_returns")};
        const auto plus = [](std::vector<Sent> sends, const std::vector<Sent>& more) {
            sends.insert(sends.end(), more.begin(), more.end());
            return sends;
        };

        const Sent seasonRow{"GET /rest/v1/seasons",
                             {"year=eq.{year}", "select=id,year,playoff_teams_per_conference", "limit=1"}};
        const Sent divisionHistory{
            "GET /rest/v1/team_division_history",
            {"select=team_id,divisions!inner(name,abbreviation,conferences!inner(abbreviation))",
             "start_year=lte.{year}", "or=(end_year.is.null,end_year.gte.{year})"}};
        const Sent standings{
            "GET /rest/v1/standings",
            {"season_id=eq.{season id}",
             "select=wins,losses,ties,win_pct,points_for,points_against,point_differential,division_rank,"
             "conference_seed,is_division_winner,is_playoff_team,"
             "teams!inner(id,current_abbreviation,current_name,current_city)",
             "order=division_rank.asc"}};
        const auto year = [](std::int64_t value) {
            return std::map<std::string, std::string>{{"{year}", std::to_string(value)}};
        };
        const Sent games{"GET /rest/v1/games",
                         {"select=id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,"
                          "home_score,away_score,tv_network",
                          "year=eq.{year}", "order=game_date.asc,gametime.asc", "limit=600"}};
        const auto str = [](std::int64_t value) { return std::to_string(value); };
        const std::map<std::string, std::string> playedYear{{"{year}", str(in.played)},
                                                            {"{season id}", in.season}};
        const std::map<std::string, std::string> honouredYear = year(in.honoured);

        // Standings of the same season by conference find its context known and send one request.
        auto standingsService = std::make_shared<LeagueService>(client_);
        const auto league = [this](auto operation) {
            return [this, operation] {
                LeagueService service(client_);
                operation(service);
            };
        };
        return {
            {"search",
             [this, in] { waitForTask(search_.search(QString::fromStdString(in.fullName))); },
             {{"POST /rest/v1/rpc/search_players", {}}}},
            {"warm-up",
             [this] { waitForTask(client_->warmUp()); },
             {{"HEAD /rest/v1/players", {"select=id", "limit=1"}}}},
            {"card without the Hall of Fame",
             [this, in] { waitForTask(players_.card(uuid(in.quarterback), false)); },
             plus({bio}, families),
             {{"{player}", in.quarterback}},
             true},
            {"card with the Hall of Fame",
             [this, in] { waitForTask(players_.card(uuid(in.inductee), true)); },
             plus(plus({bio}, families), {hallOfFame}),
             {{"{player}", in.inductee}},
             true},
            {"biography",
             [this, in] { waitForTask(players_.bio(uuid(in.allPro))); },
             {bio},
             {{"{player}", in.allPro}}},
            {"game log",
             [this, in] { waitForTask(players_.gameLog(uuid(in.logPlayer), static_cast<int>(in.logYear))); },
             gameLog,
             {{"{player}", in.logPlayer}, {"{year}", str(in.logYear)}},
             true},
            {"game log of a year without games",
             [this, in] { waitForTask(players_.gameLog(uuid(in.logPlayer), 1900)); },
             gameLog,
             {{"{player}", in.logPlayer}, {"{year}", "1900"}},
             true},
            {"season context",
             league([in](LeagueService& s) { waitForTask(s.seasonContext(static_cast<int>(in.played))); }),
             {seasonRow, divisionHistory},
             playedYear},
            {"standings by division",
             [standingsService, in] {
                 waitForTask(standingsService->standings(static_cast<int>(in.played),
                                                         LeagueService::StandingsGrouping::division));
             },
             {seasonRow, divisionHistory, standings},
             playedYear},
            {"standings by conference of a season already shown",
             [standingsService, in] {
                 waitForTask(standingsService->standings(static_cast<int>(in.played),
                                                         LeagueService::StandingsGrouping::conference));
             },
             {standings},
             playedYear},
            {"newest standings year",
             league([](LeagueService& s) { waitForTask(s.latestStandingsYear()); }),
             {{"GET /rest/v1/standings",
               {"select=seasons!inner(year)", "order=seasons(year).desc", "limit=1"}}}},
            {"newest draft year",
             league([](LeagueService& s) { waitForTask(s.latestDraftYear()); }),
             {{"GET /rest/v1/drafts", {"select=year", "order=year.desc", "limit=1"}}}},
            {"champions",
             league([](LeagueService& s) { waitForTask(s.champions(60)); }),
             {{"GET /rest/v1/super_bowls",
               {"select=super_bowl_number,roman_numeral,mvp_name,mvp_position,seasons!inner(year),"
                "mvp:players!super_bowls_mvp_player_id_fkey(id,full_name),"
                "co_mvp:players!super_bowls_co_mvp_player_id_fkey(id,full_name),"
                "playoff_games(home_score,away_score,winner_team_id,"
                "home:teams!playoff_games_home_team_id_fkey(id,current_abbreviation),"
                "away:teams!playoff_games_away_team_id_fkey(id,current_abbreviation))",
                "order=super_bowl_number.desc", "limit={limit}"}}},
             {{"{limit}", "60"}}},
            {"draft rounds",
             league([in](LeagueService& s) { waitForTask(s.draftRounds(static_cast<int>(in.firstDraft))); }),
             {{"GET /rest/v1/drafts", {"select=rounds", "year=eq.{year}", "limit=1"}}},
             year(in.firstDraft)},
            {"draft round",
             league([in](LeagueService& s) { waitForTask(s.draft(static_cast<int>(in.firstDraft), 2)); }),
             {{"GET /rest/v1/draft_picks",
               {"select=round,pick_overall,drafts!inner(year),"
                "teams:teams!draft_picks_team_id_fkey(id,current_abbreviation),players(id,full_name,college),"
                "positions(abbreviation)",
                "drafts.year=eq.{year}", "round=eq.{round}", "order=pick_overall.asc"}}},
             {{"{year}", str(in.firstDraft)}, {"{round}", "2"}}},
            {"schedule years",
             league([](LeagueService& s) { waitForTask(s.scheduleYearBounds()); }),
             {{"GET /rest/v1/games", {"select=year", "order=year.asc", "limit=1"}},
              {"GET /rest/v1/games", {"select=year", "order=year.desc", "limit=1"}}},
             {},
             true},
            {"schedule of the first season",
             league([in](LeagueService& s) { waitForTask(s.schedule(static_cast<int>(in.firstGames))); }),
             {games},
             year(in.firstGames)},
            {"schedule of the next season",
             league([in](LeagueService& s) { waitForTask(s.schedule(static_cast<int>(in.future))); }),
             {games},
             year(in.future)},
            {"award years",
             league([](LeagueService& s) { waitForTask(s.awardsYearBounds()); }),
             {{"GET /rest/v1/awards", {"select=seasons!inner(year)", "order=seasons(year).asc", "limit=1"}},
              {"GET /rest/v1/awards", {"select=seasons!inner(year)", "order=seasons(year).desc", "limit=1"}}},
             {},
             true},
            {"award winners",
             league([in](LeagueService& s) {
                 waitForTask(s.awards(static_cast<int>(in.honoured), AwardsSection::winners));
             }),
             {{"GET /rest/v1/awards",
               {"select=ranking,vote_percentage,award_types!inner(abbreviation,name,sort_order),"
                "players!inner(id,full_name),positions(abbreviation,position_group,sort_order),"
                "teams:teams!awards_team_id_fkey(id,current_abbreviation,current_name,current_city),"
                "seasons!inner(year)",
                "seasons.year=eq.{year}", "ranking=eq.1", "order=award_types(sort_order).asc"}}},
             honouredYear},
            {"All-Pro",
             league([in](LeagueService& s) {
                 waitForTask(s.awards(static_cast<int>(in.honoured), AwardsSection::allPro));
             }),
             {{"GET /rest/v1/all_pro_selections",
               {"select=team_level,players!inner(id,full_name),positions!inner(abbreviation,position_group,"
                "sort_order),teams:teams!all_pro_selections_team_id_fkey(id,current_abbreviation,current_"
                "name,"
                "current_city),seasons!inner(year)",
                "seasons.year=eq.{year}"}}},
             honouredYear},
            {"All-Rookie",
             league([in](LeagueService& s) {
                 waitForTask(s.awards(static_cast<int>(in.honoured), AwardsSection::allRookie));
             }),
             {{"GET /rest/v1/all_rookie_selections",
               {"select=players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),"
                "teams!inner(id,current_abbreviation,current_name,current_city),seasons!inner(year)",
                "seasons.year=eq.{year}"}}},
             honouredYear},
        };
    }

    // Runs a call and returns the requests the backend received meanwhile, as logged. A call that fails is
    // reported and the next one runs.
    std::vector<std::string> sentBy(const Call& call) {
        server_.clearRequests();
        try {
            call.run();
        } catch (const std::exception& error) {
            ADD_FAILURE() << call.what << " failed: " << error.what();
        }
        return server_.requests();
    }

    // Every call run once: what each sent, by the call's name.
    std::map<std::string, std::vector<std::string>> sentByEveryCall() {
        std::map<std::string, std::vector<std::string>> sent;
        for (const Call& call : calls(inputs()))
            sent[call.what] = sentBy(call);
        return sent;
    }

    BackendServer server_;
    Http http_;
    QTemporaryDir cacheDirectory_;
    std::shared_ptr<PostgRESTClient> client_ = std::make_shared<PostgRESTClient>(
        SupabaseConfiguration{QUrl(QString::fromStdString(server_.baseUrl())),
                              QString::fromStdString(server_.anonKey())},
        "1.0", std::make_unique<HttpSession>([this] {
            HttpSession::Options options;
            options.cacheDirectory = cacheDirectory_.path();
            return options;
        }()));
    SearchService search_{client_, 50};
    PlayerService players_{client_};
};

TEST_F(AppQueries, everyRequestIsSentWholeAsItsScreenNeedsIt) {
    for (const Call& call : calls(inputs())) {
        SCOPED_TRACE(call.what);
        std::vector<std::string> expected;
        for (const Sent& sent : call.sends)
            expected.push_back(shown(sent, call.values));
        std::vector<std::string> actual;
        for (const std::string& logged : sentBy(call))
            actual.push_back(shown(logged));
        if (call.together) {
            std::sort(expected.begin(), expected.end());
            std::sort(actual.begin(), actual.end());
        }
        // One text, so that a failure shows the lines that differ.
        const auto joined = [](const std::vector<std::string>& requests) {
            std::string text;
            for (const std::string& request : requests)
                text += request + "\n";
            return text;
        };
        EXPECT_EQ(joined(actual), joined(expected));
    }
}

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

    // The same through the app's search, which sends its own body.
    const auto found = waitForTask(search_.search(QString::fromStdString(fullName)));
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].fullName.toStdString(), fullName);
    const auto foundByLastName = waitForTask(search_.search(QString::fromStdString("  " + shouted + " ")));
    EXPECT_TRUE(std::any_of(foundByLastName.begin(), foundByLastName.end(), [&](const SearchResult& result) {
        return result.fullName.toStdString() == fullName;
    }));
    EXPECT_TRUE(waitForTask(search_.search(QStringLiteral("zzqxv"))).empty());
}

TEST_F(AppQueries, everyReadAnswersTheRowsOfTheDataInTheOrderAsked) {
    const Inputs in = inputs();
    const auto sent = sentByEveryCall();
    // The query of the one request `what` sent to `table`, as sent.
    const auto query = [&sent](const std::string& what, const std::string& table) {
        std::vector<std::string> found;
        for (const std::string& logged : sent.at(what)) {
            const std::string prefix = "GET /rest/v1/" + table + "?";
            if (logged.compare(0, prefix.size(), prefix) == 0)
                found.push_back(logged.substr(prefix.size()));
        }
        EXPECT_EQ(found.size(), 1u) << what << " to " << table;
        return found.empty() ? std::string("none-sent") : found.front();
    };
    const std::string& season = in.season;

    int coMvps = 0;
    std::vector<Read> reads = {
        {"players",
         query("biography", "players"),
         {"SELECT 1", {}},
         "",
         "id:uuid birth_date:date? height_inches:int? is_hof:bool is_all_pro:bool all_pro_history:array "
         "all_pro_history.0.year:int all_pro_history.0.team_level:text",
         [&](const nlohmann::json& row) { EXPECT_EQ(row.at("id"), in.allPro); }},
        {"hall_of_fame",
         query("card with the Hall of Fame", "hall_of_fame"),
         {"SELECT 1", {}},
         "",
         "induction_year:int? first_team_all_pro:int?"},
        {"seasons",
         query("season context", "seasons"),
         {"SELECT 1", {}},
         "",
         "id:uuid playoff_teams_per_conference:int?",
         [](const nlohmann::json& row) { EXPECT_EQ(row.size(), 3u) << "only the selected columns"; }},
        {"team_division_history",
         query("season context", "team_division_history"),
         {"SELECT count(*) FROM standings WHERE season_id = ?", {season}},
         "",
         "team_id:uuid divisions.conferences.abbreviation:text?"},
        {"standings",
         query("standings by division", "standings"),
         {"SELECT count(*) FROM standings WHERE season_id = ?", {season}},
         "division_rank",
         "wins:int win_pct:number conference_seed:int? is_division_winner:bool is_playoff_team:bool "
         "teams.id:uuid",
         [](const nlohmann::json& row) { EXPECT_LE(row.at("win_pct").get<double>(), 1.0) << "a fraction"; }},
        {"super_bowls",
         query("champions", "super_bowls"),
         {"SELECT count(*) FROM super_bowls", {}},
         "-super_bowl_number",
         "co_mvp:object? playoff_games.home_score:int playoff_games.winner_team_id:uuid",
         [&](const nlohmann::json& row) {
             coMvps += row.at("co_mvp").is_null() ? 0 : 1;
             const auto& game = row.at("playoff_games");
             EXPECT_EQ(game.at("home").size(), 2u);
             EXPECT_TRUE(game.at("winner_team_id") == game.at("home").at("id") ||
                         game.at("winner_team_id") == game.at("away").at("id"));
             EXPECT_EQ(row.at("mvp").at("full_name"), row.at("mvp_name"));
         }},
        {"drafts",
         query("draft rounds", "drafts"),
         {"SELECT 1", {}},
         "",
         "",
         [&](const nlohmann::json& row) {
             EXPECT_EQ(row.at("rounds"),
                       one(db(), "SELECT rounds FROM drafts WHERE year = ?", {in.firstDraft}));
         }},
        {"draft_picks",
         query("draft round", "draft_picks"),
         {"SELECT count(*) FROM draft_picks p JOIN drafts d ON d.id = p.draft_id WHERE d.year = ? AND round "
          "= 2",
          {in.firstDraft}},
         "pick_overall",
         "round:int players.id:uuid teams.current_abbreviation:text positions:object"},
        {"awards",
         query("award winners", "awards"),
         {"SELECT count(*) FROM awards a JOIN seasons y ON y.id = a.season_id WHERE y.year = ? AND ranking = "
          "1",
          {in.honoured}},
         "award_types.sort_order",
         "vote_percentage:number players.id:uuid teams:object",
         [](const nlohmann::json& row) {
             EXPECT_GT(row.at("vote_percentage").get<double>(), 1.0) << "vote shares are in percent units";
         }},
        {"all_pro_selections",
         query("All-Pro", "all_pro_selections"),
         {"SELECT count(*) FROM all_pro_selections a JOIN seasons y ON y.id = a.season_id WHERE y.year = ?",
          {in.honoured}},
         "",
         "team_level:text positions.sort_order:int",
         [](const nlohmann::json& row) {
             EXPECT_TRUE(row.at("team_level") == "first_team" || row.at("team_level") == "second_team");
         }},
        {"all_rookie_selections",
         query("All-Rookie", "all_rookie_selections"),
         {"SELECT count(*) FROM all_rookie_selections r JOIN seasons y ON y.id = r.season_id WHERE y.year = "
          "?",
          {in.honoured}},
         "",
         "teams.id:uuid",
         [](const nlohmann::json& row) { EXPECT_FALSE(row.contains("team_level")); }},
    };
    for (const std::string family :
         {"player_passing", "player_rushing_receiving", "player_defense", "player_kicking", "player_punting",
          "player_returns", "player_scoring"}) {
        reads.push_back({family,
                         query("card without the Hall of Fame", family),
                         {"SELECT count(*) FROM " + family + " WHERE player_id = ?", {in.quarterback}},
                         "year season_type",
                         "id:uuid year:int games:int?",
                         [](const nlohmann::json& row) {
                             EXPECT_TRUE(row.at("season_type") == "regular" ||
                                         row.at("season_type") == "postseason");
                             if (row.contains("pass_cmp_pct") && !row.at("pass_cmp_pct").is_null()) {
                                 EXPECT_GT(row.at("pass_cmp_pct").get<double>(), 1.0) << "percent units";
                             }
                         }});
    }
    for (const std::string table :
         {"game_player_offense", "game_player_defense", "game_player_kicking", "game_player_returns"}) {
        for (const auto& [what, year] : {std::pair<std::string, std::int64_t>{"game log", in.logYear},
                                         {"game log of a year without games", 1900}}) {
            reads.push_back({table,
                             query(what, table),
                             {"SELECT count(*) FROM " + table +
                                  " t JOIN games g ON g.id = t.game_id WHERE t.player_id = ? AND g.year = ?",
                              {in.logPlayer, year}},
                             "games.game_date",
                             "game_id:uuid player_id:uuid games.week:text games.home_score:int?"});
        }
    }
    for (const auto& [what, year] :
         {std::pair<std::string, std::int64_t>{"schedule of the first season", in.firstGames},
          {"schedule of the next season", in.future}}) {
        reads.push_back({"games",
                         query(what, "games"),
                         {"SELECT count(*) FROM games WHERE year = ?", {year}},
                         "game_date gametime",
                         "id:uuid game_date:date gametime:text home_score:int?",
                         [&, year = year](const nlohmann::json& row) {
                             EXPECT_EQ(row.at("home_score").is_null(), year == in.future)
                                 << "the future season";
                         }});
    }

    expectReads(http_, db(), reads);
    EXPECT_EQ(coMvps, 1) << "one season has two winners";
}

TEST_F(AppQueries, latestAndEarliestYearsComeFromOneRow) {
    LeagueService league(client_);
    const auto span = [](const std::optional<YearRange>& range) {
        return range ? std::to_string(range->lowerBound) + "-" + std::to_string(range->upperBound) : "none";
    };
    const auto sqlSpan = [this](const std::string& years) {
        return std::to_string(number("SELECT min(year) FROM " + years)) + "-" +
               std::to_string(number("SELECT max(year) FROM " + years));
    };
    server_.clearRequests();
    EXPECT_EQ(waitForTask(league.latestStandingsYear()),
              number("SELECT max(year) FROM standings s JOIN seasons y ON y.id = s.season_id"));
    EXPECT_EQ(waitForTask(league.latestDraftYear()), number("SELECT max(year) FROM drafts"));
    EXPECT_EQ(span(waitForTask(league.awardsYearBounds())),
              sqlSpan("(SELECT y.year FROM awards a JOIN seasons y ON y.id = a.season_id)"));
    EXPECT_EQ(span(waitForTask(league.scheduleYearBounds())), sqlSpan("games"));

    // Each lookup asked for one row holding the year alone.
    const auto sent = server_.requests();
    EXPECT_EQ(sent.size(), 6u);
    for (const std::string& logged : sent) {
        SCOPED_TRACE(logged);
        const auto rows = http_.send("GET", logged.substr(logged.find(' ') + 1)).json();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].size(), 1u);
    }
}

TEST_F(AppQueries, warmUpHeadAnswersWithoutABody) {
    server_.clearRequests();
    waitForTask(client_->warmUp());
    const auto sent = server_.requests();
    ASSERT_EQ(sent.size(), 1u);
    ASSERT_EQ(sent[0].compare(0, 5, "HEAD "), 0) << sent[0];
    const Reply reply = http_.send("HEAD", sent[0].substr(5));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body.empty());
}

} // namespace
} // namespace huddlepod::backend::testing
