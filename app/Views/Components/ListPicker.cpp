// Layout, painting, stepping and the popover list of the list picker.
#include "app/Views/Components/ListPicker.h"

#include "app/Views/Components/Popover.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/KeyboardFocus.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Symbols.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <utility>

namespace huddlepod {

namespace {

QFont labelFont() {
    return Theme::font(11, FontWeight::medium);
}

constexpr qreal chevronPixelSize = 7;
constexpr qreal arrowPixelSize = 8;

} // namespace

std::optional<QString> ListPickerBase::environmentPresentedPicker() {
    const QString value = qEnvironmentVariable("HUDDLEPOD_DEBUG_PICKER");
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

ListPickerBase::ListPickerBase(ListPickerOptions options, QWidget* parent)
    : QWidget(parent)
    , options_(std::move(options))
    , presentedPicker_(&ListPickerBase::environmentPresentedPicker) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleDescription(options_.accessibilityHint);
}

void ListPickerBase::setState(QStringList titles, std::optional<int> selectedIndex, QString selectionTitle,
                              QString selectionAccessibilityLabel, bool hasAction) {
    const bool listChanged = titles != titles_ || selectedIndex != selectedIndex_;
    titles_ = std::move(titles);
    selectedIndex_ = selectedIndex;
    selectionTitle_ = std::move(selectionTitle);
    hasAction_ = hasAction;
    const bool valueChanged = !accessibleName().isEmpty() && accessibleName() != selectionAccessibilityLabel;
    setAccessibleName(selectionAccessibilityLabel);
    setAccessibleDescription(isInteractive() ? options_.accessibilityHint : QString());
    setFocusPolicy(isInteractive() ? Qt::TabFocus : Qt::NoFocus); // a label alone is no stop
    if (valueChanged) {
        announcePickedValue(this);
    }
    if (!isInteractive()) {
        setPresented(false);
    } else if (listChanged && isPresented()) {
        // The open list shows the values and the selection it was made with: make it anew.
        setPresented(false);
        setPresented(true);
    }
    updateGeometry();
    update();
    openForDebugRequest();
}

std::optional<int> ListPickerBase::stepTarget(int offset) const {
    if (!selectedIndex_) {
        return std::nullopt;
    }
    const int target = *selectedIndex_ + (options_.reversedStepping ? -offset : offset);
    if (target < 0 || target >= titles_.size()) {
        return std::nullopt;
    }
    return target;
}

QString ListPickerBase::arrowLabel(const QString& verb) const {
    QString noun = options_.accessibilityHint;
    noun.remove(QStringLiteral("Choose a "));
    return verb + QLatin1Char(' ') + noun;
}

ListPickerBase::Layout ListPickerBase::layout() const {
    const QFontMetricsF metrics(labelFont());
    const qreal textWidth = std::ceil(metrics.horizontalAdvance(selectionTitle_));
    const qreal textHeight = Theme::lineHeight(labelFont());
    Layout layout;
    layout.isInteractive = isInteractive();
    if (!layout.isInteractive) {
        layout.label = QRectF(0, 0, std::max(options_.minLabelWidth, textWidth), textHeight);
        return layout;
    }
    const QSizeF chevron = Symbols::size(Symbol::chevronDown, chevronPixelSize);
    const qreal height = std::max<qreal>(arrowHeight, std::max(textHeight, chevron.height()));
    const qreal labelWidth = textWidth + chevronSpacing + chevron.width();
    layout.previous = QRectF(0, (height - arrowHeight) / 2, arrowWidth, arrowHeight);
    layout.label = QRectF(arrowWidth + spacing, (height - textHeight) / 2, labelWidth, textHeight);
    layout.chevron = QRectF(layout.label.right() - chevron.width(),
                            std::round((height - chevron.height()) / 2), chevron.width(), chevron.height());
    layout.next = QRectF(layout.label.right() + spacing, (height - arrowHeight) / 2, arrowWidth, arrowHeight);
    return layout;
}

QSize ListPickerBase::sizeHint() const {
    const Layout current = layout();
    const QRectF bounds =
        current.isInteractive ? current.previous.united(current.label).united(current.next) : current.label;
    return {int(std::ceil(bounds.right())), int(std::ceil(bounds.bottom()))};
}

ListPickerBase::Part ListPickerBase::partAt(QPointF position) const {
    const Layout current = layout();
    if (!current.isInteractive) {
        return Part::none;
    }
    if (current.previous.contains(position)) {
        return Part::previous;
    }
    if (current.next.contains(position)) {
        return Part::next;
    }
    // The label's whole row height is its hit area.
    if (position.x() >= current.label.left() && position.x() < current.label.right()) {
        return Part::label;
    }
    return Part::none;
}

void ListPickerBase::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const Layout current = layout();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(labelFont());
    painter.setPen(Theme::text(TextLevel::primary, appearance, contrast));
    if (!current.isInteractive) {
        painter.drawText(current.label, Qt::AlignCenter, selectionTitle_);
        return;
    }
    painter.drawText(current.label.adjusted(0, 0, -(current.chevron.width() + chevronSpacing), 0),
                     Qt::AlignLeft | Qt::AlignVCenter, selectionTitle_);
    const QColor secondary = Theme::text(TextLevel::secondary, appearance, contrast);
    Symbols::paint(painter, Symbol::chevronDown, current.chevron, secondary, FontWeight::semibold);

