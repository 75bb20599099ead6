// Decoding the league rows from the backend's JSON.
#include "data/LeagueRows.h"
#include "data/JsonReader.h"

#include "tests/data/EmptyFields.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using Names = std::vector<std::string>;
using test::emptyFields;

// Rows whose columns the other league tests do not already read back from literal JSON.
TEST(LeagueRows, everyBackendColumnFillsAField) {
    const std::pair<Names (*)(const QByteArray&), const char*> cases[] = {
        {emptyFields<GameRow>,
         R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":"1","game_date":"2024-09-05",
            "gametime":"20:20","game_day_of_week":"Thu","home_team_abbr":"KC","away_team_abbr":"BAL",
            "home_score":27,"away_score":20,"tv_network":"NBC","year":2024})"},
        {emptyFields<SeasonRow>,
         R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","year":2023,"playoff_teams_per_conference":7})"},
        {emptyFields<StandingRow>, R"({"wins":11,"losses":6,"ties":0,"win_pct":0.647,"points_for":371,
            "points_against":294,"point_differential":77,"division_rank":1,"conference_seed":3,
            "is_division_winner":true,"is_playoff_team":false,"teams":{}})"},
        {emptyFields<TeamRef>, R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","current_abbreviation":"KC",
            "current_name":"Chiefs","current_city":"Kansas City"})"},
        {emptyFields<DivisionHistoryRow>,
         R"({"team_id":"6f1c2a9e-0000-4000-8000-0000000000ab","divisions":{}})"},
        {emptyFields<DivisionHistoryRow::Division>,
         R"({"name":"East","abbreviation":"AFCE","conferences":{"abbreviation":"AFC"}})"},
        {emptyFields<DivisionHistoryRow::Division::Conference>, R"({"abbreviation":"AFC"})"},
        {emptyFields<HonorRow>, R"({"team_level":"first_team","players":{},"positions":{},"teams":{}})"},
        {emptyFields<PositionRef>, R"({"abbreviation":"QB","position_group":"offense","sort_order":1})"},
    };
    for (const auto& [emptyOf, json] : cases)
        EXPECT_EQ(emptyOf(json), Names{}) << json;
}

TEST(LeagueRows, aRowWithoutItsRequiredFieldsFailsTheWholeAnswer) {
    const QByteArray good = R"({"id":"6F1C2A9E-0000-4000-8000-0000000000AB","week":"1","game_date":null})";
    EXPECT_EQ(decodeArray<GameRow>("[" + good + "]").at(0).week, "1");
    for (const QByteArray& bad : {QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":null})"),
                                  QByteArray(R"({"week":"2"})"),
                                  QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":2})")})
        EXPECT_THROW(decodeArray<GameRow>("[" + good + "," + bad + "]"), JsonDecodingError)
            << bad.constData();
    EXPECT_THROW(decodeArray<SuperBowlRow>(R"([{"seasons":{"year":2023}},{"seasons":{"year":null}}])"),
                 JsonDecodingError);
    EXPECT_THROW(decodeArray<DivisionHistoryRow>(R"([{"divisions":null}])"), JsonDecodingError);
}

} // namespace
} // namespace huddlepod
