// Soft shadows for floating surfaces, blurred from their outline.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>

namespace huddlepod::Shadow {

// The shape filled with color on a transparent canvas of this size, blurred so its edge fades over about
// radius pixels (three box blurs, close to a Gaussian).
QImage image(const QPainterPath& shape, QSize canvas, qreal radius, const QColor& color);

} // namespace huddlepod::Shadow
