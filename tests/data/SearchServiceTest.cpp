// Query normalisation and the recency cache of the player search, against a loopback backend.
#include "data/SearchService.h"

#include "data/PostgRESTClient.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/LoopbackServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace huddlepod;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitForTask;

namespace {

const std::string rpcPath = "/rest/v1/rpc/search_players";
const std::string oneHit = R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"Pat Example"}])";

class SearchServiceTest : public ::testing::Test {
protected:
    std::vector<std::string> sentQueries() const {
        std::vector<std::string> bodies;
        for (const auto& request : server.requestsTo(rpcPath))
            bodies.push_back(request.body);
        return bodies;
    }

    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    std::shared_ptr<PostgRESTClient> client = std::make_shared<PostgRESTClient>(
        SupabaseConfiguration{server.baseUrl(), "key"}, "1.0", std::make_unique<HttpSession>([this] {
            HttpSession::Options options;
            options.cacheDirectory = cacheDirectory.path();
            return options;
        }()));
    std::unique_ptr<SearchService> service = std::make_unique<SearchService>(client, 50);
};

QString repeated(const QString& cluster, int times) {
    QString text;
    for (int i = 0; i < times; ++i)
        text += cluster;
    return text;
}

} // namespace

TEST(SearchServiceNormalize, trimsNeedsTwoClustersAndCutsToOneHundred) {
    const QString family = "👨‍👩‍👧‍👦";
    const std::pair<QString, std::optional<QString>> cases[] = {
        {"  \t\n", std::nullopt},
        {" a ", std::nullopt},
        {"\u2003a\u2029", std::nullopt},
        {"e\u0301", std::nullopt}, // one cluster of two code points
        {"👍🏽", std::nullopt},
        {"👍🏽x", "👍🏽x"},
        {"\u00a0Mahomes Jr.\u3000", "Mahomes Jr."},
        {"\v\f\r\u0085\u1680\u2000\u200a\u2028Ab\u202f\u205f\u0009", "Ab"},
        {repeated("a", 150), repeated("a", 100)},
        {repeated("e\u0301", 120), repeated("e\u0301", 100)},
        {repeated(family, 101), repeated(family, 100)},
        {repeated("🇫🇷", 100) + "!", repeated("🇫🇷", 100)},
        {repeated("x", 100) + "  ", repeated("x", 100)},
    };
    for (const auto& [query, normalized] : cases)
        EXPECT_EQ(SearchService::normalize(query), normalized) << query.toStdString();
}

TEST_F(SearchServiceTest, sendsTheNormalisedQueryAndCachesByItsLowerCase) {
    EXPECT_TRUE(waitForTask(service->search("  a  ")).empty());
    EXPECT_FALSE(service->isCached("  a  "));
    EXPECT_EQ(server.requestCount(), 0u) << "too short to search";

    server.setDefault(rpcPath, {200, oneHit});
    const auto first = waitForTask(service->search("  Pat Ex "));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].fullName, "Pat Example");
    EXPECT_EQ(waitForTask(service->search("pAT eX\n")), first);
    const std::string hundred(100, 'q');
    waitForTask(service->search(QString::fromStdString(hundred + std::string(50, 'r'))));
    waitForTask(service->search(QString::fromStdString(hundred + std::string(50, 's'))));
    EXPECT_EQ(sentQueries(), (std::vector<std::string>{R"({"query_text":"Pat Ex"})",
                                                       R"({"query_text":")" + hundred + R"("})"}));
}

TEST_F(SearchServiceTest, emptyAnswersAreCachedAndFailuresAreNot) {
    client.reset(); // the service holds its own share
    server.enqueue(rpcPath, {200, "[]"});
    EXPECT_TRUE(waitForTask(service->search("nobody")).empty());
    EXPECT_TRUE(waitForTask(service->search("nobody")).empty());
    EXPECT_EQ(server.requestCount(), 1u);

    server.enqueue(rpcPath, {503, "down"});
    server.enqueue(rpcPath, {200, R"([{"id":"bad"}])"});
    server.enqueue(rpcPath, {200, oneHit});
    for (int failure = 0; failure < 2; ++failure) {
        EXPECT_THROW(waitForTask(service->search("flaky")), PostgRESTError);
        EXPECT_FALSE(service->isCached("flaky"));
    }
    EXPECT_EQ(waitForTask(service->search("flaky")).size(), 1u);
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(SearchServiceTest, evictsTheLeastRecentlyUsedQuery) {
    server.setDefault(rpcPath, {200, "[]"});
    service = std::make_unique<SearchService>(client, 2);
    waitForTask(service->search("aa"));
    waitForTask(service->search("bb"));
    EXPECT_TRUE(service->isCached("bb"));
    EXPECT_TRUE(service->isCached("aa")) << "isCached does not refresh recency";
    waitForTask(service->search("aa")); // a hit refreshes aa
    waitForTask(service->search("cc"));
    EXPECT_TRUE(service->isCached("aa"));
    EXPECT_FALSE(service->isCached("bb"));
    EXPECT_TRUE(service->isCached("cc"));
    EXPECT_EQ(server.requestCount(), 3u);

    service->clearCache();
    EXPECT_FALSE(service->isCached("aa"));

    service = std::make_unique<SearchService>(client, 0);
    waitForTask(service->search("aa"));
    EXPECT_FALSE(service->isCached("aa"));
}
