// Text that may hold the modifier glyphs ⌃⌥⇧⌘ ("Press ⌃⌥S from anywhere…"): Lato has none of them and a
// fallback font draws them at another weight and with gaps, so we draw those four ourselves, and the keycap
// and circle that enclose keypad keys and help ("⌃⌥1⃣"), which no font we ship has; the rest in the given
// font.
#pragma once

#include "ui/Symbols.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace huddlepod::ShortcutText {

// The drawn glyph of ⌃, ⌥, ⇧ or ⌘; nothing for any other character.
std::optional<Symbol> modifierSymbol(QChar character);
// The advance of the whole text as draw() lays it out.
qreal width(const QString& text, const QFont& font);
// The text cut at the end with "…" so it fits maxWidth (unchanged when it fits).
QString elided(const QString& text, const QFont& font, qreal maxWidth);
// Draws the text from its left end on a baseline.
void draw(QPainter& painter, QPointF baselineStart, const QString& text, const QFont& font,
          const QColor& color);
// Draws the text left-aligned and centred vertically in rect, as QPainter::drawText with
// Qt::AlignLeft | Qt::AlignVCenter would.
void draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, const QColor& color);

} // namespace huddlepod::ShortcutText
