// Tells when the user presses a mouse button outside the application's windows: XInput2 raw button presses
// on the root window, or, where those are not to be had, the application turning inactive.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace huddlepod::x11 {

class OutsideClickMonitor : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // `isOurs` tells whether a global point lies on one of our windows (the panel, a popup, the tray icon).
    // `onOutsideClick` runs on a later turn of the event loop.
    OutsideClickMonitor(std::function<bool(QPoint)> isOurs, std::function<void()> onOutsideClick,
                        QObject* parent = nullptr);
    ~OutsideClickMonitor() override;

    bool usesRawButtons() const { return opcode_ != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // A raw press tells neither where nor on which window it happened; a press on one of our windows follows
    // it with the same time and where the button went down. Without one by the time a message we send
    // ourselves on the raw press comes back, where the pointer is then.
    struct PendingPress {
        uint32_t time;
        std::optional<QPoint> at;
    };
    void settle();
    void press(QPoint at);

    std::function<bool(QPoint)> isOurs_;
    std::function<void()> onOutsideClick_;
    uint8_t opcode_ = 0;
    xcb_window_t marker_ = XCB_WINDOW_NONE; // unmapped, ours: the message goes there
    std::optional<PendingPress> pending_;
};

} // namespace huddlepod::x11
