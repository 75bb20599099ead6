// Where one of our windows lies on the screen while another client holds it (a tray its icon): kept between
// shows, and asked of the X server again only after it tells that the window, or a window holding it, has
// moved, changed size or changed hands.
#pragma once

#include <xcb/xcb.h>

#include <QObject>
#include <QRect>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod::x11 {

class OwnConnection;

// Where a window lies on the root, asked in one trip; none while its parent is the root. With `chain`, the
// window and every window holding it are watched first (each a trip up) and listed there, so that no change
// falls between the answer and the watch.
std::optional<QRect> readWindowPlace(xcb_connection_t* connection, std::uint32_t window,
                                     std::vector<std::uint32_t>* chain);

class WindowPlaceWatch : public QObject {
    Q_OBJECT

public:
    // How the place is read (readWindowPlace, unless a test counts the reads).
    using Reader = std::function<std::optional<QRect>(xcb_connection_t*, std::uint32_t window,
                                                      std::vector<std::uint32_t>* chain)>;

    explicit WindowPlaceWatch(Reader read = readWindowPlace, QObject* parent = nullptr);
    ~WindowPlaceWatch() override;

    // The window's rectangle in Qt's global coordinates; none while it lies on the root itself (nothing
    // holds it) and off X. Without a connection of its own, asked on Qt's each time.
    std::optional<QRect> placeOf(std::uint32_t window);

private:
    void take(const xcb_generic_event_t& event);
    void changed();
    void reread();

    Reader read_;
    std::unique_ptr<OwnConnection> x_;
    std::uint32_t window_ = XCB_WINDOW_NONE;
    std::optional<QRect> place_;
    std::vector<std::uint32_t> chain_; // the window and those holding it, up to the root's child; sorted
    bool stale_ = true;
    QTimer again_; // the read after a change
};

} // namespace huddlepod::x11
