// The look every view shares: palettes over Fusion, hierarchical text colours, dynamic colours and fonts.
#pragma once

#include "ui/Appearance.h"

#include <QColor>
#include <QFont>
#include <QPalette>

#include <optional>

namespace huddlepod {

enum class FontWeight { regular, medium, semibold };

// The four levels of text emphasis, strongest first.
enum class TextLevel { primary, secondary, tertiary, quaternary };

// The visual-effect materials the panel can be drawn with; each is a fill colour here.
enum class Material { menu, popover, hudWindow, sidebar };

namespace Theme {

// Window, base, text and highlight colours for Fusion; increase contrast makes text fully opaque.
QPalette palette(Appearance appearance, bool increaseContrast = false);
// The appearance a palette was made for (dark when its window colour is dark).
Appearance appearanceOf(const QPalette& palette);

// Hierarchical foreground colours (label, secondary, tertiary and quaternary label colours).
QColor text(TextLevel level, Appearance appearance, bool increaseContrast = false);
// Gold of Hall of Fame marks.
QColor hallOfFame(Appearance appearance);
// Hairline around the panel.
QColor panelEdge(Appearance appearance, bool increaseContrast);
// Fill behind a selected row.
QColor selectedContentBackground(Appearance appearance);
QColor materialFill(Material material, Appearance appearance);
// The look whose text reads on a material that keeps one fill in both looks (the HUD window's near-black);
// none for a material that follows the appearance.
std::optional<Appearance> materialAppearance(Material material);
// Outline of popovers and other floating surfaces.
QColor popoverEdge(Appearance appearance, bool increaseContrast);
// Edge of standard controls (check boxes, radio buttons, fields, buttons): 3:1 or more against the window
// colour in either look; with keyboard focus, an accent that reads there as well.
QColor controlEdge(Appearance appearance, bool increaseContrast, bool focused = false);

// The UI family; makes sure Lato is known to Qt, loading its faces from fonts-lato's folder when needed.
QString fontFamily();
void ensureFontsLoaded();
// Lato at a pixel size; its digits are tabular, which serves where monospaced digits are asked for.
QFont font(qreal pixelSize, FontWeight weight = FontWeight::regular);
// Height of one line of text in this font, in whole pixels.
qreal lineHeight(const QFont& font);

} // namespace Theme

} // namespace huddlepod
