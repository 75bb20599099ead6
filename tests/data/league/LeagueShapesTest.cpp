// Every league table's columns whole: titles, widths, alignment, which column stretches, which shrink to
// their content, and the gaps after them, before and after a section label moves into the first column.
#include "data/AwardsBuilder.h"
#include "data/ChampionsBuilder.h"
#include "data/DraftBuilder.h"
#include "data/ScheduleBuilder.h"
#include "data/StandingsBuilder.h"
#include "tests/support/TableShape.h"

#include <gtest/gtest.h>

namespace huddlepod {
namespace {

using test::numeric;
using test::shape;
using Columns = std::vector<StatColumn>;

StatColumn text(const char* title, double width, std::optional<double> gap = std::nullopt) {
    return StatColumn{
        .title = QString::fromUtf8(title), .width = width, .isNumeric = false, .trailingGap = gap};
}

StatColumn flexibleText(const char* title, double width, std::optional<double> gap = std::nullopt) {
    StatColumn made = text(title, width, gap);
    made.isFlexible = true;
    return made;
}

StatColumn contentSized(StatColumn column) {
    column.isContentSized = true;
    return column;
}

StatColumn sectionLabel(StatColumn column) {
    column.isSectionLabel = true;
    return column;
}

StatColumn withGap(StatColumn column, double gap) {
    column.trailingGap = gap;
    return column;
}

Columns recordColumns() {
    return {numeric("W", 28),  numeric("L", 28),  numeric("T", 24),   numeric("PCT", 40),
            numeric("PF", 38), numeric("PA", 38), numeric("DIFF", 44)};
}

Columns plus(Columns columns, const Columns& more) {
    columns.insert(columns.end(), more.begin(), more.end());
    return columns;
}

QUuid uuid(int n) {
    return QUuid::fromString(QStringLiteral("0000000d-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

DraftPickRow pick(int overall) {
    DraftPickRow made;
    made.round = 1;
    made.pickOverall = overall;
    return made;
}

HonorRow honour(const char* level) {
    HonorRow made;
    made.teamLevel = QString::fromUtf8(level);
    return made;
}

GameRow game(const char* week, std::optional<int> awayScore, std::optional<int> homeScore,
             std::optional<QString> network) {
    GameRow made;
    made.id = QUuid::createUuid();
    made.week = QString::fromUtf8(week);
    made.gameDate = QStringLiteral("2024-09-08");
    made.awayTeamAbbr = QStringLiteral("KC");
    made.homeTeamAbbr = QStringLiteral("BAL");
    made.awayScore = awayScore;
    made.homeScore = homeScore;
    made.tvNetwork = std::move(network);
    return made;
}

TEST(LeagueTableShapes, everyTableHasItsColumns) {
    const DivisionAssignments assignments{{uuid(1), {uuid(1), "AFC East", "AFC"}}};
    StandingRow assigned;
    assigned.teams = TeamRef{};
    assigned.teams->id = uuid(1);
    const std::vector<GameRow> played{game("1", 20, 27, QStringLiteral("NBC"))};
    const std::vector<GameRow> future{game("2", std::nullopt, std::nullopt, std::nullopt)};
    const StatColumn away = contentSized(text("Away", 44, 16));
    const StatColumn home = contentSized(text("Home", 44, 24));

    struct Case {
        const char* table;
        DataTable built;
        Columns columns;
    };
    const Case cases[] = {
        {"standings by division", StandingsBuilder::byDivision({}, {}),
         plus({flexibleText("Team", 42)}, recordColumns())},
        {"standings by division, label moved", StandingsBuilder::byDivision({assigned}, assignments),
         plus({sectionLabel(flexibleText("AFC East", 58))}, recordColumns())},
        {"standings by conference", StandingsBuilder::byConference({}, {}),
         plus({text("Sd", 22, 8), flexibleText("Team", 42)}, recordColumns())},
        {"standings by conference, label moved", StandingsBuilder::byConference({assigned}, assignments),
         plus({sectionLabel(text("AFC", 23, 8)), flexibleText("Team", 42)}, recordColumns())},
        {"champions",
         ChampionsBuilder::build({}),
         {contentSized(text("SB", 42, 24)), flexibleText("Yr", 30, 24), contentSized(text("W", 26, 16)),
          contentSized(text("L", 26, 24)), contentSized(text("Score", 36, 24)),
          contentSized(text("MVP", 108))}},
        {"draft without picks",
         DraftBuilder::build({}, 2024, 1),
         {contentSized(text("#", 26, 8)), contentSized(text("Tm", 40, 10)), flexibleText("Player", 120, 8),
          contentSized(text("Pos", 36, 10)), contentSized(text("College", 130))}},
        {"draft round 1",
         DraftBuilder::build({pick(1)}, 2024, 1),
         {sectionLabel(text("Rd 1", 30, 8)), contentSized(text("Tm", 40, 10)), flexibleText("Player", 120, 8),
          contentSized(text("Pos", 36, 10)), contentSized(text("College", 130))}},
        {"draft round 12",
         DraftBuilder::build({pick(300)}, 2024, 12),
         {sectionLabel(text("Rd 12", 37, 8)), contentSized(text("Tm", 40, 10)),
          flexibleText("Player", 120, 8), contentSized(text("Pos", 36, 10)),
          contentSized(text("College", 130))}},
        {"award winners",
         AwardsBuilder::winners({}),
         {text("Award", 52, 10), flexibleText("Player", 130, 10), text("Pos", 34, 10), text("Tm", 40, 10),
          numeric("Vote%", 46)}},
        {"All-Pro",
         AwardsBuilder::allPro({honour("first_team"), honour("second_team")}),
         {sectionLabel(text("1st Team", 58, 10)), flexibleText("Player", 150, 10), numeric("Tm", 40)}},
        {"All-Pro second team alone",
         AwardsBuilder::allPro({honour("second_team")}),
         {sectionLabel(text("2nd Team", 58, 10)), flexibleText("Player", 150, 10), numeric("Tm", 40)}},
        {"All-Rookie",
         AwardsBuilder::allRookie({honour("first_team")}),
         {text("Pos", 40, 10), flexibleText("Player", 150, 10), numeric("Tm", 40)}},
        {"a played week with television",
         ScheduleBuilder::build(played, ScheduleWeek(QStringLiteral("1"))),
         {contentSized(text("Day", 26, 24)), flexibleText("Date", 40, 24), away, home,
          contentSized(withGap(numeric("Score", 60), 24)), contentSized(text("TV", 72))}},
        {"a week still to play",
         ScheduleBuilder::build(future, ScheduleWeek(QStringLiteral("2"))),
         {away, flexibleText("Home", 44, 24), contentSized(text("Day", 26, 24)),
          contentSized(text("Date", 40, 24)), contentSized(numeric("Time", 60))}},
        {"a team's season",
         ScheduleBuilder::team(QStringLiteral("KC"), {played[0], future[0]},
                               {ScheduleWeek(QStringLiteral("1")), ScheduleWeek(QStringLiteral("2"))}),
         {contentSized(text("Wk", 30, 24)), flexibleText("Date", 40, 24), away, home,
          contentSized(withGap(numeric("Score", 60), 24)), contentSized(text("TV", 72))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        EXPECT_EQ(shape(c.built.columns()), shape(c.columns));
        EXPECT_EQ(c.built.title(), std::nullopt);
        EXPECT_TRUE(c.built.groups().empty());
    }
}

} // namespace
} // namespace huddlepod
