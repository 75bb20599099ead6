// Game-log tables: every decoded field in its own cell, groups from the career (or the games), the greedy
// width fit, group spans and sections.
#include "data/GameLogBuilder.h"
#include "data/JsonReader.h"
#include "data/StatFormat.h"
#include "tests/data/Careers.h"

#include <gtest/gtest.h>

using namespace huddlepod;
using huddlepod::test::career;

namespace {

using Texts = std::vector<QString>;

GameLogEntry game(const char* week, SeasonType type = SeasonType::regular) {
    GameLogEntry e;
    e.id = QUuid::createUuid();
    e.context.week = week;
    e.context.seasonType = type;
    e.context.homeTeamAbbr = QStringLiteral("KC");
    e.context.awayTeamAbbr = QStringLiteral("DEN");
    e.teamAbbr = QStringLiteral("KC");
    return e;
}

Texts groupsFor(const PlayerStats& stats, const std::vector<GameLogEntry>& entries = {game("1")}) {
    Texts out;
    const DataTable table = GameLogBuilder::build(entries, stats);
    for (const auto& g : table.groups())
        out.push_back(g.title);
    return out;
}

} // namespace

// Every shown field of every line gets a value no other field has, so a swapped or misread column shows.
TEST(GameLogBuilder, everyGameFieldLandsInItsOwnCell) {
    const std::string head = R"({"game_id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d","team_abbr":"KC","games":{)"
                             R"("year":2012,"week":"1","season_type":"regular","home_team_abbr":"KC",)"
                             R"("away_team_abbr":"DEN","home_score":24,"away_score":17},)";
    const auto json = [&](const char* fields) { return QByteArray::fromStdString(head + fields + "}"); };
    GameLogEntry entry;
    entry.offense = decodeJson<GameOffenseLine>(
        json(R"("pass_cmp":21,"pass_att":33,"pass_yds":287,"pass_td":3,"pass_int":1,"rush_att":6,)"
             R"("rush_yds":41,"rush_td":2,"rec":7,"rec_yds":98,"rec_td":4)"));
    entry.defense = decodeJson<GameDefenseLine>(json(R"("tackles_combined":11,"sacks":1.5,"def_int":13)"));
    entry.kicking = decodeJson<GameKickingLine>(
        json(R"("fgm":14,"fga":18,"xpm":15,"xpa":16,"punt":17,"punt_yds":270,"punt_yds_per_punt":45.0)"));
    entry.returns = decodeJson<GameReturnsLine>(json(R"("kick_ret":9,"punt_ret":12,"kick_ret_yds":99)"));
    entry.context = entry.offense->games;
    entry.teamAbbr = entry.offense->teamAbbr;

    const std::pair<const char*, Texts> cases[] = {
        {"PR", {"21/33", "287", "3", "1", "6", "41", "2"}},
        {"CDK", {"7", "98", "4", "11", "1.5", "13", "14/18", "15/16"}},
        {"UT", {"17", "270", "45.0", "9", "12"}},
    };
    for (const auto& [families, cells] : cases) {
        Texts expected{"1", "vs DEN", "W"};
        expected.insert(expected.end(), cells.begin(), cells.end());
        EXPECT_EQ(GameLogBuilder::build({entry}, career(families)).primaryRows().at(0).values, expected);
    }
}

TEST(GameLogBuilder, greedyFitSkipsGroupsThatWouldOverflow) {
    const std::pair<const char*, Texts> cases[] = {
        {"PRCT", {"Passing", "Rushing"}}, // Receiving and Returns would overflow
        {"PCT", {"Passing", "Receiving"}},
        {"RCT", {"Rushing", "Receiving", "Returns"}},
        {"CDKU", {"Receiving", "Defense", "Kicking"}}, // Punting would overflow
        {"KU", {"Kicking", "Punting"}},
    };
    for (const auto& [families, groups] : cases)
        EXPECT_EQ(groupsFor(career(families)), groups) << families;
}

TEST(GameLogBuilder, groupsSpanTheirOwnColumns) {
    const DataTable table = GameLogBuilder::build({game("1")}, career("PR"));
    EXPECT_EQ(table.groups(), (std::vector<ColumnGroup>{{"Passing", 3, 4}, {"Rushing", 7, 3}}));
    EXPECT_TRUE(table.needsGroupHeader());
    EXPECT_EQ(table.columns().size(), 10u);
}

TEST(GameLogBuilder, withoutACareerTheGamesChoose) {
    auto rushGame = game("1");
    rushGame.offense = GameOffenseLine{};
    rushGame.offense->rushAtt = 1;
    rushGame.offense->passAtt = 30; // passing is never chosen from the games
    auto tackleGame = game("2");
    tackleGame.defense = GameDefenseLine{};
    tackleGame.defense->tacklesCombined = 1;
    tackleGame.kicking = GameKickingLine{};
    tackleGame.kicking->fga = 3; // nor kicking
    EXPECT_EQ(groupsFor(PlayerStats::empty(), {rushGame, tackleGame}), (Texts{"Rushing", "Defense"}));

    const DataTable bare = GameLogBuilder::build({}, PlayerStats::empty());
    EXPECT_TRUE(bare.groups().empty());
    EXPECT_EQ(bare.columns().size(), 3u);
    EXPECT_TRUE(bare.isEmpty());

    // A career that decides something is not overruled by the games.
    EXPECT_EQ(groupsFor(career("U"), {rushGame}), Texts{"Punting"});
}

TEST(GameLogBuilder, cellsFromMissingLinesAreThePlaceholderAndSectionsKeepTheGivenOrder) {
    auto played = game("7");
    played.context.homeScore = 27;
    played.context.awayScore = 20;
    played.offense = GameOffenseLine{};
    played.offense->passCmp = 0;
    played.offense->passAtt = 0;
    auto unplayed = game("WildCard", SeasonType::postseason);
    unplayed.teamAbbr = QStringLiteral("DEN");
    const auto earlier = game("1");

    const DataTable table = GameLogBuilder::build({unplayed, played, earlier}, career("P"));
    EXPECT_FALSE(table.needsGroupHeader()) << "one group gets its ColumnGroup but no header";
    ASSERT_EQ(table.primaryRows().size(), 2u);
    const QString& absent = StatFormat::absent;
    EXPECT_EQ(table.primaryRows()[0].values, (Texts{"7", "vs DEN", "W", "0/0", absent, absent, absent}));
    EXPECT_EQ(table.primaryRows()[1].values[0], "1");
    ASSERT_EQ(table.rows("Postseason").size(), 1u);
    EXPECT_EQ(table.rows("Postseason")[0].values, (Texts{"WC", "@ KC", "", absent, absent, absent, absent}));
    EXPECT_EQ(table.rows("Postseason")[0].id, unplayed.id.toString(QUuid::WithoutBraces).toUpper());

    const DataTable regularOnly = GameLogBuilder::build({played, earlier}, career("P"));
    ASSERT_EQ(regularOnly.sections().size(), 1u);
    EXPECT_EQ(regularOnly.sections()[0].label, std::nullopt);
}
