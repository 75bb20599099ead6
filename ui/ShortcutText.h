// The shortcut hint's and recorder's text ("Press Ctrl+Alt+S from anywhere…"): measured, cut and drawn as one
// line. Shortcuts are shown by the desktop's key names; should a text still hold one of the modifier glyphs
// ⌃⌥⇧⌘ or a keycap or circle mark ("1⃣"), which Lato lacks, we draw those ourselves, the rest in the given
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
