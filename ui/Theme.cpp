// Colours, palettes and fonts of the light and dark looks.
#include "ui/Theme.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>

namespace huddlepod {

namespace {

QColor gray(int value, int alpha = 255) {
    return QColor(value, value, value, alpha);
}

QColor rgb(double red, double green, double blue) {
    return QColor::fromRgbF(float(red), float(green), float(blue));
}

} // namespace

QColor Theme::text(TextLevel level, Appearance appearance, bool increaseContrast) {
    const int base = appearance == Appearance::dark ? 255 : 0;
    double alpha = 0;
    switch (level) {
    case TextLevel::primary:
        alpha = increaseContrast ? 1.0 : 0.85;
        break;
    case TextLevel::secondary:
        alpha = increaseContrast ? 0.72 : (appearance == Appearance::dark ? 0.55 : 0.5);
        break;
    case TextLevel::tertiary:
        alpha = increaseContrast ? 0.5 : (appearance == Appearance::dark ? 0.25 : 0.26);
        break;
    case TextLevel::quaternary:
        alpha = increaseContrast ? 0.3 : 0.1;
        break;
    }
    QColor color = gray(base);
    color.setAlphaF(float(alpha));
    return color;
}

QColor Theme::hallOfFame(Appearance appearance) {
    return appearance == Appearance::dark ? rgb(0.898, 0.729, 0.216) : rgb(0.502, 0.4, 0.075);
}

QColor Theme::panelEdge(Appearance appearance, bool increaseContrast) {
    QColor color = appearance == Appearance::dark ? gray(255) : gray(0);
    if (appearance == Appearance::dark) {
        color.setAlphaF(increaseContrast ? 0.34f : 0.16f);
    } else {
        color.setAlphaF(increaseContrast ? 0.30f : 0.14f);
    }
    return color;
}

QColor Theme::selectedContentBackground(Appearance appearance) {
    return appearance == Appearance::dark ? QColor(0x00, 0x58, 0xd0) : QColor(0x00, 0x64, 0xe1);
}

QColor Theme::materialFill(Material material, Appearance appearance) {
    const bool dark = appearance == Appearance::dark;
    switch (material) {
    case Material::menu:
        return dark ? gray(0x2b) : gray(0xf0);
    case Material::popover:
        return dark ? gray(0x2e) : gray(0xf7);
    case Material::hudWindow:
        return gray(0x1f);
    case Material::sidebar:
        return dark ? gray(0x26) : gray(0xe6);
    }
    return dark ? gray(0x2b) : gray(0xf0);
}

std::optional<Appearance> Theme::materialAppearance(Material material) {
    return material == Material::hudWindow ? std::optional(Appearance::dark) : std::nullopt;
}

QColor Theme::popoverEdge(Appearance appearance, bool increaseContrast) {
    return panelEdge(appearance, increaseContrast);
}

QColor Theme::controlEdge(Appearance appearance, bool increaseContrast, bool focused) {
    const bool dark = appearance == Appearance::dark;
    if (focused) {
        return dark ? QColor(0x41, 0x9c, 0xff) : QColor(0x00, 0x64, 0xe1);
    }
    if (increaseContrast) {
        return dark ? gray(0xb0) : gray(0x50);
    }
    return dark ? gray(0x90) : gray(0x76);
}

QPalette Theme::palette(Appearance appearance, bool increaseContrast) {
    const bool dark = appearance == Appearance::dark;
    const QColor primary = text(TextLevel::primary, appearance, increaseContrast);
    const QColor disabled = text(TextLevel::tertiary, appearance, increaseContrast);

    QPalette palette;
    palette.setColor(QPalette::Window, dark ? gray(0x32) : gray(0xec));
    palette.setColor(QPalette::WindowText, primary);
    palette.setColor(QPalette::Base, dark ? gray(0x1e) : gray(0xff));
    palette.setColor(QPalette::AlternateBase, dark ? gray(0x26) : gray(0xf5));
    palette.setColor(QPalette::Text, primary);
    palette.setColor(QPalette::PlaceholderText, text(TextLevel::tertiary, appearance, increaseContrast));
    palette.setColor(QPalette::Button, dark ? gray(0x3c) : gray(0xfc));
    palette.setColor(QPalette::ButtonText, primary);
    palette.setColor(QPalette::BrightText, dark ? gray(0xff) : gray(0x00));
    palette.setColor(QPalette::Light, dark ? gray(0x5a) : gray(0xff));
    palette.setColor(QPalette::Midlight, dark ? gray(0x48) : gray(0xf5));
    palette.setColor(QPalette::Mid, dark ? gray(0x2a) : gray(0xbf));
    palette.setColor(QPalette::Dark, dark ? gray(0x1a) : gray(0xa0));
    palette.setColor(QPalette::Shadow, dark ? gray(0x00) : gray(0x00, 0x40));
    palette.setColor(QPalette::Highlight, selectedContentBackground(appearance));
    palette.setColor(QPalette::HighlightedText, gray(0xff));
    palette.setColor(QPalette::Link, dark ? QColor(0x41, 0x9c, 0xff) : QColor(0x00, 0x68, 0xda));
    palette.setColor(QPalette::LinkVisited, dark ? QColor(0xb0, 0x7c, 0xf0) : QColor(0x7b, 0x3f, 0xb7));
    palette.setColor(QPalette::ToolTipBase, dark ? gray(0x3c) : gray(0xff));
    palette.setColor(QPalette::ToolTipText, primary);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    return palette;
}

Appearance Theme::appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? Appearance::dark : Appearance::light;
}

QString Theme::fontFamily() {
    return QStringLiteral("Lato");
}

void Theme::ensureFontsLoaded() {
    static const bool loaded = [] {
        if (QFontDatabase::families().contains(fontFamily())) {
            return true;
        }
        bool any = false;
        for (const char* face : {"Regular", "Medium", "Semibold"}) {
            const QString path =
                QStringLiteral("/usr/share/fonts/truetype/lato/Lato-%1.ttf").arg(QLatin1String(face));
            any = QFontDatabase::addApplicationFont(path) >= 0 || any;
        }
        return any;
    }();
    (void)loaded;
}

QFont Theme::font(qreal pixelSize, FontWeight weight) {
    ensureFontsLoaded();
    QFont font(fontFamily());
    // Qt takes whole pixel sizes; every size the views use is whole.
    font.setPixelSize(int(std::lround(pixelSize)));
    switch (weight) {
    case FontWeight::regular:
        font.setWeight(QFont::Normal);
        break;
    case FontWeight::medium:
        font.setWeight(QFont::Medium);
        break;
    case FontWeight::semibold:
        font.setWeight(QFont::DemiBold);
        break;
    }
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

qreal Theme::lineHeight(const QFont& font) {
    return std::round(QFontMetricsF(font).lineSpacing());
}

} // namespace huddlepod
