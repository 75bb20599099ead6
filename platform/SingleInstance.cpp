// The single-instance guard, all on the X display: a selection per user names who runs (held for the
// process's life and dropped by the server when it ends), and a later start asks its owner to convert it to a
// target of ours, which the running copy answers only while its event loop runs. Only clients the display
// lets in can ask.
#include "platform/SingleInstance.h"
#include "platform/x11/X11Native.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xfixes.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace huddlepod {

namespace {

using x11::Reply;
using Clock = std::chrono::steady_clock;

// While a running copy takes back a selection it lost, a later start asks again this often.
constexpr std::chrono::milliseconds retakeInterval{20};

xcb_window_t selectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

// The window a property read names; none when it names none.
xcb_window_t windowIn(const xcb_get_property_reply_t* reply) {
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply) != 4) {
        return XCB_WINDOW_NONE;
    }
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
}

// The window a property names; none when it names none or the window is gone.
xcb_window_t windowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    xcb_generic_error_t* error = nullptr;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1), &error));
    std::free(error);
    return windowIn(reply.get());
}

void setWindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                       xcb_window_t value) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_WINDOW, 32, 1, &value);
}

// Waits until the server has sent something or `deadline` has passed; false once it has passed (or the
// connection broke).
bool awaitServer(xcb_connection_t* connection, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (xcb_connection_has_error(connection) != 0 || left.count() <= 0) {
        return false;
    }
    pollfd readable{xcb_get_file_descriptor(connection), POLLIN, 0};
    ::poll(&readable, 1, static_cast<int>(left.count()));
    return true;
}

// The next event, waiting for it on the connection until `deadline`; null when none came (or the connection
// broke).
Reply<xcb_generic_event_t> nextEvent(xcb_connection_t* connection, Clock::time_point deadline) {
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            return Reply<xcb_generic_event_t>(event);
        }
        if (!awaitServer(connection, deadline)) {
            return nullptr;
        }
    }
}

// Waits for the server to have handled every request sent so far, until `deadline`; whatever it sent before
// is then in xcb's event queue. False when it did not answer in time (or the connection broke).
bool roundTrip(xcb_connection_t* connection, Clock::time_point deadline) {
    const xcb_get_input_focus_cookie_t cookie = xcb_get_input_focus(connection);
    xcb_flush(connection);
    for (;;) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection, cookie.sequence, &reply, &error) != 0) {
            const bool answered = reply != nullptr;
            std::free(reply);
            std::free(error);
            return answered;
        }
        if (!awaitServer(connection, deadline)) {
            return false;
        }
    }
}

} // namespace

SingleInstance::SingleInstance(QByteArray display, std::chrono::milliseconds answerWithin, QObject* parent)
    : QObject(parent)
    , display_(std::move(display))
    , answerWithin_(answerWithin) {}

SingleInstance::~SingleInstance() {
    events_.reset();
    if (connection_) {
        xcb_disconnect(connection_); // the server gives the selection up
    }
}

QByteArray SingleInstance::standardDisplay() {
    return qgetenv("DISPLAY");
}

