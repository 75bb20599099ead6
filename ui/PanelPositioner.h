// Where the panel goes under the tray icon: pure geometry in y-up screen coordinates (origin at the bottom
// left, y growing upwards), and the conversion from and to Qt's y-down global coordinates.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace huddlepod {

// A rectangle in y-up coordinates: (x, y) is its bottom-left corner.
struct UpRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double maxX() const { return x + width; }
    double midX() const { return x + width / 2; }
    double minY() const { return y; }
    double maxY() const { return y + height; }
    // A shared area of positive size; rectangles that only touch do not intersect.
    bool intersects(const UpRect& other) const;
    // Bottom and left edges included, top and right edges not.
    bool contains(const QPointF& point) const;

    bool operator==(const UpRect&) const = default;
};

// A screen's whole frame and the part of it windows may use (without the bars and docks on it).
struct ScreenArea {
    UpRect frame;
    UpRect visibleFrame;

    bool operator==(const ScreenArea&) const = default;
};

namespace PanelPositioner {

// Between the anchor's bottom edge and the panel's top edge.
inline constexpr double menuBarGap = 6.0;
// Kept free at the left, right and bottom edges of the visible frame (not at the top).
inline constexpr double edgeInset = 8.0;

// The panel's bottom-left corner: centred under the anchor (or the frame without one), kept inside the frame.
QPointF origin(QSizeF panelSize, std::optional<UpRect> anchor, UpRect screenVisibleFrame);
UpRect frame(QSizeF panelSize, std::optional<UpRect> anchor, UpRect screenVisibleFrame);
// The visible frame of the first screen whose whole frame meets the anchor, else of the first whose frame
// holds the mouse, else of the first; none without screens. The whole frame, since the bar that holds the
// anchor lies outside every visible frame.
std::optional<UpRect> screenFrame(std::optional<UpRect> containing, const std::vector<ScreenArea>& screens,
                                  std::optional<QPointF> mouseLocation);

// Qt's global coordinates grow downwards; these flip about y = 0, which keeps every distance the same.
UpRect fromQt(const QRectF& rect);
QRectF toQt(const UpRect& rect);
QPointF fromQt(const QPointF& point);

} // namespace PanelPositioner

} // namespace huddlepod
