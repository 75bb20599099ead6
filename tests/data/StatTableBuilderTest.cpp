// Season stat tables: which tables a career gets, and every decoded field in its own cell.
#include "data/StatTableBuilder.h"
#include "data/JsonReader.h"
#include "data/StatFormat.h"

#include <gtest/gtest.h>

#include <functional>

using namespace huddlepod;

namespace {

using Texts = std::vector<QString>;

template <class R>
R season(int year, SeasonType type = SeasonType::regular) {
    R r;
    r.id = QUuid::createUuid();
    r.year = year;
    r.seasonType = type;
    r.teamAbbr = QStringLiteral("KC");
    return r;
}

Texts titles(const std::vector<DataTable>& tables) {
    Texts out;
    for (const auto& t : tables)
        out.push_back(t.title().value_or("?"));
    return out;
}

RushingReceivingSeason rushingSeason(int year, int rushes) {
    auto s = season<RushingReceivingSeason>(year);
    s.rushAtt = rushes;
    return s;
}

template <class R>
std::function<Texts(const QByteArray&)> seasonCells(DataTable (*build)(const std::vector<R>&)) {
    return [build](const QByteArray& json) { return build(decodeArray<R>(json)).primaryRows().at(0).values; };
}

} // namespace

// Every shown field gets a value no other field has, so a swapped or misread column shows.
TEST(StatTables, everySeasonFieldLandsInItsOwnCell) {
    struct Case {
        std::function<Texts(const QByteArray&)> cells;
        const char* fields;
        Texts expected;
    };
    const Case cases[] = {
        {seasonCells(StatTableBuilder::passing),
         R"("pass_cmp":301,"pass_att":402,"pass_yds":4294967296,"pass_td":34,"pass_int":11,"pass_rating":98.7)",
         {"301", "402", "4294967296", "34", "11", "98.7"}},
        {seasonCells(StatTableBuilder::rushing),
         R"("rush_att":201,"rush_yds":1002,"rush_yds_per_att":4.9,"rush_td":12,"rush_long":71,"rec_yds":5)",
         {"201", "1002", "4.9", "12", "71"}},
        {seasonCells(StatTableBuilder::receiving),
         R"("targets":120,"rec":95,"rec_yds":1205,"rec_yds_per_rec":12.6,"rec_td":9,"rush_yds":5)",
         {"120", "95", "1205", "12.6", "9"}},
        {seasonCells(StatTableBuilder::defense),
         R"("tackles_combined":88,"sacks":7.5,"def_int":3,"pass_defended":9,"fumbles_forced":2)",
         {"88", "7.5", "3", "9", "2"}},
        {seasonCells(StatTableBuilder::kicking),
         R"("fgm":28,"fga":33,"fg_pct":84.8,"fg_long":55,"xpm":40,"xpa":41)",
         {"28/33", "84.8", "55", "40/41"}},
        {seasonCells(StatTableBuilder::punting),
         R"("punt":70,"punt_yds":3200,"punt_yds_per_punt":45.7,"punt_long":66,"punt_in20":25)",
         {"70", "3200", "45.7", "66", "25"}},
        {seasonCells(StatTableBuilder::returns),
         R"("kick_ret":30,"kick_ret_yds":700,"kick_ret_td":1,"punt_ret":20,"punt_ret_yds":210,"punt_ret_td":2)",
         {"30", "700", "1", "20", "210", "2"}},
        {seasonCells(StatTableBuilder::scoring),
         R"("total_td":14,"fgm":3,"xpm":5,"two_pt_md":1,"scoring":99,"fga":4,"xpa":6)",
         {"14", "3", "5", "1", "99"}},
    };
    for (const Case& c : cases) {
        const QByteArray json = R"([{"id":"5d0f6a3e-2b8c-4f1e-9a7d-3c2b1a0f9e8d","year":2012,)"
                                R"("season_type":"regular","team_abbr":"KC","games":16,)" +
                                QByteArray(c.fields) + "}]";
        Texts expected{"2012", "KC", "16"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(c.cells(json), expected) << c.fields;
    }
}

TEST(StatTableBuilder, rushingAndReceivingAreJudgedApart) {
    EXPECT_TRUE(StatTableBuilder::sections(PlayerStats::empty()).empty());
    PlayerStats qb;
    qb.passing = {season<PassingSeason>(2010)};
    qb.passing[0].passAtt = 400;
    qb.rushingReceiving = {rushingSeason(2010, 4), rushingSeason(2011, 3)};
    EXPECT_EQ(titles(StatTableBuilder::sections(qb)), Texts{"Passing"});

    auto playoffRushes = rushingSeason(2011, 5);
    playoffRushes.seasonType = SeasonType::postseason;
    qb.rushingReceiving.push_back(playoffRushes);
    EXPECT_EQ(titles(StatTableBuilder::sections(qb)), (Texts{"Passing", "Rushing"}));

    // Receiving rows need a catch or a target, rushing rows a rush.
    auto catcher = season<RushingReceivingSeason>(2001);
    catcher.rec = 40;
    auto blocker = rushingSeason(2002, 2);
    blocker.rec = 0;
    blocker.targets = 0;
    EXPECT_EQ(StatTableBuilder::receiving({catcher, blocker}).primaryRows().size(), 1u);
    ASSERT_EQ(StatTableBuilder::rushing({catcher, blocker}).primaryRows().size(), 1u);
    EXPECT_EQ(StatTableBuilder::rushing({catcher, blocker}).primaryRows()[0].values[0], "2002");
}

TEST(StatTableBuilder, aPostseasonAloneCanEarnATableThatListsEveryRegularSeason) {
    PlayerStats stats;
    auto regular = season<PassingSeason>(2010);
    regular.passAtt = 4;
    auto idle = season<PassingSeason>(2009); // no attempts at all
    idle.teamAbbr = QString();               // recorded but empty
    stats.passing = {regular, idle};
    EXPECT_TRUE(StatTableBuilder::sections(stats).empty());

    auto playoff = season<PassingSeason>(2010, SeasonType::postseason);
    playoff.passAtt = 5;
    stats.passing.push_back(playoff);
    const auto tables = StatTableBuilder::sections(stats);
    ASSERT_EQ(tables.size(), 1u);
    const DataTable& table = tables[0];
    ASSERT_EQ(table.primaryRows().size(), 2u);
    EXPECT_EQ(table.primaryRows()[0].values[0], "2009") << "regular seasons by year ascending";
    EXPECT_EQ(table.primaryRows()[0].values[1], StatFormat::absent);
    EXPECT_EQ(table.primaryRows()[0].id, idle.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(table.primaryRows()[1].values[0], "2010");
    EXPECT_EQ(table.rows("Postseason").size(), 1u);
    EXPECT_TRUE(table.sections()[1].showsLabel);
}
