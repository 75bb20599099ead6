// The divider and the table scroll area of the card and the league browser.
#include "app/Views/ContentPane.h"

#include "app/Views/KeyboardFocus.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
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

// A slim sideways scroll bar in the panel's look: a rounded thumb in the tertiary colour on no track, inset
// by the pane's margins. A press moves the thumb's middle to the pointer and a drag carries it along.
class SlimScrollBar : public QScrollBar {
public:
    static constexpr int thickness = 7;
    static constexpr int inset = 12;
    static constexpr int minimumThumb = 24;

    SlimScrollBar()
        : QScrollBar(Qt::Horizontal) {
        setFocusPolicy(Qt::NoFocus);
        setFixedHeight(thickness);
    }

    QRectF thumb() const {
        const qreal track = std::max(1, width() - 2 * inset);
        const int range = maximum() - minimum();
        const qreal length =
            range <= 0 ? track : std::max<qreal>(minimumThumb, track * pageStep() / (range + pageStep()));
        const qreal progress = range <= 0 ? 0 : qreal(value() - minimum()) / range;
        return {inset + (track - length) * progress, 1, length, thickness - 2.0};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (maximum() <= minimum()) {
            return;
        }
        const Appearance appearance = Theme::appearanceOf(palette());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(
            Theme::text(TextLevel::tertiary, appearance, WorkspaceSettings::shared().increaseContrast()));
        const QRectF shape = thumb();
        painter.drawRoundedRect(shape, shape.height() / 2, shape.height() / 2);
    }
    void mousePressEvent(QMouseEvent* event) override { follow(event->position().x()); }
    void mouseMoveEvent(QMouseEvent* event) override { follow(event->position().x()); }
    void mouseReleaseEvent(QMouseEvent*) override {}

private:
    void follow(qreal x) {
        const QRectF shape = thumb();
        const qreal travel = std::max(1.0, width() - 2.0 * inset - shape.width());
        const qreal progress = std::clamp((x - inset - shape.width() / 2) / travel, 0.0, 1.0);
        setValue(minimum() + int(std::lround(progress * (maximum() - minimum()))));
    }
};

// The focus ring along the inside of a scroll area, over what it shows; it takes no clicks.
class FocusEdge : public QWidget {
public:
    explicit FocusEdge(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        KeyboardFocus::paintRing(painter, *this, QRectF(rect()), 4);
    }
};

} // namespace

GridScrollArea::GridScrollArea(const std::vector<QWidget*>& items, QMargins padding, int spacing,
                               QWidget* parent)
    : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBar(new SlimScrollBar);
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

    focusEdge_ = new FocusEdge(this);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        connect(bar, &QScrollBar::rangeChanged, this, &GridScrollArea::updateFocusPolicy);
    }
    updateFocusPolicy();
}

void GridScrollArea::updateFocusPolicy() {
    const QList<QWidget*> inside = widget()->findChildren<QWidget*>();
    const bool takesKeysInside = std::ranges::any_of(
        inside, [](const QWidget* child) { return bool(child->focusPolicy() & Qt::TabFocus); });
    const bool scrolls = verticalScrollBar()->maximum() > verticalScrollBar()->minimum() ||
                         horizontalScrollBar()->maximum() > horizontalScrollBar()->minimum();
    setFocusPolicy(scrolls && !takesKeysInside ? Qt::TabFocus : Qt::NoFocus);
}

void GridScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    focusEdge_->setGeometry(rect());
}

void GridScrollArea::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    focusEdge_->setGeometry(rect());
    focusEdge_->show();
    focusEdge_->raise();
}

void GridScrollArea::focusOutEvent(QFocusEvent* event) {
    QScrollArea::focusOutEvent(event);
    focusEdge_->hide();
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

void replaceContent(QBoxLayout& layout, QWidget*& current, QWidget* next) {
    if (current != nullptr) {
        layout.removeWidget(current);
        delete current;
    }
    current = next;
    layout.addWidget(current, 1);
}

} // namespace huddlepod
