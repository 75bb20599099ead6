// The client on the wire, against a real HTTP server on loopback: targets, headers, statuses, cache,
// failures.
#include "data/PostgRESTClient.h"

#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/BackendError.h"
#include "tests/support/LoopbackServer.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace huddlepod;
using namespace std::chrono_literals;
using huddlepod::test::errorOf;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitForTask;

namespace {

struct Player {
    QUuid id;
    QString fullName;
    static Player decode(const JsonObject& o) {
        return {o.required<QUuid>("id"), o.required<QString>("fullName")};
    }
};

class PostgRESTClientTest : public ::testing::Test {
protected:
    std::unique_ptr<PostgRESTClient> makeClient(QUrl base, HttpSession::Options options = {}) {
        options.cacheDirectory = cacheDirectory.path();
        return std::make_unique<PostgRESTClient>(SupabaseConfiguration{std::move(base), "anon-key"}, "1.2.3",
                                                 std::make_unique<HttpSession>(options));
    }

    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    std::unique_ptr<PostgRESTClient> client = makeClient(server.baseUrl());
};

} // namespace

TEST_F(PostgRESTClientTest, tableReadSendsTheTargetAndFourHeaders) {
    server.setDefault("/rest/v1/players", {200, "[]"});
    EXPECT_EQ(waitForTask(client->selectData("players", {})), "[]");
    waitForTask(client->selectData("players", {{"select", "id,full_name,teams(abbr)"},
                                               {"id", "eq.6f1c2a9e-0000-4000-8000-0000000000ab"},
                                               {"order", "year.asc,season_type.asc"},
                                               {"limit", "1"}}));
    waitForTask(client->selectData("players", {{"q", "a b&c=d+e#f%g"}, {"name", "José"}, {"empty", ""}}));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].requestLine, "GET /rest/v1/players HTTP/1.1");
    EXPECT_EQ(requests[1].target,
              "/rest/v1/players?select=id,full_name,teams(abbr)"
              "&id=eq.6f1c2a9e-0000-4000-8000-0000000000ab&order=year.asc,season_type.asc&limit=1");
    EXPECT_EQ(requests[2].target, "/rest/v1/players?q=a%20b%26c%3Dd%2Be%23f%25g&name=Jos%C3%A9&empty=");
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.header("apikey"), "anon-key");
        EXPECT_EQ(request.header("Authorization"), "Bearer anon-key");
        EXPECT_EQ(request.header("User-Agent"), "Huddlepod-Mac/1.2.3");
        EXPECT_EQ(request.header("Accept"), "application/json");
        EXPECT_EQ(request.header("Content-Type"), std::nullopt);
        EXPECT_TRUE(request.body.empty());
    }
}

TEST_F(PostgRESTClientTest, pathsAreAppendedToTheBaseURLsPath) {
    server.setDefault("/base/rest/v1/players", {200, "[]"});
    server.setDefault("/base/rest/v1/rpc/search_players", {200, "[]"});
    QUrl withPath = server.baseUrl();
    withPath.setPath("/base");
    QUrl withSlash = server.baseUrl();
    withSlash.setPath("/base/");
    waitForTask(makeClient(withPath)->selectData("players", {}));
    waitForTask(makeClient(withSlash)->selectData("players", {}));
    waitForTask(makeClient(withSlash)->rpcData("search_players", {}));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/base/rest/v1/players");
    EXPECT_EQ(requests[1].target, "/base/rest/v1/players");
    EXPECT_EQ(requests[2].target, "/base/rest/v1/rpc/search_players");
}

TEST_F(PostgRESTClientTest, remoteProcedurePostsACompactJsonObjectWithFiveHeaders) {
    server.setDefault("/rest/v1/rpc/search_players", {200, R"([{"id":1}])"});
    EXPECT_EQ(waitForTask(client->rpcData("search_players", {{"query_text", "O’Brien \"Jr\""}})),
              R"([{"id":1}])");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "POST /rest/v1/rpc/search_players HTTP/1.1");
    EXPECT_EQ(requests[0].body, R"({"query_text":"O’Brien \"Jr\""})");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
    EXPECT_EQ(requests[0].header("apikey"), "anon-key");
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer anon-key");
    EXPECT_EQ(requests[0].header("User-Agent"), "Huddlepod-Mac/1.2.3");
    EXPECT_EQ(requests[0].header("Accept"), "application/json");
}

