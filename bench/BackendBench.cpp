// Backend timings on the full-history league: generation, player search, and the league browser's heaviest
// reads.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "backend/PlayerSearch.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <memory>
#include <stdexcept>

using namespace huddlepod::backend;

namespace {

std::shared_ptr<LeagueDatabase> generated; // set by the generation benchmark, or on first use

std::shared_ptr<LeagueDatabase> fullLeague() {
    if (!generated) {
        generated = LeagueDatabase::generate({LeagueSize::Full, 1});
    }
    return generated;
}

struct Served {
    BackendServer server{fullLeague()};
    httplib::Client client{"127.0.0.1", server.port()};
    httplib::Headers headers{{"apikey", server.anonKey()}, {"Authorization", "Bearer " + server.anonKey()}};

    Served() {
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true); // as Qt does for HTTP; a POST is written in two pieces
    }

    std::string get(const std::string& target) {
        auto result = client.Get(target, headers);
        if (!result || result->status != 200) {
            throw std::runtime_error("request failed: " + target);
        }
        return result->body;
    }
};

Served& served() {
    static Served instance;
    return instance;
}

std::string scalar(const std::string& sql) {
    return fullLeague()->query(sql).front().begin().value().get<std::string>();
}

// Names typed the way people type them: partial, lower case, first names, last names, both.
std::vector<std::string> queries() {
    std::vector<std::string> result = {"jo", "sam", "mc", "o'd", "smith", "jose", "chris w", "de"};
    for (const auto& row :
         fullLeague()->query("SELECT full_name FROM player_search ORDER BY career_av DESC LIMIT 12")) {
        const std::string name = row["full_name"];
        result.push_back(name);
        result.push_back(name.substr(name.find(' ') + 1, 5));
    }
    return result;
}

void BM_GenerateFullLeague(benchmark::State& state) {
    for (auto _ : state) {
        generated = LeagueDatabase::generate({LeagueSize::Full, 1});
    }
    state.counters["players"] = std::stod(fullLeague()->meta("players").value_or("0"));
}
BENCHMARK(BM_GenerateFullLeague)->Iterations(1)->Repetitions(3)->Unit(benchmark::kSecond);

void BM_SearchPlayersInProcess(benchmark::State& state) {
    const auto texts = queries();
    const PlayerSearch& search = fullLeague()->playerSearch();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.search(texts[i++ % texts.size()]));
    }
}
BENCHMARK(BM_SearchPlayersInProcess)->Unit(benchmark::kMicrosecond);

void BM_SearchPlayersOverHttp(benchmark::State& state) {
    const auto texts = queries();
    Served& http = served();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string body = nlohmann::json({{"query_text", texts[i++ % texts.size()]}}).dump();
        auto result = http.client.Post("/rest/v1/rpc/search_players", http.headers, body, "application/json");
        if (!result || result->status != 200) {
            state.SkipWithError("search failed");
            break;
        }
    }
}
BENCHMARK(BM_SearchPlayersOverHttp)->Unit(benchmark::kMicrosecond);

void BM_StandingsOverHttp(benchmark::State& state) {
    const std::string season = scalar("SELECT id FROM seasons WHERE year = 2024");
    const std::string target = "/rest/v1/standings?season_id=eq." + season +
                               "&select=wins,losses,ties,win_pct,points_for,points_against,point_"
                               "differential,division_rank,conference_seed,"
                               "is_division_winner,is_playoff_team,teams!inner(id,current_abbreviation,"
                               "current_name,current_city)&order=division_rank.asc";
    for (auto _ : state) {
        benchmark::DoNotOptimize(served().get(target));
    }
}
BENCHMARK(BM_StandingsOverHttp)->Unit(benchmark::kMicrosecond);

void BM_ScheduleOverHttp(benchmark::State& state) {
    const std::string target =
        "/rest/v1/games?select=id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_abbr,"
        "home_score,away_score,tv_network&year=eq.2024&order=game_date.asc,gametime.asc&limit=600";
    for (auto _ : state) {
        benchmark::DoNotOptimize(served().get(target));
    }
}
BENCHMARK(BM_ScheduleOverHttp)->Unit(benchmark::kMicrosecond);

void BM_GameLogOverHttp(benchmark::State& state) {
    const auto subject = fullLeague()->query(
        "SELECT o.player_id, g.year FROM game_player_offense o JOIN games g ON g.id = o.game_id "
        "GROUP BY o.player_id, g.year ORDER BY count(*) DESC LIMIT 1");
    const std::string target =
        "/rest/v1/game_player_offense?player_id=eq." + subject[0]["player_id"].get<std::string>() +
        "&select=game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_abbr,away_team_abbr,"
        "home_score,away_score),*&games.year=eq." +
        std::to_string(subject[0]["year"].get<int>()) + "&order=games(game_date).asc";
    for (auto _ : state) {
        benchmark::DoNotOptimize(served().get(target));
    }
}
BENCHMARK(BM_GameLogOverHttp)->Unit(benchmark::kMicrosecond);

void BM_DraftRoundOverHttp(benchmark::State& state) {
    const std::string target =
        "/rest/v1/"
        "draft_picks?select=round,pick_overall,drafts!inner(year),teams:teams!draft_picks_team_id_fkey(id,"
        "current_abbreviation),players(id,full_name,college),positions(abbreviation)&drafts.year=eq.1985&"
        "round=eq.2"
        "&order=pick_overall.asc";
    for (auto _ : state) {
        benchmark::DoNotOptimize(served().get(target));
    }
}
BENCHMARK(BM_DraftRoundOverHttp)->Unit(benchmark::kMicrosecond);

void BM_AwardsYearBoundOverHttp(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            served().get("/rest/v1/awards?select=seasons!inner(year)&order=seasons(year).desc&limit=1"));
    }
}
BENCHMARK(BM_AwardsYearBoundOverHttp)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
