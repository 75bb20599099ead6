// Standings tables: section order, row order, cut line, cells and label promotion.
#include "data/StandingsBuilder.h"

#include <gtest/gtest.h>

#include <QSet>

namespace huddlepod {
namespace {

QUuid team(int n) {
    return QUuid::fromString(QStringLiteral("0000000a-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0')));
}

StandingRow row(int n, QString abbreviation) {
    StandingRow made;
    made.teams = TeamRef{team(n), std::move(abbreviation), std::nullopt, std::nullopt};
    return made;
}

DivisionAssignments assign(std::initializer_list<std::tuple<int, const char*, const char*>> teams) {
    DivisionAssignments made;
    for (const auto& [n, division, conference] : teams)
        made[team(n)] =
            DivisionAssignment{team(n), QString::fromUtf8(division), QString::fromUtf8(conference)};
    return made;
}

std::vector<QString> labels(const DataTable& table) {
    std::vector<QString> made;
    for (const DataSection& section : table.sections())
        made.push_back(section.label.value_or(QStringLiteral("<none>")));
    return made;
}

std::vector<QString> teams(const DataSection& section, int column) {
    std::vector<QString> made;
    for (const DataRow& r : section.rows)
        made.push_back(r.values.at(column));
    return made;
}

using Texts = std::vector<QString>;

TEST(StandingsBuilder, divisionsInByteOrderWithLeagueLastAndLabelPromoted) {
    const auto assignments =
        assign({{1, "NFC West", "NFC"}, {2, "AFC East", "AFC"}, {3, "afc low", "AFC"}, {4, "Zeta", "NFC"}});
    const std::vector<StandingRow> rows{row(1, "SF"), row(5, "XXX"), row(3, "LOW"), row(2, "BUF"),
                                        row(4, "ZZ")};
    const DataTable table = StandingsBuilder::byDivision(rows, assignments);

    // The first label moves into the header; "Zeta" sorts before "afc low" (upper case first), "League" last.
    EXPECT_EQ(labels(table), (Texts{"<none>", "NFC West", "Zeta", "afc low", "League"}));
    ASSERT_EQ(table.columns().size(), 8u);
    const StatColumn& first = table.columns()[0];
    EXPECT_EQ(first.title, "AFC East");
    EXPECT_EQ(first.width, 58); // 7 × 8 + 2
    EXPECT_TRUE(first.isSectionLabel);
    EXPECT_FALSE(first.isContentSized);
    EXPECT_TRUE(first.isFlexible);
    EXPECT_TRUE(table.sections()[0].showsLabel);
    EXPECT_EQ(teams(table.sections()[4], 0), (Texts{"XXX"}));
}

TEST(StandingsBuilder, divisionRowsSortStablyByRankWithMissingAsNinetyNine) {
    const auto assignments =
        assign({{1, "D", "C"}, {2, "D", "C"}, {3, "D", "C"}, {4, "D", "C"}, {5, "D", "C"}});
    std::vector<StandingRow> rows{row(1, "A"), row(2, "B"), row(3, "C"), row(4, "D"), row(5, "E")};
    rows[0].divisionRank = 99;
    rows[2].divisionRank = 2;
    rows[3].divisionRank = 98;
    rows[4].divisionRank = 2;
    rows[4].isDivisionWinner = true;
    const DataTable table = StandingsBuilder::byDivision(rows, assignments);
    ASSERT_EQ(table.sections().size(), 1u);
    EXPECT_EQ(teams(table.sections()[0], 0), (Texts{"C", "E", "D", "A", "B"}));
    EXPECT_TRUE(table.sections()[0].rows[1].isEmphasized);
    EXPECT_FALSE(table.sections()[0].rows[0].isEmphasized);
    for (const DataRow& r : table.sections()[0].rows)
        EXPECT_FALSE(r.hasCutBelow);
}

TEST(StandingsBuilder, conferenceLeagueKeySortsAmongConferences) {
    const auto assignments = assign({{1, "N1", "NFC"}, {2, "A1", "AFC"}});
    const DataTable table =
        StandingsBuilder::byConference({row(1, "SF"), row(3, "UN"), row(2, "BUF")}, assignments);
    EXPECT_EQ(labels(table), (Texts{"<none>", "League", "NFC"}));
    ASSERT_EQ(table.columns().size(), 9u);
    EXPECT_EQ(table.columns()[0].title, "AFC");
    EXPECT_EQ(table.columns()[0].width, 23); // the 22-point seed column widened to 7 × 3 + 2
    EXPECT_EQ(table.columns()[0].trailingGap, 8.0);
    EXPECT_EQ(table.columns()[1].title, "Team");
}

TEST(StandingsBuilder, conferenceSeedsFirstThenWinPercentageBestFirst) {
    std::vector<StandingRow> rows;
    const auto add = [&](const char* name, std::optional<int> seed, std::optional<double> pct) {
        StandingRow r = row(static_cast<int>(rows.size()) + 1, QString::fromLatin1(name));
        r.conferenceSeed = seed;
        r.winPct = pct;
        rows.push_back(r);
    };
    add("P80a", std::nullopt, 0.8);
    add("S2", 2, 0.1);
    add("NONE", std::nullopt, std::nullopt);
    add("P90", std::nullopt, 0.9);
    add("S1", 1, 0.5);
    add("P80b", std::nullopt, 0.8);
    add("P00", std::nullopt, 0.0);
    const DataTable table = StandingsBuilder::byConference(rows, {});
    EXPECT_EQ(teams(table.sections()[0], 1), (Texts{"S1", "S2", "P90", "P80a", "P80b", "NONE", "P00"}));
    EXPECT_EQ(teams(table.sections()[0], 0), (Texts{"1", "2", "—", "—", "—", "—", "—"}));
}

TEST(StandingsBuilder, cutLineOnlyUnderLastPlayoffTeamAndNeverUnderLastRow) {
    const auto build = [](std::vector<bool> playoff) {
        std::vector<StandingRow> rows;
        for (std::size_t i = 0; i < playoff.size(); ++i) {
            StandingRow r = row(static_cast<int>(i) + 1, QString::number(i));
            r.conferenceSeed = static_cast<int>(i) + 1;
            r.isPlayoffTeam = playoff[i];
            rows.push_back(r);
        }
        std::vector<bool> cuts, emphasis;
        const DataTable table = StandingsBuilder::byConference(rows, {});
        for (const DataRow& r : table.sections()[0].rows) {
            cuts.push_back(r.hasCutBelow);
            emphasis.push_back(r.isEmphasized);
        }
        return std::pair{cuts, emphasis};
    };
    using Flags = std::vector<bool>;
    EXPECT_EQ(build({true, true, false, false}).first, (Flags{false, true, false, false}));
    EXPECT_EQ(build({true, false, true, false}).first, (Flags{false, false, true, false}));
    EXPECT_EQ(build({true, false, true, false}).second, (Flags{true, false, true, false}));
    EXPECT_EQ(build({false, false, false}).first, (Flags{false, false, false}));
    EXPECT_EQ(build({true, true, true}).first, (Flags{false, false, false}));
}

TEST(StandingsBuilder, cellsAndRowIds) {
    const QUuid id = QUuid::fromString(QStringLiteral("abcdef01-2345-4678-9abc-def012345678"));
    StandingRow full;
    full.teams = TeamRef{id, QStringLiteral("KC"), std::nullopt, std::nullopt};
    full.wins = 12, full.losses = 4, full.ties = 1, full.winPct = 0.6666, full.pointsFor = 1234;
    full.pointsAgainst = 300, full.pointDifferential = 5;
    StandingRow zero = row(2, QString());
    zero.pointDifferential = 0;
    zero.winPct = 0;
    StandingRow negative = row(3, QStringLiteral("NE"));
    negative.pointDifferential = -3;
    negative.winPct = 1;
    const StandingRow bare; // every field absent
    StandingRow noID = bare;
    noID.teams = TeamRef{};

    const DataTable table = StandingsBuilder::byDivision({full, zero, negative, bare, noID}, {});
    const auto& rows = table.sections()[0].rows;
    EXPECT_EQ(rows[0].values, (Texts{"KC", "12", "4", "1", ".667", "1234", "300", "+5"}));
    EXPECT_EQ(rows[0].id, "ABCDEF01-2345-4678-9ABC-DEF012345678");
    EXPECT_EQ(rows[1].values[0], "—"); // empty abbreviation
    EXPECT_EQ(rows[1].values[4], ".000");
    EXPECT_EQ(rows[1].values[7], "0");
    EXPECT_EQ(rows[2].values[4], "1.000");
    EXPECT_EQ(rows[2].values[7], "-3");
    EXPECT_EQ(rows[3].values, Texts(8, "—"));
    EXPECT_NE(rows[3].id, rows[4].id);
    EXPECT_FALSE(QUuid::fromString(rows[3].id).isNull());
    EXPECT_TRUE(rows[0].links.empty());
    EXPECT_TRUE(rows[0].emphasizedValues.empty());

    // Known team ids are stable from one build to the next.
    EXPECT_EQ(StandingsBuilder::byDivision({full}, {}).sections()[0].rows[0].id, rows[0].id);
}

TEST(StandingsBuilder, emptyAndUnassignedTables) {
    const DataTable empty = StandingsBuilder::byDivision({}, {});
    EXPECT_TRUE(empty.sections().empty());
    EXPECT_FALSE(empty.title().has_value());
    EXPECT_EQ(empty.columns()[0].title, "Team");
    EXPECT_FALSE(empty.columns()[0].isSectionLabel);
    EXPECT_EQ(StandingsBuilder::byConference({}, {}).columns()[0].title, "Sd");

    const DataTable division = StandingsBuilder::byDivision({row(1, "A")}, {});
    EXPECT_EQ(division.columns()[0].title, "League");
    EXPECT_EQ(division.columns()[0].width, 44);
    const DataTable conference = StandingsBuilder::byConference({row(1, "A")}, {});
    EXPECT_EQ(conference.columns()[0].title, "League");
    EXPECT_EQ(conference.columns()[0].width, 44);
}

TEST(StandingsBuilder, promotionDropsEmptySectionsAndCountsCharacters) {
    const StatColumn column{QStringLiteral("#"), 10, false, true, 8.0, true, false};
    const QString decomposed = QStringLiteral("A\u030Ae\u0301"); // two characters in four UTF-16 units
    DataRow r;
    r.id = QStringLiteral("r");
    const std::vector<DataSection> sections{DataSection{QStringLiteral("gone"), {}, true},
                                            DataSection{decomposed, {r}, false},
                                            DataSection{QStringLiteral("next"), {r}, true}};
    const auto promoted = StandingsBuilder::promotingFirstSectionLabel({column}, sections);
    ASSERT_EQ(promoted.sections.size(), 2u);
    EXPECT_EQ(promoted.columns[0].title, decomposed);
    EXPECT_EQ(promoted.columns[0].width, 16); // 7 × 2 + 2
    EXPECT_EQ(promoted.columns[0].trailingGap, 8.0);
    EXPECT_TRUE(promoted.columns[0].isFlexible);
    EXPECT_FALSE(promoted.sections[0].label.has_value());
    EXPECT_TRUE(promoted.sections[0].showsLabel);
    EXPECT_EQ(promoted.sections[1].label, "next");

    // An unlabelled first section leaves the columns alone.
    const auto untouched =
        StandingsBuilder::promotingFirstSectionLabel({column}, {DataSection{std::nullopt, {r}, true}});
    EXPECT_EQ(untouched.columns[0], column);
}

} // namespace
} // namespace huddlepod
