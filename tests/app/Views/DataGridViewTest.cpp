// The drawn grid: links that open players or a choice of players, hover, and colour probes of the drawing.
#include "app/Views/DataGridView.h"
#include "GridTables.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace huddlepod::testsupport;

namespace {

// The strongest ink inside a rectangle of a transparent render.
QColor strongestInk(const QImage& image, const QRectF& logical) {
    const qreal scale = image.devicePixelRatio();
    const QRect area = QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect();
    QColor strongest(0, 0, 0, 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.alpha() > strongest.alpha()) {
                strongest = color;
            }
        }
    }
    return strongest;
}

const DataGridLayout::Text& findText(const DataGridLayout& layout, const QString& text) {
    for (const DataGridLayout::Text& candidate : layout.texts) {
        if (candidate.text == text) {
            return candidate;
        }
    }
    throw std::runtime_error("no such text");
}

} // namespace

TEST(DataGridView, oneLinkOpensAtOnceSeveralOfferAChoice) {
    std::vector<QString> opened;
    DataGridView grid(standingsTable(), 416, [&](const PlayerLink& link) { opened.push_back(link.name); });
    grid.show();
    const DataGridLayout& layout = grid.gridLayout();

    QTest::mouseClick(&grid, Qt::LeftButton, {}, layout.links[1].hitArea.center().toPoint());
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("Josh Allen")});
    EXPECT_EQ(grid.disclosure(), nullptr);

    QTest::mouseClick(&grid, Qt::LeftButton, {}, layout.links[2].hitArea.center().toPoint());
    ASSERT_NE(grid.disclosure(), nullptr);
    EXPECT_TRUE(grid.gridLayout().links[2].isDisclosed);
    auto* list = static_cast<PopoverList*>(grid.disclosure()->content());
    EXPECT_EQ(list->titles().size(), 3);
    EXPECT_GE(list->width(), 130);
    EXPECT_EQ(list->height(), 3 * 22 + 8);
    saveLooks(*grid.disclosure(), QStringLiteral("grid-player-choice"));

    QTest::mouseClick(list->widget(), Qt::LeftButton, {}, list->rowRect(1).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.back(), QStringLiteral("Tyreek Hill"));
    EXPECT_TRUE(grid.disclosure() == nullptr || !grid.disclosure()->isVisible());
    EXPECT_FALSE(grid.gridLayout().links[2].isDisclosed);

    // Outside any link nothing happens.
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(60, int(layout.rows[0].frame.center().y())));
    EXPECT_EQ(opened.size(), 2u);
}

TEST(DataGridView, hoverUnderlinesTheLinkWithAPointingHand) {
    DataGridView grid(standingsTable(), 416, [](const PlayerLink&) {});
    grid.show();
    EXPECT_TRUE(grid.hasMouseTracking());
    const QPointF over = grid.gridLayout().links[1].hitArea.center();
    QTest::mouseMove(&grid, over.toPoint());
    EXPECT_EQ(grid.hoveredLink(), 1);
    EXPECT_TRUE(grid.gridLayout().links[1].isHovering);
    EXPECT_EQ(grid.cursor().shape(), Qt::PointingHandCursor);

    // The underline is ink just below the text.
    const DataGridLayout::Text& text = findText(grid.gridLayout(), QStringLiteral("Josh Allen"));
    const qreal baseline = text.baselines[0].y();
    const QRectF underline(text.textRect.left() + 1, baseline + 0.5, text.textRect.width() - 2, 1.5);
    const QImage hovered = renderTransparent(grid, Appearance::light);
    saveLooks(grid, QStringLiteral("grid-links-hovered"));

    QTest::mouseMove(&grid, QPoint(2, 2));
    EXPECT_EQ(grid.hoveredLink(), -1);
    EXPECT_EQ(grid.cursor().shape(), Qt::ArrowCursor);
    const QImage plain = renderTransparent(grid, Appearance::light);
    EXPECT_GT(strongestInk(hovered, underline).alpha(), strongestInk(plain, underline).alpha() + 60);
}

TEST(DataGridView, emDashIsTertiaryAndNumbersPrimaryInBothLooks) {
    DataGridView grid(passingTable(), 416);
    const DataGridLayout& layout = grid.gridLayout();
    const DataGridLayout::Text& dash = findText(layout, StatFormat::absent);
    const DataGridLayout::Text& number = findText(layout, QStringLiteral("4031"));
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QImage image = renderTransparent(grid, appearance);
        const QColor dashInk = strongestInk(image, dash.textRect);
        const QColor tertiary = Theme::text(TextLevel::tertiary, appearance);
        EXPECT_NEAR(dashInk.alpha(), tertiary.alpha(), 6);
        EXPECT_EQ(dashInk.red(), tertiary.red());
        const QColor numberInk = strongestInk(image, number.textRect);
        EXPECT_NEAR(numberInk.alpha(), Theme::text(TextLevel::primary, appearance).alpha(), 6);
    }
}

TEST(DataGridView, cutRuleIsDashedThreeOnThreeOff) {
    DataGridView grid(standingsTable(), 416);
    const QRectF rule = grid.gridLayout().cutRules[0];
    const QImage image = renderTransparent(grid, Appearance::light, 1.0);
    const int y = int(rule.top());
    std::vector<bool> inked;
    for (int x = 0; x < 12; ++x) {
        inked.push_back(image.pixelColor(x, y).alpha() > 0);
    }
    EXPECT_EQ(inked, (std::vector<bool>{true, true, true, false, false, false, true, true, true, false, false,
                                        false}));
    EXPECT_EQ(image.pixelColor(int(rule.right()) + 2, y).alpha(), 0);
}

TEST(DataGridView, rendersEveryKindOfTableForPeopleToCheck) {
    DataGridView passing(passingTable(), 416);
    saveLooks(passing, QStringLiteral("grid-groups-sections"));
    DataGridView standings(standingsTable(), 416, [](const PlayerLink&) {});
    saveLooks(standings, QStringLiteral("grid-cut-links"));
    DataGridView overflow(passingTable(), 120);
    EXPECT_GT(overflow.width(), 120);
    saveLooks(overflow, QStringLiteral("grid-overflow"));
    SUCCEED();
}

TEST(DataGridView, anOpenActionThatRemovesTheGridRunsToItsEnd) {
    // Opening a player replaces the page that held the grid inside the action, which goes on after that.
    const std::pair<int, const char*> cases[] = {{1, "Josh Allen"}, {2, "Tyreek Hill"}}; // one; a choice
    for (const auto& [link, name] : cases) {
        std::vector<QString> opened;
        QWidget page;
        QPointer<DataGridView> grid;
        grid = new DataGridView(
            standingsTable(), 416,
            [&](const PlayerLink& player) {
                delete grid.data();
                opened.push_back(player.name);
            },
            &page);
        grid->show();
        QTest::mouseClick(grid, Qt::LeftButton, {},
                          grid->gridLayout().links[link].hitArea.center().toPoint());
        if (grid && grid->disclosure()) {
            auto* list = static_cast<PopoverList*>(grid->disclosure()->content());
            QTest::mouseClick(list->widget(), Qt::LeftButton, {}, list->rowRect(1).center());
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(grid.isNull());
        EXPECT_EQ(opened, std::vector<QString>{QString::fromUtf8(name)});
    }
}
