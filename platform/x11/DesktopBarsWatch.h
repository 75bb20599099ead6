// The desktop's bars kept between shows: read once, and again only when the X server tells of a change, so
// that placing the panel asks the server nothing.
#pragma once

#include "platform/x11/DesktopBars.h"

#include <xcb/xcb.h>

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod::x11 {

class OwnConnection;

// Follows, on a connection of its own (its event selections never disturb Qt's), the root window's work
// area, client list and current desktop, every top-level window's strut and type, windows mapped, and the
// bars' windows (and the frames holding them) moving, unmapping or going away. Off X it holds no bars.
class DesktopBarsWatch : public QObject {
    Q_OBJECT

public:
    // How the bars are read on the watch's connection (readDesktopBars, unless a test counts the reads).
    using Reader = std::function<DesktopBars(xcb_connection_t*, std::uint32_t eventMask,
                                             std::vector<std::uint32_t>* holders)>;

    // The one for the application, made on first use; lives as long as the application object.
    static DesktopBarsWatch& shared();

    explicit DesktopBarsWatch(Reader read = readDesktopBars, QObject* parent = nullptr);
    ~DesktopBarsWatch() override;

    // The bars as last read; read again first when a change has been told and not yet read.
    const DesktopBars& current();
    // The bar holding a point in Qt's global coordinates, of the bars as current() has them.
    std::optional<Bar> barAt(QPoint point);

private:
    void take(const xcb_generic_event_t& event);
    void reread();
    // Something may have changed: read again before the bars are next used, and on the next turn (`known`)
    // or a moment later.
    void changed(bool known);

    Reader read_;
    std::unique_ptr<OwnConnection> x_;
    std::vector<std::uint32_t> rootAtoms_;   // the work area, the client list, the current desktop
    std::vector<std::uint32_t> windowAtoms_; // a window's struts and type
    DesktopBars bars_;
    std::vector<std::uint32_t> holders_; // sorted
    bool stale_ = true;
    QTimer again_; // the read after a change
};

} // namespace huddlepod::x11
