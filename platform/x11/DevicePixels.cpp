// Device and logical coordinates through each screen's own origin and ratio.
#include "platform/x11/DevicePixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace huddlepod::x11 {

QRect deviceRect(const ScreenScale& screen) {
    return {screen.logical.topLeft(), QSize(qRound(screen.logical.width() * screen.ratio),
                                            qRound(screen.logical.height() * screen.ratio))};
}

namespace {

// How far a point lies outside a rectangle, along both axes; 0 inside.
int distance(QPoint point, const QRect& rect) {
    const int dx = point.x() < rect.left() ? rect.left() - point.x() : std::max(point.x() - rect.right(), 0);
    const int dy = point.y() < rect.top() ? rect.top() - point.y() : std::max(point.y() - rect.bottom(), 0);
    return dx + dy;
}

// The screen whose rectangle (as `rectOf` gives it) holds the point, else the nearest; none without screens.
template <typename RectOf>
const ScreenScale* screenAt(QPoint point, const std::vector<ScreenScale>& screens, RectOf rectOf) {
    const ScreenScale* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (const ScreenScale& screen : screens) {
        const int d = distance(point, rectOf(screen));
        if (d < nearestDistance) {
            nearest = &screen;
            nearestDistance = d;
        }
    }
    return nearest;
}

QPoint scaled(QPoint point, QPoint origin, qreal factor) {
    return origin +
           QPoint(qRound((point.x() - origin.x()) * factor), qRound((point.y() - origin.y()) * factor));
}

} // namespace

std::vector<ScreenScale> currentScreenScales() {
    std::vector<ScreenScale> scales;
    for (const QScreen* screen : QGuiApplication::screens()) {
        scales.push_back({screen->geometry(), screen->devicePixelRatio()});
    }
    return scales;
}

QPoint toLogical(QPoint device, const std::vector<ScreenScale>& screens) {
    const ScreenScale* screen = screenAt(device, screens, deviceRect);
    return screen ? scaled(device, screen->logical.topLeft(), 1 / screen->ratio) : device;
}

QRect toLogical(const QRect& device, const std::vector<ScreenScale>& screens) {
    const ScreenScale* screen = screenAt(device.center(), screens, deviceRect);
    if (!screen) {
        return device;
    }
    return {scaled(device.topLeft(), screen->logical.topLeft(), 1 / screen->ratio),
            QSize(qRound(device.width() / screen->ratio), qRound(device.height() / screen->ratio))};
}

QPoint toDevice(QPoint logical, const std::vector<ScreenScale>& screens) {
    const ScreenScale* screen =
        screenAt(logical, screens, [](const ScreenScale& candidate) { return candidate.logical; });
    return screen ? scaled(logical, screen->logical.topLeft(), screen->ratio) : logical;
}

QPoint toLogical(QPoint device) {
    return toLogical(device, currentScreenScales());
}

QRect toLogical(const QRect& device) {
    return toLogical(device, currentScreenScales());
}

QPoint toDevice(QPoint logical) {
    return toDevice(logical, currentScreenScales());
}

void followScreens(QObject* context, const std::function<void()>& changed) {
    const auto followScreen = [context, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        followScreen(screen);
    }
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context,
                     [followScreen, changed](QScreen* screen) {
                         followScreen(screen);
                         changed();
                     });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, context, changed);
}

} // namespace huddlepod::x11