    const auto drawArrow = [&](Symbol symbol, const QRectF& frame, int offset) {
        const QSizeF size = Symbols::size(symbol, arrowPixelSize);
        const QRectF box(frame.center() - QPointF(size.width() / 2, size.height() / 2), size);
        const QColor color =
            stepTarget(offset) ? secondary : Theme::text(TextLevel::quaternary, appearance, contrast);
        Symbols::paint(painter, symbol, box, color, FontWeight::semibold);
    };
    drawArrow(Symbol::chevronLeft, current.previous, -1);
    drawArrow(Symbol::chevronRight, current.next, +1);
    if (hasFocus()) {
        KeyboardFocus::paintRing(painter, *this,
                                 QRectF(current.label.left() - 3, 0, current.label.width() + 6, height()), 4);
    }
}

void ListPickerBase::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier;
    if (!isInteractive()) {
        QWidget::keyPressEvent(event);
    } else if (KeyboardFocus::isActivation(*event)) {
        event->accept();
        setPresented(!isPresented());
    } else if (plain && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        event->accept();
        step(event->key() == Qt::Key_Left ? -1 : +1); // last: the choice may rebuild this picker
    } else {
        QWidget::keyPressEvent(event);
    }
}

void ListPickerBase::mousePressEvent(QMouseEvent* event) {
    pressedPart_ = partAt(event->position());
}

void ListPickerBase::mouseReleaseEvent(QMouseEvent* event) {
    const Part part = partAt(event->position());
    const Part pressed = pressedPart_;
    pressedPart_ = Part::none;
    if (part == Part::none || part != pressed) {
        return;
    }
    if (part == Part::label) {
        setPresented(!isPresented());
        return;
    }
    step(part == Part::previous ? -1 : +1);
}

void ListPickerBase::step(int offset) {
    if (const std::optional<int> target = stepTarget(offset)) {
        choose(*target);
    }
}

void ListPickerBase::choose(int index) {
    const QPointer<ListPickerBase> alive(this);
    emit picked(index);
    if (alive) {
        pick(index);
    }
}

bool ListPickerBase::isPresented() const {
    return popover_ && popover_->isVisible();
}

PopoverList* ListPickerBase::presentedList() const {
    return popover_ ? static_cast<PopoverList*>(popover_->content()) : nullptr;
}

void ListPickerBase::setPresented(bool presented) {
    if (presented == isPresented()) {
        return;
    }
    if (!presented) {
        popover_->close();
        return;
    }
    if (!isInteractive()) {
        return;
    }
    PopoverList::Style style;
    style.width = int(std::ceil(options_.listWidth));
    style.maximumHeight = maximumListHeight;
    style.showsScrollIndicator = options_.showsScrollIndicator;
    auto* list = new PopoverList(titles_, selectedIndex_, style);
    auto* popover = new Popover(list, this);
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover_ = popover;
    connect(list, &PopoverList::rowClicked, this, [this](int index) {
        // Report on the next turn: the caller may rebuild this picker, and the list is still handling its
        // click.
        QMetaObject::invokeMethod(
            this, [this, index] { choose(index); }, Qt::QueuedConnection);
        setPresented(false);
    });
    connect(popover, &Popover::closed, this, [this, popover] {
        if (popover == popover_) {
            followAnchor(false);
        }
        update();
    });
    popover->showAt(anchor());
    followAnchor(true);
}

QRect ListPickerBase::anchor() const {
    const Layout current = layout();
    return {mapToGlobal(QPointF(current.label.left(), 0)).toPoint(),
            QSize(int(std::ceil(current.label.width())), height())};
}

void ListPickerBase::followAnchor(bool follows) {
    for (const QPointer<QWidget>& widget : followed_) {
        if (widget) {
            widget->removeEventFilter(this);
        }
    }
    followed_.clear();
    if (!follows) {
        return;
    }
    // A list opened while the picker's window was still being laid out would otherwise hang where the
    // picker first stood.
    for (QWidget* widget = this; widget != nullptr; widget = widget->parentWidget()) {
        widget->installEventFilter(this);
        followed_.emplace_back(widget);
        if (widget->isWindow()) {
            break;
        }
    }
}

bool ListPickerBase::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isPresented() &&
        popover_->anchorGlobal() != anchor()) {
        popover_->showAt(anchor());
    }
    return QWidget::eventFilter(watched, event);
}

void ListPickerBase::setPresentedPickerProvider(std::function<std::optional<QString>()> provider) {
    presentedPicker_ = std::move(provider);
}

void ListPickerBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    opensForDebugRequest_ = !options_.debugIdentity.isEmpty() && presentedPicker_ &&
                            presentedPicker_() == std::optional<QString>(options_.debugIdentity);
    openForDebugRequest();
}

void ListPickerBase::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    opensForDebugRequest_ = false;
}

void ListPickerBase::openForDebugRequest() {
    if (!opensForDebugRequest_ || !isInteractive()) {
        return;
    }
    // Open once the window that holds the picker is placed.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (std::exchange(opensForDebugRequest_, false) && isVisible()) {
                setPresented(true);
            }
        },
        Qt::QueuedConnection);
}

} // namespace huddlepod
