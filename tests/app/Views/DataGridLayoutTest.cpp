// The grid's layout numbers: widths, headers, group captions, sections, rows, cut rules, links and overflow.
#include "app/Views/DataGridLayout.h"
#include "GridTables.h"
#include "app/Views/DataGridView.h"

#include <QFontInfo>
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

} // namespace

TEST(DataGridLayout, theFlexibleColumnTakesWhatIsLeftAndTooNarrowAnOfferWidensTheGrid) {
    // The table shares out the widths; too narrow an offer leaves the declared 182 (widths and gaps).
    const std::pair<qreal, qreal> cases[] = {{200, 200}, {100, 182}};
    for (const auto& [offered, width] : cases) {
        const DataGridView grid(passingTable(), offered);
        EXPECT_DOUBLE_EQ(grid.gridLayout().size.width(), width);
        EXPECT_EQ(grid.width(), int(width));
        EXPECT_DOUBLE_EQ(grid.gridLayout().rows[0].frame.width(), width);
        EXPECT_DOUBLE_EQ(cell(grid.gridLayout(), 0, 0, 4)->textRect.right(), width) << "numbers trail";
    }
}

TEST(DataGridLayout, titleCaptionsHeadersSectionsAndRowsStackInOrder) {
    const DataGridView grid(passingTable(), 200);
    const DataGridLayout& layout = grid.gridLayout();
    const auto captions = textsOf(layout, Kind::groupCaption);
    const auto headers = textsOf(layout, Kind::columnHeader);
    const auto labels = textsOf(layout, Kind::sectionLabel);
    ASSERT_EQ(captions.size(), 2u);
    ASSERT_EQ(labels.size(), 1u);
    ASSERT_EQ(layout.rows.size(), 3u);
    EXPECT_EQ(textsOf(layout, Kind::title).at(0)->text, QStringLiteral("PASSING"));
    const std::vector<QRectF> stack = {textsOf(layout, Kind::title)[0]->frame,
                                       captions[0]->frame,
                                       headers.at(0)->frame,
                                       layout.rows[0].frame,
                                       layout.rows[1].frame,
                                       labels[0]->frame,
                                       layout.rows[2].frame};
    for (std::size_t index = 1; index < stack.size(); ++index) {
        EXPECT_GE(stack[index].top(), stack[index - 1].bottom()) << index;
    }
    EXPECT_DOUBLE_EQ(layout.size.height(), layout.rows[2].frame.bottom());
    // Games starts over its first column after a spacer over Year; the captions neither overlap nor overflow.
    EXPECT_DOUBLE_EQ(captions[0]->frame.left(), cell(layout, 0, 0, 1)->textRect.left());
    EXPECT_LE(captions[0]->frame.right(), captions[1]->frame.left());
    EXPECT_LE(captions[1]->frame.right(), layout.size.width());
    EXPECT_EQ(headers[1]->alignment, Qt::AlignLeft);
    EXPECT_EQ(headers[2]->alignment, Qt::AlignRight);

    // A group at column zero has no spacer; one group or none has no caption row.
    std::vector<StatColumn> columns{column("A", 30), column("B", 30), column("C", 30)};
    const DataTable table(std::nullopt, columns,
                          {{QStringLiteral("One"), 0, 1}, {QStringLiteral("Two"), 1, 2}},
                          {{std::nullopt, {row("x", {"1", "2", "3"})}, true}});
    EXPECT_DOUBLE_EQ(textsOf(DataGridView(table, 90).gridLayout(), Kind::groupCaption)[0]->frame.left(), 0);
    const DataTable ungrouped(std::nullopt, columns, {}, table.sections());
    EXPECT_DOUBLE_EQ(textsOf(DataGridView(ungrouped, 90).gridLayout(), Kind::columnHeader)[0]->frame.top(),
                     0);
}

