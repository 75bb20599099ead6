// What the player card shows, column by column: each season table's columns and cell formats, which tables a
// card holds for each kind of player and in what order, each game-log group's columns, the game log's width
// budget at the edge where a group is kept or dropped, and the week labels.
#include "data/GameLogBuilder.h"
#include "data/PlayerCard.h"
#include "data/ScheduleBuilder.h"
#include "data/StatTableBuilder.h"
#include "tests/data/Careers.h"
#include "tests/support/TableShape.h"

#include <gtest/gtest.h>

#include <functional>

using namespace huddlepod;
using huddlepod::test::career;
using huddlepod::test::numeric;
using huddlepod::test::shape;
using huddlepod::test::totalWidth;

namespace {

using Texts = std::vector<QString>;
using Columns = std::vector<StatColumn>;
const QString none = QStringLiteral("—");

template <class R>
R season(int year = 2014, SeasonType type = SeasonType::regular) {
    R made;
    made.id = QUuid::createUuid();
    made.year = year;
    made.seasonType = type;
    made.teamAbbr = QStringLiteral("SEA");
    made.games = 16;
    return made;
}

// The three columns every season table starts with.
Columns seasonLeading() {
    return {
        StatColumn{.title = "Year", .width = 40, .isNumeric = false, .trailingGap = 8},
        StatColumn{.title = "Tm", .width = 36, .isNumeric = false, .isFlexible = true},
        numeric("G", 26),
    };
}

Columns plus(Columns columns, const Columns& more) {
    columns.insert(columns.end(), more.begin(), more.end());
    return columns;
}

Texts titles(const std::vector<DataTable>& tables) {
    Texts made;
    for (const DataTable& table : tables)
        made.push_back(table.title().value_or(QStringLiteral("(untitled)")));
    return made;
}

Texts groupTitles(const DataTable& table) {
    Texts made;
    for (const ColumnGroup& group : table.groups())
        made.push_back(group.title);
    return made;
}

} // namespace

