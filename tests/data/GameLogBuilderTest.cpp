// Game-log tables: groups from the career (or the games), the greedy width fit, cells and sections.
#include "data/GameLogBuilder.h"
#include "data/StatFormat.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

template <class R>
R season(int year = 2010) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    return r;
}

PassingSeason passer() {
    auto s = season<PassingSeason>();
    s.passAtt = 300;
    return s;
}

RushingReceivingSeason rusher(int rushes, int catches = 0) {
    auto s = season<RushingReceivingSeason>();
    s.rushAtt = rushes;
    s.rec = catches;
    return s;
}

DefenseSeason defender() {
    auto s = season<DefenseSeason>();
    s.defInt = 2;
    return s;
}

KickingSeason kicker() {
    auto s = season<KickingSeason>();
    s.fga = 30;
    return s;
}

PuntingSeason punter() {
    auto s = season<PuntingSeason>();
    s.punt = 70;
    return s;
}

ReturnsSeason returner() {
    auto s = season<ReturnsSeason>();
    s.kickRet = 20;
    return s;
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

std::vector<QString> groupTitles(const DataTable& table) {
    std::vector<QString> out;
    for (const auto& g : table.groups())
        out.push_back(g.title);
    return out;
}

std::vector<QString> groupsFor(const PlayerStats& stats,
                               const std::vector<GameLogEntry>& entries = {game("1")}) {
    return groupTitles(GameLogBuilder::build(entries, stats));
}

} // namespace

TEST(GameLogBuilder, greedyFitSkipsGroupsThatWouldOverflow) {
    PlayerStats qb;
    qb.passing = {passer()};
    qb.rushingReceiving = {rusher(40, 5)};
    qb.returns = {returner()};
    // Passing 262, Rushing 366; Receiving 470 and Returns 426 overflow.
    EXPECT_EQ(groupsFor(qb), (std::vector<QString>{"Passing", "Rushing"}));

    PlayerStats wideout;
    wideout.passing = {passer()};
    wideout.rushingReceiving = {rusher(0, 50)};
    wideout.returns = {returner()};
    EXPECT_EQ(groupsFor(wideout), (std::vector<QString>{"Passing", "Receiving"}));

    PlayerStats back;
    back.rushingReceiving = {rusher(200, 40)};
    back.returns = {returner()};
    EXPECT_EQ(groupsFor(back), (std::vector<QString>{"Rushing", "Receiving", "Returns"})); // 380

    PlayerStats utility;
    utility.rushingReceiving = {rusher(0, 5)};
    utility.defense = {defender()};
    utility.kicking = {kicker()};
    utility.punting = {punter()};
    EXPECT_EQ(groupsFor(utility), (std::vector<QString>{"Receiving", "Defense", "Kicking"})); // punting 520

    PlayerStats specialist;
    specialist.kicking = {kicker()};
    specialist.punting = {punter()};
    EXPECT_EQ(groupsFor(specialist), (std::vector<QString>{"Kicking", "Punting"}));
}

TEST(GameLogBuilder, groupStartsAndColumnsFollowTheKeptGroups) {
    PlayerStats qb;
    qb.passing = {passer()};
    qb.rushingReceiving = {rusher(40)};
    const DataTable table = GameLogBuilder::build({game("1")}, qb);
    ASSERT_EQ(table.groups().size(), 2u);
    EXPECT_EQ(table.groups()[0], (ColumnGroup{"Passing", 3, 4}));
    EXPECT_EQ(table.groups()[1], (ColumnGroup{"Rushing", 7, 3}));
    EXPECT_TRUE(table.needsGroupHeader());
    ASSERT_EQ(table.columns().size(), 10u);
    EXPECT_EQ(table.columns()[0],
              (StatColumn{.title = "Wk", .width = 34, .isNumeric = false, .trailingGap = 8}));
    EXPECT_EQ(table.columns()[2],
              (StatColumn{.title = "", .width = 20, .isNumeric = false, .isFlexible = true}));
    EXPECT_EQ(table.columns()[3], (StatColumn{.title = "C/A", .width = 52}));
    EXPECT_EQ(table.title(), std::nullopt);
    EXPECT_EQ(table.id(), "WkOppC/AYdsTDIntAttYdsTD");
    EXPECT_EQ(table.contentWidth(), 366);
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
    EXPECT_EQ(groupsFor(PlayerStats::empty(), {rushGame, tackleGame}),
              (std::vector<QString>{"Rushing", "Defense"}));

    const DataTable bare = GameLogBuilder::build({}, PlayerStats::empty());
    EXPECT_TRUE(bare.groups().empty());
    EXPECT_EQ(bare.columns().size(), 3u);
    EXPECT_TRUE(bare.isEmpty());
    EXPECT_FALSE(bare.needsGroupHeader());

    // A career that decides something is not overruled by the games.
    PlayerStats punterCareer;
    punterCareer.punting = {punter()};
    EXPECT_EQ(groupsFor(punterCareer, {rushGame}), std::vector<QString>{"Punting"});
}

TEST(GameLogBuilder, cellsFromMissingLinesAreThePlaceholder) {
    PlayerStats qb;
    qb.passing = {passer()};
    auto played = game("7");
    played.context.homeScore = 27;
    played.context.awayScore = 20;
    played.offense = GameOffenseLine{};
    played.offense->passCmp = 0;
    played.offense->passAtt = 0;
    auto unplayed = game("WildCard", SeasonType::postseason);
    unplayed.teamAbbr = QStringLiteral("DEN");

    const DataTable table = GameLogBuilder::build({unplayed, played}, qb);
    ASSERT_EQ(table.groups().size(), 1u);
    EXPECT_FALSE(table.needsGroupHeader()) << "one group still gets its ColumnGroup but no header";
    ASSERT_EQ(table.primaryRows().size(), 1u);
    EXPECT_EQ(table.primaryRows()[0].values,
              (std::vector<QString>{"7", "vs DEN", "W", "0/0", StatFormat::absent, StatFormat::absent,
                                    StatFormat::absent}));
    ASSERT_EQ(table.rows("Postseason").size(), 1u);
    EXPECT_EQ(table.rows("Postseason")[0].values,
              (std::vector<QString>{"WC", "@ KC", "", StatFormat::absent, StatFormat::absent,
                                    StatFormat::absent, StatFormat::absent}));
    EXPECT_EQ(table.rows("Postseason")[0].id, unplayed.id.toString(QUuid::WithoutBraces).toUpper());
}

TEST(GameLogBuilder, sectionsKeepTheGivenOrder) {
    PlayerStats back;
    back.rushingReceiving = {rusher(100)};
    const auto a = game("3");
    const auto b = game("1");
    const auto c = game("Division", SeasonType::postseason);
    const DataTable table = GameLogBuilder::build({a, c, b}, back);
    ASSERT_EQ(table.sections().size(), 2u);
    EXPECT_EQ(table.sections()[0].id(), "__primary");
    EXPECT_EQ(table.primaryRows()[0].values[0], "3");
    EXPECT_EQ(table.primaryRows()[1].values[0], "1");
    EXPECT_EQ(table.rows("Postseason")[0].values[0], "DIV");

    const DataTable regularOnly = GameLogBuilder::build({a, b}, back);
    ASSERT_EQ(regularOnly.sections().size(), 1u);
    EXPECT_EQ(regularOnly.sections()[0].label, std::nullopt);
}
