// Decoding the league rows from the backend's JSON, and the league choice types.
#include "data/LeagueRows.h"
#include "data/AwardsSection.h"
#include "data/JsonReader.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

const QUuid teamID = QUuid::fromString(QStringLiteral("6f1c2a9e-0000-4000-8000-0000000000ab"));

TEST(LeagueRows, gamesFailAsAWholeOnAMissingRequiredField) {
    const QByteArray good = R"({"id":"6F1C2A9E-0000-4000-8000-0000000000AB","week":"1","game_date":null,
        "gametime":null,"game_day_of_week":null,"home_team_abbr":null,"away_team_abbr":null,"home_score":null,
        "away_score":null,"tv_network":null})";
    const auto rows = decodeArray<GameRow>("[" + good + "]");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].week, "1");

    for (const QByteArray& bad : {QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":null})"),
                                  QByteArray(R"({"week":"2"})"),
                                  QByteArray(R"({"id":"6f1c2a9e-0000-4000-8000-0000000000ab","week":2})")})
        EXPECT_THROW(decodeArray<GameRow>("[" + good + "," + bad + "]"), JsonDecodingError)
            << bad.constData();
}

TEST(LeagueRows, embeddedObjectsAndAbsentFields) {
    const auto standings =
        decodeArray<StandingRow>(R"([{}, {"wins":4294967307,"win_pct":0.647,"is_playoff_team":true,
        "teams":{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","current_abbreviation":"KC","current_name":null}}])");
    EXPECT_EQ(standings[0], StandingRow{});
    EXPECT_EQ(standings[1].wins, (std::int64_t{1} << 32) + 11);
    EXPECT_EQ(standings[1].winPct, 0.647);
    EXPECT_EQ(standings[1].isPlayoffTeam, true);
    EXPECT_EQ(standings[1].teams, (TeamRef{teamID, QStringLiteral("KC"), std::nullopt, std::nullopt}));

    const auto championships = decodeArray<SuperBowlRow>(R"([{"super_bowl_number":58,"co_mvp":null,
        "mvp":{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","full_name":"P M"},"seasons":{"year":2023},
        "playoff_games":{"home_score":22,"winner_team_id":"6f1c2a9e-0000-4000-8000-0000000000ab",
                         "home":{"id":"6f1c2a9e-0000-4000-8000-0000000000ab","current_abbreviation":"KC"}}}])");
    const SuperBowlRow& game = championships.front();
    EXPECT_EQ(game.mvp->fullName, "P M");
    EXPECT_FALSE(game.coMvp.has_value());
    EXPECT_EQ(game.seasons->year, 2023);
    EXPECT_EQ(game.playoffGames->winnerTeamId, teamID);
    EXPECT_EQ(game.playoffGames->home->currentAbbreviation, "KC");
    EXPECT_FALSE(game.playoffGames->away.has_value());
    EXPECT_THROW(decodeArray<SuperBowlRow>(R"([{"seasons":{"year":null}}])"), JsonDecodingError);

    const auto history =
        decodeArray<DivisionHistoryRow>(R"([{"team_id":"6f1c2a9e-0000-4000-8000-0000000000ab",
        "divisions":{"name":"East","conferences":{"abbreviation":"AFC"}}}])");
    EXPECT_EQ(history[0].divisions->name, "East");
    EXPECT_FALSE(history[0].divisions->abbreviation.has_value());
    EXPECT_EQ(history[0].divisions->conferences->abbreviation, "AFC");

    const auto awards =
        decodeArray<AwardRow>(R"([{"ranking":1,"vote_percentage":98,"award_types":{"abbreviation":"MVP",
        "sort_order":1},"positions":{"position_group":"offense"},"seasons":{"year":2023}}])");
    EXPECT_EQ(awards[0].votePercentage, 98.0);
    EXPECT_EQ(awards[0].awardTypes->sortOrder, 1);
    EXPECT_EQ(awards[0].positions->positionGroup, "offense");
}

TEST(AwardsSections, rawValuesAndTitles) {

    EXPECT_EQ(AwardsSections::fromRawValue(QStringLiteral("allPro")), AwardsSection::allPro);
    EXPECT_EQ(AwardsSections::fromRawValue(QStringLiteral("allpro")), std::nullopt);
    std::vector<QString> titles;
    for (AwardsSection section : AwardsSections::allCases)
        titles.push_back(AwardsSections::title(section) + QLatin1Char('/') + AwardsSections::id(section));
    EXPECT_EQ(titles, (std::vector<QString>{"Winners/winners", "All-Pro/allPro", "All-Rookie/allRookie"}));
}

} // namespace
} // namespace huddlepod