// Each season table whole: its title, columns (title, width, alignment, stretch, gap) and no column groups,
// and the cells of a season whose counts are partly missing and whose decimals are whole numbers.
TEST(SeasonTableShapes, everyTableHasItsColumnsAndFormats) {
    auto passing = season<PassingSeason>();
    passing.passAtt = 5;
    passing.passRating = 100;
    auto rushing = season<RushingReceivingSeason>();
    rushing.rushAtt = 7;
    rushing.rushYdsPerAtt = 4;
    rushing.recYds = 33; // a receiving field never shows in the rushing table
    auto receiving = season<RushingReceivingSeason>();
    receiving.rec = 3;
    receiving.recYdsPerRec = 12;
    auto defense = season<DefenseSeason>();
    defense.sacks = 2;
    auto kicking = season<KickingSeason>();
    kicking.fgm = 25;
    kicking.fgPct = 80;
    kicking.xpa = 3;
    auto punting = season<PuntingSeason>();
    punting.puntYdsPerPunt = 44;
    punting.puntIn20 = 0;
    auto returns = season<ReturnsSeason>();
    returns.puntRetYds = -3;
    auto scoring = season<ScoringSeason>();
    scoring.twoPtMd = 1;
    scoring.fga = 9; // attempts are not shown

    struct Case {
        DataTable table;
        const char* title;
        Columns family;
        Texts cells; // after "2014", "SEA", "16"
    };
    const Case cases[] = {
        {StatTableBuilder::passing({passing}),
         "Passing",
         {numeric("Cmp", 38), numeric("Att", 38), numeric("Yds", 46), numeric("TD", 30), numeric("Int", 30),
          numeric("Rate", 44)},
         {none, "5", none, none, none, "100.0"}},
        {StatTableBuilder::rushing({rushing}),
         "Rushing",
         {numeric("Att", 38), numeric("Yds", 48), numeric("Avg", 40), numeric("TD", 30), numeric("Lng", 34)},
         {"7", none, "4.0", none, none}},
        {StatTableBuilder::receiving({receiving}),
         "Receiving",
         {numeric("Tgt", 36), numeric("Rec", 36), numeric("Yds", 48), numeric("Avg", 40), numeric("TD", 30)},
         {none, "3", none, "12.0", none}},
        {StatTableBuilder::defense({defense}),
         "Defense",
         {numeric("Tkl", 38), numeric("Sk", 36), numeric("Int", 32), numeric("PD", 32), numeric("FF", 30)},
         {none, "2.0", none, none, none}},
        {StatTableBuilder::kicking({kicking}),
         "Kicking",
         {numeric("FG", 52), numeric("FG%", 44), numeric("Lng", 36), numeric("XP", 52)},
         {"25/—", "80.0", none, "—/3"}},
        {StatTableBuilder::punting({punting}),
         "Punting",
         {numeric("Pnt", 36), numeric("Yds", 50), numeric("Avg", 42), numeric("Lng", 36),
          numeric("In20", 40)},
         {none, none, "44.0", none, "0"}},
        {StatTableBuilder::returns({returns}),
         "Returns",
         {numeric("KR", 32), numeric("Yds", 46), numeric("TD", 28), numeric("PR", 32), numeric("Yds", 46),
          numeric("TD", 28)},
         {none, none, none, none, "-3", none}},
        {StatTableBuilder::scoring({scoring}),
         "Scoring",
         {numeric("TD", 32), numeric("FG", 32), numeric("XP", 32), numeric("2Pt", 34), numeric("Pts", 42)},
         {none, none, none, "1", none}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(c.table.title(), QString::fromUtf8(c.title));
        EXPECT_EQ(shape(c.table.columns()), shape(plus(seasonLeading(), c.family)));
        EXPECT_TRUE(c.table.groups().empty());
        EXPECT_FALSE(c.table.needsGroupHeader());
        Texts cells{"2014", "SEA", "16"};
        cells.insert(cells.end(), c.cells.begin(), c.cells.end());
        ASSERT_EQ(c.table.sections().size(), 1u);
        EXPECT_EQ(c.table.sections()[0].label, std::nullopt);
        EXPECT_TRUE(c.table.sections()[0].showsLabel);
        ASSERT_EQ(c.table.primaryRows().size(), 1u);
        EXPECT_EQ(c.table.primaryRows()[0].values, cells);
    }
}

namespace {

// Careers of the kinds of players the card is drawn for, as a few seasons each.
struct Kind {
    const char* who;
    std::function<void(PlayerStats&)> career;
    Texts seasonTables; // the card's tables, in order
    Texts gameLogGroups;
};

std::vector<Kind> kinds() {
    return {
        {"a passer who also runs a little and scores",
         [](PlayerStats& s) {
             s.passing = {season<PassingSeason>(2013), season<PassingSeason>(2014)};
             s.passing[0].passAtt = 420;
             s.passing[1].passAtt = 4;
             s.rushingReceiving = {season<RushingReceivingSeason>(2013)};
             s.rushingReceiving[0].rushAtt = 41;
             s.rushingReceiving[0].rec = 0;
             s.scoring = {season<ScoringSeason>(2013)};
             s.scoring[0].totalTd = 3;
         },
         {"Passing", "Rushing", "Scoring"},
         {"Passing", "Rushing"}},
        {"a runner who also catches",
         [](PlayerStats& s) {
             s.rushingReceiving = {season<RushingReceivingSeason>(2013),
                                   season<RushingReceivingSeason>(2014)};
             s.rushingReceiving[0].rushAtt = 250;
             s.rushingReceiving[0].targets = 50;
             s.rushingReceiving[0].rec = 41;
             s.rushingReceiving[1].rushAtt = 3;
             s.returns = {season<ReturnsSeason>(2013)};
             s.returns[0].kickRet = 4; // too few returns for a table
             s.scoring = {season<ScoringSeason>(2013)};
             s.scoring[0].scoring = 60;
         },
         {"Rushing", "Receiving", "Scoring"},
         {"Rushing", "Receiving"}},
        {"a defender with a pick-six",
         [](PlayerStats& s) {
             s.defense = {season<DefenseSeason>(2013), season<DefenseSeason>(2014, SeasonType::postseason)};
             s.defense[0].tacklesCombined = 3;
             s.defense[1].defInt = 1;
             s.rushingReceiving = {season<RushingReceivingSeason>(2013)};
             s.rushingReceiving[0].rushAtt = 0;
             s.scoring = {season<ScoringSeason>(2014, SeasonType::postseason)};
             s.scoring[0].totalTd = 1;
         },
         {"Defense", "Scoring"},
         {"Defense"}},
        {"a kicker who also scores and punts",
         [](PlayerStats& s) {
             s.kicking = {season<KickingSeason>(2013)};
             s.kicking[0].fga = 3;
             s.kicking[0].xpa = 2;
             s.punting = {season<PuntingSeason>(2013)};
             s.punting[0].punt = 5;
             s.scoring = {season<ScoringSeason>(2013)};
             s.scoring[0].scoring = 11;
         },
         {"Kicking", "Punting", "Scoring"},
         {"Kicking", "Punting"}},
        {"a returner who also catches",
         [](PlayerStats& s) {
             s.returns = {season<ReturnsSeason>(2013)};
             s.returns[0].puntRet = 30;
             s.rushingReceiving = {season<RushingReceivingSeason>(2013)};
             s.rushingReceiving[0].targets = 8;
             s.rushingReceiving[0].rec = 4;
             s.scoring = {season<ScoringSeason>(2013)};
             s.scoring[0].totalTd = 2;
         },
         {"Receiving", "Returns", "Scoring"},
         {"Receiving", "Returns"}},
        {"a player with every kind of season",
         [](PlayerStats& s) {
             s.passing = {season<PassingSeason>()};
             s.passing[0].passAtt = 5;
             s.rushingReceiving = {season<RushingReceivingSeason>()};
             s.rushingReceiving[0].rushAtt = 5;
             s.rushingReceiving[0].rec = 5;
             s.defense = {season<DefenseSeason>()};
             s.defense[0].fumblesForced = 1;
             s.kicking = {season<KickingSeason>()};
             s.kicking[0].kickoff = 5;
             s.punting = {season<PuntingSeason>()};
             s.punting[0].punt = 5;
             s.returns = {season<ReturnsSeason>()};
             s.returns[0].kickRet = 5;
             s.scoring = {season<ScoringSeason>()};
             s.scoring[0].scoring = 1;
         },
         {"Passing", "Rushing", "Receiving", "Defense", "Kicking", "Punting", "Returns", "Scoring"},
         {"Passing", "Rushing"}},
        {"a player without a season worth a table",
         [](PlayerStats& s) {
             s.passing = {season<PassingSeason>()};
             s.passing[0].passAtt = 4;
             s.scoring = {season<ScoringSeason>()};
             s.scoring[0].scoring = 0;
             s.scoring[0].totalTd = 0;
         },
         {},
         {}},
    };
}

} // namespace

TEST(PlayerCardTables, eachKindOfPlayerGetsItsTablesInOrder) {
    for (const Kind& kind : kinds()) {
        SCOPED_TRACE(kind.who);
        PlayerStats stats;
        kind.career(stats);
        const PlayerCard card(PlayerBio{}, stats, std::nullopt);
        EXPECT_EQ(titles(card.tables), kind.seasonTables);
        // Every game log of the player has the same groups, whatever the year shows.
        EXPECT_EQ(groupTitles(GameLogBuilder::build({}, stats)), kind.gameLogGroups);
    }
}

namespace {

GameLogEntry entry(const char* week, SeasonType type = SeasonType::regular) {
    GameLogEntry made;
    made.id = QUuid::createUuid();
    made.context.year = 2014;
    made.context.week = QString::fromUtf8(week);
    made.context.seasonType = type;
    made.context.homeTeamAbbr = QStringLiteral("SEA");
    made.context.awayTeamAbbr = QStringLiteral("DEN");
    made.context.homeScore = 43;
    made.context.awayScore = 8;
    made.teamAbbr = QStringLiteral("SEA");
    return made;
}

// The columns every game log starts with.
Columns gameLogLeading() {
    return {
        StatColumn{.title = "Wk", .width = 34, .isNumeric = false, .trailingGap = 8},
        StatColumn{.title = "Opp", .width = 58, .isNumeric = false},
        StatColumn{.title = "", .width = 20, .isNumeric = false, .isFlexible = true},
    };
}

} // namespace

// Each game-log group alone: the whole column list, its one group, and the cells of a game whose line has
// some counts missing and whole-number decimals.
TEST(GameLogShapes, everyGroupHasItsColumnsAndFormats) {
    GameLogEntry game = entry("3");
    game.offense = GameOffenseLine{};
    game.offense->passCmp = 17;
    game.offense->rushYds = -2;
    game.offense->recTd = 0;
    game.defense = GameDefenseLine{};
    game.defense->sacks = 1;
    game.kicking = GameKickingLine{};
    game.kicking->fga = 2;
    game.kicking->xpm = 5;
    game.kicking->xpa = 5;
    game.kicking->puntYdsPerPunt = 41;
    game.returns = GameReturnsLine{};
    game.returns->puntRet = 3;

    struct Case {
        const char* families;
        const char* group;
        Columns columns;
        Texts cells; // after "3", "vs DEN", "W"
    };
    const Case cases[] = {
        {"P",
         "Passing",
         {numeric("C/A", 52), numeric("Yds", 42), numeric("TD", 28), numeric("Int", 28)},
         {"17/—", none, none, none}},
        {"R", "Rushing", {numeric("Att", 34), numeric("Yds", 42), numeric("TD", 28)}, {none, "-2", none}},
        {"C", "Receiving", {numeric("Rec", 34), numeric("Yds", 42), numeric("TD", 28)}, {none, none, "0"}},
        {"D", "Defense", {numeric("Tkl", 34), numeric("Sk", 32), numeric("Int", 28)}, {none, "1.0", none}},
        {"K", "Kicking", {numeric("FG", 46), numeric("XP", 46)}, {"—/2", "5/5"}},
        {"U", "Punting", {numeric("Pnt", 34), numeric("Yds", 44), numeric("Avg", 40)}, {none, none, "41.0"}},
        {"T", "Returns", {numeric("KR", 30), numeric("PR", 30)}, {none, "3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        const DataTable table = GameLogBuilder::build({game}, career(c.families));
        EXPECT_EQ(table.title(), std::nullopt);
        EXPECT_EQ(shape(table.columns()), shape(plus(gameLogLeading(), c.columns)));
        EXPECT_EQ(shape(table.groups()),
                  shape(std::vector<ColumnGroup>{
                      {QString::fromUtf8(c.group), 3, static_cast<int>(c.columns.size())}}));
        EXPECT_FALSE(table.needsGroupHeader()) << "one group has no header row";
        Texts cells{"3", "vs DEN", "W"};
        cells.insert(cells.end(), c.cells.begin(), c.cells.end());
        ASSERT_EQ(table.primaryRows().size(), 1u);
        EXPECT_EQ(table.primaryRows()[0].values, cells);
    }
}

// The groups are kept in order while the columns' widths stay within 416 points (112 for the leading
// columns); a group that would pass it is dropped and a later, narrower one may still fit.
TEST(GameLogShapes, groupsFitTheWidthBudgetUpToItsLastPoint) {
    struct Case {
        const char* families;
        Texts kept;
        double width; // of all kept columns
    };
    const Case cases[] = {
        {"", {}, 112},
        {"PDT", {"Passing", "Defense", "Returns"}, 416},    // 262, 356, 416: exactly the budget
        {"DKU", {"Defense", "Kicking", "Punting"}, 416},    // 206, 298, 416
        {"PDKT", {"Passing", "Defense", "Returns"}, 416},   // kicking would reach 448
        {"PKT", {"Passing", "Kicking", "Returns"}, 414},    // two points to spare
        {"RCDT", {"Rushing", "Receiving", "Defense"}, 414}, // returns would reach 474
        {"RCKT", {"Rushing", "Receiving", "Kicking"}, 412}, // returns would reach 472
        {"PRT", {"Passing", "Rushing"}, 366},               // returns would reach 426
        {"PRCT", {"Passing", "Rushing"}, 366},              // receiving 470, returns 426
        {"PCT", {"Passing", "Receiving"}, 366},             // returns 426
        {"RCT", {"Rushing", "Receiving", "Returns"}, 380},  // all three fit
        {"CDKU", {"Receiving", "Defense", "Kicking"}, 402}, // punting would reach 520
        {"KU", {"Kicking", "Punting"}, 322},                //
        {"PU", {"Passing", "Punting"}, 380},                //
        {"PUT", {"Passing", "Punting"}, 380},               // returns would reach 440
        {"DUT", {"Defense", "Punting", "Returns"}, 384},    //
        {"PRCDKUT", {"Passing", "Rushing"}, 366},           // every later group passes 416
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.families);
        const DataTable table = GameLogBuilder::build({entry("1")}, career(c.families));
        EXPECT_EQ(groupTitles(table), c.kept);
        EXPECT_EQ(totalWidth(table.columns()), c.width);
        EXPECT_LE(totalWidth(table.columns()), GameLogBuilder::availableWidth);
    }
}

// Week labels: the short form in the game log's "Wk" column, the schedule's week titles and the schedule's
// section labels, each an exact lookup of the stored week text.
TEST(WeekLabels, eachRoundHasItsLabelInEachPlace) {
    struct Case {
        const char* week;
        const char* gameLog;
        const char* scheduleTitle;
        const char* scheduleLabel;
    };
    const Case cases[] = {
        {"WildCard", "WC", "WC", "Wild Card"},
        {"Division", "DIV", "Div", "Divisional"},
        {"ConfChamp", "CONF", "CC", "Conference Championships"},
        {"SuperBowl", "SB", "SB", "Super Bowl"},
        {"Champ", "Champ", "Champ", "NFL Championship"},
        {"7", "7", "7", "Week 7"},
        {"07", "07", "07", "Week 07"},
        {"wildcard", "wildcard", "wildcard", "wildcard"},
        {"Wild Card", "Wild Card", "Wild Card", "Wild Card"},
        {"SUPERBOWL", "SUPERBOWL", "SUPERBOWL", "SUPERBOWL"},
        {"Division ", "Division ", "Division ", "Division "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.week);
        const QString week = QString::fromUtf8(c.week);
        GameContext context;
        context.week = week;
        EXPECT_EQ(context.weekLabel(), QString::fromUtf8(c.gameLog));
        const DataTable log = GameLogBuilder::build({entry(c.week, SeasonType::postseason)}, career("R"));
        ASSERT_EQ(log.rows(QStringLiteral("Postseason")).size(), 1u);
        EXPECT_EQ(log.rows(QStringLiteral("Postseason"))[0].values.at(0), QString::fromUtf8(c.gameLog));

        EXPECT_EQ(ScheduleWeek(week).title, QString::fromUtf8(c.scheduleTitle));
        GameRow game;
        game.id = QUuid::createUuid();
        game.week = week;
        const DataTable schedule = ScheduleBuilder::build({game}, ScheduleWeek(week));
        ASSERT_EQ(schedule.sections().size(), 1u);
        EXPECT_EQ(schedule.sections()[0].label, QString::fromUtf8(c.scheduleLabel));
    }
}
