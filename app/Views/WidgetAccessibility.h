// Registers, once, the accessible interfaces of the painted widgets with Qt's accessibility framework, and
// tells assistive technologies what changed in them.
#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

namespace huddlepod {

// Each painted widget calls this from its constructor; only the first call does anything.
void installWidgetAccessibility();

// A child of the widget's interface (counted as its children are) became the selected one: a segment, a
// result row, a list's value.
void announceSelection(QWidget* widget, int child);
// A child of the widget's interface became the current one while the keyboard focus is in the widget.
void announceFocus(QWidget* widget, int child);
// The spoken name of the widget (child −1) or of one of its children changed.
void announceNameChange(QWidget* widget, int child = -1);
// A list picker's value changed: its label button says the new one.
void announcePickedValue(QWidget* picker);
// Says a text once, as a notification of the source's window (a status shown, a page opened).
void announce(QWidget* source, const QString& text);

// A plain widget read with a role of its own rather than as a filler: a window, a dialog, a list.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace huddlepod
