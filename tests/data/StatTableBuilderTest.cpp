// Season stat tables: which tables a career gets, their rows, sections and cells.
#include "data/StatTableBuilder.h"
#include "data/StatFormat.h"
#include "data/StatSection.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

template <class R>
R season(int year, SeasonType type = SeasonType::regular) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    r.seasonType = type;
    r.teamAbbr = QStringLiteral("KC");
    r.games = 16;
    return r;
}

std::vector<QString> titles(const std::vector<DataTable>& tables) {
    std::vector<QString> out;
    for (const auto& t : tables)
        out.push_back(t.title().value_or("?"));
    return out;
}

RushingReceivingSeason rushingSeason(int year, int rushes) {
    auto s = season<RushingReceivingSeason>(year);
    s.rushAtt = rushes;
    return s;
}

} // namespace

TEST(StatTableBuilder, noSeasonsNoTables) {
    EXPECT_TRUE(StatTableBuilder::sections(PlayerStats::empty()).empty());
}

TEST(StatTableBuilder, rushingAndReceivingAreJudgedApart) {
    PlayerStats qb;
    auto passing = season<PassingSeason>(2010);
    passing.passAtt = 400;
    qb.passing = {passing};
    qb.rushingReceiving = {rushingSeason(2010, 4), rushingSeason(2011, 3)};
    EXPECT_EQ(titles(StatTableBuilder::sections(qb)), std::vector<QString>{"Passing"});

    auto playoffRushes = rushingSeason(2011, 5);
    playoffRushes.seasonType = SeasonType::postseason;
    qb.rushingReceiving.push_back(playoffRushes);
    EXPECT_EQ(titles(StatTableBuilder::sections(qb)), (std::vector<QString>{"Passing", "Rushing"}));
}

TEST(StatTableBuilder, aPostseasonAloneCanEarnATableThatListsEveryRegularSeason) {
    PlayerStats stats;
    auto regular = season<PassingSeason>(2010);
    regular.passAtt = 4;
    auto idle = season<PassingSeason>(2009); // no attempts at all
    stats.passing = {regular, idle};
    EXPECT_TRUE(StatTableBuilder::sections(stats).empty());

    auto playoff = season<PassingSeason>(2010, SeasonType::postseason);
    playoff.passAtt = 5;
    stats.passing.push_back(playoff);
    const auto tables = StatTableBuilder::sections(stats);
    ASSERT_EQ(tables.size(), 1u);
    const DataTable& table = tables[0];
    ASSERT_EQ(table.sections().size(), 2u);
    ASSERT_EQ(table.primaryRows().size(), 2u);
    EXPECT_EQ(table.primaryRows()[0].values[0], "2009") << "regular seasons by year ascending";
    EXPECT_EQ(table.primaryRows()[1].values[0], "2010");
    EXPECT_EQ(table.rows("Postseason").size(), 1u);
    EXPECT_TRUE(table.sections()[1].showsLabel);
}

TEST(StatTableBuilder, kickingDefenseAndScoringThresholds) {
    PlayerStats kicker;
    auto k = season<KickingSeason>(2000);
    k.fga = 3;
    k.xpa = 2;
    kicker.kicking = {k};
    EXPECT_EQ(titles(StatTableBuilder::sections(kicker)), std::vector<QString>{"Kicking"});

    PlayerStats defender;
    auto d = season<DefenseSeason>(2000);
    d.tacklesCombined = 3;
    d.fumblesForced = 1;
    defender.defense = {d};
    EXPECT_EQ(titles(StatTableBuilder::sections(defender)), std::vector<QString>{"Defense"});

    PlayerStats scorer;
    auto s = season<ScoringSeason>(2000);
    s.scoring = 0;
    s.totalTd = 0;
    scorer.scoring = {s};
    EXPECT_TRUE(StatTableBuilder::sections(scorer).empty());
    scorer.scoring[0].scoring = 2;
    EXPECT_EQ(titles(StatTableBuilder::sections(scorer)), std::vector<QString>{"Scoring"});
}

TEST(StatTableBuilder, receivingRowsNeedACatchOrTargetRushingRowsARush) {
    auto catcher = season<RushingReceivingSeason>(2001);
    catcher.rec = 40;
    auto blocker = season<RushingReceivingSeason>(2002);
    blocker.rec = 0;
    blocker.targets = 0;
    blocker.rushAtt = 2;
    const std::vector seasons{catcher, blocker};
    EXPECT_EQ(StatTableBuilder::receiving(seasons).primaryRows().size(), 1u);
    ASSERT_EQ(StatTableBuilder::rushing(seasons).primaryRows().size(), 1u);
    EXPECT_EQ(StatTableBuilder::rushing(seasons).primaryRows()[0].values[0], "2002");
}

TEST(StatTableBuilder, columnsAndCells) {
    auto k = season<KickingSeason>(1999);
    k.teamAbbr = QString(); // recorded but empty
    k.games = std::nullopt;
    k.fgm = 25;
    k.fga = 30;
    k.xpm = 40;
    const DataTable table = StatTableBuilder::kicking({k});
    ASSERT_EQ(table.columns().size(), 7u);
    EXPECT_EQ(table.columns()[0],
              (StatColumn{.title = "Year", .width = 40, .isNumeric = false, .trailingGap = 8}));
    EXPECT_EQ(table.columns()[1],
              (StatColumn{.title = "Tm", .width = 36, .isNumeric = false, .isFlexible = true}));
    EXPECT_EQ(table.columns()[2], (StatColumn{.title = "G", .width = 26}));
    EXPECT_EQ(table.columns()[3], (StatColumn{.title = "FG", .width = 52}));
    EXPECT_TRUE(table.groups().empty());
    const DataRow& row = table.primaryRows().at(0);
    EXPECT_EQ(row.id, k.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(row.values,
              (std::vector<QString>{"1999", StatFormat::absent, StatFormat::absent, "25/30",
                                    StatFormat::absent, StatFormat::absent, "40/" + StatFormat::absent}));

    auto d = season<DefenseSeason>(2005);
    d.sacks = 2;
    d.tacklesCombined = 61;
    EXPECT_EQ(StatTableBuilder::defense({d}).primaryRows().at(0).values,
              (std::vector<QString>{"2005", "KC", "16", "61", "2.0", StatFormat::absent, StatFormat::absent,
                                    StatFormat::absent}));
}

TEST(StatSection, rawValuesAreExact) {
    EXPECT_EQ(statSectionFromRawValue("scoring"), StatSection::scoring);
    EXPECT_EQ(statSectionFromRawValue("Scoring"), std::nullopt);
    EXPECT_EQ(rawValue(StatSection::receiving), "receiving");
}
