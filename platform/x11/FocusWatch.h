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
