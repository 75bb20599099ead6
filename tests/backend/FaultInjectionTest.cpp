// Injected faults: forced answers, malformed rows, dropped connections, delays, and the control endpoint; and
// many clients at once, slow ones among them.
#include "BackendTestSupport.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <thread>

namespace huddlepod::backend::testing {
namespace {

class FaultInjection : public ::testing::Test {
protected:
    FaultInjection()
        : server_(tinyLeague())
        , http_(server_) {}

    void add(const char* rule) { server_.faults().add(faultRuleFromJson(nlohmann::json::parse(rule))); }

    BackendServer server_;
    Http http_;
};

TEST_F(FaultInjection, forcedStatusAppliesToItsRouteForItsCount) {
    add(R"({"route":"players","status":503,"body":"overloaded","times":1})");
    add(R"({"route":"games","status":429})");

    const Reply forced = http_.get("players", {{"limit", "1"}});
    EXPECT_EQ(forced.status, 503);
    EXPECT_EQ(forced.body, "overloaded");
    EXPECT_EQ(http_.get("players", {{"limit", "1"}}).status, 200) << "the rule was used up";
    for (int i = 0; i < 2; ++i) {
        const Reply limited = http_.get("games", {{"limit", "1"}});
        EXPECT_EQ(limited.status, 429);
        EXPECT_EQ(limited.json()["code"], "PGRST000") << "a PostgREST-style error when no body is given";
    }
    server_.faults().clear();
    EXPECT_EQ(http_.get("games", {{"limit", "1"}}).status, 200);
}

TEST_F(FaultInjection, malformedRowsChangeEveryValuesType) {
    add(R"({"malformed_rows":true})");
    const auto rows = http_.get("games", {{"select", "id,year,home_score"}, {"limit", "2"}}).json();
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_TRUE(row["id"].is_number());
        EXPECT_TRUE(row["year"].is_string());
        EXPECT_FALSE(row["home_score"].is_number());
    }
    EXPECT_EQ(http_.get("games", {{"year", "eq.1900"}}).json(), nlohmann::json::parse("[null]"));
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"zzqxv"})").json(),
              nlohmann::json::parse("[null]"));
}

TEST_F(FaultInjection, droppedConnectionGivesNoAnswerAtAll) {
    add(R"({"route":"rpc/search_players","drop_connection":true,"times":1})");
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"ab"})").status, 0);
    EXPECT_EQ(http_.rpc("search_players", R"({"query_text":"ab"})").status, 200);
}

TEST_F(FaultInjection, delayedAnswerStillArrivesAndStopCutsALongDelayShort) {
    add(R"({"route":"players","delay_ms":5,"times":1})");
    EXPECT_EQ(http_.get("players", {{"select", "id"}, {"limit", "1"}}).json().size(), 1u);

    add(R"({"route":"games","delay_ms":600000})");
    auto pending = std::async(std::launch::async, [this] {
        Http http(server_);
        return http.get("games", {{"limit", "1"}}).status;
    });
    while (server_.requests().size() < 2) {
        std::this_thread::yield(); // wait until the delayed request has arrived
    }
    server_.stop();
    pending.get(); // returns once the server stops, whatever the client saw
    SUCCEED();
}

TEST_F(FaultInjection, controlEndpointSetsListsAndClearsRulesAndRefusesWhatCannotApply) {
    const Reply set = http_.post(
        "/__control/faults", R"([{"route":"drafts","status":500,"times":2},{"route":"teams","delay_ms":1}])");
    ASSERT_EQ(set.status, 200);
    EXPECT_EQ(set.json().size(), 2u);
    EXPECT_EQ(http_.get("drafts").status, 500);
    EXPECT_EQ(http_.send("GET", "/__control/faults").json()[0]["times"], 1);
    EXPECT_EQ(http_.send("DELETE", "/__control/faults").status, 200);
    EXPECT_EQ(http_.get("drafts").status, 200);

    for (const char* body : {R"({"route":"drafts","status":99})", R"({"route":"drafts","colour":"red"})", "[",
                             R"({"body":"no status"})", R"([{"delay_ms":-1}])", "3"}) {
        EXPECT_EQ(http_.post("/__control/faults", body).status, 400) << body;
    }
    EXPECT_TRUE(server_.faults().rules().empty());
    EXPECT_EQ(http_.send("DELETE", "/__control/faults", {}, {}, false).status, 401);
}

