// The player search: a cached lookup, decoding a 50-row answer, and whole round trips on loopback (to a
// canned server and to the local backend), each beside its raw twin.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "bench/support/RawHttp.h"
#include "data/PostgRESTClient.h"
#include "data/SearchService.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>
#include <strings.h>

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

// The raw twin of the round trip: the request the client sent, headers and all, replayed with a bare
// cpp-httplib client to the same server.
void BM_SearchRoundTripRaw(benchmark::State& state) {
    Backend backend;
    SearchService uncached(backend.client, 0);
    waitForTask(uncached.search("Player Num"));
    const LoopbackServer::Request sent = backend.server.requests().back();
    bench::RawRequest request{"POST", sent.target, sent.body, {}};
    for (const auto& [name, value] : sent.headers) {
        // The library writes these itself.
        const bool own =
            strcasecmp(name.c_str(), "Host") == 0 || strcasecmp(name.c_str(), "Connection") == 0 ||
            strcasecmp(name.c_str(), "Content-Length") == 0 || strcasecmp(name.c_str(), "Content-Type") == 0;
        if (!own)
            request.headers.emplace(name, value);
    }
    const auto client = bench::rawClient(backend.server.port());
    for (auto _ : state) {
        if (!bench::sendRaw(*client, request)) {
            state.SkipWithError("search failed");
            break;
        }
    }
}
BENCHMARK(BM_SearchRoundTripRaw)->Unit(benchmark::kMicrosecond);

// The local backend with the small league: the round trip includes the server's own search.
struct LocalBackend {
    backend::BackendServer server{backend::LeagueDatabase::generate({backend::LeagueSize::Small, 1})};
    QTemporaryDir cacheDirectory;
    std::shared_ptr<PostgRESTClient> client;

    LocalBackend() {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        client = std::make_unique<PostgRESTClient>(
            SupabaseConfiguration{QUrl(QString::fromStdString(server.baseUrl())),
                                  QString::fromStdString(server.anonKey())},
            "bench", std::make_unique<HttpSession>(options));
    }
};

LocalBackend& localBackend() {
    static LocalBackend backend;
    return backend;
}

const QString localQuery = QStringLiteral("jo"); // a common name part: a full answer of 25 rows

void BM_SearchRoundTripOnTheLocalBackend(benchmark::State& state) {
    SearchService uncached(localBackend().client, 0);
    waitForTask(uncached.search(localQuery));
    for (auto _ : state) {
        auto results = waitForTask(uncached.search(localQuery));
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_SearchRoundTripOnTheLocalBackend)->Unit(benchmark::kMicrosecond);

void BM_SearchRoundTripOnTheLocalBackendRaw(benchmark::State& state) {
    const backend::BackendServer& server = localBackend().server;
    const bench::RawRequest request{"POST", "/rest/v1/rpc/search_players",
                                    R"({"query_text":")" + localQuery.toStdString() + R"("})",
                                    bench::appHeaders(server.anonKey())};
    const auto client = bench::rawClient(server.port());
    for (auto _ : state) {
        if (!bench::sendRaw(*client, request)) {
            state.SkipWithError("search failed");
            break;
        }
    }
}
BENCHMARK(BM_SearchRoundTripOnTheLocalBackendRaw)->Unit(benchmark::kMicrosecond);

} // namespace
