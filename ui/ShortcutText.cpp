// Splits text into runs of font text and our modifier glyphs, measured and drawn alike.
#include "ui/ShortcutText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
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

// Marks that enclose the character before them: a keycap (keypad keys) and a circle (help). No font we
// ship has them, so we draw the frame around the character ourselves.
enum class Enclosure { none, keycap, circle };

Enclosure enclosureOf(QChar mark) {
    switch (mark.unicode()) {
    case 0x20E3:
        return Enclosure::keycap;
    case 0x20DD:
        return Enclosure::circle;
    default:
        return Enclosure::none;
    }
}

// One piece of laid-out text: a run of font text, a modifier glyph, or an enclosed character.
struct Piece {
    QString run;
    std::optional<Symbol> glyph;
    Enclosure enclosure = Enclosure::none;
};

// The enclosed character is drawn smaller, inside a frame from a little below the baseline to a little above
// the cap height.
QFont enclosedFont(const QFont& font) {
    QFont smaller = font;
    smaller.setPixelSize(std::max(1, int(std::lround(pixelSizeOf(font) * 0.7))));
    return smaller;
}

qreal enclosurePadding(const QFont& font) {
    return pixelSizeOf(font) * 0.12;
}

QSizeF enclosureSize(const QString& base, const QFont& font) {
    const qreal height = QFontMetricsF(font).capHeight() + 2 * enclosurePadding(font);
    const qreal inner =
        QFontMetricsF(enclosedFont(font)).horizontalAdvance(base) + 2 * enclosurePadding(font);
    return {std::max(height, inner), height};
}

// Walks the text: each piece with the x where it starts, then an empty piece at the end.
void layOut(const QString& text, const QFont& font,
            const std::function<void(qreal x, const Piece& piece)>& visit) {
    const QFontMetricsF metrics(font);
    qreal x = 0;
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart) {
            const QString run = text.mid(runStart, end - runStart);
            visit(x, Piece{run, std::nullopt});
            x += metrics.horizontalAdvance(run);
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const std::optional<Symbol> glyph = ShortcutText::modifierSymbol(text.at(i))) {
            flush(i);
            visit(x, Piece{QString(), glyph});
            x += Symbols::size(*glyph, pixelSizeOf(font)).width() + 2 * sideBearing(font);
            runStart = i + 1;
        } else if (const Enclosure enclosure =
                       i + 1 < text.size() ? enclosureOf(text.at(i + 1)) : Enclosure::none;
                   enclosure != Enclosure::none && !text.at(i).isSurrogate()) {
            flush(i);
            const QString base(text.at(i));
            visit(x, Piece{base, std::nullopt, enclosure});
            x += enclosureSize(base, font).width() + 2 * sideBearing(font);
            runStart = i + 2;
            ++i;
        }
    }
    flush(text.size());
    visit(x, Piece{}); // the end
}

void drawEnclosed(QPainter& painter, QPointF baselineStart, const Piece& piece, const QFont& font,
                  const QColor& color) {
    const QSizeF size = enclosureSize(piece.run, font);
    const qreal padding = enclosurePadding(font);
    const QRectF frame(baselineStart.x() + sideBearing(font), baselineStart.y() + padding - size.height(),
                       size.width(), size.height());
    const qreal line = std::max(1.0, pixelSizeOf(font) * 0.07);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, line));
    painter.setBrush(Qt::NoBrush);
    const QRectF stroke = frame.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    if (piece.enclosure == Enclosure::keycap) {
        const qreal radius = size.height() * 0.2;
        painter.drawRoundedRect(stroke, radius, radius);
    } else {
        painter.drawEllipse(stroke);
    }
    const QFont inner = enclosedFont(font);
    const QFontMetricsF innerMetrics(inner);
    painter.setFont(inner);
    const qreal width = innerMetrics.horizontalAdvance(piece.run);
    const qreal baseline = frame.center().y() + innerMetrics.capHeight() / 2;
    painter.drawText(QPointF(frame.center().x() - width / 2, baseline), piece.run);
    painter.restore();
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
    layOut(text, font, [&end](qreal x, const Piece&) { end = x; });
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
    layOut(text, font, [&](qreal x, const Piece& piece) {
        const QPointF at = baselineStart + QPointF(x, 0);
        if (piece.glyph) {
            const QSizeF size = Symbols::size(*piece.glyph, pixelSizeOf(font));
            const QRectF box(at.x() + sideBearing(font), at.y() - size.height(), size.width(), size.height());
            Symbols::paint(painter, *piece.glyph, box, color, weightOf(font));
        } else if (piece.enclosure != Enclosure::none) {
            drawEnclosed(painter, at, piece, font, color);
        } else if (!piece.run.isEmpty()) {
            painter.drawText(at, piece.run);
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
