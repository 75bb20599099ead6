// Selection owners asked of and followed on Qt's own X connection.
#include "platform/x11/SelectionOwner.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Native.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace huddlepod::x11 {

namespace {

bool isOwned(xcb_connection_t* connection, xcb_atom_t selection) {
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace

int displayScreen() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon < 0 || dot < 0) {
        return 0;
    }
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

bool hasSelectionOwner(const QByteArray& selection) {
    xcb_connection_t* connection = qtConnection();
    return connection != nullptr && isOwned(connection, internAtom(connection, selection));
}

SelectionOwnerWatcher::SelectionOwnerWatcher(const QByteArray& selection, QObject* parent)
    : QObject(parent) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return;
    }
    selection_ = internAtom(connection, selection);
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present && selection_ != XCB_ATOM_NONE) {
        // Any client must agree on a version before its first XFixes request; Qt has, but this costs one
        // trip.
        std::free(xcb_xfixes_query_version_reply(
            connection,
            xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        xfixesEvent_ = xfixes->first_event;
        xcb_xfixes_select_selection_input(connection, rootWindow(connection), selection_,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    // Asked after selecting the events, so no change falls between the two.
    owned_ = isOwned(connection, selection_);
}

SelectionOwnerWatcher::~SelectionOwnerWatcher() {
    if (xfixesEvent_ != 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool SelectionOwnerWatcher::refresh() {
    if (xcb_connection_t* connection = qtConnection()) {
        set(isOwned(connection, selection_));
    }
    return owned_;
}

void SelectionOwnerWatcher::set(bool owned) {
    if (owned != owned_) {
        owned_ = owned;
        emit ownerChanged(owned);
    }
}

bool SelectionOwnerWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (xfixesEvent_ == 0 || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == selection_) {
        // Acted on outside the event dispatch: the handlers may reshape windows.
        const bool owned = notify->owner != XCB_WINDOW_NONE;
        QMetaObject::invokeMethod(
            this, [this, owned] { set(owned); }, Qt::QueuedConnection);
    }
    return false;
}

} // namespace huddlepod::x11