// Each open connection holds a server thread: Qt alone keeps six per host open, and a second client must not
// wait for one of them to close.
TEST(BackendServer, servesManyKeepAliveClientsAtOnce) {
    BackendServer server(tinyLeague());
    const httplib::Headers headers = {{"apikey", server.anonKey()},
                                      {"Authorization", "Bearer " + server.anonKey()}};
    std::vector<std::unique_ptr<httplib::Client>> clients;
    for (int i = 0; i < 24; ++i) {
        auto& client = *clients.emplace_back(std::make_unique<httplib::Client>("127.0.0.1", server.port()));
        client.set_keep_alive(true);
        client.set_read_timeout(3, 0); // an idle connection would close after 5 s
        const auto result = client.Get("/rest/v1/players?select=id&limit=1", headers);
        ASSERT_TRUE(result) << "client " << i << " got no answer";
        EXPECT_EQ(result->status, 200);
    }
}

// A bare connection, to send a request piece by piece and see what comes back.
struct RawClient {
    explicit RawClient(int port) {
        const sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
        EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ~RawClient() { close(fd); }
    void send(const std::string& text) const { ::send(fd, text.data(), text.size(), MSG_NOSIGNAL); }
    void receive() {
        char buffer[4096];
        const ssize_t count = recv(fd, buffer, sizeof buffer, 0);
        if (count > 0) {
            received.append(buffer, static_cast<size_t>(count));
        } else {
            closed = true;
        }
    }
    // The status line of the answer received: "" for none, "?" for more than one or anything else.
    std::string answer() const {
        if (received.empty()) {
            return "";
        }
        return received.rfind("HTTP/1.1 ") == 0 ? received.substr(0, received.find("\r\n")) : "?";
    }

    int fd = socket(AF_INET, SOCK_STREAM, 0);
    std::string received;
    bool closed = false;
    int linesSent = 0;
};

// Requests sent back to back on one connection, without waiting for the answers, are each answered, in order.
TEST(BackendServer, answersPipelinedRequestsInOrder) {
    BackendServer server(tinyLeague());
    const std::string key =
        "apikey: " + server.anonKey() + "\r\nAuthorization: Bearer " + server.anonKey() + "\r\n";
    const std::string refused = "GET /rest/v1/teams?select=id HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::string teams = "GET /rest/v1/teams?select=id&limit=1 HTTP/1.1\r\nHost: x\r\n" + key + "\r\n";
    struct Row {
        std::vector<std::string> sends;
        std::string statuses;
    };
    const std::vector<Row> rows{
        {{refused + teams}, "401 200"},                                 // two in one send
        {{refused + teams.substr(0, 20), teams.substr(20)}, "401 200"}, // the second cut short, then the rest
        {{teams + refused + teams}, "200 401 200"},
    };
    for (const auto& [sends, expected] : rows) {
        RawClient client(server.port());
        for (const std::string& part : sends) {
            client.send(part);
        }
        std::string statuses;
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             statuses.size() < expected.size() && !client.closed && std::chrono::steady_clock::now() < end;) {
            pollfd readable{client.fd, POLLIN, 0};
            if (poll(&readable, 1, 100) == 1) {
                client.receive();
            }
            statuses.clear();
            for (size_t at = client.received.find("HTTP/1.1 "); at != std::string::npos;
                 at = client.received.find("HTTP/1.1 ", at + 1)) {
                statuses += (statuses.empty() ? "" : " ") + client.received.substr(at + 9, 3);
            }
        }
        EXPECT_EQ(statuses, expected) << sends.front();
    }
}

// One more client than the server has threads holds a connection open slowly, each within the per-read
// timeout: it sends a header line a second, on a new connection or after an answered request on a kept-alive
// one; or sends a whole request every four seconds on a kept-alive connection (idle, in between, past the
// header deadline); or a request body a byte a second. A request queued behind them, and one whose headers
// come in two parts a second apart, are answered, and the slow ones are cut off, all before the slow requests
// could be complete.
struct SlowSenders {
    enum class Then { headerLines, wholeRequests, bodyBytes };
    const char* name;
    bool keptAlive; // each first sends a whole request and reads its answer
    Then then;
    const char* answer; // the status line each slow one gets
};

void PrintTo(const SlowSenders& row, std::ostream* out) {
    *out << row.name;
}

class SlowHeaderSenders : public ::testing::TestWithParam<SlowSenders> {};

