// Painted rows of a popover list, in a scroll area whose height is computed from the row count.
#include "app/Views/Components/PopoverList.h"

#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace huddlepod {

class PopoverList::Rows : public QWidget {
public:
    explicit Rows(PopoverList* list)
        : QWidget(list)
        , list_(list) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const Appearance appearance = Theme::appearanceOf(palette());
        const bool contrast = WorkspaceSettings::shared().increaseContrast();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int first = std::max(0, (event->rect().top() - verticalPadding) / rowHeight);
        const int last =
            std::min(int(list_->titles_.size()) - 1, (event->rect().bottom() - verticalPadding) / rowHeight);
        for (int index = first; index <= last; ++index) {
            const bool selected = list_->selectedIndex_ == index;
            const QRect row = list_->rowRect(index);
            if (selected) {
                QPainterPath highlight;
                highlight.addRoundedRect(QRectF(row).adjusted(4, 0, -4, 0), 4, 4);
                painter.fillPath(highlight, Theme::text(TextLevel::quaternary, appearance, contrast));
            }
            const TextLevel level =
                selected || !list_->style_.dimsUnselectedRows ? TextLevel::primary : TextLevel::secondary;
            painter.setPen(Theme::text(level, appearance, contrast));
            painter.setFont(Theme::font(11, selected ? FontWeight::semibold : FontWeight::regular));
            painter.drawText(row.adjusted(horizontalPadding, 0, -horizontalPadding, 0),
                             Qt::AlignLeft | Qt::AlignVCenter, list_->titles_.at(index));
            if (list_->keyboardActive_ && index == list_->current_) {
                // The row the keys have reached, ringed in the accent as keyboard focus is everywhere else.
                painter.setPen(QPen(Theme::controlEdge(appearance, contrast, true), 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawRoundedRect(QRectF(row).adjusted(5, 1, -5, -1), 4, 4);
            }
        }
    }

    void mousePressEvent(QMouseEvent* event) override { pressedRow_ = rowAt(event->position().toPoint()); }

    void mouseReleaseEvent(QMouseEvent* event) override {
        const int row = rowAt(event->position().toPoint());
        const int pressed = std::exchange(pressedRow_, -1);
        if (row >= 0 && row == pressed) {
            emit list_->rowClicked(row);
        }
    }

private:
    int rowAt(QPoint position) const {
        for (int index = 0; index < list_->titles_.size(); ++index) {
            if (list_->rowRect(index).contains(position)) {
                return index;
            }
        }
        return -1;
    }

    PopoverList* list_;
    int pressedRow_ = -1;
};

// The overlay knob: drawn over the rows' right edge, draggable, hidden again soon after scrolling stops.
class PopoverList::ScrollIndicator : public QWidget {
public:
    static constexpr int width = 6;

    explicit ScrollIndicator(PopoverList* list)
        : QWidget(list)
        , list_(list) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TranslucentBackground);
        hide();
    }

    bool isDragging() const { return dragStart_.has_value(); }

protected:
    void paintEvent(QPaintEvent*) override {
        const Appearance appearance = Theme::appearanceOf(palette());
        QColor color = appearance == Appearance::dark ? QColor(Qt::white) : QColor(Qt::black);
        color.setAlphaF(isDragging() ? 0.55f : 0.38f);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(rect()), width / 2.0, width / 2.0);
    }

    void mousePressEvent(QMouseEvent* event) override {
        dragStart_ = {event->globalPosition().y(), list_->scrollOffset()};
        list_->indicatorTimer_.stop();
        update();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!dragStart_) {
            return;
        }
        // The knob travels the track while the content travels its whole scroll range.
        QScrollBar* bar = list_->verticalScrollBar();
        const int travel = std::max(1, list_->viewport()->height() - 2 * verticalPadding - height());
        const qreal moved = event->globalPosition().y() - dragStart_->first;
        bar->setValue(dragStart_->second + int(std::lround(moved * bar->maximum() / travel)));
    }

    void mouseReleaseEvent(QMouseEvent*) override {
        dragStart_.reset();
        list_->indicatorTimer_.start();
        update();
    }

private:
    PopoverList* list_;
    std::optional<std::pair<qreal, int>> dragStart_; // press position and scroll offset
};

int PopoverList::listHeight(int rowCount, int maximumHeight) {
    return std::min(rowHeight * rowCount + 2 * verticalPadding, maximumHeight);
}