TEST_F(PostgRESTClientTest, successIsAStatusFrom200To299Only) {
    for (int status : {200, 201, 299}) {
        server.enqueue("/rest/v1/t", {status, "ok"});
        EXPECT_NO_THROW(waitForTask(client->selectData("t", {}))) << status;
    }
    for (int status : {300, 401, 404, 429, 500, 503}) {
        server.enqueue("/rest/v1/t", {status, R"({"message":"no"})"});
        EXPECT_EQ(errorOf(client->selectData("t", {})), PostgRESTError::http(status, R"({"message":"no"})"))
            << status;
    }
}

TEST_F(PostgRESTClientTest, errorBodiesAreCutAt512BytesAndEmptiedWhenTheCutSplitsACharacter) {
    server.enqueue("/rest/v1/t", {500, std::string(600, 'x')});
    server.enqueue("/rest/v1/t", {500, "0123456789"});
    server.enqueue("/rest/v1/t", {500, std::string(511, 'x') + "é and more"});
    server.enqueue("/rest/v1/t", {500, std::string(510, 'x') + "é and more"});
    server.enqueue("/rest/v1/t", {500, "\xff\xfe"});
    EXPECT_EQ(errorOf(client->selectData("t", {})).body(), QString(512, 'x'));
    EXPECT_EQ(errorOf(client->selectData("t", {})).body(), "0123456789");
    EXPECT_EQ(errorOf(client->selectData("t", {})).body(), "");
    EXPECT_EQ(errorOf(client->selectData("t", {})).body(), QString(510, 'x') + "é");
    EXPECT_EQ(errorOf(client->selectData("t", {})).body(), "");
}

TEST_F(PostgRESTClientTest, decodedReadsFailWholeOnOneBadRow) {
    server.enqueue("/rest/v1/players",
                   {200, R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A"}])"});
    server.enqueue("/rest/v1/players",
                   {200, R"([{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"A"},
                                                {"id":"6f1c2a9e-0000-4000-8000-0000000000ac"}])"});
    server.enqueue("/rest/v1/rpc/search_players", {200, "not json"});
    const auto players = waitForTask(client->select<Player>("players", {}));
    ASSERT_EQ(players.size(), 1u);
    EXPECT_EQ(players[0].fullName, "A");
    EXPECT_EQ(errorOf(client->select<Player>("players", {})),
              PostgRESTError::decoding("[1].fullName: missing"));
    EXPECT_THROW(waitForTask(client->rpc<Player>("search_players", {{"query_text", "x"}})), PostgRESTError);
}

TEST_F(PostgRESTClientTest, onlyHttpAndHttpsBaseURLsAreSent) {
    for (const char* base : {"ftp://127.0.0.1/", "file:///tmp/", "mailto:someone@example.com"}) {
        auto other = makeClient(QUrl(base));
        EXPECT_EQ(errorOf(other->selectData("players", {})), PostgRESTError::invalidURL()) << base;
        EXPECT_EQ(errorOf(other->rpcData("search_players", {})), PostgRESTError::invalidURL()) << base;
        EXPECT_NO_THROW(waitForTask(other->warmUp()));
    }
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(PostgRESTClientTest, warmUpAlwaysReachesTheServerWhileACacheableReadIsServedFromCache) {
    server.setDefault(
        "/rest/v1/players",
        LoopbackServer::Response(200, R"([{"id":1}])").withHeader("Cache-Control", "max-age=600"));
    waitForTask(client->warmUp());
    waitForTask(client->warmUp());
    EXPECT_EQ(waitForTask(client->selectData("players", {{"limit", "5"}})), R"([{"id":1}])");
    EXPECT_EQ(waitForTask(client->selectData("players", {{"limit", "5"}})), R"([{"id":1}])");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u) << "two warm-ups and one read; the repeated read came from the cache";
    for (int i : {0, 1}) {
        EXPECT_EQ(requests[i].requestLine, "HEAD /rest/v1/players?select=id&limit=1 HTTP/1.1");
        EXPECT_EQ(requests[i].header("apikey"), "anon-key");
        EXPECT_EQ(requests[i].header("Authorization"), "Bearer anon-key");
        EXPECT_EQ(requests[i].header("User-Agent"), "Huddlepod-Mac/1.2.3");
        EXPECT_EQ(requests[i].header("Accept"), "application/json");
        EXPECT_EQ(requests[i].header("Content-Type"), std::nullopt);
    }
    EXPECT_EQ(requests[2].target, "/rest/v1/players?limit=5");
}

