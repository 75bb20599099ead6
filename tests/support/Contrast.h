// Contrast of two opaque colours as the WCAG counts it: 1 for equal colours up to 21 for black on white.
#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

namespace huddlepod::test {

inline double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double l1 = luminance(a), l2 = luminance(b);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

} // namespace huddlepod::test
