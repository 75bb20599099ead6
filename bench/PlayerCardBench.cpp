// A whole player card (biography, seven families, Hall of Fame row, tables) against the local backend.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "bench/support/RawHttp.h"
#include "data/PlayerService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace huddlepod;

namespace {

struct Backend {
    Backend()
        : database(backend::LeagueDatabase::generate({.size = backend::LeagueSize::Small, .seed = 1}))
        , server(database) {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        client = std::make_unique<PostgRESTClient>(
            SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                                  QString::fromStdString(server.anonKey())},
            "bench", std::make_unique<HttpSession>(options));
        service = std::make_unique<PlayerService>(client);
        // The player with the most season rows over all families: a long career, busy in several of them.
        const auto rows = database->query(
            "SELECT player_id, COUNT(*) AS n FROM ("
            "SELECT player_id FROM player_passing UNION ALL SELECT player_id FROM player_rushing_receiving "
            "UNION ALL SELECT player_id FROM player_defense UNION ALL SELECT player_id FROM player_kicking "
            "UNION ALL SELECT player_id FROM player_punting UNION ALL SELECT player_id FROM player_returns "
            "UNION ALL SELECT player_id FROM player_scoring) GROUP BY player_id ORDER BY n DESC LIMIT 1");
        playerID = QUuid::fromString(QString::fromStdString(rows.at(0).at("player_id").get<std::string>()));
    }

    std::shared_ptr<backend::LeagueDatabase> database;
    backend::BackendServer server;
    QTemporaryDir cacheDirectory;
    std::shared_ptr<PostgRESTClient> client;
    std::unique_ptr<PlayerService> service;
    QUuid playerID;
};

Backend& sharedBackend() {
    static Backend backend;
    return backend;
}

void BM_WholeCardFromTheLocalBackend(benchmark::State& state) {
    Backend& backend = sharedBackend();
    std::size_t tables = 0;
    backend.server.clearRequests();
    for (auto _ : state) {
        const auto card = test::waitForTask(backend.service->card(backend.playerID, true));
        tables = card ? card->tables.size() : 0;
        benchmark::DoNotOptimize(tables);
    }
    state.counters["tables"] = static_cast<double>(tables);
    // Nine when every request reaches the server (none answered from the response cache).
    state.counters["requests_per_card"] =
        static_cast<double>(backend.server.requests().size()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_WholeCardFromTheLocalBackend)->Unit(benchmark::kMillisecond)->UseRealTime();

// The raw twin of the card: the nine requests the client sent, replayed at once by bare cpp-httplib clients
// on as many keep-alive connections as the argument (9: all at once; 6: Qt's limit per host, so three wait;
// 1: one after the other).
void BM_WholeCardRaw(benchmark::State& state) {
    Backend& backend = sharedBackend();
    backend.server.clearRequests();
    test::waitForTask(backend.service->card(backend.playerID, true));
    const std::string key = backend.server.anonKey();
    std::vector<bench::RawRequest> requests;
    for (const std::string& sent : backend.server.requests()) { // "GET <target>"
        requests.push_back({"GET", sent.substr(sent.find(' ') + 1), {}, bench::appHeaders(key)});
    }
    bench::RawClients clients(backend.server.port(), static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        if (clients.send(requests) != requests.size()) {
            state.SkipWithError("a request failed");
            break;
        }
    }
    state.counters["requests_per_card"] = static_cast<double>(requests.size());
}
BENCHMARK(BM_WholeCardRaw)
    ->ArgName("connections")
    ->Arg(9)
    ->Arg(6)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
