// The options of the huddlepod-backend program.
#include "backend/CommandLine.h"

#include <gtest/gtest.h>

namespace huddlepod::backend {
namespace {

TEST(CommandLine, readsEveryOption) {
    const auto line = parseCommandLine({"--database", "build/league.sqlite", "--league", "small", "--seed",
                                        "42", "--port", "8123", "--host", "127.0.0.2", "--key", "secret",
                                        "--max-rows", "50", "--fault", R"({"route":"players","status":503})",
                                        "--fault", R"([{"delay_ms":5},{"drop_connection":true}])"});
    EXPECT_EQ(line.database, "build/league.sqlite");
    EXPECT_EQ(line.league.size, LeagueSize::Small);
    EXPECT_EQ(line.league.seed, 42u);
    EXPECT_EQ(line.server.port, 8123);
    EXPECT_EQ(line.server.host, "127.0.0.2");
    EXPECT_EQ(line.server.anonKey, "secret");
    EXPECT_EQ(line.server.maxRows, 50);
    ASSERT_EQ(line.server.faults.size(), 3u);
    EXPECT_EQ(line.server.faults[0].status, 503);
    EXPECT_TRUE(line.server.faults[2].dropConnection);

    const auto defaults = parseCommandLine({});
    EXPECT_FALSE(defaults.database);
    EXPECT_EQ(defaults.league.size, LeagueSize::Full);
    EXPECT_EQ(defaults.server.host, "127.0.0.1");
    EXPECT_EQ(defaults.server.port, 0);
}

TEST(CommandLine, refusesWhatItCannotServe) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--host", "0.0.0.0"},
             {"--host", "192.168.1.5"},
             {"--league", "huge"},
             {"--port", "70000"},
             {"--seed", "-1"},
             {"--key", ""},
             {"--fault", "{"},
             {"--fault", R"({"status":"bad"})"},
             {"--generate-only"},
             {"--database"},
             {"--colour"},
         }) {
        EXPECT_THROW(parseCommandLine(arguments), std::invalid_argument) << arguments.front();
    }
}

TEST(CommandLine, loopbackHostsOnly) {
    for (const std::string host : {"127.0.0.1", "127.1.2.3", "::1", "localhost"}) {
        EXPECT_TRUE(isLoopbackHost(host)) << host;
    }
    for (const std::string host : {"128.0.0.1", "::", "example.com", "0.0.0.0", ""}) {
        EXPECT_FALSE(isLoopbackHost(host)) << host;
    }
}

} // namespace
} // namespace huddlepod::backend
