// Splits text into runs of font text and our modifier glyphs, measured and drawn alike.
#include "ui/ShortcutText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <functional>

namespace huddlepod {

namespace {

FontWeight weightOf(const QFont& font) {
    if (font.weight() >= QFont::DemiBold) {
        return FontWeight::semibold;
    }
    return font.weight() >= QFont::Medium ? FontWeight::medium : FontWeight::regular;
}

qreal pixelSizeOf(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : QFontMetricsF(font).height() * 0.8;
}

// Room left and right of a drawn glyph, like a font's side bearings.
qreal sideBearing(const QFont& font) {
    return pixelSizeOf(font) * 0.06;
}

// Walks the text: each run of font text and each modifier glyph, with the x where it starts.
void layOut(const QString& text, const QFont& font,
            const std::function<void(qreal x, const QString& run, std::optional<Symbol> glyph)>& visit) {
    const QFontMetricsF metrics(font);
    qreal x = 0;
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart) {
            const QString run = text.mid(runStart, end - runStart);
            visit(x, run, std::nullopt);
            x += metrics.horizontalAdvance(run);
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<Symbol> glyph = ShortcutText::modifierSymbol(text.at(i));
        if (!glyph) {
            continue;
        }
        flush(i);
        visit(x, QString(), glyph);
        x += Symbols::size(*glyph, pixelSizeOf(font)).width() + 2 * sideBearing(font);
        runStart = i + 1;
    }
    flush(text.size());
    visit(x, QString(), std::nullopt); // the end
}

} // namespace

std::optional<Symbol> ShortcutText::modifierSymbol(QChar character) {
    switch (character.unicode()) {
    case 0x2303:
        return Symbol::control;
    case 0x2325:
        return Symbol::option;
    case 0x21E7:
        return Symbol::shift;
    case 0x2318:
        return Symbol::command;
    default:
        return std::nullopt;
    }
}

qreal ShortcutText::width(const QString& text, const QFont& font) {
    qreal end = 0;
    layOut(text, font, [&end](qreal x, const QString&, std::optional<Symbol>) { end = x; });
    return end;
}

QString ShortcutText::elided(const QString& text, const QFont& font, qreal maxWidth) {
    if (width(text, font) <= maxWidth) {
        return text;
    }
    const QString ellipsis(QChar(0x2026));
    for (qsizetype length = text.size() - 1; length > 0; --length) {
        const QString candidate = text.left(length).trimmed() + ellipsis;
        if (width(candidate, font) <= maxWidth) {
            return candidate;
        }
    }
    return ellipsis;
}

void ShortcutText::draw(QPainter& painter, QPointF baselineStart, const QString& text, const QFont& font,
                        const QColor& color) {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    layOut(text, font, [&](qreal x, const QString& run, std::optional<Symbol> glyph) {
        const QPointF at = baselineStart + QPointF(x, 0);
        if (glyph) {
            const QSizeF size = Symbols::size(*glyph, pixelSizeOf(font));
            const QRectF box(at.x() + sideBearing(font), at.y() - size.height(), size.width(), size.height());
            Symbols::paint(painter, *glyph, box, color, weightOf(font));
        } else if (!run.isEmpty()) {
            painter.drawText(at, run);
        }
    });
    painter.restore();
}

void ShortcutText::draw(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                        const QColor& color) {
    const QFontMetricsF metrics(font);
    const qreal baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
    draw(painter, QPointF(rect.left(), baseline), text, font, color);
}

} // namespace huddlepod
