// The player service on the wire, against a loopback server: exact queries, the card's and the statistics'
// error precedence, the Hall of Fame flag, and no request left in flight when a call returns.
#include "data/PlayerService.h"

#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"
#include "tests/support/BackendError.h"
#include "tests/support/LoopbackServer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

using namespace huddlepod;
using huddlepod::test::errorOf;
using huddlepod::test::LoopbackServer;
using huddlepod::test::waitForTask;

namespace {

const QUuid playerID = QUuid::fromString(QStringLiteral("{6F1C2A9E-0000-4000-8000-0000000000AB}"));
const std::string lowerID = "6f1c2a9e-0000-4000-8000-0000000000ab";

const char* const familyTables[] = {"player_passing", "player_rushing_receiving", "player_defense",
                                    "player_kicking", "player_punting",           "player_returns",
                                    "player_scoring"};

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
    PlayerServiceTest() {
        server.setDefault(path("players"), {200, bioRow()});
        for (const char* table : familyTables)
            server.setDefault(path(table), {200, "[]"});
        server.setDefault(path("hall_of_fame"), {200, R"([{"induction_year":2020,"pro_bowls":9}])"});
    }

    HttpSession::Options sessionOptions() {
        HttpSession::Options options;
        options.cacheDirectory = cacheDirectory.path();
        return options;
    }

    // Every reply the client started has finished (replies that are gone were finished and deleted).
    bool nothingInFlight() {
        const auto replies = client.session().manager().findChildren<QNetworkReply*>();
        return std::all_of(replies.begin(), replies.end(), [](QNetworkReply* r) { return r->isFinished(); });
    }

    // Lets held responses go once the client has received the answer for `table`.
    void releaseAfterAnswerFrom(const std::string& table) {
        QObject::connect(&client.session().manager(), &QNetworkAccessManager::finished,
                         &client.session().manager(), [this, table](QNetworkReply* reply) {
                             if (reply->url().path().toStdString() == path(table))
                                 server.release();
                         });
    }

    LoopbackServer server;
    QTemporaryDir cacheDirectory;
    PostgRESTClient client{SupabaseConfiguration{server.baseUrl(), "anon-key"}, "1.0",
                           std::make_unique<HttpSession>(sessionOptions())};
    PlayerService service{client};
};

} // namespace

TEST_F(PlayerServiceTest, cardSendsNineExactQueries) {
    const auto card = waitForTask(service.card(playerID, true));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->bio.fullName, "Sam Example");
    ASSERT_TRUE(card->hallOfFame);
    EXPECT_EQ(card->hallOfFame->inductionYear, 2020);

    ASSERT_EQ(server.requestCount(), 9u);
    EXPECT_EQ(server.requestsTo(path("players")).at(0).target,
              "/rest/v1/players?id=eq." + lowerID + "&limit=1");
    for (const char* table : familyTables) {
        const auto sent = server.requestsTo(path(table));
        ASSERT_EQ(sent.size(), 1u) << table;
        EXPECT_EQ(sent[0].target,
                  path(table) + "?player_id=eq." + lowerID + "&order=year.asc,season_type.asc");
        EXPECT_EQ(sent[0].method, "GET");
    }
    EXPECT_EQ(server.requestsTo(path("hall_of_fame")).at(0).target,
              "/rest/v1/hall_of_fame?player_id=eq." + lowerID + "&limit=1");
}

TEST_F(PlayerServiceTest, noHallOfFameRequestWithoutTheFlag) {
    const auto card = waitForTask(service.card(playerID, false));
    ASSERT_TRUE(card);
    EXPECT_FALSE(card->hallOfFame) << "even for an inductee";
    EXPECT_TRUE(server.requestsTo(path("hall_of_fame")).empty());
    EXPECT_EQ(server.requestCount(), 8u);

    server.setDefault(path("hall_of_fame"), {200, "[]"});
    const auto withoutRow = waitForTask(service.card(playerID, true));
    ASSERT_TRUE(withoutRow);
    EXPECT_FALSE(withoutRow->hallOfFame);
}

TEST_F(PlayerServiceTest, noBiographyRowMeansNoCardWhateverElseFails) {
    server.setDefault(path("players"), {200, "[]"});
    server.setDefault(path("player_passing"), {500, "down"});
    server.setDefault(path("hall_of_fame"), {404, "missing"});
    EXPECT_EQ(waitForTask(service.card(playerID, true)), std::nullopt);
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, aFailedBiographyWinsOverEverything) {
    server.setDefault(path("players"), {503, "busy"});
    server.setDefault(path("player_defense"), {500, "down"});
    EXPECT_EQ(errorOf(service.card(playerID, true)), PostgRESTError::http(503, "busy"));
}