TEST(DataGridLayout, theEmDashAndLeadingTextColumnsAreFainter) {
    const DataGridView grid(passingTable(), 200);
    EXPECT_EQ(cell(grid.gridLayout(), 0, 1, 3)->level, TextLevel::tertiary);
    EXPECT_EQ(cell(grid.gridLayout(), 0, 1, 2)->level, TextLevel::primary);
    std::vector<StatColumn> columns{column("", 30, false), column("", 30, true), column("Opp", 40, false)};
    const DataTable table(std::nullopt, columns, {}, {{std::nullopt, {row("g", {"W", "24", "@ KC"})}, true}});
    const DataGridView plain(table, 200);
    const TextLevel levels[] = {TextLevel::secondary, TextLevel::primary, TextLevel::primary};
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(cell(plain.gridLayout(), 0, 0, index)->level, levels[index]) << index;
    }
}

TEST(DataGridLayout, aCutRuleSpansAllColumnsBetweenItsRowsAndLinksNeedAnOpenAction) {
    const DataTable table = standingsTable();
    EXPECT_TRUE(DataGridView(table, 416).gridLayout().links.empty());
    const DataGridView grid(table, 416, [](const PlayerLink&) {});
    const DataGridLayout& layout = grid.gridLayout();
    ASSERT_EQ(layout.cutRules.size(), 1u);
    EXPECT_DOUBLE_EQ(layout.cutRules[0].width(), layout.columnExtent);
    EXPECT_GT(layout.cutRules[0].top(), layout.rows[1].frame.bottom());
    EXPECT_LT(layout.cutRules[0].bottom(), layout.rows[2].frame.top());
    EXPECT_TRUE(textsOf(layout, Kind::sectionLabel).empty()) << "the section hides its label";
    ASSERT_EQ(layout.links.size(), 3u);
    EXPECT_EQ(layout.links[1].hitArea, cell(layout, 0, 0, 3)->textRect);
    EXPECT_EQ(layout.texts[layout.links[1].textIndex].text, QStringLiteral("Josh Allen"));
}

TEST(DataGridLayout, contentSizedColumnFitsItsWidestTextButNotBeyondItsWidth) {
    const DataTable table = standingsTable();
    // "Josh Allen" is emphasised (the whole row), "Three Winners" is not.
    const double widest = std::max(
        QFontMetricsF(DataGridLayout::font(11, FontWeight::semibold)).horizontalAdvance("Josh Allen"),
        QFontMetricsF(DataGridLayout::font(11, FontWeight::regular)).horizontalAdvance("Three Winners"));
    EXPECT_GE(DataGridLayout::measuredWidths(table).at(3), widest);
    EXPECT_LE(DataGridView(table, 100).widths()[3], 110);
}

TEST(DataGridLayout, extraValuesReuseTheLastColumnAndLongTextWraps) {
    std::vector<StatColumn> columns{column("Wk", 24), column("Award", 40, false)};
    const DataTable table(std::nullopt, columns, {},
                          {{std::nullopt, {row("x", {"1", "Top Player of the Year", "W", "31-20"})}, true}});
    const DataGridView grid(table, 100);
    const DataGridLayout& layout = grid.gridLayout();
    for (int column = 2; column < 4; ++column) {
        EXPECT_DOUBLE_EQ(cell(layout, 0, 0, column)->frame.width(), 40) << "the last column's width";
        EXPECT_GE(cell(layout, 0, 0, column)->frame.left(), cell(layout, 0, 0, column - 1)->frame.right());
    }
    const DataGridLayout::Text* award = cell(layout, 0, 0, 1);
    EXPECT_TRUE(award->wraps);
    EXPECT_GT(award->lines.size(), 1u);
    EXPECT_TRUE(layout.rows[0].frame.contains(award->textRect)) << "the row grows with the lines";
    EXPECT_DOUBLE_EQ(cell(layout, 0, 0, 0)->frame.center().y(), award->frame.center().y())
        << "short cells centre";
}

