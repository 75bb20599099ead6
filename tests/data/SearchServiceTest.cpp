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
    std::unique_ptr<SearchService> makeService(int limit) {
        return std::make_unique<SearchService>(client, limit);
    }

    std::vector<std::string> sentQueries() const {
        std::vector<std::string> bodies;
        for (const auto& request : server.requestsTo(rpcPath))
            bodies.push_back(request.body);
        return bodies;
    }

    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    PostgRESTClient client{SupabaseConfiguration{server.baseUrl(), "key"}, "1.0",
                           std::make_unique<HttpSession>([this] {
                               HttpSession::Options options;
                               options.cacheDirectory = cacheDirectory.path();
                               return options;
                           }())};
    std::unique_ptr<SearchService> service = makeService(50);
};

QString repeated(const QString& cluster, int times) {
    QString text;
    for (int i = 0; i < times; ++i)
        text += cluster;
    return text;
}

} // namespace

TEST(SearchServiceNormalize, trimsAndNeedsTwoCharacters) {
    EXPECT_EQ(SearchService::normalize("  \t\n"), std::nullopt);
    EXPECT_EQ(SearchService::normalize(" a "), std::nullopt);
    EXPECT_EQ(SearchService::normalize("\u2003a\u2029"), std::nullopt);
    EXPECT_EQ(SearchService::normalize(" Ab \n"), "Ab");
    EXPECT_EQ(SearchService::normalize("\u00a0Mahomes Jr.\u3000"), "Mahomes Jr.");
    EXPECT_EQ(SearchService::normalize("\v\f\r\u0085\u1680\u2000\u200a\u2028Ab\u202f\u205f\u0009"), "Ab")
        << "every Unicode white-space and line-break character";
    EXPECT_EQ(SearchService::normalize("e\u0301"), std::nullopt) << "one cluster of two code points";
    EXPECT_EQ(SearchService::normalize("👍🏽"), std::nullopt);
    EXPECT_EQ(SearchService::normalize("👍🏽x"), "👍🏽x");
}

TEST(SearchServiceNormalize, cutsToOneHundredGraphemeClusters) {
    EXPECT_EQ(SearchService::normalize(repeated("a", 150)), repeated("a", 100));
    const QString combining = repeated("e\u0301", 120);
    EXPECT_EQ(SearchService::normalize(combining), repeated("e\u0301", 100));
    const QString family = "👨‍👩‍👧‍👦";
    EXPECT_EQ(SearchService::normalize(repeated(family, 101)), repeated(family, 100));
    EXPECT_EQ(SearchService::normalize(repeated("🇫🇷", 100) + "!"), repeated("🇫🇷", 100));
    EXPECT_EQ(SearchService::normalize(repeated("x", 100) + "  "), repeated("x", 100));
}

TEST_F(SearchServiceTest, shortQueriesAnswerEmptyWithoutARequest) {
    EXPECT_TRUE(waitForTask(service->search("  a  ")).empty());
    EXPECT_FALSE(service->isCached("  a  "));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(SearchServiceTest, sendsTheNormalisedQueryAndCachesByItsLowerCase) {
    server.setDefault(rpcPath, {200, oneHit});
    const auto first = waitForTask(service->search("  Pat Ex "));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].fullName, "Pat Example");
    EXPECT_TRUE(service->isCached("PAT EX"));

    const auto second = waitForTask(service->search("pAT eX\n"));
    EXPECT_EQ(second, first);
    EXPECT_EQ(sentQueries(), (std::vector<std::string>{R"({"query_text":"Pat Ex"})"}));
}

TEST_F(SearchServiceTest, longQueriesAreSentCutAndShareTheirEntry) {
    server.setDefault(rpcPath, {200, "[]"});
    const std::string hundred(100, 'q');
    waitForTask(service->search(QString::fromStdString(hundred + std::string(50, 'r'))));
    waitForTask(service->search(QString::fromStdString(hundred + std::string(50, 's'))));
    EXPECT_EQ(sentQueries(), (std::vector<std::string>{R"({"query_text":")" + hundred + R"("})"}));
}

TEST_F(SearchServiceTest, emptyAnswersAreCachedAndFailuresAreNot) {
    server.enqueue(rpcPath, {200, "[]"});
    EXPECT_TRUE(waitForTask(service->search("nobody")).empty());
    EXPECT_TRUE(waitForTask(service->search("nobody")).empty());
    EXPECT_EQ(server.requestCount(), 1u);

    server.enqueue(rpcPath, {503, "down"});
    server.enqueue(rpcPath, {200, R"([{"id":"bad"}])"});
    server.enqueue(rpcPath, {200, oneHit});
    EXPECT_THROW(waitForTask(service->search("flaky")), PostgRESTError);
    EXPECT_FALSE(service->isCached("flaky"));
    EXPECT_THROW(waitForTask(service->search("flaky")), PostgRESTError);
    EXPECT_FALSE(service->isCached("flaky"));
    EXPECT_EQ(waitForTask(service->search("flaky")).size(), 1u);
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(SearchServiceTest, evictsTheLeastRecentlyUsedQuery) {
    server.setDefault(rpcPath, {200, "[]"});
    service = makeService(2);
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

    service = makeService(0);
    waitForTask(service->search("aa"));
    EXPECT_FALSE(service->isCached("aa"));
}
