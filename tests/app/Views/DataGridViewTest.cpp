// The drawn grid: links that open players or a choice of players, hover, and colour probes of the drawing.
#include "app/Views/DataGridView.h"
#include "GridTables.h"
#include "RenderOutput.h"
#include "app/Views/Components/PopoverList.h"

#include <QTest>

#include <set>

#include <gtest/gtest.h>

using namespace huddlepod;
using namespace huddlepod::testsupport;

namespace {

// The strongest ink inside a rectangle of a transparent render.
int strongestAlpha(const QImage& image, const QRectF& logical) {
    const qreal scale = image.devicePixelRatio();
    const QRect area = QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect();
    int strongest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            strongest = std::max(strongest, image.pixelColor(x, y).alpha());
        }
    }
    return strongest;
}

void click(DataGridView& grid, int link) {
    QTest::mouseClick(&grid, Qt::LeftButton, {}, grid.gridLayout().links[link].hitArea.center().toPoint());
}

// Picks a row of the grid's open choice of players; the grid opens it on the next turn.
void choose(DataGridView& grid, int row) {
    auto* list = static_cast<PopoverList*>(grid.disclosure()->content());
    QTest::mouseClick(list->widget(), Qt::LeftButton, {}, list->rowRect(row).center());
    QCoreApplication::processEvents();
}

} // namespace

TEST(DataGridView, oneLinkOpensAtOnceSeveralOfferAChoice) {
    std::vector<QString> opened;
    DataGridView grid(standingsTable(), 416, [&](const PlayerLink& link) { opened.push_back(link.name); });
    grid.show();
    click(grid, 1);
    EXPECT_EQ(opened, std::vector<QString>{QStringLiteral("Josh Allen")});
    EXPECT_EQ(grid.disclosure(), nullptr);

    click(grid, 2);
    ASSERT_NE(grid.disclosure(), nullptr);
    EXPECT_TRUE(grid.gridLayout().links[2].isDisclosed);
    saveLooks(*grid.disclosure(), QStringLiteral("grid-player-choice"));
    choose(grid, 1);
    EXPECT_EQ(opened.back(), QStringLiteral("Tyreek Hill"));
    EXPECT_TRUE(grid.disclosure() == nullptr || !grid.disclosure()->isVisible());
    EXPECT_FALSE(grid.gridLayout().links[2].isDisclosed);

    // Outside any link nothing happens.
    QTest::mouseClick(&grid, Qt::LeftButton, {},
                      QPoint(60, int(grid.gridLayout().rows[0].frame.center().y())));
    EXPECT_EQ(opened.size(), 2u);
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
        click(*grid, link);
        if (grid && grid->disclosure()) {
            choose(*grid, 1);
        }
        EXPECT_TRUE(grid.isNull());
        EXPECT_EQ(opened, std::vector<QString>{QString::fromUtf8(name)});
    }
}

TEST(DataGridView, hoverUnderlinesTheLinkWithAPointingHand) {
    DataGridView grid(standingsTable(), 416, [](const PlayerLink&) {});
    grid.show();
    const DataGridLayout::Text& text = grid.gridLayout().texts[grid.gridLayout().links[1].textIndex];
    const QRectF underline(text.textRect.left() + 1, text.baselines[0].y() + 0.5, text.textRect.width() - 2,
                           1.5);
    QTest::mouseMove(&grid, grid.gridLayout().links[1].hitArea.center().toPoint());
    EXPECT_EQ(grid.hoveredLink(), 1);
    EXPECT_EQ(grid.cursor().shape(), Qt::PointingHandCursor);
    const QImage hovered = renderTransparent(grid, Appearance::light);
    saveLooks(grid, QStringLiteral("grid-links-hovered"));

    QTest::mouseMove(&grid, QPoint(2, 2));
    EXPECT_EQ(grid.hoveredLink(), -1);
    EXPECT_EQ(grid.cursor().shape(), Qt::ArrowCursor);
    const QImage plain = renderTransparent(grid, Appearance::light);
    EXPECT_GT(strongestAlpha(hovered, underline), strongestAlpha(plain, underline) + 60);
}

TEST(DataGridView, eachTextIsDrawnInItsLevelsColourAndTheCutRuleIsDashed) {
    DataGridView grid(passingTable(), 416);
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QImage image = renderTransparent(grid, appearance);
        for (const DataGridLayout::Text& text : grid.gridLayout().texts) {
            EXPECT_NEAR(strongestAlpha(image, text.textRect), Theme::text(text.level, appearance).alpha(), 6)
                << text.text.toStdString();
        }
    }
    DataGridView standings(standingsTable(), 416);
    const QRectF rule = standings.gridLayout().cutRules.at(0);
    const QImage image = renderTransparent(standings, Appearance::light, 1.0);
    std::set<bool> inked;
    for (int x = int(rule.left()); x < int(rule.right()); ++x) {
        inked.insert(image.pixelColor(x, int(rule.top())).alpha() > 0);
    }
    EXPECT_EQ(inked.size(), 2u) << "ink and gaps along the rule";
    saveLooks(standings, QStringLiteral("grid-cut-links"));
    saveLooks(grid, QStringLiteral("grid-groups-sections"));
    DataGridView overflow(passingTable(), 120);
    saveLooks(overflow, QStringLiteral("grid-overflow"));
}
