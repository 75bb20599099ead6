// Game-log tables: groups from the career (or the games), the greedy width fit, group spans and sections.
#include "data/GameLogBuilder.h"
#include "data/StatFormat.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

using Texts = std::vector<QString>;

// A career holding one substantive season of each family named: P(assing), R(ushing), C(atching),
// D(efense), K(icking), U (punting), T (returns).
PlayerStats career(std::string_view families) {
    PlayerStats stats;
    const auto add = [&](char family, auto& seasons, auto field, int value) {
        if (families.find(family) == std::string_view::npos)
            return;
        seasons.emplace_back();
        seasons.back().id = QUuid::createUuid();
        seasons.back().*field = value;
    };
    add('P', stats.passing, &PassingSeason::passAtt, 300);
    add('R', stats.rushingReceiving, &RushingReceivingSeason::rushAtt, 40);
    add('C', stats.rushingReceiving, &RushingReceivingSeason::rec, 50);
    add('D', stats.defense, &DefenseSeason::defInt, 2);
    add('K', stats.kicking, &KickingSeason::fga, 30);
    add('U', stats.punting, &PuntingSeason::punt, 70);
    add('T', stats.returns, &ReturnsSeason::kickRet, 20);
    return stats;
}

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
