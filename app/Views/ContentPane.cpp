// The divider and the table scroll area of the card and the league browser.
#include "app/Views/ContentPane.h"

#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace huddlepod {

PaneDivider::PaneDivider(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(1);
}

void PaneDivider::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    QColor line =
        Theme::text(TextLevel::quaternary, appearance, WorkspaceSettings::shared().increaseContrast());
    // The separator sits a little above the faintest text so it still reads on the dark material.
    line.setAlphaF(std::min(1.0f, line.alphaF() * 1.3f));
    QPainter(this).fillRect(rect(), line);
}

namespace {

// The stack's own width: the padded tables, except that a table running just past the trailing padding
// still fits when it ends inside the pane; past the pane's edge it scrolls, and then keeps its trailing
// padding.
class TableStack : public QWidget {
public:
    explicit TableStack(int trailingPadding)
        : trailingPadding_(trailingPadding) {}

    QSize minimumSizeHint() const override {
        QSize size = layout()->minimumSize();
        const int pane = parentWidget() != nullptr ? parentWidget()->width() : size.width();
        if (size.width() > pane) {
            size.rwidth() += trailingPadding_;
        }
        return size;
    }

private:
    int trailingPadding_;
};

} // namespace

GridScrollArea::GridScrollArea(const std::vector<QWidget*>& items, QMargins padding, int spacing,
                               QWidget* parent)
    : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* stack = new TableStack(padding.right());
    auto* layout = new QVBoxLayout(stack);
    layout->setContentsMargins(padding.left(), padding.top(), 0, padding.bottom());
    layout->setSpacing(spacing);
    for (QWidget* item : items) {
        layout->addWidget(item, 0, Qt::AlignLeft | Qt::AlignTop);
    }
    layout->addStretch(1);
    // The stack takes the viewport's width, or the widest table's when that is more.
    setWidgetResizable(true);
    setWidget(stack);
    stack->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void GridScrollArea::wheelEvent(QWheelEvent* event) {
    QPoint pixels = event->pixelDelta();
    QPoint angle = event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier && angle.x() == 0) {
        // Shift turns a plain wheel sideways.
        pixels = {pixels.y(), 0};
        angle = {angle.y(), 0};
    }
    const bool sideways = std::abs(angle.x()) > std::abs(angle.y());
    QScrollBar* bar = sideways ? horizontalScrollBar() : verticalScrollBar();
    const int pixelStep = sideways ? pixels.x() : pixels.y();
    const int angleStep = sideways ? angle.x() : angle.y();
    const int distance =
        pixelStep != 0
            ? pixelStep
            : int(std::lround(angleStep / 120.0 * QApplication::wheelScrollLines() * bar->singleStep()));
    const int before = bar->value();
    bar->setValue(before - distance);
    // Let an enclosing scroller have the wheel when this one is at its end.
    event->setAccepted(bar->value() != before);
}

} // namespace huddlepod
