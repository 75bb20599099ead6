// Passive key grabs on the root window over Qt's own xcb connection.
#pragma once

#include "platform/x11/KeyGrabber.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <map>
#include <optional>
#include <utility>

namespace huddlepod::x11 {

class X11KeyGrabber final : public KeyGrabber, public QAbstractNativeEventFilter {
public:
    explicit X11KeyGrabber(xcb_connection_t* connection);
    ~X11KeyGrabber() override;
    X11KeyGrabber(const X11KeyGrabber&) = delete;
    X11KeyGrabber& operator=(const X11KeyGrabber&) = delete;

    bool grab(KeyCombination combination) override;
    void ungrab(KeyCombination combination) override;
    bool isHeldElsewhere(KeyCombination combination) override;
    void setWatchesAllKeys(bool watches) override { watchesAllKeys_ = watches; }
    void setHandler(Handler handler) override { handler_ = std::move(handler); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    using XGrab = std::pair<std::uint8_t, std::uint16_t>; // keycode, modifier mask

    std::optional<XGrab> toX(KeyCombination combination) const;
    std::int64_t modifiersFromX(std::uint16_t state) const;
    bool grabAllLockVariants(XGrab grab);
    void ungrabAllLockVariants(XGrab grab);
    bool handlePress(std::uint8_t keycode, std::uint16_t state, bool fromGrab);
    bool handleRelease(std::uint8_t keycode);

    struct Pressed {
        KeyCombination combination;
        bool consumed = false;
    };

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::uint16_t numLockMask_;
    std::map<XGrab, int> grabs_; // our grabs with their counts
    std::map<std::uint8_t, Pressed> pressed_;
    bool watchesAllKeys_ = false;
    Handler handler_;
};

} // namespace huddlepod::x11
