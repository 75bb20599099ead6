// Keyboard use of the painted controls: the reading order Tab follows, the accent ring that shows where the
// keyboard is, and which keys are typing.
#pragma once

#include <QRectF>

#include <vector>

class QKeyEvent;
class QPainter;
class QWidget;

namespace huddlepod::KeyboardFocus {

// The widgets Tab stops at under root, in reading order: a laid-out widget's children in the order of its
// layout (which is the order on screen), others in the order they were made. Only shown, enabled widgets
// that take focus by Tab count.
std::vector<QWidget*> stops(QWidget* root);

// The stop after (or before) `from` among root's stops, going round; `from` itself when it is the only one,
// null when there is none or `from` is not one of them.
QWidget* neighbour(QWidget* root, QWidget* from, bool forward);

// A key that types text into a field: printable, without Ctrl, Alt or Super.
bool isTyping(const QKeyEvent& event);

// Space or Return (Enter included), without modifiers: what presses a focused control.
bool isActivation(const QKeyEvent& event);

// The accent ring around `around` (widget coordinates), kept inside the widget, in the focus colour of its
// look.
void paintRing(QPainter& painter, const QWidget& widget, const QRectF& around, qreal radius);

} // namespace huddlepod::KeyboardFocus