PopoverList::PopoverList(QStringList titles, std::optional<int> selectedIndex, const Style& style,
                         QWidget* parent)
    : QScrollArea(parent)
    , titles_(std::move(titles))
    , selectedIndex_(selectedIndex)
    , current_(selectedIndex.value_or(0))
    , style_(style) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    width_ = style_.width;
    if (style_.widensToContent) {
        const QFontMetricsF metrics(Theme::font(11, FontWeight::semibold));
        for (const QString& title : titles_) {
            width_ =
                std::max(width_, int(std::ceil(metrics.horizontalAdvance(title))) + 2 * horizontalPadding);
        }
    }
    setFrameShape(QFrame::NoFrame);
    // Focused when its popover opens, so its rows are reached by the keys; never by Tab.
    setFocusPolicy(Qt::ClickFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll bar never takes width from the rows; an overlay shows the position while scrolling.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAttribute(Qt::WA_TranslucentBackground);

    rows_ = new Rows(this);
    rows_->setMinimumHeight(rowHeight * int(titles_.size()) + 2 * verticalPadding);
    setWidget(rows_);
    rows_->setAutoFillBackground(false); // setWidget() turns it on
    setFixedSize(sizeHint());

    if (style_.showsScrollIndicator) {
        indicator_ = new ScrollIndicator(this);
        indicatorTimer_.setSingleShot(true);
        indicatorTimer_.setInterval(indicatorLinger);
        connect(&indicatorTimer_, &QTimer::timeout, indicator_, &QWidget::hide);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            if (!centring_) {
                flashIndicator();
            }
        });
    }
}

bool PopoverList::isIndicatorShown() const {
    return indicator_ != nullptr && indicator_->isVisible();
}

void PopoverList::flashIndicator() {
    const QScrollBar* bar = verticalScrollBar();
    if (indicator_ == nullptr || bar->maximum() <= 0) {
        return;
    }
    const QRect track = viewport()->geometry().adjusted(0, verticalPadding, 0, -verticalPadding);
    const int total = bar->maximum() + bar->pageStep();
    const int knob = std::max(20, track.height() * bar->pageStep() / std::max(1, total));
    const int top = track.top() + (track.height() - knob) * bar->value() / bar->maximum();
    indicator_->setGeometry(track.right() + 1 - ScrollIndicator::width - 2, top, ScrollIndicator::width,
                            knob);
    indicator_->show();
    indicator_->raise();
    if (!indicator_->isDragging()) {
        indicatorTimer_.start();
    }
}

QSize PopoverList::sizeHint() const {
    return {width_, listHeight(int(titles_.size()), style_.maximumHeight)};
}

QRect PopoverList::rowRect(int index) const {
    const int rowWidth = rows_ != nullptr && rows_->width() > 0 ? rows_->width() : width_;
    return {0, verticalPadding + index * rowHeight, rowWidth, rowHeight};
}

int PopoverList::rowAt(QPoint viewportPosition) const {
    const QPoint content = viewportPosition + QPoint(0, scrollOffset());
    for (int index = 0; index < titles_.size(); ++index) {
        if (rowRect(index).contains(content)) {
            return index;
        }
    }
    return -1;
}

int PopoverList::scrollOffset() const {
    return verticalScrollBar()->value();
}

void PopoverList::centreOnSelection() {
    if (!selectedIndex_) {
        return;
    }
    // The scroll range follows the layout; make sure it is current before scrolling.
    rows_->resize(viewport()->width(), rows_->minimumHeight());
    const QScopedValueRollback centring(centring_, true);
    verticalScrollBar()->setRange(0, std::max(0, rows_->minimumHeight() - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    const int centre = rowRect(*selectedIndex_).center().y();
    verticalScrollBar()->setValue(centre - viewport()->height() / 2);
}

void PopoverList::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    centreOnSelection();
}

void PopoverList::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    // The list is told as focused first (by Qt), then its current row.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus() && !titles_.isEmpty()) {
            announceFocus(this, current_);
        }
    });
}

void PopoverList::keyPressEvent(QKeyEvent* event) {
    const int last = int(titles_.size()) - 1;
    const int page = std::max(1, viewport()->height() / rowHeight - 1);
    switch (event->key()) {
    case Qt::Key_Up:
        setCurrent(current_ - 1);
        break;
    case Qt::Key_Down:
        setCurrent(current_ + 1);
        break;
    case Qt::Key_Home:
        setCurrent(0);
        break;
    case Qt::Key_End:
        setCurrent(last);
        break;
    case Qt::Key_PageUp:
        setCurrent(current_ - page);
        break;
    case Qt::Key_PageDown:
        setCurrent(current_ + page);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ >= 0 && current_ <= last) {
            emit rowClicked(current_); // last: choosing may close the popover
        }
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void PopoverList::setCurrent(int index) {
    if (titles_.isEmpty()) {
        return;
    }
    index = std::clamp(index, 0, int(titles_.size()) - 1);
    keyboardActive_ = true;
    rows_->update();
    if (index == current_) {
        return;
    }
    current_ = index;
    scrollToRow(index);
    announceFocus(this, index);
}

void PopoverList::scrollToRow(int index) {
    const QRect row = rowRect(index);
    QScrollBar* bar = verticalScrollBar();
    const int visible = viewport()->height();
    if (row.top() < bar->value()) {
        bar->setValue(row.top());
    } else if (row.bottom() + 1 > bar->value() + visible) {
        bar->setValue(row.bottom() + 1 - visible);
    }
}

} // namespace huddlepod
