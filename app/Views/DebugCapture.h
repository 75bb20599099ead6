// The debug driver's writers that look at windows: capture rectangles and the accessibility dump.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace huddlepod::DebugDriver {

struct AccessibilityTree {
    int labelled = 0;
    int unlabelled = 0;
    // One line per labelled element and per unlabelled leaf, indented two blanks per level.
    QStringList lines;
};

// Walks Qt's accessible interfaces from the widget down, skipping what is hidden, collecting at most `limit`
// lines.
AccessibilityTree accessibilityTree(QWidget* view, int limit);

// While capturing: the window's "CAPTURE-RECT" (y from its screen's top) and "CAPTURE-WINDOW" (its X window
// id) lines. `frame` is what the window shows of itself, where it is more than its content (a shadow around
// it); by default the window's frame.
void logCaptureRect(const QString& name, QWidget* window, std::optional<QRect> frame = std::nullopt);
// While capturing: the status menu's 320×300 rectangle at the top of the main screen, under the anchor.
void logStatusMenuRect(std::optional<QRect> anchor);
// When HUDDLEPOD_DEBUG_AXDUMP is "1": the "AX-TREE" header, the "AX  " lines and "AX-TREE-END".
void dumpAccessibilityTree(QWidget* view, int limit);

} // namespace huddlepod::DebugDriver
