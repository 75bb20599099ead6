// The placement arithmetic for the panel under the tray icon.
#include "ui/PanelPositioner.h"

#include <algorithm>

namespace huddlepod {

bool UpRect::intersects(const UpRect& other) const {
    return std::max(minX(), other.minX()) < std::min(maxX(), other.maxX()) &&
           std::max(minY(), other.minY()) < std::min(maxY(), other.maxY());
}

bool UpRect::contains(const QPointF& point) const {
    return point.x() >= minX() && point.x() < maxX() && point.y() >= minY() && point.y() < maxY();
}

namespace PanelPositioner {

namespace {

// The lower bound when the panel does not fit, else the desired value kept within the bounds.
double clampedAxis(double desired, double lower, double upper) {
    if (lower >= upper) {
        return lower;
    }
    return std::min(std::max(desired, lower), upper);
}

} // namespace

QPointF origin(QSizeF panelSize, std::optional<UpRect> anchor, UpRect visible) {
    const double w = panelSize.width();
    const double h = panelSize.height();
    const double desiredX = (anchor ? anchor->midX() : visible.midX()) - w / 2;
    double top = visible.maxY();
    if (anchor) {
        top = std::min(std::max(anchor->minY(), visible.minY()), visible.maxY());
    }
    const double desiredY = top - menuBarGap - h;
    const double x = clampedAxis(desiredX, visible.minX() + edgeInset, visible.maxX() - w - edgeInset);
    const double y = clampedAxis(desiredY, visible.minY() + edgeInset, visible.maxY() - h);
    return {x, y};
}

UpRect frame(QSizeF panelSize, std::optional<UpRect> anchor, UpRect screenVisibleFrame) {
    const QPointF at = origin(panelSize, anchor, screenVisibleFrame);
    return {at.x(), at.y(), panelSize.width(), panelSize.height()};
}

std::optional<UpRect> screenFrame(std::optional<UpRect> containing, const std::vector<ScreenArea>& screens,
                                  std::optional<QPointF> mouseLocation) {
    if (screens.empty()) {
        return std::nullopt;
    }
    if (containing) {
        for (const ScreenArea& screen : screens) {
            if (screen.frame.intersects(*containing)) {
                return screen.visibleFrame;
            }
        }
    }
    if (mouseLocation) {
        for (const ScreenArea& screen : screens) {
            if (screen.frame.contains(*mouseLocation)) {
                return screen.visibleFrame;
            }
        }
    }
    return screens.front().visibleFrame;
}

UpRect fromQt(const QRectF& rect) {
    return {rect.x(), -(rect.y() + rect.height()), rect.width(), rect.height()};
}

QRectF toQt(const UpRect& rect) {
    return {rect.x, -(rect.y + rect.height), rect.width, rect.height};
}

QPointF fromQt(const QPointF& point) {
    return {point.x(), -point.y()};
}

} // namespace PanelPositioner

} // namespace huddlepod
