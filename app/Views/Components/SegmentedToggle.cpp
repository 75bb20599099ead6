// Layout, painting and taps of the segmented toggle.
#include "app/Views/Components/SegmentedToggle.h"

#include "app/Views/Animation.h"
#include "app/Views/KeyboardFocus.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace huddlepod {

namespace {

QFont segmentFont(bool selected) {
    return Theme::font(SegmentedToggleBase::pixelSize, selected ? FontWeight::semibold : FontWeight::regular);
}

} // namespace

SegmentedToggleBase::SegmentedToggleBase(QStringList titles, int selectedIndex, QString accessibilityLabel,
                                         bool isCompact, bool spansWidth, QWidget* parent)
    : QWidget(parent)
    , titles_(std::move(titles))
    , selectedIndex_(selectedIndex)
    , isCompact_(isCompact)
    , spansWidth_(spansWidth) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    setFocusPolicy(Qt::TabFocus); // reached by Tab; a click leaves the focus where it was
    setAccessibleName(accessibilityLabel);
    setSizePolicy(spansWidth_ ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SegmentedToggleBase::setBordered(bool bordered) {
    isBordered_ = bordered;
    setAttribute(Qt::WA_Hover, bordered);
    setMouseTracking(bordered);
    update();
}

void SegmentedToggleBase::setTitles(QStringList titles) {
    titles_ = std::move(titles);
    updateGeometry();
    update();
}

qreal SegmentedToggleBase::naturalWidth(int index) const {
    const qreal text =
        QFontMetricsF(segmentFont(index == selectedIndex_)).horizontalAdvance(titles_.at(index));
    return std::ceil(text) + 2 * (isCompact_ ? compactPadding : regularPadding);
}

std::vector<QRectF> SegmentedToggleBase::segmentRects(int width) const {
    const qreal height = Theme::lineHeight(segmentFont(false)) + 2 * verticalPadding;
    const int count = int(titles_.size());
    qreal natural = 0;
    for (int index = 0; index < count; ++index) {
        natural += naturalWidth(index);
    }
    natural += spacing * std::max(0, count - 1);
    // Spacers between the segments, none after the last, take what the row has left.
    const qreal spacer = spansWidth_ && count > 1 ? std::max(0.0, (width - natural) / (count - 1)) : 0.0;

    std::vector<QRectF> rects;
    qreal x = 0;
    for (int index = 0; index < count; ++index) {
        const qreal segmentWidth = naturalWidth(index);
        rects.emplace_back(x, 0, segmentWidth, height);
        x += segmentWidth + spacing + spacer;
    }
    return rects;
}

int SegmentedToggleBase::segmentAt(QPointF position) const {
    const std::vector<QRectF> rects = segmentRects(width());
    for (std::size_t index = 0; index < rects.size(); ++index) {
        if (rects[index].contains(position)) {
            return int(index);
        }
    }
    return -1;
}

QSize SegmentedToggleBase::sizeHint() const {
    const std::vector<QRectF> rects = segmentRects(0);
    const qreal height = Theme::lineHeight(segmentFont(false)) + 2 * verticalPadding;
    return {rects.empty() ? 0 : int(std::ceil(rects.back().right())), int(height)};
}

void SegmentedToggleBase::setSelectedIndex(int index, bool animated) {
    if (animation_ != nullptr) {
        animation_->stop();
        animation_ = nullptr;
    }
    previousIndex_ = selectedIndex_;
    selectedIndex_ = index;
    progress_ = 1.0;
    if (animated && previousIndex_ != selectedIndex_) {
        progress_ = 0.0;
        animation_ = Animation::run(this, AnimationSpec::quickEaseOut(), [this](qreal progress) {
            progress_ = progress;
            if (progress >= 1.0) {
                animation_ = nullptr;
            }
            update();
        });
    }
    updateGeometry();
    update();
    if (previousIndex_ != selectedIndex_ && selectedIndex_ >= 0) {
        announceSelection(this, selectedIndex_);
    }
}

void SegmentedToggleBase::handleTap(int index) {
    emit segmentTapped(index);
}

void SegmentedToggleBase::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const std::vector<QRectF> rects = segmentRects(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isBordered_) {
        paintBordered(painter, rects);
        return;
    }

    const auto drawHighlight = [&](int index, qreal opacity) {
        if (index < 0 || index >= int(rects.size()) || opacity <= 0) {
            return;
        }
        QColor fill = Theme::text(TextLevel::quaternary, appearance, contrast);
        fill.setAlphaF(float(fill.alphaF() * opacity));
        QPainterPath path;
        path.addRoundedRect(rects[std::size_t(index)], highlightRadius, highlightRadius);
        painter.fillPath(path, fill);
    };
    drawHighlight(previousIndex_, 1.0 - progress_);
    drawHighlight(selectedIndex_, progress_);

    for (int index = 0; index < int(rects.size()); ++index) {
        const bool selected = index == selectedIndex_;
        painter.setFont(segmentFont(selected));
        painter.setPen(
            Theme::text(selected ? TextLevel::primary : TextLevel::secondary, appearance, contrast));
        painter.drawText(rects[std::size_t(index)], Qt::AlignCenter, titles_.at(index));
    }
    if (hasFocus()) {
        KeyboardFocus::paintRing(painter, *this,
                                 selectedIndex_ >= 0 && selectedIndex_ < int(rects.size())
                                     ? rects[std::size_t(selectedIndex_)]
                                     : QRectF(rect()),
                                 highlightRadius);
    }
}

