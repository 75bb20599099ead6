// Painting and pointer handling of the data grid.
#include "app/Views/DataGridView.h"

#include "app/Views/Components/Popover.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/KeyboardFocus.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
#include <QScrollArea>

#include <cmath>

namespace huddlepod {

DataGridView::DataGridView(DataTable table, qreal availableWidth, OpenPlayer onOpenPlayer, QWidget* parent)
    : QWidget(parent)
    , table_(std::move(table))
    , availableWidth_(availableWidth)
    , onOpenPlayer_(std::move(onOpenPlayer)) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    widths_ = DataGridLayout::resolvedWidths(table_, availableWidth_);
    layout_ = DataGridLayout::make(table_, widths_, availableWidth_, bool(onOpenPlayer_));
    setFocusPolicy(layout_.links.empty() ? Qt::NoFocus : Qt::TabFocus);
    setMouseTracking(!layout_.links.empty());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void DataGridView::openPlayer(const PlayerLink& link) {
    // Copies: opening a player may remove this grid while the action runs.
    const OpenPlayer open = onOpenPlayer_;
    if (open) {
        open(PlayerLink(link));
    }
}

std::vector<PlayerLink> DataGridView::rowActions(const DataRow& row) {
    std::vector<PlayerLink> actions;
    for (const auto& [column, links] : row.links) { // std::map: ascending column order
        actions.insert(actions.end(), links.begin(), links.end());
    }
    return actions;
}

QSize DataGridView::sizeHint() const {
    return {int(std::ceil(layout_.size.width())), int(std::ceil(layout_.size.height()))};
}

int DataGridView::linkAt(QPointF position) const {
    for (std::size_t index = 0; index < layout_.links.size(); ++index) {
        if (layout_.links[index].hitArea.contains(position)) {
            return int(index);
        }
    }
    return -1;
}

void DataGridView::paintEvent(QPaintEvent* event) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const QColor levels[] = {Theme::text(TextLevel::primary, appearance, contrast),
                             Theme::text(TextLevel::secondary, appearance, contrast),
                             Theme::text(TextLevel::tertiary, appearance, contrast),
                             Theme::text(TextLevel::quaternary, appearance, contrast)};
    QPainter painter(this);
    const QRectF dirty = event->rect();

    std::vector<bool> underlined(layout_.texts.size(), false);
    if (hoveredLink_ >= 0) {
        underlined[layout_.links[std::size_t(hoveredLink_)].textIndex] = true;
    }

    for (std::size_t index = 0; index < layout_.texts.size(); ++index) {
        const DataGridLayout::Text& text = layout_.texts[index];
        if (!dirty.intersects(text.frame.united(text.textRect))) {
            continue;
        }
        painter.setPen(levels[int(text.level)]);
        for (std::size_t line = 0; line < text.glyphs.size(); ++line) {
            for (const QGlyphRun& run : text.glyphs[line]) {
                painter.drawGlyphRun(text.baselines[line], run);
                if (underlined[index]) {
                    // A solid line in the text's own colour, where the font puts its underline.
                    const QRawFont font = run.rawFont();
                    const QRectF ink = run.boundingRect();
                    const qreal y = text.baselines[line].y() + std::max(1.0, font.underlinePosition());
                    const qreal thickness = std::max(1.0, font.lineThickness());
                    painter.fillRect(QRectF(text.baselines[line].x() + ink.left(), y - thickness / 2,
                                            ink.width(), thickness),
                                     levels[int(text.level)]);
                }
            }
        }
    }

