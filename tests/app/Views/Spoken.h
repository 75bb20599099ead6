// What a screen reader says for a part of a view.
#pragma once

#include <QAccessible>
#include <QStringList>
#include <QWidget>

namespace huddlepod::testsupport {

// Depth first: each visible element's name, with its hint in brackets.
inline void speak(QAccessibleInterface* element, QStringList& said) {
    if (element == nullptr || element->state().invisible) {
        return;
    }
    const QString name = element->text(QAccessible::Name);
    const QString hint = element->text(QAccessible::Description);
    if (!name.isEmpty()) {
        said << name + (hint.isEmpty() ? QString() : " (" + hint + ")");
    }
    for (int i = 0; i < element->childCount(); ++i) {
        speak(element->child(i), said);
    }
}

inline QStringList spoken(QWidget* widget) {
    QStringList said;
    speak(QAccessible::queryAccessibleInterface(widget), said);
    return said;
}

} // namespace huddlepod::testsupport
