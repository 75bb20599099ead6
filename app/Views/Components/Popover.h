// A floating surface attached under a control: opens below its anchor, flips above or clamps to fit the
// screen, and closes on a click outside it or on Escape.
#pragma once

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

    struct Placement {
        QRect frame;          // the whole window, arrow included, in global coordinates
        bool isAbove = false; // flipped above the anchor for want of room below
        int arrowX = 0;       // arrow tip, relative to the frame's left edge

        bool operator==(const Placement&) const = default;
    };

    // Where a popover whose content has contentSize goes for an anchor rectangle on a screen's available
    // area.
    static Placement place(QSize contentSize, const QRect& anchor, const QRect& screen);

    // Takes ownership of content; parent keeps the popover alive (it is still its own window).
    explicit Popover(QWidget* content, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    Placement placement() const { return placement_; }

    // Shows under the anchor widget (or above it when there is no room), on the anchor's screen.
    void showFor(QWidget* anchor);
    // Shows for an anchor rectangle in global coordinates on the given available screen area.
    void showFor(const QRect& anchorGlobal, const QRect& screen);

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* content_;
    QPointer<QWidget> anchor_;
    QRect anchorGlobal_;
    Placement placement_;
};

} // namespace huddlepod
