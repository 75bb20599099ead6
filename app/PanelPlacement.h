// The panel's remembered position once the user has dragged it away from the tray icon.
#pragma once

#include <QPointF>

#include <optional>

class QSettings;

namespace huddlepod {

// Stored under "panel.detachedOrigin" with the entries "x" and "y": the panel's top-left corner in Qt's
// global coordinates. Absent means attached under the tray icon.
class PanelPlacement {
public:
    static constexpr const char* detachedOriginKey = "panel.detachedOrigin";

    explicit PanelPlacement(QSettings& defaults);

    // None unless both entries are finite numbers; a malformed value is left stored as it is.
    std::optional<QPointF> detachedOrigin() const;
    void setDetachedOrigin(QPointF origin);
    void removeDetachedOrigin();

private:
    QSettings* defaults_;
};

} // namespace huddlepod
