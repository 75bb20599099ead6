// The player search: a cached lookup, decoding a 50-row answer, and a whole round trip on loopback.
#include "data/PostgRESTClient.h"
#include "data/SearchService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>

using namespace huddlepod;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitForTask;

namespace {

// A realistic answer: 50 players, each with a career path of one to four teams.
std::string searchAnswer(int rows) {
    static const char* const abbrs[] = {"KC", "SF", "NE", "DAL", "GB", "PIT"};
    std::string body = "[";
    for (int i = 0; i < rows; ++i) {
        char id[37];
        std::snprintf(id, sizeof id, "6f1c2a9e-0000-4000-8000-%012d", i);
        if (i > 0)
            body += ',';
        body += R"({"id":")" + std::string(id) + R"(","full_name":"Player Number )" + std::to_string(i) +
                R"(","primary_position":"WR","career_start":)" + std::to_string(1990 + i % 30) +
                R"(,"career_end":)" + std::to_string(1995 + i % 30) +
                R"(,"is_hof":false,"is_active":false,"teams":[)";
        for (int t = 0; t <= i % 4; ++t) {
            if (t > 0)
                body += ',';
            const std::string abbr = abbrs[(i + t) % 6];
            body += R"({"abbr":")" + abbr + R"(","name":"Team )" + abbr + R"(","city":"City )" + abbr +
                    R"(","logo_url":"https://img.example/)" + abbr + R"(.png","year":)" +
                    std::to_string(1990 + i % 30 + t) + "}";
        }
        body += R"(],"draft_year":)" + std::to_string(1989 + i % 30) +
                R"(,"draft_team_abbr":"KC","draft_team_name":"Chiefs","draft_team_city":"Kansas City",)" +
                R"("draft_team_logo_url":"https://img.example/KC.png","rank":0.5})";
    }
    return body + "]";
}

struct Backend {
    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    std::shared_ptr<PostgRESTClient> client;

    Backend() {
        server.setDefault("/rest/v1/rpc/search_players", {200, searchAnswer(50)});
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        client = std::make_unique<PostgRESTClient>(SupabaseConfiguration{server.baseUrl(), "key"}, "bench",
                                                   std::make_unique<HttpSession>(options));
    }
};

void BM_CachedSearchLookup(benchmark::State& state) {
    Backend backend;
    SearchService service(backend.client, 50);
    waitForTask(service.search("Player Num"));
    for (auto _ : state) {
        auto results = waitForTask(service.search("  player num "));
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_CachedSearchLookup)->Unit(benchmark::kMicrosecond);

void BM_DecodeSearchAnswer50(benchmark::State& state) {
    const QByteArray body = QByteArray::fromStdString(searchAnswer(50));
    for (auto _ : state) {
        auto results = PostgRESTClient::decode<std::vector<SearchResult>>(body);
        benchmark::DoNotOptimize(results);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * body.size());
}
BENCHMARK(BM_DecodeSearchAnswer50)->Unit(benchmark::kMicrosecond);

void BM_SearchRoundTripOnLoopback(benchmark::State& state) {
    Backend backend;
    SearchService uncached(backend.client, 0);
    waitForTask(uncached.search("Player Num")); // opens the connection
    for (auto _ : state) {
        auto results = waitForTask(uncached.search("Player Num"));
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_SearchRoundTripOnLoopback)->Unit(benchmark::kMicrosecond);

} // namespace
