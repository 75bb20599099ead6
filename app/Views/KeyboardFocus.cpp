// Reading order of focus stops, typing keys and the focus ring.
#include "app/Views/KeyboardFocus.h"

#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>

namespace huddlepod::KeyboardFocus {

namespace {

void collectLaidOut(QLayout* layout, std::vector<QWidget*>& into) {
    for (int index = 0; index < layout->count(); ++index) {
        QLayoutItem* item = layout->itemAt(index);
        if (QWidget* widget = item->widget()) {
            into.push_back(widget);
        } else if (QLayout* inner = item->layout()) {
            collectLaidOut(inner, into);
        }
    }
}

// The children on screen first in layout order, then those the layout does not place.
std::vector<QWidget*> childrenInOrder(QWidget* parent) {
    std::vector<QWidget*> ordered;
    if (QLayout* layout = parent->layout()) {
        collectLaidOut(layout, ordered);
    }
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && !widget->isWindow() && std::ranges::find(ordered, widget) == ordered.end()) {
            ordered.push_back(widget);
        }
    }
    std::erase_if(ordered, [parent](QWidget* widget) { return widget->parentWidget() != parent; });
    return ordered;
}

void collect(QWidget* root, QWidget* widget, std::vector<QWidget*>& into) {
    for (QWidget* child : childrenInOrder(widget)) {
        if (!child->isVisibleTo(root) || !child->isEnabled()) {
            continue;
        }
        if (child->focusPolicy() & Qt::TabFocus) {
            into.push_back(child);
        }
        collect(root, child, into);
    }
}

} // namespace

std::vector<QWidget*> stops(QWidget* root) {
    std::vector<QWidget*> found;
    collect(root, root, found);
    return found;
}

QWidget* neighbour(QWidget* root, QWidget* from, bool forward) {
    const std::vector<QWidget*> all = stops(root);
    const auto at = std::ranges::find(all, from);
    if (at == all.end()) {
        return nullptr;
    }
    const auto count = std::ptrdiff_t(all.size());
    const std::ptrdiff_t index = ((at - all.begin()) + (forward ? 1 : -1) + count) % count;
    return all[std::size_t(index)];
}

bool isTyping(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event.text();
    return !text.isEmpty() && std::ranges::all_of(text, [](QChar c) { return c.isPrint(); });
}

bool isActivation(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::NoModifier &&
           (event.key() == Qt::Key_Space || event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter);
}

void paintRing(QPainter& painter, const QWidget& widget, const QRectF& around, qreal radius) {
    constexpr qreal width = 2;
    // Centred on whole pixels a line-width in from the widget's edge at most.
    const QRectF inside = QRectF(widget.rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    const QRectF ring = around.intersected(inside);
    if (ring.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::controlEdge(Theme::appearanceOf(widget.palette()),
                                           WorkspaceSettings::shared().increaseContrast(), true),
                        width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring, radius, radius);
    painter.restore();
}

} // namespace huddlepod::KeyboardFocus
