// Reads the XSETTINGS manager's property on Qt's X connection and follows its changes.
#include "platform/workspace/XSettingsClient.h"

#include "platform/workspace/XSettingsFormat.h"
#include "platform/x11/SelectionOwner.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Native.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <cstdlib>

namespace huddlepod {

namespace {

// Managers publish a few kilobytes; more than this is not a settings blob.
constexpr std::uint32_t maximumBytes = 1 << 20;

XSettingsValues valuesOf(const xsettings::Settings& settings) {
    XSettingsValues values;
    const auto find = [&](const char* name) -> const xsettings::Value* {
        const auto found = settings.values.find(QByteArray(name));
        return found == settings.values.end() ? nullptr : &found->second;
    };
    if (const xsettings::Value* theme = find("Net/ThemeName")) {
        if (const auto* text = std::get_if<QByteArray>(theme)) {
            values.themeName = QString::fromUtf8(*text);
        }
    }
    const auto flag = [&](const char* name) -> std::optional<bool> {
        const xsettings::Value* value = find(name);
        const auto* number = value != nullptr ? std::get_if<std::int32_t>(value) : nullptr;
        return number != nullptr ? std::optional<bool>(*number != 0) : std::nullopt;
    };
    values.preferDark = flag("Gtk/ApplicationPreferDarkTheme");
    values.enableAnimations = flag("Gtk/EnableAnimations");
    return values;
}

} // namespace

XSettingsClient::XSettingsClient(Connection connection, QObject* parent)
    : QObject(parent) {
    // Qt's X connection belongs to a GUI application; a core application has none to ask for.
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    xcb_connection_t* x = connection == Connection::qt && gui ? x11::qtConnection() : nullptr;
    if (x == nullptr) {
        return;
    }
    selection_ = x11::internAtom(x, "_XSETTINGS_S" + QByteArray::number(x11::displayScreen()));
    settingsAtom_ = x11::internAtom(x, "_XSETTINGS_SETTINGS");
    managerAtom_ = x11::internAtom(x, "MANAGER");
    if (selection_ == XCB_ATOM_NONE || settingsAtom_ == XCB_ATOM_NONE || managerAtom_ == XCB_ATOM_NONE) {
        return;
    }
    // A new manager announces itself with a client message to the root window's structure listeners.
    const xcb_window_t root = x11::rootWindow(x);
    const x11::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, root), nullptr));
    const std::uint32_t current = attributes ? attributes->your_event_mask : 0;
    addedRootMask_ = XCB_EVENT_MASK_STRUCTURE_NOTIFY & ~current;
    if (addedRootMask_ != 0) {
        const std::uint32_t mask = current | addedRootMask_;
        xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    }
    following_ = true;
    QCoreApplication::instance()->installNativeEventFilter(this);
    // Read after listening, so no change falls between the two.
    refresh();
}

XSettingsClient::~XSettingsClient() {
    if (!following_ || QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_connection_t* x = x11::qtConnection();
    if (x == nullptr || addedRootMask_ == 0) {
        return;
    }
    const xcb_window_t root = x11::rootWindow(x);
    const x11::Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, root), nullptr));
    if (attributes) {
        const std::uint32_t mask = attributes->your_event_mask & ~addedRootMask_;
        xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x);
    }
}

void XSettingsClient::update(std::optional<QByteArrayView> blob) {
    std::optional<xsettings::Settings> settings;
    if (blob) {
        settings = xsettings::parse(*blob);
    }
    const XSettingsValues values = settings ? valuesOf(*settings) : XSettingsValues{};
    if (values != values_) {
        values_ = values;
        emit changed();
    }
}

void XSettingsClient::refresh() {
    refreshQueued_ = false;
    xcb_connection_t* x = x11::qtConnection();
    if (x == nullptr) {
        return;
    }
    const x11::Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, selection_), nullptr));
    const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
    if (window == XCB_WINDOW_NONE) {
        owner_ = 0;
        update(std::nullopt);
        return;
    }
    if (window != owner_) {
        // Its property changes and its end, added to what this connection (Qt's too) already selects there.
        // Checked: the manager may be gone already, and the error is ours.
        xcb_generic_error_t* gone = nullptr;
        const x11::Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), &gone));
        std::free(gone);
        const std::uint32_t mask = (attributes ? attributes->your_event_mask : 0u) |
                                   XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        const x11::Reply<xcb_generic_error_t> error(
            attributes ? xcb_request_check(
                             x, xcb_change_window_attributes_checked(x, window, XCB_CW_EVENT_MASK, &mask))
                       : nullptr);
        if (!attributes || error) {
            owner_ = 0;
            update(std::nullopt); // a later manager announces itself
            return;
        }
        owner_ = window;
    }
    xcb_generic_error_t* gone = nullptr;
    const x11::Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, settingsAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, maximumBytes / 4),
        &gone));
    std::free(gone); // gone since: its DestroyNotify follows
    if (!property || property->type == XCB_ATOM_NONE || property->format != 8 || property->bytes_after != 0) {
        update(QByteArrayView()); // gone, unset, or not a settings blob: no settings
        return;
    }
    update(QByteArrayView(static_cast<const char*>(xcb_get_property_value(property.get())),
                          xcb_get_property_value_length(property.get())));
}

bool XSettingsClient::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!following_ || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    bool ours = false;
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto* announce = reinterpret_cast<const xcb_client_message_event_t*>(event);
        ours = announce->type == managerAtom_ && announce->format == 32 &&
               announce->data.data32[1] == selection_;
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        ours = owner_ != 0 && change->window == owner_ && change->atom == settingsAtom_;
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (owner_ != 0 && destroyed->window == owner_) {
            owner_ = 0;
            ours = true;
        }
        break;
    }
    default:
        break;
    }
    // Read outside the dispatch of this event, once for a burst of them.
    if (ours && !refreshQueued_) {
        refreshQueued_ = true;
        QMetaObject::invokeMethod(this, &XSettingsClient::refresh, Qt::QueuedConnection);
    }
    return false;
}

} // namespace huddlepod
