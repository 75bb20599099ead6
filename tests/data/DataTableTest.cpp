// Table model: kept sections, gaps, width resolution, identities and spoken texts.
#include "data/DataTable.h"
#include "data/StatFormat.h"

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

DataRow row(const QString& id, std::vector<QString> values) {
    return DataRow{.id = id, .values = std::move(values)};
}

// Year (40, gap 8), Tm (36, flexible), G (26).
std::vector<StatColumn> yearTeamGames() {
    return {
        StatColumn{.title = "Year", .width = 40, .isNumeric = false, .trailingGap = 8},
        StatColumn{.title = "Tm", .width = 36, .isNumeric = false, .isFlexible = true},
        StatColumn{.title = "G", .width = 26},
    };
}

} // namespace

TEST(DataTable, dropsSectionsWithoutRows) {
    const DataTable empty(std::nullopt, yearTeamGames(), {},
                          {DataSection{.label = std::nullopt}, DataSection{.label = "Postseason"}});
    EXPECT_TRUE(empty.sections().empty());
    EXPECT_TRUE(empty.isEmpty());

    const DataTable post(std::nullopt, yearTeamGames(), {},
                         {DataSection{.label = std::nullopt},
                          DataSection{.label = "Postseason", .rows = {row("a", {"1998", "—", "12"})}}});
    ASSERT_EQ(post.sections().size(), 1u);
    EXPECT_FALSE(post.isEmpty());
    EXPECT_TRUE(post.primaryRows().empty());
    ASSERT_EQ(post.rows("Postseason").size(), 1u);
    EXPECT_TRUE(post.rows("Regular").empty());
}

TEST(DataTable, gapsEndAtTheLastColumn) {
    std::vector<StatColumn> columns = yearTeamGames();
    columns.back().trailingGap = 20;
    const DataTable table(std::nullopt, columns, {}, {});
    EXPECT_EQ(table.gap(0), 8);
    EXPECT_EQ(table.gap(1), DataTable::columnSpacing);
    EXPECT_EQ(table.gap(2), 0);
    EXPECT_EQ(table.gap(9), 0);
    EXPECT_EQ(table.totalGaps(), 14);
    EXPECT_EQ(table.contentWidth(), 102);
    EXPECT_EQ(DataTable(std::nullopt, {StatColumn{.title = "X", .trailingGap = 4}}, {}, {}).totalGaps(), 0);
}

TEST(DataTable, spareWidthGoesOnlyToFlexibleColumns) {
    const DataTable table(std::nullopt, yearTeamGames(), {}, {});
    EXPECT_EQ(table.resolvedWidths(200, {}), (std::vector<double>{40, 120, 26}));
    // Too narrow: nothing is ever narrowed to fit.
    EXPECT_EQ(table.resolvedWidths(100, {}), (std::vector<double>{40, 36, 26}));
    EXPECT_EQ(table.resolvedWidths(116, {}), (std::vector<double>{40, 36, 26}));

    std::vector<StatColumn> twoFlexible = yearTeamGames();
    twoFlexible[2].isFlexible = true; // declared widths differ; the shares do not
    const DataTable shared(std::nullopt, twoFlexible, {}, {});
    EXPECT_EQ(shared.resolvedWidths(200, {}), (std::vector<double>{40, 78, 68}));

    std::vector<StatColumn> rigid = yearTeamGames();
    rigid[1].isFlexible = false;
    EXPECT_EQ(DataTable(std::nullopt, rigid, {}, {}).resolvedWidths(500, {}),
              (std::vector<double>{40, 36, 26}));
}

