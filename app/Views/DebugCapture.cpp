// Capture rectangles over Qt's screens and window ids, and the dump over Qt's accessible interfaces.
#include "app/Views/DebugCapture.h"

#include "app/DebugDriver.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QMetaEnum>
#include <QScreen>
#include <QWidget>

namespace huddlepod::DebugDriver {

namespace {

QString roleName(QAccessible::Role role) {
    const char* key = QMetaEnum::fromType<QAccessible::Role>().valueToKey(role);
    return key ? QString::fromLatin1(key) : QString::number(role);
}

void walk(QAccessibleInterface* element, int depth, int limit, AccessibilityTree& tree) {
    if (!element || !element->isValid() || tree.lines.size() >= limit || element->state().invisible) {
        return;
    }
    const QString label = element->text(QAccessible::Name);
    const QString text = label.isEmpty() ? element->text(QAccessible::Value) : label;
    const QString role = element->role() == QAccessible::NoRole ? QString() : roleName(element->role());
    const QString indent(2 * depth, u' ');
    const int children = element->childCount();
    if (!text.isEmpty()) {
        ++tree.labelled;
        tree.lines.append(indent + u'[' + role + u'/' +
                          (label.isEmpty() ? QStringLiteral("value") : QStringLiteral("label")) +
                          QStringLiteral("] ") + text);
    } else if (children == 0 && !role.isEmpty()) {
        ++tree.unlabelled;
        tree.lines.append(indent + u'[' + role + QStringLiteral("] <no label>"));
    }
    for (int i = 0; i < children; ++i) {
        walk(element->child(i), depth + 1, limit, tree);
    }
}

} // namespace

AccessibilityTree accessibilityTree(QWidget* view, int limit) {
    AccessibilityTree tree;
    if (view) {
        walk(QAccessible::queryAccessibleInterface(view), 0, limit, tree);
    }
    return tree;
}

void logCaptureRect(const QString& name, QWidget* window, std::optional<QRect> frame) {
    if (!isCapturing() || !window) {
        return;
    }
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect shown = frame.value_or(window->frameGeometry());
    for (const QString& line : captureRectLines(name, shown, screen->geometry(), window->winId())) {
        log(line);
    }
}

void logStatusMenuRect(std::optional<QRect> anchor) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!isCapturing() || !anchor || !screen) {
        return;
    }
    // The right edge as the far side of the frame (x + width), not Qt's last pixel column.
    const QRect frame = screen->geometry();
    log(statusMenuRectLine(*anchor, QRectF(frame)));
}

void dumpAccessibilityTree(QWidget* view, int limit) {
    if (!dumpsAccessibilityTree() || !view) {
        return;
    }
    const AccessibilityTree tree = accessibilityTree(view, limit);
    log(QStringLiteral("AX-TREE %1 labelled, %2 unlabelled leaves").arg(tree.labelled).arg(tree.unlabelled));
    for (const QString& line : tree.lines) {
        log(QStringLiteral("AX  ") + line);
    }
    log(QStringLiteral("AX-TREE-END"));
}

} // namespace huddlepod::DebugDriver
