// Symbol drawings as painter paths in a box sized from the text beside them.
#include "ui/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <array>
#include <cmath>
#include <utility>

namespace huddlepod {

namespace {

struct Entry {
    Symbol symbol;
    const char* name;
    qreal width; // in multiples of the pixel size
    qreal height;
};

constexpr std::array<Entry, 15> entries{{
    {Symbol::magnifyingGlass, "magnifyingglass", 1.0, 1.0},
    {Symbol::chevronLeft, "chevron.left", 0.58, 1.0},
    {Symbol::chevronRight, "chevron.right", 0.58, 1.0},
    {Symbol::chevronDown, "chevron.down", 1.0, 0.58},
    {Symbol::xmark, "xmark", 0.82, 0.82},
    {Symbol::xmarkCircleFill, "xmark.circle.fill", 1.0, 1.0},
    {Symbol::starFill, "star.fill", 1.06, 1.0},
    {Symbol::questionmarkCircle, "questionmark.circle", 1.0, 1.0},
    {Symbol::exclamationmarkTriangle, "exclamationmark.triangle", 1.12, 1.0},
    {Symbol::keyboard, "keyboard", 1.5, 1.0},
    {Symbol::football, "football", 1.0, 1.0},
    {Symbol::control, "control", 0.66, 0.72},
    {Symbol::option, "option", 0.8, 0.72},
    {Symbol::shift, "shift", 0.72, 0.72},
    {Symbol::command, "command", 0.72, 0.72},
}};

const Entry& entry(Symbol symbol) {
    for (const Entry& candidate : entries) {
        if (candidate.symbol == symbol) {
            return candidate;
        }
    }
    return entries.front();
}

qreal strokeWidth(qreal pixelSize, FontWeight weight) {
    qreal factor = 0.085;
    if (weight == FontWeight::medium) {
        factor = 0.1;
    } else if (weight == FontWeight::semibold) {
        factor = 0.12;
    }
    return std::max(1.0, pixelSize * factor);
}

QPen roundPen(const QColor& color, qreal width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first) {
            path.moveTo(point);
            first = false;
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

QPainterPath stroked(const QPainterPath& path, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

QPainterPath starPath(const QRectF& box) {
    const QPointF centre(box.center().x(), box.top() + box.height() * 0.54);
    const qreal outer = box.height() * 0.52;
    const qreal inner = outer * 0.45;
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    path.closeSubpath();
    return path;
}

// The box moved to whole device pixels, when the painter only translates or scales.
QRectF snapped(const QPainter& painter, const QRectF& box) {
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxScale || transform.m11() <= 0 || transform.m22() <= 0) {
        return box;
    }
    const QPointF device = transform.map(box.topLeft());
    return box.translated((std::round(device.x()) - device.x()) / transform.m11(),
                          (std::round(device.y()) - device.y()) / transform.m22());
}

} // namespace

QString Symbols::name(Symbol symbol) {
    return QString::fromLatin1(entry(symbol).name);
}

std::optional<Symbol> Symbols::named(const QString& name) {
    for (const Entry& candidate : entries) {
        if (name == QLatin1String(candidate.name)) {
            return candidate.symbol;
        }
    }
    return std::nullopt;
}

QSizeF Symbols::size(Symbol symbol, qreal pixelSize) {
    const Entry& found = entry(symbol);
    return {std::round(found.width * pixelSize), std::round(found.height * pixelSize)};
}

void Symbols::paint(QPainter& painter, Symbol symbol, const QRectF& unsnapped, const QColor& color,
                    FontWeight weight) {
    const QRectF box = snapped(painter, unsnapped);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pixelSize = box.height() / entry(symbol).height;
    const qreal line = strokeWidth(pixelSize, weight);
    // Inset so round caps stay inside the box.
    const QRectF r = box.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    const auto at = [&r](qreal x, qreal y) {
        return QPointF(r.left() + x * r.width(), r.top() + y * r.height());
    };
    painter.setPen(roundPen(color, line));
    painter.setBrush(Qt::NoBrush);

    switch (symbol) {
    case Symbol::magnifyingGlass: {
        const qreal radius = r.width() * 0.34;
        const QPointF centre = at(0.4, 0.4);
        painter.drawEllipse(centre, radius, radius);
        painter.setPen(roundPen(color, line * 1.35));
        const qreal reach = radius + line * 0.4;
        // The heavier handle's round cap reaches further: pull its end in so it stays in the box.
        const qreal pull = line * 0.35 / 2;
        painter.drawLine(QPointF(centre.x() + reach * M_SQRT1_2, centre.y() + reach * M_SQRT1_2),
                         at(1.0, 1.0) - QPointF(pull, pull));
        break;
    }
    case Symbol::chevronLeft:
        painter.drawPath(polyline({at(0.85, 0.06), at(0.15, 0.5), at(0.85, 0.94)}));
        break;
    case Symbol::chevronRight:
        painter.drawPath(polyline({at(0.15, 0.06), at(0.85, 0.5), at(0.15, 0.94)}));
        break;
    case Symbol::chevronDown:
        painter.drawPath(polyline({at(0.06, 0.15), at(0.5, 0.85), at(0.94, 0.15)}));
        break;
    case Symbol::xmark:
        painter.drawLine(at(0, 0), at(1, 1));
        painter.drawLine(at(1, 0), at(0, 1));
        break;
    case Symbol::xmarkCircleFill: {
        QPainterPath circle;
        circle.addEllipse(box);
        const QRectF cross =
            QRectF(box.center(), QSizeF())
                .adjusted(-box.width() * 0.18, -box.height() * 0.18, box.width() * 0.18, box.height() * 0.18);
        QPainterPath crossLines = polyline({cross.topLeft(), cross.bottomRight()});
        crossLines.addPath(polyline({cross.topRight(), cross.bottomLeft()}));
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(circle.subtracted(stroked(crossLines, std::max(1.2, pixelSize * 0.11))));
        break;
    }
    case Symbol::starFill: {
        const QPainterPath star = starPath(r);
        painter.setBrush(color);
        painter.setPen(roundPen(color, line * 0.6));
        painter.drawPath(star);
        break;
    }
    case Symbol::questionmarkCircle: {
        painter.drawEllipse(r);
        QPainterPath hook;
        hook.moveTo(at(0.36, 0.38));
        hook.cubicTo(at(0.36, 0.2), at(0.66, 0.2), at(0.65, 0.38));
        hook.cubicTo(at(0.64, 0.5), at(0.5, 0.5), at(0.5, 0.6));
        painter.drawPath(hook);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(at(0.5, 0.74), line * 0.75, line * 0.75);
        break;
    }
    case Symbol::exclamationmarkTriangle: {
        painter.drawPath(polyline({at(0.5, 0.02), at(1.0, 0.98), at(0.0, 0.98), at(0.5, 0.02)}));
        painter.drawLine(at(0.5, 0.36), at(0.5, 0.64));
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(at(0.5, 0.8), line * 0.75, line * 0.75);
        break;
    }
    case Symbol::keyboard: {
        const QRectF body(at(0, 0.12), at(1, 0.88));
        painter.drawRoundedRect(body, body.height() * 0.16, body.height() * 0.16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        const qreal key = std::max(1.0, line * 0.95);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 6; ++column) {
                const QPointF centre = at(0.16 + column * 0.136, 0.33 + row * 0.17);
                painter.drawRect(QRectF(centre.x() - key / 2, centre.y() - key / 2, key, key));
            }
        }
        const QPointF space = at(0.5, 0.68);
        painter.drawRect(QRectF(space.x() - r.width() * 0.25, space.y() - key / 2, r.width() * 0.5, key));
        break;
    }
    case Symbol::football: {
        // A ball lying at 45 degrees with its laces cut out of the fill.
        painter.translate(box.center());
        painter.rotate(-45);
        const qreal length = box.width() * 0.68;
        const qreal girth = box.width() * 0.40;
        QPainterPath ball;
        ball.moveTo(-length, 0);
        ball.cubicTo(-length * 0.5, -girth * 1.28, length * 0.5, -girth * 1.28, length, 0);
        ball.cubicTo(length * 0.5, girth * 1.28, -length * 0.5, girth * 1.28, -length, 0);
        QPainterPath laces = polyline({QPointF(-length * 0.36, 0), QPointF(length * 0.36, 0)});
        for (const qreal x : {-0.24, -0.08, 0.08, 0.24}) {
            laces.addPath(polyline({QPointF(length * x, -girth * 0.26), QPointF(length * x, girth * 0.26)}));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(ball.subtracted(stroked(laces, std::max(1.0, box.width() * 0.07))));
        break;
    }
    case Symbol::control:
        painter.drawPath(polyline({at(0.04, 0.56), at(0.5, 0.02), at(0.96, 0.56)}));
        break;
    case Symbol::option:
        painter.drawPath(polyline({at(0, 0.03), at(0.32, 0.03), at(0.7, 0.97), at(1, 0.97)}));
        painter.drawLine(at(0.62, 0.03), at(1, 0.03));
        break;
    case Symbol::shift:
        painter.drawPath(polyline({at(0.5, 0), at(1, 0.5), at(0.74, 0.5), at(0.74, 1), at(0.26, 1),
                                   at(0.26, 0.5), at(0, 0.5), at(0.5, 0)}));
        break;
    case Symbol::command: {
        // A square whose sides run on into a loop at each corner.
        constexpr qreal near = 0.35;
        constexpr qreal far = 0.65;
        constexpr qreal loop = 0.35; // diameter
        const auto circle = [&](qreal x, qreal y) { return QRectF(at(x, y), at(x + loop, y + loop)); };
        QPainterPath path;
        const struct {
            QRectF rect;
            qreal start;
            qreal sweep;
        } loops[] = {{circle(0, 0), 0, 270},
                     {circle(far, 0), 180, -270},
                     {circle(0, far), 0, -270},
                     {circle(far, far), 180, 270}};
        for (const auto& corner : loops) {
            path.arcMoveTo(corner.rect, corner.start);
            path.arcTo(corner.rect, corner.start, corner.sweep);
        }
        const qreal from = loop / 2;
        const qreal to = 1 - loop / 2;
        for (const qreal side : {near, far}) {
            path.moveTo(at(side, from));
            path.lineTo(at(side, to));
            path.moveTo(at(from, side));
            path.lineTo(at(to, side));
        }
        painter.drawPath(path);
        break;
    }
    }
    painter.restore();
}

QImage Symbols::image(Symbol symbol, qreal pixelSize, const QColor& color, FontWeight weight,
                      qreal devicePixelRatio) {
    const QSizeF logical = size(symbol, pixelSize);
    QImage result((logical * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    paint(painter, symbol, QRectF(QPointF(0, 0), logical), color, weight);
    return result;
}

} // namespace huddlepod
