// The single-instance guard: the X display carries who runs (a selection per user, held for the process's
// life and dropped by the server when it ends), the handover channel carries the request for the panel.
#include "platform/SingleInstance.h"
#include "platform/x11/X11Native.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdlib>
#include <unistd.h>

namespace huddlepod {

namespace {

using x11::Reply;

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t selectionOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    const Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

QByteArray stringProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_STRING, 0, 64), nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get())};
}

} // namespace

SingleInstance::SingleInstance(QByteArray display, QObject* parent)
    : SingleInstance(std::move(display), HandoverChannel::Limits{}, parent) {}

SingleInstance::SingleInstance(QByteArray display, HandoverChannel::Limits limits, QObject* parent)
    : QObject(parent)
    , display_(std::move(display))
    , channel_(limits) {
    connect(&channel_, &HandoverChannel::showRequested, this, &SingleInstance::showRequested);
}

SingleInstance::~SingleInstance() {
    events_.reset();
    if (connection_) {
        xcb_disconnect(connection_); // the server gives the selection up
    }
}

QByteArray SingleInstance::standardDisplay() {
    return qgetenv("DISPLAY");
}

SingleInstance::Claim SingleInstance::claim() {
    if (claimed_) {
        return Claim::first;
    }
    if (display_.isEmpty()) {
        error_ = QStringLiteral("no X display");
        return Claim::unguarded;
    }
    if (!connection_) {
        connection_ = xcb_connect(display_.constData(), nullptr);
    }
    if (xcb_connection_has_error(connection_) != 0) {
        error_ = QStringLiteral("cannot open X display %1").arg(QString::fromLocal8Bit(display_));
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return Claim::unguarded;
    }
    // Named for the user: other users on the display run copies of their own.
    const xcb_atom_t selection = atom(connection_, "_HUDDLEPOD_S" + QByteArray::number(::geteuid()));
    const xcb_atom_t channelProperty = atom(connection_, QByteArrayLiteral("_HUDDLEPOD_HANDOVER"));
    if (selection == XCB_ATOM_NONE || channelProperty == XCB_ATOM_NONE) {
        error_ = QStringLiteral("the X display does not answer");
        return Claim::unguarded;
    }
    // Without a channel this copy still runs and holds the display; later starts then say they cannot reach
    // it.
    const bool listening = channel_.listen();

    xcb_grab_server(connection_);
    const xcb_window_t owner = selectionOwner(connection_, selection);
    if (owner != XCB_WINDOW_NONE) {
        const QByteArray channelName = stringProperty(connection_, owner, channelProperty);
        xcb_ungrab_server(connection_);
        xcb_flush(connection_);
        return handOver(channelName);
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    if (listening) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, channelProperty, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(channel_.name().size()), channel_.name().constData());
    }
    xcb_set_selection_owner(connection_, window, selection, XCB_CURRENT_TIME);
    xcb_ungrab_server(connection_);
    if (selectionOwner(connection_, selection) != window) {
        error_ = QStringLiteral("the X display did not give this copy its selection");
        return Claim::unguarded;
    }
    claimed_ = true;
    if (!listening) {
        error_ = channel_.errorString();
    }
    // The server queues a few events for the selection's owner; read them so none pile up.
    events_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    connect(events_.get(), &QSocketNotifier::activated, this, &SingleInstance::readEvents);
    return Claim::first;
}

SingleInstance::Claim SingleInstance::handOver(const QByteArray& channelName) {
    if (channelName.isEmpty()) {
        error_ = QStringLiteral("it does not say where to reach it");
        return Claim::unreachable;
    }
    switch (HandoverChannel::sendShow(channelName)) {
    case HandoverChannel::Delivery::sent:
        return Claim::handedOver;
    case HandoverChannel::Delivery::notOurs:
        error_ = QStringLiteral("what answers belongs to another user");
        return Claim::unreachable;
    case HandoverChannel::Delivery::busy:
        error_ = QStringLiteral("it takes no connections now");
        return Claim::unreachable;
    case HandoverChannel::Delivery::gone:
        break;
    }
    error_ = QStringLiteral("it does not listen");
    return Claim::unreachable;
}

void SingleInstance::readEvents() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        std::free(event);
    }
}

} // namespace huddlepod
