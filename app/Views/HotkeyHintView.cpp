// Layout and painting of the shortcut hint.
#include "app/Views/HotkeyHintView.h"

#include "app/Views/KeyboardFocus.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/ShortcutText.h"
#include "ui/Symbols.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace huddlepod {

namespace {

QFont hintFont() {
    return Theme::font(11);
}

} // namespace

HotkeyHintView::HotkeyHintView(QString shortcut, QWidget* parent)
    : QWidget(parent)
    , shortcut_(std::move(shortcut)) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QString HotkeyHintView::hintText() const {
    return QStringLiteral("Press %1 from anywhere to open Huddlepod.").arg(shortcut_);
}

HotkeyHintView::Layout HotkeyHintView::layoutFor(int width) const {
    const qreal height = sizeHint().height();
    const qreal middle = height / 2;
    Layout layout{};
    const QSizeF keyboard = Symbols::size(Symbol::keyboard, 11);
    layout.keyboard = QRectF(horizontalPadding, std::round(middle - keyboard.height() / 2), keyboard.width(),
                             keyboard.height());
    layout.button =
        QRectF(width - horizontalPadding - buttonSize, middle - buttonSize / 2.0, buttonSize, buttonSize);

    const qreal textLeft = layout.keyboard.right() + spacing;
    const qreal available = std::max(0.0, layout.button.left() - minimumSpacer - textLeft);
    const qreal natural = ShortcutText::width(hintText(), hintFont());
    layout.textScale = natural <= available ? 1.0 : std::max(minimumTextScale, available / natural);
    layout.isTruncated = natural * layout.textScale > available + 0.01;
    const qreal lineHeight = Theme::lineHeight(hintFont());
    layout.text = QRectF(textLeft, middle - lineHeight * layout.textScale / 2,
                         std::min(natural * layout.textScale, available), lineHeight * layout.textScale);
    return layout;
}

QSize HotkeyHintView::sizeHint() const {
    const qreal natural = ShortcutText::width(hintText(), hintFont());
    const qreal content = std::max(
        {Symbols::size(Symbol::keyboard, 11).height(), Theme::lineHeight(hintFont()), qreal(buttonSize)});
    const qreal width = 2 * horizontalPadding + Symbols::size(Symbol::keyboard, 11).width() + spacing +
                        natural + minimumSpacer + buttonSize;
    return {int(std::ceil(width)), int(std::ceil(content)) + 2 * verticalPadding};
}

QSize HotkeyHintView::minimumSizeHint() const {
    return {2 * horizontalPadding + buttonSize + minimumSpacer, sizeHint().height()};
}

void HotkeyHintView::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const Layout layout = layoutFor(width());

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = Theme::text(TextLevel::quaternary, appearance, contrast);
    background.setAlphaF(background.alphaF() * 0.4f);
    painter.fillRect(rect(), background);

    const QColor tertiary = Theme::text(TextLevel::tertiary, appearance, contrast);
    Symbols::paint(painter, Symbol::keyboard, layout.keyboard, tertiary);

    painter.save();
    painter.translate(layout.text.topLeft());
    painter.scale(layout.textScale, layout.textScale);
    const qreal unscaledWidth = layout.text.width() / layout.textScale;
    const QString shown =
        layout.isTruncated ? ShortcutText::elided(hintText(), hintFont(), unscaledWidth) : hintText();
    ShortcutText::draw(painter, QRectF(0, 0, unscaledWidth + 1, layout.text.height() / layout.textScale),
                       shown, hintFont(), Theme::text(TextLevel::secondary, appearance, contrast));
    painter.restore();

    const QSizeF mark = Symbols::size(Symbol::xmark, 9);
    const QRectF markBox(layout.button.center() - QPointF(mark.width() / 2, mark.height() / 2), mark);
    Symbols::paint(painter, Symbol::xmark, markBox, tertiary, FontWeight::semibold);
    if (hasFocus()) {
        KeyboardFocus::paintRing(painter, *this, layout.button, 4);
    }
}

void HotkeyHintView::keyPressEvent(QKeyEvent* event) {
    if (!KeyboardFocus::isActivation(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit dismissed(); // last: the owner may remove the hint at once
}

void HotkeyHintView::mousePressEvent(QMouseEvent* event) {
    pressedOnButton_ = layoutFor(width()).button.contains(event->position());
}

void HotkeyHintView::mouseReleaseEvent(QMouseEvent* event) {
    const bool pressedOnButton = std::exchange(pressedOnButton_, false);
    // Last: the owner may remove the hint at once.
    if (pressedOnButton && layoutFor(width()).button.contains(event->position())) {
        emit dismissed();
    }
}

} // namespace huddlepod
