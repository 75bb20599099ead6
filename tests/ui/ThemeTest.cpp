// The shared look: dynamic colours, palettes, fonts, symbol drawings and applying an appearance.
#include "ui/Theme.h"
#include "ui/ApplyAppearance.h"
#include "ui/Symbols.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(Theme, panelEdgeFollowsAppearanceAndContrast) {
    const struct {
        Appearance appearance;
        bool contrast;
        int gray;
        double alpha;
    } table[] = {
        {Appearance::dark, false, 255, 0.16},
        {Appearance::dark, true, 255, 0.34},
        {Appearance::light, false, 0, 0.14},
        {Appearance::light, true, 0, 0.30},
    };
    for (const auto& row : table) {
        const QColor color = Theme::panelEdge(row.appearance, row.contrast);
        EXPECT_EQ(color.red(), row.gray);
        EXPECT_EQ(color.green(), row.gray);
        EXPECT_EQ(color.blue(), row.gray);
        EXPECT_NEAR(color.alphaF(), row.alpha, 0.003);
    }
}

TEST(Theme, hallOfFameGoldIsDarkerInLight) {
    const QColor light = Theme::hallOfFame(Appearance::light);
    const QColor dark = Theme::hallOfFame(Appearance::dark);
    EXPECT_NEAR(light.redF(), 0.502, 0.002);
    EXPECT_NEAR(light.greenF(), 0.4, 0.002);
    EXPECT_NEAR(light.blueF(), 0.075, 0.002);
    EXPECT_NEAR(dark.redF(), 0.898, 0.002);
    EXPECT_NEAR(dark.greenF(), 0.729, 0.002);
    EXPECT_NEAR(dark.blueF(), 0.216, 0.002);
    EXPECT_EQ(light.alpha(), 255);
    EXPECT_EQ(dark.alpha(), 255);
}

TEST(Theme, textLevelsFadeInOrderAndContrastStrengthensThem) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const int base = appearance == Appearance::dark ? 255 : 0;
        int previous = 256;
        for (const TextLevel level :
             {TextLevel::primary, TextLevel::secondary, TextLevel::tertiary, TextLevel::quaternary}) {
            const QColor color = Theme::text(level, appearance);
            EXPECT_EQ(color.red(), base);
            EXPECT_LT(color.alpha(), previous);
            EXPECT_GT(Theme::text(level, appearance, true).alpha(), color.alpha());
            previous = color.alpha();
        }
    }
}

TEST(Theme, palettesKnowTheirAppearance) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QPalette palette = Theme::palette(appearance);
        EXPECT_EQ(Theme::appearanceOf(palette), appearance);
        EXPECT_EQ(palette.color(QPalette::Text), Theme::text(TextLevel::primary, appearance));
        EXPECT_EQ(palette.color(QPalette::Highlight), Theme::selectedContentBackground(appearance));
    }
    EXPECT_EQ(Theme::palette(Appearance::dark, true).color(QPalette::Text).alpha(), 255);
}

TEST(Theme, latoAtPixelSizesWithRealWeightsAndTabularDigits) {
    const struct {
        FontWeight weight;
        const char* style;
    } faces[] = {
        {FontWeight::regular, "Regular"}, {FontWeight::medium, "Medium"}, {FontWeight::semibold, "Semibold"}};
    for (const auto& face : faces) {
        const QFont font = Theme::font(11, face.weight);
        const QFontInfo info(font);
        EXPECT_EQ(info.family(), QStringLiteral("Lato"));
        EXPECT_EQ(info.styleName(), QLatin1String(face.style));
        EXPECT_EQ(info.pixelSize(), 11);
        const QFontMetricsF metrics(font);
        for (const QChar digit : QStringLiteral("0123456789")) {
            EXPECT_DOUBLE_EQ(metrics.horizontalAdvance(digit), metrics.horizontalAdvance(QLatin1Char('0')));
        }
    }
}

TEST(Symbols, everyNameRoundTripsAndEveryDrawingStaysInItsBox) {
    const Symbol all[] = {Symbol::magnifyingGlass,
                          Symbol::chevronLeft,
                          Symbol::chevronRight,
                          Symbol::chevronDown,
                          Symbol::xmark,
                          Symbol::xmarkCircleFill,
                          Symbol::starFill,
                          Symbol::questionmarkCircle,
                          Symbol::exclamationmarkTriangle,
                          Symbol::keyboard,
                          Symbol::football};
    for (const Symbol symbol : all) {
        EXPECT_EQ(Symbols::named(Symbols::name(symbol)), symbol);
        const QSizeF size = Symbols::size(symbol, 20);
        // Draw in the middle of a larger canvas: ink inside the box, none around it.
        QImage canvas(int(size.width()) + 20, int(size.height()) + 20, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter painter(&canvas);
            Symbols::paint(painter, symbol, QRectF(QPointF(10, 10), size), Qt::black, FontWeight::semibold);
        }
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                if (qAlpha(canvas.pixel(x, y)) == 0) {
                    continue;
                }
                const bool inBox = x >= 9 && y >= 9 && x <= 10 + size.width() && y <= 10 + size.height();
                (inBox ? inside : outside) += 1;
            }
        }
        EXPECT_GT(inside, 10) << Symbols::name(symbol).toStdString();
        EXPECT_EQ(outside, 0) << Symbols::name(symbol).toStdString();
    }
    EXPECT_FALSE(Symbols::named(QStringLiteral("heart.fill")).has_value());
}

TEST(Symbols, starIsFilledWithTheGivenColour) {
    const QColor gold = Theme::hallOfFame(Appearance::dark);
    const QImage star = Symbols::image(Symbol::starFill, 22, gold);
    EXPECT_EQ(star.pixel(star.width() / 2, star.height() / 2), gold.rgba());
}

TEST(ApplyAppearance, setsFusionAndThePaletteAtOnce) {
    QWidget widget;
    FixedWorkspaceSettings workspace;
    applyAppearance(AppearancePreference::dark, workspace);
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_EQ(Theme::appearanceOf(QApplication::palette()), Appearance::dark);
    EXPECT_EQ(Theme::appearanceOf(widget.palette()), Appearance::dark);
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("Lato"));

    applyAppearance(AppearancePreference::system, workspace);
    EXPECT_EQ(Theme::appearanceOf(widget.palette()), Appearance::light);
    workspace.prefersDarkValue = true;
    applyAppearance(AppearancePreference::system, workspace);
    EXPECT_EQ(Theme::appearanceOf(widget.palette()), Appearance::dark);
    applyAppearance(AppearancePreference::light, workspace);
    EXPECT_EQ(Theme::appearanceOf(widget.palette()), Appearance::light);
}