TEST(DataTable, contentSizedColumnsOnlyShrink) {
    const std::vector<StatColumn> columns{
        StatColumn{.title = "Team", .width = 120, .isNumeric = false, .isContentSized = true},
        StatColumn{.title = "W", .width = 30},
    };
    const DataTable table(std::nullopt, columns, {}, {});
    EXPECT_EQ(table.resolvedWidths(0, {{0, 74}}), (std::vector<double>{74, 30}));
    EXPECT_EQ(table.resolvedWidths(0, {{0, 150}}), (std::vector<double>{120, 30}));
    EXPECT_EQ(table.resolvedWidths(0, {}), (std::vector<double>{120, 30}));
    // Measurements of columns that are not content-sized are ignored.
    EXPECT_EQ(table.resolvedWidths(0, {{1, 5}}), (std::vector<double>{120, 30}));

    // A shrunk flexible column gets its share on top of its measured width.
    std::vector<StatColumn> flexible = columns;
    flexible[0].isFlexible = true;
    EXPECT_EQ(DataTable(std::nullopt, flexible, {}, {}).resolvedWidths(200, {{0, 74}}),
              (std::vector<double>{74 + 90, 30}));
}

TEST(DataTable, identitiesGroupHeaderColumnIndexAndEmphasis) {
    const DataTable untitled(std::nullopt,
                             {StatColumn{.title = "Wk"}, StatColumn{.title = "Yds"}, StatColumn{.title = ""},
                              StatColumn{.title = "Yds"}},
                             {{"A", 0, 2}}, {});
    EXPECT_EQ(untitled.id(), "WkYdsYds");
    EXPECT_EQ(DataTable(QString(""), yearTeamGames(), {}, {}).id(), "");

    EXPECT_FALSE(untitled.needsGroupHeader());
    EXPECT_TRUE(DataTable(std::nullopt, yearTeamGames(), {{"A", 0, 2}, {"B", 2, 1}}, {}).needsGroupHeader());
    EXPECT_EQ(untitled.columnIndex("Yds"), 1);
    EXPECT_EQ(untitled.columnIndex("TD"), std::nullopt);

    DataRow r = row("r", {"a", "b", "c"});
    r.emphasizedValues = {2};
    EXPECT_FALSE(r.emphasises(0));
    EXPECT_TRUE(r.emphasises(2));
    r.isEmphasized = true;
    EXPECT_TRUE(r.emphasises(0));
}

TEST(DataTable, spokenRowNamesEachCell) {
    const DataTable table(std::nullopt, yearTeamGames(), {}, {});
    const DataRow r = row("r", {"1998", StatFormat::absent, "12"});
    EXPECT_EQ(table.spokenLabel(r, QString("Postseason")), "Postseason, Year 1998, Tm not recorded, G 12");
    for (const auto& label : {std::optional<QString>(""), std::optional<QString>()})
        EXPECT_EQ(table.spokenLabel(r, label), "Year 1998, Tm not recorded, G 12");

    // Extra values reuse the last column; a placeholder inside other text is spoken as written.
    const DataRow longer = row("l", {"1998", "KC", "12", "13", "3/" + StatFormat::absent});
    EXPECT_EQ(table.spokenLabel(longer, std::nullopt), "Year 1998, Tm KC, G 12, G 13, G 3/—");
}

TEST(DataTable, spokenRowSkipsUntitledAndSectionLabelColumns) {
    const DataTable table(std::nullopt,
                          {StatColumn{.title = "AFC East", .isNumeric = false, .isSectionLabel = true},
                           StatColumn{.title = "", .isNumeric = false}, StatColumn{.title = "W"}},
                          {}, {});
    DataRow r = row("r", {"Buffalo", "x", "11"});
    r.hasCutBelow = true;
    EXPECT_EQ(table.spokenLabel(r, std::nullopt), "Buffalo, x, W 11, last in the playoff field");
    EXPECT_EQ(table.spokenColumnHeader(), "Columns: W");
    EXPECT_EQ(DataTable(std::nullopt, yearTeamGames(), {}, {}).spokenColumnHeader(), "Columns: Year, Tm, G");

    const DataTable noColumns(std::nullopt, {}, {}, {});
    EXPECT_EQ(noColumns.spokenLabel(row("n", {"a", "b"}), std::nullopt), "a, b");
}
