// The grid's layout numbers: widths, headers, group captions, sections, rows, cut rules, links and overflow.
#include "app/Views/DataGridLayout.h"
#include "GridTables.h"
#include "app/Views/DataGridView.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace huddlepod::testsupport;
using Kind = DataGridLayout::Kind;

namespace {

std::vector<const DataGridLayout::Text*> textsOf(const DataGridLayout& layout, Kind kind) {
    std::vector<const DataGridLayout::Text*> found;
    for (const DataGridLayout::Text& text : layout.texts) {
        if (text.kind == kind) {
            found.push_back(&text);
        }
    }
    return found;
}

const DataGridLayout::Text* cell(const DataGridLayout& layout, int section, int row, int column) {
    for (const DataGridLayout::Text& text : layout.texts) {
        if (text.kind == Kind::cell && text.section == section && text.row == row && text.column == column) {
            return &text;
        }
    }
    return nullptr;
}

qreal lineHeight(int pixelSize, FontWeight weight, qreal tracking = 0) {
    return Theme::lineHeight(DataGridLayout::font(pixelSize, weight, tracking));
}

} // namespace

TEST(DataGridLayout, titleGroupsHeaderRowsAndSectionsStackWithTheirPaddings) {
    const DataGridView grid(passingTable(), 200);
    const DataGridLayout& layout = grid.gridLayout();
    // 200 − gaps (8 + 6 + 6 + 6) − declared (40 + 36 + 26 + 30 + 24) = 18 spare for the flexible column.
    EXPECT_EQ(grid.widths(), (std::vector<double>{40, 54, 26, 30, 24}));
    EXPECT_DOUBLE_EQ(layout.columnExtent, 200);

    const qreal title = lineHeight(10, FontWeight::semibold, 0.5);
    const qreal caption = lineHeight(9, FontWeight::semibold, 0.4);
    const qreal header = lineHeight(10, FontWeight::medium);
    const qreal line = lineHeight(11, FontWeight::regular);

    const auto titles = textsOf(layout, Kind::title);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0]->text, QStringLiteral("PASSING"));
    EXPECT_EQ(titles[0]->level, TextLevel::secondary);
    EXPECT_DOUBLE_EQ(titles[0]->frame.top(), 0);

    // Captions: a spacer over Year and its gap, then Games over Tm and G, then Passing cut to Yds and TD.
    const auto captions = textsOf(layout, Kind::groupCaption);
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_DOUBLE_EQ(captions[0]->frame.left(), 48);
    EXPECT_DOUBLE_EQ(captions[0]->frame.width(), 54 + 6 + 26);
    EXPECT_DOUBLE_EQ(captions[1]->frame.left(), 48 + 86 + 6);
    EXPECT_DOUBLE_EQ(captions[1]->frame.width(), 30 + 6 + 24);
    EXPECT_DOUBLE_EQ(captions[0]->frame.top(), title + 4);
    EXPECT_EQ(captions[0]->level, TextLevel::tertiary);

    // Column headers under the captions (1 below), rows under the headers (3 below).
    const auto headers = textsOf(layout, Kind::columnHeader);
    ASSERT_EQ(headers.size(), 5u);
    const qreal headerTop = title + 4 + caption + 1;
    EXPECT_DOUBLE_EQ(headers[0]->frame.top(), headerTop);
    EXPECT_EQ(headers[1]->alignment, Qt::AlignLeft);
    EXPECT_EQ(headers[2]->alignment, Qt::AlignRight);
    const qreal firstRowTop = headerTop + header + 3;
    ASSERT_EQ(layout.rows.size(), 3u);
    EXPECT_DOUBLE_EQ(layout.rows[0].frame.top(), firstRowTop);
    EXPECT_DOUBLE_EQ(layout.rows[0].frame.height(), line + 4);
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 0)->frame.top(), firstRowTop + 2);

    // Cells: x from the widths and gaps, numbers to the trailing edge.
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 1)->frame.left(), 48);
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 2)->frame.left(), 48 + 54 + 6);
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 4)->textRect.right(), 200);
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 1)->textRect.left(), 48);

    // The second section: its label 4 + 6 below the first section, no headers of its own.
    const auto labels = textsOf(layout, Kind::sectionLabel);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0]->text, QStringLiteral("Postseason"));
    EXPECT_EQ(labels[0]->level, TextLevel::tertiary);
    EXPECT_DOUBLE_EQ(labels[0]->frame.top(), layout.rows[1].frame.bottom() + 4 + 6);
    EXPECT_DOUBLE_EQ(layout.rows[2].frame.top(), labels[0]->frame.bottom() + 4);
    EXPECT_DOUBLE_EQ(layout.size.height(), layout.rows[2].frame.bottom());
    EXPECT_DOUBLE_EQ(layout.size.width(), 200);
}