TEST_F(PlayerServiceTest, statisticsErrorBeforeHallOfFameErrorAndHallOfFameErrorFailsTheCard) {
    server.setDefault(path("player_scoring"), {500, "scoring"});
    server.setDefault(path("hall_of_fame"), {404, "hof"});
    EXPECT_EQ(errorOf(service.card(playerID, true)), PostgRESTError::http(500, "scoring"));

    server.setDefault(path("player_scoring"), {200, "[]"});
    EXPECT_EQ(errorOf(service.card(playerID, true)), PostgRESTError::http(404, "hof"));
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, firstErrorInAwaitOrderNotInTime) {
    // The passing answer is held until the client has the rushing-and-receiving 500 in hand.
    LoopbackServer::Response slowNotFound(404, "passing");
    slowNotFound.hold = true;
    server.setDefault(path("player_passing"), slowNotFound);
    server.setDefault(path("player_rushing_receiving"), {500, "rushing"});
    releaseAfterAnswerFrom("player_rushing_receiving");
    const PostgRESTError error = errorOf(service.stats(playerID));
    EXPECT_EQ(error.kind(), PostgRESTError::Kind::http);
    EXPECT_EQ(error.status(), 404);
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, aFailureCancelsLaterFamiliesAndLeavesNothingInFlight) {
    server.setDefault(path("player_passing"), {404, "passing"});
    for (const char* table : {"player_defense", "player_punting", "player_scoring"})
        server.setDefault(path(table), LoopbackServer::Response::held());
    EXPECT_EQ(errorOf(service.stats(playerID)), PostgRESTError::http(404, "passing"));
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, statisticsArriveInFamilyOrderAndBuildTheTables) {
    server.setDefault(path("player_passing"),
                      {200, "[" + seasonRow(2011, "regular", R"(,"pass_att":480,"pass_cmp":300)") + "," +
                                seasonRow(2011, "postseason", R"(,"pass_att":40)") + "]"});
    server.setDefault(path("player_punting"), {200, "[" + seasonRow(2009, "regular", R"(,"punt":2)") + "]"});
    const auto card = waitForTask(service.card(playerID, false));
    ASSERT_TRUE(card);
    ASSERT_EQ(card->stats.passing.size(), 2u);
    EXPECT_EQ(card->stats.passing[1].seasonType, SeasonType::postseason);
    EXPECT_EQ(card->stats.punting.size(), 1u);
    EXPECT_EQ(card->stats.seasonRange(), (YearRange{2009, 2011}));
    ASSERT_EQ(card->tables.size(), 1u);
    EXPECT_EQ(card->tables[0].title(), QString("Passing"));
}

TEST_F(PlayerServiceTest, aPlayerWithoutSeasonsStillGetsACard) {
    const auto card = waitForTask(service.card(playerID, false));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->stats, PlayerStats::empty());
    EXPECT_TRUE(card->tables.empty());
}

TEST_F(PlayerServiceTest, oneBadRowFailsTheWholeCard) {
    server.setDefault(path("player_kicking"), {200, "[" + seasonRow(2010, "regular", "") + "," +
                                                        seasonRow(2011, "Regular", "") + "]"});
    EXPECT_EQ(errorOf(service.card(playerID, false)).kind(), PostgRESTError::Kind::decoding);
}

TEST_F(PlayerServiceTest, nothingIsCached) {
    waitForTask(service.stats(playerID));
    waitForTask(service.stats(playerID));
    EXPECT_EQ(server.requestCount(), 14u);
    EXPECT_EQ(waitForTask(service.bio(playerID))->id, playerID);
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
    server.setDefault(path("game_player_defense"), {200, "[]"});
    server.setDefault(path("game_player_kicking"), {200, "[]"});
    server.setDefault(path("game_player_returns"),
                      {200, "[{" + gameID + R"(,"team_abbr":"DEN","kick_ret":2,)" + game + "}]"});

    const auto entries = waitForTask(service.gameLog(playerID, 2012));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].teamAbbr, "KC") << "the offense line comes first";
    EXPECT_EQ(entries[0].offense->passAtt, 30);
    EXPECT_EQ(entries[0].returns->kickRet, 2);
    EXPECT_FALSE(entries[0].defense);
    EXPECT_EQ(entries[0].opponentLabel(), "vs DEN");

    for (const char* table :
         {"game_player_offense", "game_player_defense", "game_player_kicking", "game_player_returns"}) {
        EXPECT_EQ(server.requestsTo(path(table)).at(0).target,
                  path(table) + "?player_id=eq." + lowerID +
                      "&select=game_id,team_abbr,games!inner(year,week,game_date,season_type,home_team_abbr,"
                      "away_team_abbr,home_score,away_score),*&games.year=eq.2012&order=games(game_date).asc")
            << table;
    }
}

TEST_F(PlayerServiceTest, gameLogFailsWholeAndCancelsTheRest) {
    server.setDefault(path("game_player_offense"), {200, "[]"});
    server.setDefault(path("game_player_defense"), {500, "down"});
    server.setDefault(path("game_player_kicking"), LoopbackServer::Response::held());
    server.setDefault(path("game_player_returns"), LoopbackServer::Response::held());
    EXPECT_EQ(errorOf(service.gameLog(playerID, 2012)), PostgRESTError::http(500, "down"));
    EXPECT_TRUE(nothingInFlight());
}

TEST_F(PlayerServiceTest, anEmptyYearIsAnEmptyLog) {
    for (const char* table :
         {"game_player_offense", "game_player_defense", "game_player_kicking", "game_player_returns"})
        server.setDefault(path(table), {200, "[]"});
    EXPECT_TRUE(waitForTask(service.gameLog(playerID, 1950)).empty());
}

TEST(StatFamily, tableNamesAndDisplayNames) {
    EXPECT_EQ(rawValue(StatFamily::rushingReceiving), "player_rushing_receiving");
    EXPECT_EQ(displayName(StatFamily::rushingReceiving), "Rushing & Receiving");
    EXPECT_EQ(allStatFamilies.size(), 7u);
    EXPECT_EQ(statFamilyFromRawValue("player_scoring"), StatFamily::scoring);
    for (const char* other : {"Player_Scoring", "player_scoring ", "scoring", "passing", ""})
        EXPECT_EQ(statFamilyFromRawValue(other), std::nullopt) << other;
}
