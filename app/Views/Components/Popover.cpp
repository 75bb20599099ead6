// Placement, drawing and dismissal of the popover window.
#include "app/Views/Components/Popover.h"

#include "platform/workspace/WorkspaceSettings.h"
#include "platform/x11/Compositor.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace huddlepod {

namespace {

constexpr qreal shadowRadius = 10;
constexpr int shadowOffsetY = 3;

} // namespace

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

QPainterPath Popover::outline(QSize surface, bool isAbove, int arrowX, qreal inset) {
    const qreal left = inset;
    const qreal right = surface.width() - inset;
    const qreal top = (isAbove ? 0 : arrowHeight) + inset;
    const qreal bottom = surface.height() - (isAbove ? arrowHeight : 0) - inset;
    const qreal r = std::clamp<qreal>(std::min(right - left, bottom - top) / 2, 0, cornerRadius);
    const qreal d = 2 * r;
    const qreal half = arrowWidth / 2.0;
    // Clockwise from the top-left corner; the arrow is a detour in the top or bottom edge, so the outline
    // never crosses its base.
    QPainterPath path;
    path.moveTo(left + r, top);
    if (!isAbove) {
        path.lineTo(arrowX - half, top);
        path.lineTo(arrowX, inset);
        path.lineTo(arrowX + half, top);
    }
    path.arcTo(QRectF(right - d, top, d, d), 90, -90);
    path.arcTo(QRectF(right - d, bottom - d, d, d), 0, -90);
    if (isAbove) {
        path.lineTo(arrowX + half, bottom);
        path.lineTo(arrowX, surface.height() - inset);
        path.lineTo(arrowX - half, bottom);
    }
    path.arcTo(QRectF(left, bottom - d, d, d), 270, -90);
    path.arcTo(QRectF(left, top, d, d), 180, -90);
    path.closeSubpath();
    return path;
}

QRect Popover::availableGeometryAt(const QRect& anchorGlobal, const QWidget* fallback) {
    QScreen* screen = QGuiApplication::screenAt(anchorGlobal.center());
    if (screen == nullptr && fallback != nullptr) {
        screen = fallback->screen();
    }
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
}

Popover::Popover(QWidget* content, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , content_(content) {
    setFocusPolicy(Qt::NoFocus);
    content_->setParent(this);
    setComposited(isCompositingActive());
    // Made for one desktop: a compositor that starts or stops meanwhile closes it (the next one fits).
    connect(&CompositingMonitor::shared(), &CompositingMonitor::changed, this, &QWidget::close);
}

void Popover::setComposited(bool composited) {
    composited_ = composited;
    // Without a compositor, transparent pixels show black: draw opaque and cut the shape out instead.
    setAttribute(Qt::WA_TranslucentBackground, composited);
    if (composited) {
        clearMask();
    }
}

void Popover::showFor(QWidget* anchor) {
    anchor_ = anchor;
    const QRect anchorGlobal(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    showFor(anchorGlobal, availableGeometryAt(anchorGlobal, anchor));
}

void Popover::showAt(const QRect& anchorGlobal) {
    showFor(anchorGlobal, availableGeometryAt(anchorGlobal, parentWidget()));
}

void Popover::showFor(const QRect& anchorGlobal, const QRect& screen) {
    anchorGlobal_ = anchorGlobal;
    const QSize contentSize = content_->sizeHint().expandedTo(content_->minimumSize());
    // The content sits inside the outline, so scrolled rows never paint over it.
    placement_ = place(contentSize + QSize(2 * border, 2 * border), anchorGlobal, screen);
    const int m = margin();
    const int contentTop = placement_.isAbove ? 0 : arrowHeight;
    content_->setGeometry(m + border, m + contentTop + border, contentSize.width(),
                          placement_.frame.height() - arrowHeight - 2 * border);
    setGeometry(placement_.frame.adjusted(-m, -m, m, m));
    if (!composited_) {
        const QPainterPath shape = outline(placement_.frame.size(), placement_.isAbove, placement_.arrowX);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
    // Content that takes the keyboard has it while the popover is open (a popup takes all keys).
    if (content_->focusPolicy() != Qt::NoFocus) {
        content_->setFocus(Qt::PopupFocusReason);
    }
    show();
    raise();
}

void Popover::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const QColor fill = Theme::materialFill(Material::popover, appearance);
    QPainter painter(this);
    if (composited_) {
        if (shadow_.size() != size() || shadowAppearance_ != appearance) {
            // The silhouette falls a little below the surface, as light from above would cast it.
            QColor color(Qt::black);
            color.setAlphaF(appearance == Appearance::dark ? 0.5f : 0.2f);
            const QPainterPath shape =
                outline(placement_.frame.size(), placement_.isAbove, placement_.arrowX);
            shadow_ = Shadow::image(shape.translated(margin(), margin() + shadowOffsetY), size(),
                                    shadowRadius, color);
            shadowAppearance_ = appearance;
        }
        painter.drawImage(0, 0, shadow_);
    } else {
        painter.fillRect(rect(), fill);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(margin(), margin());
    painter.setPen(QPen(Theme::popoverEdge(appearance, contrast), 1));
    painter.setBrush(fill);
    painter.drawPath(outline(placement_.frame.size(), placement_.isAbove, placement_.arrowX, 0.5));
}

void Popover::mousePressEvent(QMouseEvent* event) {
    // A press in the shadow is outside the surface: it closes the popover like any outside press.
    if (composited_ && !outline(placement_.frame.size(), placement_.isAbove, placement_.arrowX)
                            .contains(event->position() - QPointF(margin(), margin()))) {
        close();
        return;
    }
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
