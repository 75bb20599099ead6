// Follows where the keyboard focus goes on the X server while it lives: to one of our windows, to a popup (a
// menu), to another program's window, or to nobody (no window, the root window, or the window manager's
// own window, where focus is left when the window that had it goes away).
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

class QWindow;

namespace huddlepod::x11 {

enum class FocusHolder { ours, popup, otherWindow, nobody };

// Where the focus is now; none off X11.
std::optional<FocusHolder> focusHolder();
// Gives the keyboard focus to the window now. (Qt asks with the time of the last event it saw, which the
// server ignores once the focus has moved since.)
void takeInputFocus(const QWindow& window);
// Asks for the keyboard focus for a window whose map has just been queued, sent with the map rather than once
// the window is seen mapped: where nothing holds the map back, the server gives the focus as it maps the
// window; a window manager that holds it back hears the request as an activation (_NET_ACTIVE_WINDOW) once it
// has taken the window in. No reply is waited for. False off X11.
bool focusWithMap(const QWindow& window);
// Maps a window that already carries every hint its map needs, with the focus asked for as above, in one go
// and without waiting for the server. False off X11.
bool mapWithFocus(const QWindow& window);

class FocusWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // `changed` runs on a later turn of the event loop, once as the watch begins and then once for each burst
    // of focus changes, with where the focus is then. Off X11 it never runs.
    explicit FocusWatch(std::function<void(FocusHolder)> changed, QObject* parent = nullptr);
    ~FocusWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void scheduleCheck();

    std::function<void(FocusHolder)> changed_;
    uint32_t activeWindowAtom_ = 0;
    bool checkScheduled_ = false;
};

} // namespace huddlepod::x11
