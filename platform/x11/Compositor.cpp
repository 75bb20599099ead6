// Asks the X server, on Qt's own connection, whether a compositing manager owns its selection, and listens
// for the owner changing.
#include "platform/x11/Compositor.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <memory>

namespace huddlepod {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The screen number in DISPLAY (":0.1" is screen 1); 0 when it names none.
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

xcb_connection_t* qtConnection() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 == nullptr ? nullptr : x11->connection();
}

xcb_atom_t selectionAtom(xcb_connection_t* connection) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(displayScreen());
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr),
        &std::free);
    return atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool hasOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace

bool isCompositingActive() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return true;
    }
    xcb_connection_t* connection = qtConnection();
    return connection != nullptr && hasOwner(connection, selectionAtom(connection));
}

CompositingMonitor& CompositingMonitor::shared() {
    static QPointer<CompositingMonitor> monitor;
    if (!monitor) {
        monitor = new CompositingMonitor(QCoreApplication::instance());
    }
    return *monitor;
}

CompositingMonitor::CompositingMonitor(QObject* parent)
    : QObject(parent) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        active_ = isCompositingActive();
        return;
    }
    selection_ = selectionAtom(connection);
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present && selection_ != XCB_ATOM_NONE) {
        // Any client must agree on a version before its first XFixes request; Qt has, but this costs one
        // trip.
        std::free(xcb_xfixes_query_version_reply(
            connection,
            xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
            nullptr));
        xfixesEvent_ = xfixes->first_event;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_xfixes_select_selection_input(connection, screen->root, selection_,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    // Asked after selecting the events, so no change falls between the two.
    active_ = hasOwner(connection, selection_);
}

CompositingMonitor::~CompositingMonitor() {
    if (xfixesEvent_ != 0) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool CompositingMonitor::refresh() {
    if (xcb_connection_t* connection = qtConnection()) {
        set(hasOwner(connection, selection_));
    }
    return active_;
}

void CompositingMonitor::set(bool active) {
    if (active != active_) {
        active_ = active;
        emit changed(active);
    }
}

bool CompositingMonitor::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) {
        return false;
    }
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == selection_) {
        // Acted on outside the event dispatch: the handlers reshape windows.
        const bool active = notify->owner != XCB_WINDOW_NONE;
        QMetaObject::invokeMethod(
            this, [this, active] { set(active); }, Qt::QueuedConnection);
    }
    return false;
}

} // namespace huddlepod
