// A connection to the X server of our own, for following other clients' windows: its event selections never
// disturb Qt's, and its events reach a handler as the server sends them.
#pragma once

#include <xcb/xcb.h>

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace huddlepod::x11 {

// The window a structure event (configured, reparented, mapped, unmapped, destroyed) is about; none for
// other events.
xcb_window_t structureEventWindow(const xcb_generic_event_t& event);

class OwnConnection : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    // Connects to the display Qt is on; none off X or when the server refuses.
    explicit OwnConnection(Handler onEvent, QObject* parent = nullptr);
    ~OwnConnection() override;

    // Null without a connection, and once it has broken.
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }
    // Whether a window is one of Qt's: its id comes from Qt's connection.
    bool isQtsWindow(xcb_window_t window) const { return (window & ~qtIdMask_) == qtIdBase_; }
    // Hands the handler what the server has sent by now, without waiting for more. Call it after a question
    // too: events that came in with the answer are off the socket, which will not tell of them again.
    void readEvents();

private:
    Handler onEvent_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::uint32_t qtIdBase_ = 0;
    std::uint32_t qtIdMask_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace huddlepod::x11