bool SingleInstance::openDisplay() {
    connection_ = xcb_connect(display_.constData(), nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        error_ = QStringLiteral("cannot open X display %1").arg(QString::fromLocal8Bit(display_));
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return false;
    }
    // Named for the user: other users on the display run copies of their own.
    const QByteArray user = QByteArray::number(::geteuid());
    const std::array<QByteArray, 4> names{"_HUDDLEPOD_S" + user, QByteArrayLiteral("_HUDDLEPOD_SHOW"),
                                          QByteArrayLiteral("_HUDDLEPOD_SHOWN"), "_HUDDLEPOD_W" + user};
    std::array<xcb_intern_atom_cookie_t, 4> cookies{};
    for (size_t i = 0; i < names.size(); ++i) {
        cookies[i] =
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(names[i].size()), names[i].constData());
    }
    std::array<xcb_atom_t, 4> atoms{};
    for (size_t i = 0; i < names.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    if (std::find(atoms.begin(), atoms.end(), xcb_atom_t{XCB_ATOM_NONE}) != atoms.end()) {
        error_ = QStringLiteral("the X display does not answer");
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return false;
    }
    atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3]};

    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    createWindow();
    // Told when the selection changes hands, a running copy takes it back once another client lets go.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present) {
        std::free(xcb_xfixes_query_version_reply(
            connection_,
            xcb_xfixes_query_version(connection_, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        xfixesEvent_ = xfixes->first_event;
        xcb_xfixes_select_selection_input(connection_, root_, atoms_.selection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    return true;
}

SingleInstance::Claim SingleInstance::claim() {
    if (claimed_) {
        return Claim::first;
    }
    if (display_.isEmpty()) {
        error_ = QStringLiteral("no X display");
        return Claim::unguarded;
    }
    if (!connection_ && !openDisplay()) {
        return Claim::unguarded;
    }
    const Clock::time_point deadline = Clock::now() + answerWithin_;
    for (;;) {
        xcb_grab_server(connection_);
        const xcb_window_t owner = selectionOwner(connection_, atoms_.selection);
        if (owner == XCB_WINDOW_NONE && !runsWithoutSelection()) {
            break;
        }
        xcb_ungrab_server(connection_);
        xcb_flush(connection_);
        if (owner != XCB_WINDOW_NONE) {
            return handOver(deadline);
        }
        // A copy runs but another client has just let go of its selection: it takes it back at once, unless
        // it is stopped.
        nextEvent(connection_, std::min(deadline, Clock::now() + retakeInterval));
        if (Clock::now() >= deadline) {
            error_ = QStringLiteral("it does not answer");
            return Claim::unreachable;
        }
    }
    // The window names itself, and the root window names it, so that a later start knows this copy runs
    // while the selection is briefly someone else's.
    setWindowProperty(connection_, window_, atoms_.running, window_);
    setWindowProperty(connection_, root_, atoms_.running, window_);
    xcb_set_selection_owner(connection_, window_, atoms_.selection, XCB_CURRENT_TIME);
    xcb_ungrab_server(connection_);
    if (selectionOwner(connection_, atoms_.selection) != window_) {
        error_ = QStringLiteral("the X display did not give this copy its selection");
        return Claim::unguarded;
    }
    claimed_ = true;
    events_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    connect(events_.get(), &QSocketNotifier::activated, this, &SingleInstance::readEvents);
    // What came during the claim already waits in xcb's queue, where the notifier does not look.
    QMetaObject::invokeMethod(this, &SingleInstance::readEvents, Qt::QueuedConnection);
    return Claim::first;
}

bool SingleInstance::runsWithoutSelection() {
    const xcb_window_t running = windowProperty(connection_, root_, atoms_.running);
    return running != XCB_WINDOW_NONE && windowProperty(connection_, running, atoms_.running) == running;
}

void SingleInstance::createWindow() {
    window_ = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
}

SingleInstance::Claim SingleInstance::handOver(Clock::time_point deadline) {
    // The window says it asks for as long as it is there: the running copy answers no window that does not.
    setWindowProperty(connection_, window_, atoms_.show, window_);
    xcb_convert_selection(connection_, window_, atoms_.selection, atoms_.show, atoms_.answer,
                          XCB_CURRENT_TIME);
    xcb_flush(connection_);
    std::optional<Claim> answered;
    // Looks through the events `next` gives until the answer or the first null.
    const auto lookFor = [&](const auto& next) {
        while (!answered) {
            const Reply<xcb_generic_event_t> event = next();
            if (!event) {
                return;
            }
            answered = answerIn(event.get());
        }
    };
    lookFor([&] { return nextEvent(connection_, deadline); });
    if (!answered) {
        // Given up: the window goes, so that a copy that reads the request later (once it runs again) does
        // not show its panel for no one. The copy answers under a server grab, so an answer either came
        // before the window went, and counts, or never comes.
        xcb_destroy_window(connection_, window_);
        if (roundTrip(connection_, Clock::now() + answerWithin_)) {
            lookFor([&] { return Reply<xcb_generic_event_t>(xcb_poll_for_event(connection_)); });
        }
        createWindow();
    }
    if (!answered) {
        error_ = QStringLiteral("it does not answer");
        return Claim::unreachable;
    }
    return *answered;
}

// The answer to this start's request, when `event` is it.
std::optional<SingleInstance::Claim> SingleInstance::answerIn(const void* event) {
    if ((static_cast<const xcb_generic_event_t*>(event)->response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
        return std::nullopt;
    }
    const auto& notify = *static_cast<const xcb_selection_notify_event_t*>(event);
    if (notify.requestor != window_ || notify.selection != atoms_.selection || notify.target != atoms_.show) {
        return std::nullopt;
    }
    if (notify.property == XCB_ATOM_NONE) {
        error_ = QStringLiteral("it turned the request down");
        return Claim::unreachable;
    }
    return Claim::handedOver;
}

void SingleInstance::readEvents() {
    std::vector<xcb_selection_request_event_t> shows;
    while (const Reply<xcb_generic_event_t> event =
               Reply<xcb_generic_event_t>(xcb_poll_for_event(connection_))) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            const auto& request = *reinterpret_cast<const xcb_selection_request_event_t*>(event.get());
            // Only the panel is asked for, into a property of the asker's; anything else is turned down.
            if (request.selection == atoms_.selection && request.target == atoms_.show &&
                request.property != XCB_ATOM_NONE) {
                shows.push_back(request);
            } else {
                notify(request, false);
            }
        } else if (xfixesEvent_ != 0 && type == xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY &&
                   reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event.get())->owner ==
                       XCB_WINDOW_NONE) {
            takeBack();
        }
    }
    const bool asked = !shows.empty() && answer(shows);
    if (!shows.empty()) {
        // Events that came during the answer's round trip wait in xcb's queue, where the notifier does not
        // look.
        QMetaObject::invokeMethod(this, &SingleInstance::readEvents, Qt::QueuedConnection);
    }
    xcb_flush(connection_);
    if (xcb_connection_has_error(connection_) != 0) {
        events_->setEnabled(false); // a broken connection reads as ready for ever
    }
    // However many asked at once, the panel is asked for once.
    if (asked) {
        emit showRequested();
    }
}

bool SingleInstance::answer(const std::vector<xcb_selection_request_event_t>& requests) {
    // A request is acted on only while its start still waits for the answer: its window is there and says it
    // asks (a start that gives up destroys it). Under a grab, so that none goes between the look and the
    // answer; the looks go out together, one round trip however many asked.
    xcb_grab_server(connection_);
    std::vector<xcb_get_property_cookie_t> looks;
    looks.reserve(requests.size());
    for (const xcb_selection_request_event_t& request : requests) {
        looks.push_back(
            xcb_get_property(connection_, 0, request.requestor, atoms_.show, XCB_ATOM_WINDOW, 0, 1));
    }
    bool shown = false;
    for (size_t i = 0; i < requests.size(); ++i) {
        const xcb_selection_request_event_t& request = requests[i];
        xcb_generic_error_t* error = nullptr;
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, looks[i], &error));
        const bool gone = error != nullptr && error->error_code == XCB_WINDOW;
        std::free(error);
        if (gone) {
            continue; // no one to answer
        }
        const bool asks = windowIn(reply.get()) == request.requestor;
        if (asks) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                XCB_ATOM_ATOM, 32, 1, &atoms_.show);
        }
        notify(request, asks);
        shown = shown || asks;
    }
    xcb_ungrab_server(connection_);
    return shown;
}

void SingleInstance::notify(const xcb_selection_request_event_t& request, bool granted) {
    // The server sends an event of 32 bytes, more than the notify's own.
    std::array<char, 32> buffer{};
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = granted ? request.property : xcb_atom_t{XCB_ATOM_NONE};
    std::memcpy(buffer.data(), &notify, sizeof notify);
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, buffer.data());
}

void SingleInstance::takeBack() {
    // Under the grab, as when starting, so that no other client takes it between the look and the take.
    xcb_grab_server(connection_);
    if (selectionOwner(connection_, atoms_.selection) == XCB_WINDOW_NONE) {
        setWindowProperty(connection_, root_, atoms_.running, window_);
        xcb_set_selection_owner(connection_, window_, atoms_.selection, XCB_CURRENT_TIME);
    }
    xcb_ungrab_server(connection_);
}

} // namespace huddlepod
