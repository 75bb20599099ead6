// Fusion's controls with edges in the control-edge colour of the look.
#include "ui/AppStyle.h"

#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Theme.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace huddlepod {

namespace {

QPen edgePen(const QStyleOption& option, bool focused) {
    QColor color = Theme::controlEdge(Theme::appearanceOf(option.palette),
                                      WorkspaceSettings::shared().increaseContrast(), focused);
    if (!(option.state & QStyle::State_Enabled)) {
        color.setAlphaF(0.5f); // dimmed, as disabled text is
    }
    return QPen(color, 1.0);
}

// A control under the pointer: its fill a shade towards the text, darker in the light look, lighter in the
// dark.
bool isHovered(const QStyleOption& option) {
    return (option.state & QStyle::State_MouseOver) && (option.state & QStyle::State_Enabled);
}

QColor hoverFill(const QColor& fill, const QPalette& palette) {
    const QColor towards = Theme::appearanceOf(palette) == Appearance::dark ? Qt::white : Qt::black;
    constexpr float share = 0.06f;
    return QColor::fromRgbF(fill.redF() + (towards.redF() - fill.redF()) * share,
                            fill.greenF() + (towards.greenF() - fill.greenF()) * share,
                            fill.blueF() + (towards.blueF() - fill.blueF()) * share, fill.alphaF());
}

bool showsKeyboardFocus(const QStyleOption& option) {
    return (option.state & QStyle::State_HasFocus) && (option.state & QStyle::State_KeyboardFocusChange);
}

// Fusion's own outlines, on whole pixels: the box, the circle and the rounded field.
void strokeBoxEdge(QPainter& painter, const QRect& rect, const QPen& pen) {
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
}

void strokeCircleEdge(QPainter& painter, const QRect& rect, const QPen& pen) {
    const QPointF centre = rect.center() + QPoint(1, 1);
    const qreal radius = (rect.width() + (rect.width() + 1) % 2) / 2.0 - 1;
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
}

void strokeFieldEdge(QPainter& painter, const QRect& rect, const QPen& pen) {
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

} // namespace

AppStyle::AppStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int AppStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                        QStyleHintReturn* returned) const {
    // No desktop theme's icons on dialog buttons: the app draws its own symbols.
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returned);
}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (element == PE_PanelButtonCommand) {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        const bool isDefault = button && (button->features & QStyleOptionButton::DefaultButton) &&
                               (option->state & State_Enabled);
        const bool down = option->state & (State_Sunken | State_On);
        if (button && (button->features & QStyleOptionButton::Flat) && !down) {
            return;
        }
        QColor fill = option->palette.button().color();
        if (down) {
            fill = fill.darker(110);
        } else if (isHovered(*option)) {
            fill = hoverFill(fill, option->palette);
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(edgePen(*option, isDefault || showsKeyboardFocus(*option)));
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
        return;
    }
    const bool indicator = element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton;
    if (indicator && isHovered(*option) && !(option->state & State_Sunken)) {
        // Fusion fills the box or circle with the base colour, under the mark.
        QStyleOptionButton hovered;
        if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
            hovered = *button;
        } else {
            hovered.QStyleOption::operator=(*option);
        }
        hovered.palette.setColor(QPalette::Base, hoverFill(option->palette.base().color(), option->palette));
        QProxyStyle::drawPrimitive(element, &hovered, painter, widget);
    } else {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    if (!indicator && element != PE_FrameLineEdit) {
        return;
    }
    // A field shows focus while it has it, however it came; the others only when it came by keyboard.
    const bool focused =
        element == PE_FrameLineEdit ? bool(option->state & State_HasFocus) : showsKeyboardFocus(*option);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPen pen = edgePen(*option, focused);
    if (element == PE_IndicatorCheckBox) {
        strokeBoxEdge(*painter, option->rect, pen);
    } else if (element == PE_IndicatorRadioButton) {
        strokeCircleEdge(*painter, option->rect, pen);
    } else {
        strokeFieldEdge(*painter, option->rect, pen);
    }
    painter->restore();
}

} // namespace huddlepod
