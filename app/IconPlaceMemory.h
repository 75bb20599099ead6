// The tray icon's last known place, kept across restarts with the screen layout it was seen on, for a show
// that comes before the tray has told anything (the first shortcut after login on a StatusNotifier tray).
#pragma once

#include <QRect>

#include <optional>
#include <vector>

class QSettings;

namespace huddlepod {

// Stored under "statusItem.lastIconPlace": "x", "y", "width", "height" (Qt's global coordinates) and
// "screens", every screen's rectangle as "x,y,width,height" joined by ";", in the screens' order.
class IconPlaceMemory {
public:
    static constexpr const char* key = "statusItem.lastIconPlace";

    explicit IconPlaceMemory(QSettings& defaults);

    // The place last remembered, while the screens are still laid out as they were then; else none.
    std::optional<QRect> place(const std::vector<QRect>& screens) const;
    // Writes only what changed: a click at the same place costs nothing.
    void remember(const QRect& place, const std::vector<QRect>& screens);

private:
    QSettings* defaults_;
};

} // namespace huddlepod
