// The player service on the wire, against a loopback server: the card's and the statistics'
// error precedence, the Hall of Fame flag, and no request left running when a call returns or is cancelled.
#include "data/PlayerService.h"

#include "platform/http/HttpSession.h"
#include "platform/http/TieredNetworkCache.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/BackendError.h"
#include "tests/support/LoopbackServer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace huddlepod;
using huddlepod::test::errorOf;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitForTask;
using huddlepod::test::waitUntil;

namespace {

const QUuid playerID = QUuid::fromString(QStringLiteral("{6F1C2A9E-0000-4000-8000-0000000000AB}"));
const std::string lowerID = "6f1c2a9e-0000-4000-8000-0000000000ab";

const std::vector<const char*> familyTables{"player_passing", "player_rushing_receiving", "player_defense",
                                            "player_kicking", "player_punting",           "player_returns",
                                            "player_scoring"};

const std::vector<const char*> gameTables{"game_player_offense", "game_player_defense", "game_player_kicking",
                                          "game_player_returns"};

std::string path(const std::string& table) {
    return "/rest/v1/" + table;
}

std::string bioRow() {
    return R"([{"id":")" + lowerID + R"(","full_name":"Sam Example","is_hof":true}])";
}

std::string seasonRow(int year, const char* type, const std::string& stats) {
    return R"({"id":")" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString() +
           R"(","player_id":")" + lowerID + R"(","year":)" + std::to_string(year) + R"(,"season_type":")" +
           type + "\"" + stats + "}";
}

class PlayerServiceTest : public ::testing::Test {
protected:
    PlayerServiceTest() { answerAll(); }

    // Every table answers as an ordinary player's would, or all of them with `every`.
    void answerAll(std::optional<LoopbackServer::Response> every = std::nullopt) {
        server.setDefault(path("players"), every.value_or(LoopbackServer::Response(200, bioRow())));
        server.setDefault(path("hall_of_fame"),
                          every.value_or(LoopbackServer::Response(200, R"([{"induction_year":2020}])")));
        for (const auto* tables : {&familyTables, &gameTables}) {
            for (const char* table : *tables)
                server.setDefault(path(table), every.value_or(LoopbackServer::Response(200, "[]")));
        }
    }

    HttpSession::Options sessionOptions() {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        return options;
    }

    // Every reply the client started has finished (replies that are gone were finished and deleted).
    bool nothingInFlight() {
        const auto replies = client->session().manager().findChildren<QNetworkReply*>();
        return std::all_of(replies.begin(), replies.end(), [](QNetworkReply* r) { return r->isFinished(); });
    }

    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    std::shared_ptr<PostgRESTClient> client =
        std::make_shared<PostgRESTClient>(SupabaseConfiguration{server.baseUrl(), "anon-key"}, "1.0",
                                          std::make_unique<HttpSession>(sessionOptions()));
    PlayerService service{client};
};

// "card", "no card", or the error's what().
std::string outcome(QCoro::Task<std::optional<PlayerCard>> task) {
    try {
        return waitForTask(std::move(task)) ? "card" : "no card";
    } catch (const PostgRESTError& error) {
        return error.what();
    }
}

} // namespace

TEST_F(PlayerServiceTest, cardSendsNineQueriesAndAsksForTheHallOfFameOnlyWithTheFlag) {
    const auto card = waitForTask(service.card(playerID, true));
    ASSERT_TRUE(card && card->hallOfFame);
    EXPECT_EQ(card->bio.fullName, "Sam Example");
    EXPECT_EQ(card->hallOfFame->inductionYear, 2020);
    EXPECT_EQ(server.requestCount(), 9u);

    const auto withoutFlag = waitForTask(service.card(playerID, false));
    ASSERT_TRUE(withoutFlag);
    EXPECT_FALSE(withoutFlag->hallOfFame) << "even for an inductee";
    EXPECT_EQ(server.requestsTo(path("hall_of_fame")).size(), 1u);
}

TEST_F(PlayerServiceTest, theCardsOutcomeFollowsAwaitOrderAndLeavesNothingInFlight) {
    const LoopbackServer::Response held = LoopbackServer::Response::held();
    const std::string badRows =
        "[" + seasonRow(2010, "regular", "") + "," + seasonRow(2011, "Regular", "") + "]";
    struct Case {
        std::vector<std::pair<std::string, LoopbackServer::Response>> answers;
        std::string outcome; // the start of it
    };
    const Case cases[] = {
        {{{"players", {200, "[]"}}, {"player_passing", {500, "down"}}, {"hall_of_fame", {404, "x"}}},
         "no card"},
        {{{"players", {503, "busy"}}, {"player_defense", {500, "down"}}}, "http 503: busy"},
        {{{"player_scoring", {500, "scoring"}}, {"hall_of_fame", {404, "hof"}}}, "http 500: scoring"},
        {{{"hall_of_fame", {404, "hof"}}}, "http 404: hof"},
        {{{"player_kicking", {200, badRows}}}, "decoding"},
        // The later families are cancelled: a held answer would never come.
        {{{"player_passing", {404, "passing"}}, {"player_defense", held}, {"player_scoring", held}},
         "http 404: passing"},
        {{}, "card"},
    };
    for (const Case& test : cases) {
        answerAll();
        for (const auto& [table, response] : test.answers)
            server.setDefault(path(table), response);
        const std::string got = outcome(service.card(playerID, true));
        EXPECT_EQ(got.substr(0, test.outcome.size()), test.outcome) << got;
        EXPECT_TRUE(nothingInFlight()) << test.outcome;
    }
}

