// Placement, drawing and dismissal of the popover window.
#include "app/Views/Components/Popover.h"

#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace huddlepod {

Popover::Placement Popover::place(QSize contentSize, const QRect& anchor, const QRect& screen) {
    const int width = contentSize.width();
    // Taller than the screen: cut to it (the content is cut too).
    const int height = std::min(contentSize.height() + arrowHeight,
                                std::max(arrowHeight, screen.height() - 2 * screenMargin));

    const int spaceBelow = screen.bottom() + 1 - screenMargin - (anchor.bottom() + 1);
    const int spaceAbove = anchor.top() - (screen.top() + screenMargin);
    Placement placement;
    placement.isAbove = height > spaceBelow && spaceAbove > spaceBelow;

    int top = placement.isAbove ? anchor.top() - height : anchor.bottom() + 1;
    // Neither side has room: keep the whole surface on the screen.
    top = std::clamp(top, screen.top() + screenMargin,
                     std::max(screen.top() + screenMargin, screen.bottom() + 1 - screenMargin - height));

    const int centre = anchor.left() + anchor.width() / 2;
    int left = centre - width / 2;
    left = std::clamp(left, screen.left() + screenMargin,
                      std::max(screen.left() + screenMargin, screen.right() + 1 - screenMargin - width));

    placement.frame = QRect(left, top, width, height);
    const int arrowMargin = cornerRadius + arrowWidth / 2;
    placement.arrowX =
        std::clamp(centre - left, std::min(arrowMargin, width / 2), std::max(width - arrowMargin, width / 2));
    return placement;
}

Popover::Popover(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , content_(content) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    content_->setParent(this);
    content_->setFocusPolicy(Qt::NoFocus);
}

void Popover::showFor(QWidget* anchor) {
    anchor_ = anchor;
    const QRect anchorGlobal(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    QScreen* screen = anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    showFor(anchorGlobal, screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14));
}

void Popover::showFor(const QRect& anchorGlobal, const QRect& screen) {
    anchorGlobal_ = anchorGlobal;
    const QSize contentSize = content_->sizeHint().expandedTo(content_->minimumSize());
    placement_ = place(contentSize, anchorGlobal, screen);
    const int contentTop = placement_.isAbove ? 0 : arrowHeight;
    content_->setGeometry(0, contentTop, contentSize.width(), placement_.frame.height() - arrowHeight);
    setGeometry(placement_.frame);
    show();
    raise();
}

void Popover::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const QRectF body = placement_.isAbove ? QRectF(0, 0, width(), height() - arrowHeight)
                                           : QRectF(0, arrowHeight, width(), height() - arrowHeight);
    QPainterPath path;
    path.addRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    QPainterPath arrow;
    const qreal x = placement_.arrowX;
    if (placement_.isAbove) {
        arrow.moveTo(x - arrowWidth / 2.0, body.bottom() - 0.5);
        arrow.lineTo(x, height() - 0.5);
        arrow.lineTo(x + arrowWidth / 2.0, body.bottom() - 0.5);
    } else {
        arrow.moveTo(x - arrowWidth / 2.0, body.top() + 0.5);
        arrow.lineTo(x, 0.5);
        arrow.lineTo(x + arrowWidth / 2.0, body.top() + 0.5);
    }
    arrow.closeSubpath();
    path = path.united(arrow);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::popoverEdge(appearance, contrast), 1));
    painter.setBrush(Theme::materialFill(Material::popover, appearance));
    painter.drawPath(path);
}

void Popover::mousePressEvent(QMouseEvent* event) {
    // A press on the anchor itself only closes the popover; replaying it there would open it again at once.
    const QPoint global = event->globalPosition().toPoint();
    const QRect anchorRect =
        anchor_ ? QRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size()) : anchorGlobal_;
    setAttribute(Qt::WA_NoMouseReplay, anchorRect.contains(global));
    QWidget::mousePressEvent(event);
}

void Popover::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit closed();
}

} // namespace huddlepod
