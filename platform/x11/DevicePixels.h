// Between X's device pixels and Qt's global coordinates. Qt keeps each screen's device origin as its logical
// origin and divides only the distance from that origin by the screen's own ratio, so a point converts
// through the screen that holds it, never by one ratio for the whole desktop.
#pragma once

#include <QPoint>
#include <QRect>

#include <functional>
#include <vector>

class QObject;

namespace huddlepod::x11 {

// A screen as Qt places it: its geometry in global coordinates and its device pixel ratio.
struct ScreenScale {
    QRect logical;
    qreal ratio = 1;
};

// The screen's rectangle in device pixels: its logical origin, its logical size times its ratio.
QRect deviceRect(const ScreenScale& screen);

// Qt's screens now, the primary first.
std::vector<ScreenScale> currentScreenScales();

// Each through the screen holding the point (for a rectangle, its centre), else the nearest one; unchanged
// without screens.
QPoint toLogical(QPoint device, const std::vector<ScreenScale>& screens);
QRect toLogical(const QRect& device, const std::vector<ScreenScale>& screens);
QPoint toDevice(QPoint logical, const std::vector<ScreenScale>& screens);

// The same through Qt's screens now.
QPoint toLogical(QPoint device);
QRect toLogical(const QRect& device);
QPoint toDevice(QPoint logical);

// Calls `changed`, for as long as `context` lives, whenever a screen comes, goes or changes its geometry:
// what was converted before is to be converted again.
void followScreens(QObject* context, const std::function<void()>& changed);

} // namespace huddlepod::x11
