// A floating surface attached under a control: opens below its anchor, flips above or clamps to fit the
// screen, and closes on a click outside it or on Escape.
#pragma once

#include "ui/Appearance.h"

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace huddlepod {

class Popover : public QWidget {
    Q_OBJECT
public:
    static constexpr int arrowHeight = 7;
    static constexpr int arrowWidth = 14;
    static constexpr int cornerRadius = 8;
    static constexpr int screenMargin = 4;
    // Width of the outline around the content.
    static constexpr int border = 1;
    // Room around the surface for its shadow, when translucent windows are possible.
    static constexpr int shadowMargin = 14;

    struct Placement {
        QRect frame;          // the surface, arrow included, in global coordinates
        bool isAbove = false; // flipped above the anchor for want of room below
        int arrowX = 0;       // arrow tip, relative to the frame's left edge

        bool operator==(const Placement&) const = default;
    };

    // Where a popover whose content has contentSize goes for an anchor rectangle on a screen's available
    // area.
    static Placement place(QSize contentSize, const QRect& anchor, const QRect& screen);
    // The outline of body and arrow as one closed path in the surface's own coordinates, inset by inset
    // (0.5 puts a 1-pixel stroke on whole pixels).
    static QPainterPath outline(QSize surface, bool isAbove, int arrowX, qreal inset = 0);
    // The available area of the screen under the anchor's centre (else fallback's, else the primary one).
    static QRect availableGeometryAt(const QRect& anchorGlobal, const QWidget* fallback);

    // Takes ownership of content; parent keeps the popover alive (it is still its own window).
    explicit Popover(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    Placement placement() const { return placement_; }
    // The anchor rectangle it was last shown for, in global coordinates.
    QRect anchorGlobal() const { return anchorGlobal_; }
    // Translucent with a shadow, or opaque with a rounded mask. Decided from the desktop when the popover is
    // made; change it only before it is first shown.
    bool isComposited() const { return composited_; }
    void setComposited(bool composited);

    // Shows under the anchor widget (or above it when there is no room), on the screen under it.
    void showFor(QWidget* anchor);
    // Shows for an anchor rectangle in global coordinates, on the screen under it.
    void showAt(const QRect& anchorGlobal);
    // Shows for an anchor rectangle in global coordinates on the given available screen area.
    void showFor(const QRect& anchorGlobal, const QRect& screen);

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Offset of the surface inside the window (the shadow's margin, or none).
    int margin() const { return composited_ ? shadowMargin : 0; }

    QWidget* content_;
    QPointer<QWidget> anchor_;
    QRect anchorGlobal_;
    Placement placement_;
    bool composited_ = true;
    QImage shadow_; // kept while size and appearance stay
    Appearance shadowAppearance_ = Appearance::light;
};

} // namespace huddlepod
