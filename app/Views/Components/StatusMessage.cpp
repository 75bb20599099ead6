// Layout and painting of the status message.
#include "app/Views/Components/StatusMessage.h"

#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace huddlepod {

namespace {

constexpr int textFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

QFont textFont() {
    return Theme::font(StatusMessage::textPixelSize);
}

} // namespace

StatusMessage::StatusMessage(QString text, std::optional<QString> systemImage, QWidget* parent)
    : QWidget(parent)
    , text_(std::move(text)) {
    installWidgetAccessibility(); // before anything here asks for this widget's interface
    if (systemImage) {
        symbol_ = Symbols::named(*systemImage);
    }
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAccessibleName(text_);
}

StatusMessage::Layout StatusMessage::layoutFor(QSize area) const {
    const qreal textWidth = std::max(1, area.width() - 2 * textPadding);
    const QRectF bounds =
        QFontMetricsF(textFont()).boundingRect(QRectF(0, 0, textWidth, 1e6), textFlags, text_);
    const qreal textHeight = std::max(bounds.height(), Theme::lineHeight(textFont()));

    Layout layout;
    qreal blockHeight = textHeight;
    QSizeF symbolSize;
    if (symbol_) {
        symbolSize = Symbols::size(*symbol_, symbolPixelSize);
        blockHeight += symbolSize.height() + spacing;
    }
    qreal y = std::round((area.height() - blockHeight) / 2);
    if (symbol_) {
        layout.symbol = QRectF(std::round((area.width() - symbolSize.width()) / 2), y, symbolSize.width(),
                               symbolSize.height());
        y += symbolSize.height() + spacing;
    }
    layout.text = QRectF(textPadding, y, textWidth, textHeight);
    return layout;
}

QSize StatusMessage::sizeHint() const {
    return {200, 100};
}

QSize StatusMessage::minimumSizeHint() const {
    return {2 * textPadding + 1, 1};
}

void StatusMessage::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const Layout layout = layoutFor(size());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (layout.symbol) {
        Symbols::paint(painter, *symbol_, *layout.symbol,
                       Theme::text(TextLevel::tertiary, appearance, contrast));
    }
    painter.setFont(textFont());
    painter.setPen(Theme::text(TextLevel::secondary, appearance, contrast));
    painter.drawText(layout.text, textFlags, text_);
}

void StatusMessage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // On the next turn, after what came with it (a card's name) has been said; not once it has gone again.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            announce(this, text_);
        }
    });
}

} // namespace huddlepod