TEST(DataGridLayout, cellColoursFollowTheirTextAndColumn) {
    const DataGridView grid(passingTable(), 200);
    EXPECT_EQ(cell(grid.gridLayout(), 0, 1, 3)->level, TextLevel::tertiary); // the em dash
    EXPECT_EQ(cell(grid.gridLayout(), 0, 1, 2)->level, TextLevel::primary);

    std::vector<StatColumn> columns{column("", 30, false), column("", 30, true), column("Opp", 40, false)};
    const DataTable table(std::nullopt, columns, {}, {{std::nullopt, {row("g", {"W", "24", "@ KC"})}, true}});
    const DataGridView plain(table, 200);
    EXPECT_EQ(cell(plain.gridLayout(), 0, 0, 0)->level, TextLevel::secondary);
    EXPECT_EQ(cell(plain.gridLayout(), 0, 0, 1)->level, TextLevel::primary);
    EXPECT_EQ(cell(plain.gridLayout(), 0, 0, 2)->level, TextLevel::primary);
    EXPECT_TRUE(textsOf(plain.gridLayout(), Kind::title).empty());
    // One group or none: no caption row, the header comes first.
    EXPECT_TRUE(textsOf(plain.gridLayout(), Kind::groupCaption).empty());
    EXPECT_DOUBLE_EQ(textsOf(plain.gridLayout(), Kind::columnHeader)[0]->frame.top(), 0);
}

TEST(DataGridLayout, firstGroupAtColumnZeroHasNoSpacer) {
    std::vector<StatColumn> columns{column("A", 30), column("B", 30), column("C", 30)};
    const DataTable table(std::nullopt, columns,
                          {{QStringLiteral("One"), 0, 1}, {QStringLiteral("Two"), 1, 2}},
                          {{std::nullopt, {row("x", {"1", "2", "3"})}, true}});
    const DataGridView grid(table, 90);
    const auto captions = textsOf(grid.gridLayout(), Kind::groupCaption);
    ASSERT_EQ(captions.size(), 2u);
    EXPECT_DOUBLE_EQ(captions[0]->frame.left(), 0);
    EXPECT_DOUBLE_EQ(captions[1]->frame.left(), 36);
    EXPECT_DOUBLE_EQ(captions[1]->frame.width(), 66);
}

TEST(DataGridLayout, cutRuleSpansAllColumnsAndTakesSevenPoints) {
    const DataGridView grid(standingsTable(), 416);
    const DataGridLayout& layout = grid.gridLayout();
    ASSERT_EQ(layout.cutRules.size(), 1u);
    const double extent = grid.widths()[0] + grid.widths()[1] + grid.widths()[2] + grid.widths()[3] + 18;
    EXPECT_DOUBLE_EQ(layout.cutRules[0].width(), extent);
    EXPECT_DOUBLE_EQ(layout.cutRules[0].height(), 1);
    EXPECT_DOUBLE_EQ(layout.cutRuleFrames[0].height(), 7);
    EXPECT_DOUBLE_EQ(layout.cutRuleFrames[0].top(), layout.rows[1].frame.bottom());
    EXPECT_DOUBLE_EQ(layout.cutRules[0].top(), layout.rows[1].frame.bottom() + 3);
    EXPECT_DOUBLE_EQ(layout.rows[2].frame.top(), layout.rows[1].frame.bottom() + 7);
    // The label is hidden (showsLabel false); the section-label column's title is tertiary.
    EXPECT_TRUE(textsOf(layout, Kind::sectionLabel).empty());
    EXPECT_EQ(textsOf(layout, Kind::columnHeader)[0]->level, TextLevel::tertiary);
    EXPECT_EQ(textsOf(layout, Kind::columnHeader)[1]->level, TextLevel::secondary);
}

TEST(DataGridLayout, contentSizedColumnShrinksToItsWidestTextPlusOne) {
    const DataTable table = standingsTable();
    const std::map<int, double> measured = DataGridLayout::measuredWidths(table);
    ASSERT_EQ(measured.size(), 1u);
    const QFontMetricsF cellMetrics(DataGridLayout::font(11, FontWeight::regular));
    const QFontMetricsF emphasis(DataGridLayout::font(11, FontWeight::semibold));
    // "Josh Allen" is emphasised (the whole row), "Three Winners" is not.
    const double widest = std::max({emphasis.horizontalAdvance(QStringLiteral("Josh Allen")),
                                    cellMetrics.horizontalAdvance(QStringLiteral("Three Winners")),
                                    cellMetrics.horizontalAdvance(StatFormat::absent)});
    EXPECT_DOUBLE_EQ(measured.at(3), std::ceil(widest) + 1);
    const DataGridView grid(table, 100);
    EXPECT_DOUBLE_EQ(grid.widths()[3], std::min(110.0, std::ceil(widest) + 1));

    // Text wider than the declared width keeps the declared width.
    std::vector<StatColumn> columns{column("Player", 40, false)};
    columns[0].isContentSized = true;
    const DataTable narrow(std::nullopt, columns, {},
                           {{std::nullopt, {row("x", {"Christian McCaffrey"})}, true}});
    EXPECT_EQ(DataGridView(narrow, 100).widths(), std::vector<double>{40});
}

