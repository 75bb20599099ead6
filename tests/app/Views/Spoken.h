// What a screen reader says for a part of a view.
#pragma once

#include <QAccessible>
#include <QMetaEnum>
#include <QStringList>
#include <QWidget>

#include <utility>

// Qt hands its update events to an installed handler only while the platform's accessibility is on, which
// nothing turns on under the offscreen platform. Qt's own tests turn it on through the platform interface,
// whose headers are not installed here: the three members used, as Qt exports them.
class QPlatformAccessibility {
public:
    void setActive(bool active);
};
class QPlatformIntegration {
public:
    QPlatformAccessibility* accessibility() const;
};
class QGuiApplicationPrivate {
public:
    static QPlatformIntegration* platform_integration;
};

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

// What a screen reader is told while this lives, one line per change it speaks: "selection ListItem Joe 1",
// "focus ListItem 1976", "name Button Week 2" (a spoken name changed) and "notice Notification Searching…"
// (a notification shown). Changes of things without a name, or of names not on screen, say nothing and are
// left out.
class HeardChanges {
public:
    HeardChanges() {
        current() = this;
        previous_ = QAccessible::installUpdateHandler(&record);
        QGuiApplicationPrivate::platform_integration->accessibility()->setActive(true);
    }
    ~HeardChanges() {
        QGuiApplicationPrivate::platform_integration->accessibility()->setActive(false);
        QAccessible::installUpdateHandler(previous_);
        current() = nullptr;
    }
    HeardChanges(const HeardChanges&) = delete;
    HeardChanges& operator=(const HeardChanges&) = delete;

    // What was heard since the last call.
    QStringList take() { return std::exchange(heard_, {}); }

private:
    static HeardChanges*& current() {
        static HeardChanges* recorder = nullptr;
        return recorder;
    }
    static void record(QAccessibleEvent* event) {
        QAccessibleInterface* element = event->accessibleInterface();
        if (current() == nullptr || element == nullptr || !element->isValid()) {
            return;
        }
        const QAccessible::Role role = element->role();
        QString kind;
        switch (event->type()) {
        case QAccessible::Selection:
            kind = QStringLiteral("selection");
            break;
        case QAccessible::Focus:
            kind = QStringLiteral("focus");
            break;
        case QAccessible::NameChanged:
            // Only what is on screen is read; a notification is heard when it shows, not when its text is
            // set.
            kind = role == QAccessible::Notification || element->state().invisible ? QString()
                                                                                   : QStringLiteral("name");
            break;
        case QAccessible::ObjectShow:
            kind = role == QAccessible::Notification ? QStringLiteral("notice") : QString();
            break;
        default:
            break;
        }
        const QString name = element->text(QAccessible::Name);
        if (!kind.isEmpty() && !name.isEmpty()) {
            current()->heard_ << kind + ' ' + QMetaEnum::fromType<QAccessible::Role>().valueToKey(role) +
                                     ' ' + name;
        }
    }

    QAccessible::UpdateHandler previous_ = nullptr;
    QStringList heard_;
};

} // namespace huddlepod::testsupport
