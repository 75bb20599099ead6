// Our own drawings of the symbol images the views name ("chevron.left", "star.fill", ...).
#pragma once

#include "ui/Theme.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace huddlepod {

enum class Symbol {
    magnifyingGlass,
    chevronLeft,
    chevronRight,
    chevronDown,
    xmark,
    xmarkCircleFill,
    starFill,
    questionmarkCircle,
    exclamationmarkTriangle,
    keyboard,
    football,
    // Modifier keys as shortcuts show them (⌃⌥⇧⌘); sized to sit on a baseline at cap height.
    control,
    option,
    shift,
    command,
};

namespace Symbols {

// "magnifyingglass", "chevron.left", ..., "football".
QString name(Symbol symbol);
std::optional<Symbol> named(const QString& name);

// The box the symbol takes beside text of this pixel size.
QSizeF size(Symbol symbol, qreal pixelSize);
// Draws the symbol in box, strokes as heavy as the weight asks. Under a plain translation or scale the box is
// moved to whole device pixels first, so strokes stay sharp.
void paint(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color,
           FontWeight weight = FontWeight::regular);
// The symbol alone on a transparent image of its size at this pixel size (tray icons and tests).
QImage image(Symbol symbol, qreal pixelSize, const QColor& color, FontWeight weight = FontWeight::regular,
             qreal devicePixelRatio = 1.0);

} // namespace Symbols

} // namespace huddlepod