TEST(DataGridLayout, tooNarrowAnOfferMakesTheGridWiderNeverNarrower) {
    const DataGridView grid(passingTable(), 100);
    EXPECT_EQ(grid.widths(), (std::vector<double>{40, 36, 26, 30, 24}));
    EXPECT_DOUBLE_EQ(grid.gridLayout().size.width(), 156 + 26);
    EXPECT_EQ(grid.width(), 182);
    EXPECT_DOUBLE_EQ(grid.gridLayout().rows[0].frame.width(), 182);
}

TEST(DataGridLayout, extraValuesReuseTheLastColumnWithoutAGap) {
    std::vector<StatColumn> columns{column("Wk", 24), column("Opp", 40, false)};
    const DataTable table(std::nullopt, columns, {},
                          {{std::nullopt, {row("x", {"1", "KC", "W", "31-20"})}, true}});
    const DataGridView grid(table, 100);
    const DataGridLayout& layout = grid.gridLayout();
    const DataGridLayout::Text* third = cell(layout, 0, 0, 2);
    const DataGridLayout::Text* fourth = cell(layout, 0, 0, 3);
    ASSERT_NE(fourth, nullptr);
    EXPECT_DOUBLE_EQ(third->frame.left(), 24 + 6 + 40);
    EXPECT_DOUBLE_EQ(third->frame.width(), 40);
    EXPECT_EQ(third->alignment, Qt::AlignLeft);
    EXPECT_DOUBLE_EQ(fourth->frame.left(), 24 + 6 + 40 + 40);
    EXPECT_DOUBLE_EQ(layout.size.width(), 150);
}

TEST(DataGridLayout, longTextWrapsAndTheRowGrows) {
    std::vector<StatColumn> columns{column("Award", 60, false), column("Yr", 30)};
    const DataTable table(std::nullopt, columns, {},
                          {{std::nullopt, {row("a", {"Offensive Player of the Year", "2020"})}, true}});
    const DataGridView grid(table, 100);
    const DataGridLayout& layout = grid.gridLayout();
    const DataGridLayout::Text* award = cell(layout, 0, 0, 0);
    EXPECT_TRUE(award->wraps);
    EXPECT_GT(award->lines.size(), 1u);
    const qreal line = lineHeight(11, FontWeight::regular);
    EXPECT_DOUBLE_EQ(layout.rows[0].frame.height(), line * qreal(award->lines.size()) + 4);
    // The short cell is centred on the tall one.
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 1)->frame.center().y(), award->frame.center().y());
}

TEST(DataGridLayout, linksOnlyWithAnOpenActionAndRowActionsByColumn) {
    const DataTable table = standingsTable();
    EXPECT_TRUE(DataGridView(table, 416).gridLayout().links.empty());

    const DataGridView grid(table, 416, [](const PlayerLink&) {});
    const DataGridLayout& layout = grid.gridLayout();
    ASSERT_EQ(layout.links.size(), 3u);
    EXPECT_EQ(layout.links[1].links.size(), 1u);
    EXPECT_EQ(layout.links[1].hitArea, cell(layout, 0, 0, 3)->textRect);
    EXPECT_EQ(layout.texts[layout.links[1].textIndex].text, QStringLiteral("Josh Allen"));

    // Links in columns 3 and 0: the column 0 player comes first.
    const std::vector<PlayerLink> actions = DataGridView::rowActions(table.sections()[0].rows[0]);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].name, QStringLiteral("Team Captain"));
    EXPECT_EQ(actions[1].name, QStringLiteral("Josh Allen"));

    const std::vector<PlayerLink>& three = layout.links[2].links;
    EXPECT_EQ(PlayerNameLink::accessibilityLabel(three),
              QStringLiteral("3 winners: Tua Tagovailoa, Tyreek Hill, Jaylen Waddle"));
    EXPECT_EQ(PlayerNameLink::accessibilityHint(three), QStringLiteral("Choose a player to open"));
    EXPECT_EQ(PlayerNameLink::accessibilityLabel({three[0]}), QStringLiteral("Tua Tagovailoa"));
    EXPECT_EQ(PlayerNameLink::accessibilityHint({three[0]}), QStringLiteral("Open player"));
}

TEST(DataGridLayout, degenerateTablesDoNotFail) {
    const DataTable noColumns(std::nullopt, {}, {{QStringLiteral("G"), 0, 0}, {QStringLiteral("H"), 4, 2}},
                              {{std::nullopt, {row("x", {"1", "2"})}, true}});
    const DataGridView grid(noColumns, 100);
    EXPECT_DOUBLE_EQ(grid.gridLayout().size.width(), 100);
    const DataGridView empty(DataTable(QStringLiteral("Empty"), {column("A", 20)}, {}, {}), 50);
    EXPECT_EQ(textsOf(empty.gridLayout(), Kind::title).size(), 1u);
    EXPECT_TRUE(empty.gridLayout().rows.empty());
}