    if (!layout_.cutRules.empty()) {
        QPen dashed(levels[int(TextLevel::tertiary)], 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        dashed.setDashPattern({3, 3});
        dashed.setDashOffset(0);
        dashed.setMiterLimit(10);
        painter.setPen(dashed);
        for (const QRectF& rule : layout_.cutRules) {
            const qreal y = rule.top() + 0.5;
            painter.drawLine(QPointF(rule.left(), y), QPointF(rule.right(), y));
        }
    }
    if (hasFocus() && focusedLink_ >= 0 && focusedLink_ < int(layout_.links.size())) {
        KeyboardFocus::paintRing(painter, *this,
                                 layout_.links[std::size_t(focusedLink_)].hitArea.adjusted(-3, -1, 3, 1), 3);
    }
}

void DataGridView::setFocusedLink(int link) {
    focusedLink_ = link;
    update();
    if (link < 0 || link >= int(layout_.links.size())) {
        return;
    }
    // Scrolled into view, in whichever scroll area holds the grid.
    for (QWidget* holder = parentWidget(); holder != nullptr; holder = holder->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(holder);
        if (area != nullptr && area->widget() != nullptr && area->widget()->isAncestorOf(this)) {
            const QRectF hit = layout_.links[std::size_t(link)].hitArea;
            const QPoint centre = mapTo(area->widget(), hit.center().toPoint());
            area->ensureVisible(centre.x(), centre.y(), int(hit.width() / 2) + 16, int(hit.height() / 2) + 8);
            return;
        }
    }
}

bool DataGridView::focusNextPrevChild(bool next) {
    const int target = focusedLink_ + (next ? 1 : -1);
    if (hasFocus() && isVisible() && focusedLink_ >= 0 && target >= 0 && target < int(layout_.links.size())) {
        setFocusedLink(target);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void DataGridView::keyPressEvent(QKeyEvent* event) {
    if (!KeyboardFocus::isActivation(*event) || focusedLink_ < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    activateLink(focusedLink_); // last: opening a player may remove the grid
}

void DataGridView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (layout_.links.empty()) {
        return;
    }
    if (event->reason() == Qt::BacktabFocusReason) {
        setFocusedLink(int(layout_.links.size()) - 1);
    } else if (event->reason() == Qt::TabFocusReason || focusedLink_ < 0) {
        setFocusedLink(0);
    } else {
        setFocusedLink(focusedLink_);
    }
}

void DataGridView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void DataGridView::setHovered(int link) {
    if (link == hoveredLink_) {
        return;
    }
    if (hoveredLink_ >= 0) {
        layout_.links[std::size_t(hoveredLink_)].isHovering = false;
    }
    hoveredLink_ = link;
    if (link >= 0) {
        layout_.links[std::size_t(link)].isHovering = true;
        setCursor(Qt::PointingHandCursor);
    } else {
        setCursor(Qt::ArrowCursor);
    }
    update();
}

void DataGridView::mouseMoveEvent(QMouseEvent* event) {
    setHovered(linkAt(event->position()));
}

void DataGridView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHovered(-1);
}

void DataGridView::mousePressEvent(QMouseEvent* event) {
    pressedLink_ = event->button() == Qt::LeftButton ? linkAt(event->position()) : -1;
}

void DataGridView::mouseReleaseEvent(QMouseEvent* event) {
    const int link = linkAt(event->position());
    const int pressed = pressedLink_;
    pressedLink_ = -1;
    if (link >= 0 && link == pressed) {
        activateLink(link);
    }
}

void DataGridView::activateLink(int index) {
    if (index < 0 || index >= int(layout_.links.size())) {
        return;
    }
    PlayerNameLink& link = layout_.links[std::size_t(index)];
    if (link.links.size() == 1) {
        openPlayer(link.links.front());
        return;
    }
    // A popover that closed on this very press may still await deletion: only a shown one is toggled.
    if (disclosure_ && disclosure_->isVisible()) {
        disclosure_->close();
        return;
    }
    QStringList names;
    for (const PlayerLink& player : link.links) {
        names.append(player.name);
    }
    PopoverList::Style style;
    style.width = 130;
    style.widensToContent = true;
    style.dimsUnselectedRows = false;
    auto* list = new PopoverList(names, std::nullopt, style);
    auto* popover = new Popover(list, this);
    popover->setAttribute(Qt::WA_DeleteOnClose);
    disclosure_ = popover;
    link.isDisclosed = true;
    const std::vector<PlayerLink> players = link.links;
    connect(list, &PopoverList::rowClicked, this, [this, players](int row) {
        if (disclosure_) {
            disclosure_->close();
        }
        // On the next turn: opening a player may remove this grid, and the list is still handling its click.
        // openPlayer runs a copy of the action, which the grid's removal cannot destroy mid-call.
        QMetaObject::invokeMethod(
            this, [this, player = players.at(std::size_t(row))] { openPlayer(player); },
            Qt::QueuedConnection);
    });
    connect(popover, &Popover::closed, this, [this, index] {
        if (index < int(layout_.links.size())) {
            layout_.links[std::size_t(index)].isDisclosed = false;
        }
    });
    const QRect anchor(mapToGlobal(link.hitArea.topLeft()).toPoint(), link.hitArea.size().toSize());
    popover->showAt(anchor);
}

} // namespace huddlepod