TEST(DataGridLayout, degenerateTablesDoNotFail) {
    const DataTable noColumns(std::nullopt, {}, {{QStringLiteral("G"), 0, 0}, {QStringLiteral("H"), 4, 2}},
                              {{std::nullopt, {row("x", {"1", "2"})}, true}});
    EXPECT_DOUBLE_EQ(DataGridView(noColumns, 100).gridLayout().size.width(), 100);
    const DataGridView empty(DataTable(QStringLiteral("Empty"), {column("A", 20)}, {}, {}), 50);
    EXPECT_EQ(textsOf(empty.gridLayout(), Kind::title).size(), 1u);
    EXPECT_TRUE(empty.gridLayout().rows.empty());
}

TEST(DataGridLayout, aCellBreaksOnlyAtSpacesAndItsColumnGrowsToItsWidestWord) {
    ASSERT_EQ(QFontInfo(DataGridLayout::font(11, FontWeight::regular)).family(), QStringLiteral("Lato"));
    // The champions columns; their longest values in the demo league.
    std::vector<StatColumn> champions{column("SB", 42, false),    column("Yr", 30, false),
                                      column("W", 26, false),     column("L", 26, false),
                                      column("Score", 36, false), column("MVP", 108, false)};
    const double gaps[] = {24, 24, 16, 24, 24};
    for (std::size_t index = 0; index < champions.size(); ++index) {
        champions[index].isContentSized = index != 1;
        champions[index].isFlexible = index == 1;
        if (index < 5) {
            champions[index].trailingGap = gaps[index];
        }
    }
    // A narrow flexible text column: a hyphen is no place to break, a space is.
    std::vector<StatColumn> narrow{column("Wk", 24), column("Name", 60, false)};
    narrow[1].isFlexible = true;
    const struct {
        const char* name;
        std::vector<StatColumn> columns;
        std::vector<QString> values;
        qreal offered;
        qreal width;                             // of the grid
        std::vector<std::vector<QString>> lines; // of each cell
    } cases[] = {
        {"champions",
         champions,
         {"XXXVIII", "1987", "MEM", "MEM", "27–19", "Isaiah Fairoings Jr."},
         416,
         416,
         {{"XXXVIII"}, {"1987"}, {"MEM"}, {"MEM"}, {"27–19"}, {"Isaiah Fairoings Jr."}}},
        {"hyphenated",
         narrow,
         {"1", "Larenman-Salstead Jr."},
         130,
         130,
         {{"1"}, {"Larenman-Salstead", "Jr."}}},
        // With no flexible column to give way the grid grows past the offer: 26.75 wide, rounded up, plus 1.
        {"no room", {column("W", 26, false)}, {"MEM"}, 26, 28, {{"MEM"}}},
    };
    const QFontMetricsF regular(DataGridLayout::font(11, FontWeight::regular));
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const DataTable table(std::nullopt, test.columns, {},
                              {{std::nullopt, {row("r", test.values)}, true}});
        const DataGridView grid(table, test.offered);
        const DataGridLayout& layout = grid.gridLayout();
        EXPECT_DOUBLE_EQ(layout.size.width(), test.width);
        qreal lineHeight = 0;
        for (std::size_t index = 0; index < test.values.size(); ++index) {
            const DataGridLayout::Text* placed = cell(layout, 0, 0, int(index));
            ASSERT_NE(placed, nullptr);
            EXPECT_EQ(placed->lines, test.lines[index]) << index;
            for (const QString& line : placed->lines) {
                EXPECT_LE(regular.horizontalAdvance(line), placed->frame.width() + 0.5) << index;
            }
            if (placed->lines.size() == 1) {
                lineHeight = placed->frame.height();
            }
        }
        const std::size_t tallest =
            std::ranges::max_element(test.lines, {}, &std::vector<QString>::size)->size();
        EXPECT_DOUBLE_EQ(layout.rows[0].frame.height(), qreal(tallest) * lineHeight + 4);
    }
}
