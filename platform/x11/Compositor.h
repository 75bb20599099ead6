// Whether a compositing manager runs, so windows can be translucent and cast soft shadows, and when that
// changes.
#pragma once

#include <QObject>

namespace huddlepod {

namespace x11 {
class SelectionOwnerWatcher;
}

// On X11: the _NET_WM_CM_S<screen> selection has an owner, asked of the server now. Wayland always
// composites; the offscreen and other image-backed platforms honour alpha as well.
bool isCompositingActive();

// Follows the compositing manager while the application runs: on X11 through XFixes selection-owner events
// for _NET_WM_CM_S<screen> on Qt's connection. Elsewhere it never changes.
class CompositingMonitor : public QObject {
    Q_OBJECT

public:
    // The one for the application, made on first use; lives as long as the application object.
    static CompositingMonitor& shared();

    bool isActive() const { return active_; }
    // Asks the server again (a change may not have been reported yet); emits changed() when it differs.
    bool refresh();
    // The state as followed; asked of the server again only where its changes go unreported.
    bool current();

signals:
    void changed(bool active);

private:
    explicit CompositingMonitor(QObject* parent);
    ~CompositingMonitor() override;
    void set(bool active);

    bool active_ = true;
    x11::SelectionOwnerWatcher* owner_ = nullptr; // a child; none off X11
};

} // namespace huddlepod
