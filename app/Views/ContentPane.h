// Widgets the player card and the league browser share: the hairline under their controls and the scroll area
// that holds their tables.
#pragma once

#include <QBoxLayout>
#include <QMargins>
#include <QScrollArea>
#include <QWidget>

#include <vector>

namespace huddlepod {

// A one-pixel separator line across the full width.
class PaneDivider : public QWidget {
    Q_OBJECT
public:
    explicit PaneDivider(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {1, 1}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A stack of tables (top-left aligned, with padding and spacing) that scrolls vertically without an
// indicator. A table wider than the pane also scrolls sideways (a horizontal wheel or touchpad move, or Shift
// with the wheel), with a scroll bar shown only then, so no column is ever out of reach.
class GridScrollArea : public QScrollArea {
    Q_OBJECT
public:
    GridScrollArea(const std::vector<QWidget*>& items, QMargins padding, int spacing,
                   QWidget* parent = nullptr);

    // The widget holding the stack.
    QWidget* stack() const { return widget(); }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // A Tab stop of its own, scrolled with the arrow and page keys, only while it has something to scroll and
    // nothing inside takes the keyboard (links in a table do, and scroll it as they get focus).
    void updateFocusPolicy();

    QWidget* focusEdge_ = nullptr;
};

// Puts `next` in place of `current` as the stretching last item of `layout`, deleting the old content.
void replaceContent(QBoxLayout& layout, QWidget*& current, QWidget* next);

} // namespace huddlepod