TEST_P(SlowHeaderSenders, holdNoThreadPastTheirDeadlineAndGetNoAnswer) {
    using namespace std::chrono;
    const SlowSenders& row = GetParam();
    const bool keptAlive = row.keptAlive;
    BackendServer server(tinyLeague());
    const std::string key =
        "apikey: " + server.anonKey() + "\r\nAuthorization: Bearer " + server.anonKey() + "\r\n";
    const std::string get = "GET /rest/v1/teams?select=id HTTP/1.1\r\nHost: x\r\n";
    const std::string head = "HEAD /rest/v1/teams HTTP/1.1\r\nHost: x\r\n" + key + "\r\n";
    const std::string post = "POST /rest/v1/rpc/search_players HTTP/1.1\r\nHost: x\r\n" + key +
                             "Content-Type: application/json\r\nContent-Length: 20\r\n\r\n";
    std::vector<std::unique_ptr<RawClient>> clients; // the hesitant one, the slow ones, the one queued behind
    for (int i = 0; i < BackendServer::workerThreads + 3; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port()));
    }
    RawClient& hesitant = *clients.front();
    RawClient& queued = *clients.back();
    const auto slow = std::span(clients).subspan(1, BackendServer::workerThreads + 1);
    hesitant.send(get);
    for (const auto& client : slow) {
        if (keptAlive) {
            client->send(head);
        }
    }
    queued.send(get + key + "\r\n");

    const auto done = [&] {
        return !hesitant.received.empty() && !queued.received.empty() &&
               std::all_of(slow.begin(), slow.end(), [](const auto& client) { return client->closed; });
    };
    // The slow headers would be complete after 15 lines, 15 s from now, the body after 20.
    for (int line = 0; line < 15 && !done(); ++line) {
        for (const auto& client : slow) {
            switch (row.then) {
            case SlowSenders::Then::headerLines:
                // On a kept-alive connection the slow request starts once the first answer is in.
                if (!keptAlive || !client->received.empty()) {
                    client->send(client->linesSent++ == 0 ? get : "X-Line: " + std::to_string(line) + "\r\n");
                }
                break;
            case SlowSenders::Then::wholeRequests:
                if (line % 4 == 0 && line > 0 && !client->closed) {
                    client->send(head);
                }
                break;
            case SlowSenders::Then::bodyBytes:
                client->send(client->linesSent++ == 0 ? post : "[");
                break;
            }
        }
        if (line == 1) {
            hesitant.send(key + "\r\n");
        }
        for (const auto end = steady_clock::now() + seconds(1); steady_clock::now() < end && !done();) {
            std::vector<pollfd> sockets;
            for (const auto& client : clients) {
                sockets.push_back({client->closed ? -1 : client->fd, POLLIN, 0});
            }
            poll(sockets.data(), sockets.size(),
                 static_cast<int>(ceil<milliseconds>(end - steady_clock::now()).count()));
            for (size_t i = 0; i < sockets.size(); ++i) {
                if (sockets[i].revents != 0) {
                    clients[i]->receive();
                }
            }
        }
    }
    EXPECT_EQ(hesitant.answer(), "HTTP/1.1 200 OK");
    EXPECT_EQ(queued.answer(), "HTTP/1.1 200 OK");
    for (const auto& client : slow) {
        EXPECT_TRUE(client->closed);
        EXPECT_EQ(client->answer(), row.answer);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BackendServer, SlowHeaderSenders,
    ::testing::Values(SlowSenders{"newConnection", false, SlowSenders::Then::headerLines, ""},
                      SlowSenders{"keptAlive", true, SlowSenders::Then::headerLines, "HTTP/1.1 200 OK"},
                      SlowSenders{"idleBetweenKeptAliveRequests", true, SlowSenders::Then::wholeRequests,
                                  "HTTP/1.1 200 OK"},
                      SlowSenders{"slowBody", false, SlowSenders::Then::bodyBytes, ""}),
    [](const ::testing::TestParamInfo<SlowSenders>& row) { return std::string(row.param.name); });

// A burst of new connections (a proxy in front opens one upstream connection per request) must all be taken
// at once: a connection past the listen queue waits a second for the client to send its SYN again. The
// queue's size is read back from the kernel, as `ss` reports a listening socket's.
TEST(BackendServer, queuesAtLeastAsManyNewConnectionsAsItHasThreads) {
    BackendServer server(tinyLeague());
    const std::string command = "ss -ltnH 'sport = :" + std::to_string(server.port()) + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> ss(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(ss);
    char line[512] = {};
    ASSERT_TRUE(fgets(line, sizeof line, ss.get())) << "ss lists no listening socket on " << server.port();
    std::istringstream fields(line);
    std::string state;
    long queued = -1;
    long queueSize = -1;
    fields >> state >> queued >> queueSize;
    EXPECT_EQ(state, "LISTEN");
    EXPECT_GE(queueSize, 32) << line;
}

} // namespace
} // namespace huddlepod::backend::testing