void SegmentedToggleBase::paintBordered(QPainter& painter, const std::vector<QRectF>& rects) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    // The edge and the selected fill in the control-edge colour: 3:1 or more against the window either way.
    const QColor edge = Theme::controlEdge(appearance, contrast);
    const QColor onEdge = appearance == Appearance::dark ? QColor(0x1e, 0x1e, 0x1e) : QColor(Qt::white);
    const QRectF row = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(row, highlightRadius + 1, highlightRadius + 1);

    const auto fill = [&](int index, const QColor& colour) {
        QPainterPath path;
        path.addRoundedRect(rects[std::size_t(index)].adjusted(2, 2, -2, -2), highlightRadius - 1,
                            highlightRadius - 1);
        painter.fillPath(path, colour);
    };
    if (hoveredIndex_ >= 0 && hoveredIndex_ < int(rects.size()) && hoveredIndex_ != selectedIndex_) {
        fill(hoveredIndex_, Theme::text(TextLevel::quaternary, appearance, contrast));
    }
    if (selectedIndex_ >= 0 && selectedIndex_ < int(rects.size())) {
        fill(selectedIndex_, edge);
    }
    for (int index = 0; index < int(rects.size()); ++index) {
        const bool selected = index == selectedIndex_;
        painter.setFont(segmentFont(selected));
        painter.setPen(selected ? onEdge : Theme::text(TextLevel::primary, appearance, contrast));
        painter.drawText(rects[std::size_t(index)], Qt::AlignCenter, titles_.at(index));
    }
    if (hasFocus() && selectedIndex_ >= 0 && selectedIndex_ < int(rects.size())) {
        KeyboardFocus::paintRing(painter, *this, rects[std::size_t(selectedIndex_)].adjusted(1, 1, -1, -1),
                                 highlightRadius);
    }
}

void SegmentedToggleBase::mousePressEvent(QMouseEvent* event) {
    pressedIndex_ = segmentAt(event->position());
}

void SegmentedToggleBase::mouseReleaseEvent(QMouseEvent* event) {
    const int index = segmentAt(event->position());
    const int pressed = pressedIndex_;
    pressedIndex_ = -1;
    if (index >= 0 && index == pressed) {
        handleTap(index);
    }
}

void SegmentedToggleBase::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (isBordered_) {
        const int hovered = segmentAt(event->position());
        if (hovered != hoveredIndex_) {
            hoveredIndex_ = hovered;
            update();
        }
    }
}

void SegmentedToggleBase::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (hoveredIndex_ != -1) {
        hoveredIndex_ = -1;
        update();
    }
}

void SegmentedToggleBase::keyPressEvent(QKeyEvent* event) {
    const int count = int(titles_.size());
    int target = -1;
    if (KeyboardFocus::isActivation(*event)) {
        target = selectedIndex_;
    } else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Left) {
        target = selectedIndex_ < 0 ? count - 1 : selectedIndex_ - 1;
    } else if (event->modifiers() == Qt::NoModifier && event->key() == Qt::Key_Right) {
        target = selectedIndex_ < 0 ? 0 : selectedIndex_ + 1;
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // At either end the arrows stop; last: the tap may rebuild what holds this toggle.
    if (target >= 0 && target < count) {
        handleTap(target);
    }
}

} // namespace huddlepod