TEST_F(PlayerServiceTest, theQueriesAFailureCancelsLeaveQtNothingToWarnAbout) {
    // Qt may have queued the failure of a query that the first failure cancels; aborting that reply on top
    // makes Qt report a second error and warn that it "must only be called once".
    const auto refused =
        std::make_shared<PostgRESTClient>(SupabaseConfiguration{QUrl("http://127.0.0.1:1"), "anon-key"},
                                          "1.0", std::make_unique<HttpSession>(sessionOptions()));
    PlayerService unreachable{refused};
    ::testing::internal::CaptureStderr();
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(errorOf(unreachable.card(playerID, true)).kind(), PostgRESTError::Kind::transport);
        answerAll(LoopbackServer::Response::dropped());
        EXPECT_EQ(errorOf(service.card(playerID, true)).kind(), PostgRESTError::Kind::transport);
        answerAll(LoopbackServer::Response(500, "down"));
        EXPECT_EQ(errorOf(service.card(playerID, true)).kind(), PostgRESTError::Kind::http);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(PlayerServiceTest, firstErrorInAwaitOrderNotInTime) {
    // The passing answer is held until the client has the rushing-and-receiving 500 in hand.
    LoopbackServer::Response slowNotFound(404, "passing");
    slowNotFound.hold = true;
    server.setDefault(path("player_passing"), slowNotFound);
    server.setDefault(path("player_rushing_receiving"), {500, "rushing"});
    QObject::connect(&client->session().manager(), &QNetworkAccessManager::finished,
                     &client->session().manager(), [this](QNetworkReply* reply) {
                         if (reply->url().path().toStdString() == path("player_rushing_receiving"))
                             server.release();
                     });
    EXPECT_EQ(errorOf(service.stats(playerID)), PostgRESTError::http(404, "passing"));
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, statisticsArriveInFamilyOrderAndNothingIsCached) {
    server.setDefault(path("player_passing"),
                      {200, "[" + seasonRow(2011, "regular", R"(,"pass_att":480,"pass_cmp":300)") + "," +
                                seasonRow(2011, "postseason", R"(,"pass_att":40)") + "]"});
    server.setDefault(path("player_punting"), {200, "[" + seasonRow(2009, "regular", R"(,"punt":2)") + "]"});
    const auto card = waitForTask(service.card(playerID, false));
    ASSERT_TRUE(card);
    ASSERT_EQ(card->stats.passing.size(), 2u);
    EXPECT_EQ(card->stats.passing[1].seasonType, SeasonType::postseason);
    EXPECT_EQ(card->stats.punting.size(), 1u);
    EXPECT_EQ(card->tables.size(), 1u);

    waitForTask(service.stats(playerID));
    EXPECT_EQ(server.requestCount(), 15u) << "a card's eight requests, then the seven families again";
    server.setDefault(path("players"), {200, "[]"});
    EXPECT_EQ(waitForTask(service.bio(playerID)), std::nullopt);
}

TEST_F(PlayerServiceTest, gameLogQueriesFourTablesAndMerges) {
    const std::string game =
        R"("games":{"year":2012,"week":"3","game_date":"2012-09-23","season_type":"regular",)"
        R"("home_team_abbr":"KC","away_team_abbr":"DEN","home_score":24,"away_score":17})";
    const std::string gameID = "\"game_id\":\"00000000-0000-4000-8000-000000000001\"";
    server.setDefault(path("game_player_offense"),
                      {200, "[{" + gameID + R"(,"team_abbr":"KC","pass_att":30,)" + game + "}]"});
    server.setDefault(path("game_player_returns"),
                      {200, "[{" + gameID + R"(,"team_abbr":"DEN","kick_ret":2,)" + game + "}]"});

    const auto entries = waitForTask(service.gameLog(playerID, 2012));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].offense && entries[0].returns && !entries[0].defense);
    EXPECT_EQ(server.requestCount(), 4u);

    server.setDefault(path("game_player_defense"), {500, "down"});
    server.setDefault(path("game_player_kicking"), LoopbackServer::Response::held());
    EXPECT_EQ(errorOf(service.gameLog(playerID, 2012)), PostgRESTError::http(500, "down"));
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, cancellingACardOrAGameLogEndsEveryRequestOnTheServer) {
    answerAll(LoopbackServer::Response::held());
    const std::pair<std::size_t, std::function<QCoro::Task<void>(CancellationToken)>> loads[] = {
        {9, [this](CancellationToken t) -> QCoro::Task<void> { co_await service.card(playerID, true, t); }},
        {4,
         [this](CancellationToken t) -> QCoro::Task<void> { co_await service.gameLog(playerID, 2012, t); }},
    };
    for (const auto& [requests, load] : loads) {
        CancellationSource source;
        auto task = load(source.token());
        // Qt opens at most six connections to one host; the other requests wait for one.
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == std::min<std::size_t>(requests, 6); }));
        source.cancel();
        EXPECT_EQ(errorOf(std::move(task)), PostgRESTError::transport("cancelled"));
        EXPECT_TRUE(waitUntil([&] { return server.heldCount() == 0; })) << "a request is still open";
    }
}
