// A box-blurred silhouette; small canvases only (a popover and its margin).
#include "ui/Shadow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace huddlepod {

namespace {

// One running-average pass of half-width k along count values spaced stride apart; outside is zero.
void boxBlur(std::vector<float>& values, int start, int count, int stride, int k, std::vector<float>& line) {
    line.assign(std::size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        line[std::size_t(i)] = values[std::size_t(start + i * stride)];
    }
    const float scale = 1.0f / float(2 * k + 1);
    float sum = 0;
    for (int i = 0; i < std::min(k, count); ++i) {
        sum += line[std::size_t(i)];
    }
    for (int i = 0; i < count; ++i) {
        if (i + k < count) {
            sum += line[std::size_t(i + k)];
        }
        values[std::size_t(start + i * stride)] = sum * scale;
        if (i - k >= 0) {
            sum -= line[std::size_t(i - k)];
        }
    }
}

} // namespace

QImage Shadow::image(const QPainterPath& shape, QSize canvas, qreal radius, const QColor& color) {
    QImage mask(canvas, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shape, Qt::black);
    }
    const int width = canvas.width();
    const int height = canvas.height();
    std::vector<float> alpha(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const uchar* row = mask.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            alpha[std::size_t(y * width + x)] = float(row[x]) / 255.0f;
        }
    }
    const int k = std::max(1, int(std::lround(radius / 3)));
    std::vector<float> line;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            boxBlur(alpha, y * width, width, 1, k, line);
        }
        for (int x = 0; x < width; ++x) {
            boxBlur(alpha, x, height, width, k, line);
        }
    }
    QImage result(canvas, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float a = std::clamp(alpha[std::size_t(y * width + x)], 0.0f, 1.0f) * color.alphaF();
            row[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), int(std::lround(a * 255))));
        }
    }
    return result;
}

} // namespace huddlepod