TEST_F(PostgRESTClientTest, warmUpSwallowsFailures) {
    server.setDefault("/rest/v1/players", {503, "down"});
    EXPECT_NO_THROW(waitForTask(client->warmUp()));
    auto unreachable = makeClient(QUrl("http://127.0.0.1:1"));
    EXPECT_NO_THROW(waitForTask(unreachable->warmUp()));
}

TEST_F(PostgRESTClientTest, timeoutsAndDroppedConnectionsAreTransportErrors) {
    server.setDefault("/rest/v1/held", LoopbackServer::Response::held());
    server.setDefault("/rest/v1/dropped", LoopbackServer::Response::dropped());

    HttpSession::Options shortIdle;
    shortIdle.transferTimeout = 50ms;
    auto idle = makeClient(server.baseUrl(), shortIdle);
    EXPECT_EQ(errorOf(idle->selectData("held", {})).kind(), PostgRESTError::Kind::transport);

    HttpSession::Options shortTotal;
    shortTotal.transferTimeout = 60s;
    shortTotal.totalTimeout = 50ms;
    auto total = makeClient(server.baseUrl(), shortTotal);
    EXPECT_EQ(errorOf(total->selectData("held", {})), PostgRESTError::transport("The request timed out."));

    EXPECT_EQ(errorOf(client->selectData("dropped", {})).kind(), PostgRESTError::Kind::transport);

    // A status arrived, but the body did not: that is no answer, not a success with half a body.
    server.setDefault("/rest/v1/cut", LoopbackServer::Response::cutShort(200, std::string(4000, 'x')));
    EXPECT_EQ(errorOf(client->selectData("cut", {})).kind(), PostgRESTError::Kind::transport);
    EXPECT_GE(server.requestsTo("/rest/v1/dropped").size(), 1u);

    auto refused = makeClient(QUrl("http://127.0.0.1:1"));
    EXPECT_EQ(errorOf(refused->selectData("players", {})).kind(), PostgRESTError::Kind::transport);
}

TEST_F(PostgRESTClientTest, cancellationAbortsARequestInFlight) {
    server.setDefault("/rest/v1/held", LoopbackServer::Response::held());
    CancellationSource source;
    server.setRequestObserver([&source](const LoopbackServer::Request&) {
        QMetaObject::invokeMethod(
            qApp, [&source] { source.cancel(); }, Qt::QueuedConnection);
    });
    EXPECT_THROW(waitForTask(client->selectData("held", {}, source.token())), CancelledError);
    EXPECT_EQ(server.requestsTo("/rest/v1/held").size(), 1u);
    for (QNetworkReply* reply : client->session().manager().findChildren<QNetworkReply*>())
        EXPECT_TRUE(reply->isFinished());

    EXPECT_THROW(waitForTask(client->selectData("players", {}, source.token())), CancelledError)
        << "an already cancelled token sends nothing";
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(PostgRESTClientTest, destroyingTheClientEndsItsRequests) {
    server.setDefault("/rest/v1/held", LoopbackServer::Response::held());
    bool ended = false;
    auto task = [](PostgRESTClient& c, bool& flag) -> QCoro::Task<void> {
        try {
            co_await c.selectData("held", {});
        } catch (const PostgRESTError&) {
            flag = true;
        }
    };
    auto running = task(*client, ended);
    client.reset();
    EXPECT_TRUE(ended);
}
