// Translates a physical key through the X server's XKB keymap with xkbcommon-x11.
#include "platform/x11/KeyboardLayout.h"

#include "platform/x11/KeyCodes.h"
#include "platform/x11/X11Connection.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <memory>

namespace huddlepod::x11 {

namespace {

struct XkbDeleter {
    void operator()(xkb_context* p) const { xkb_context_unref(p); }
    void operator()(xkb_keymap* p) const { xkb_keymap_unref(p); }
    void operator()(xkb_state* p) const { xkb_state_unref(p); }
};

bool isAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

std::optional<QString> unshiftedText(xkb_keymap* keymap, std::uint8_t xKeycode, xkb_layout_index_t layout) {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, xKeycode, layout, 0, &syms) < 1) {
        return std::nullopt;
    }
    std::array<char, 64> buffer{};
    if (xkb_keysym_to_utf8(syms[0], buffer.data(), buffer.size()) < 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(buffer.data()); // empty for keys that type nothing
}

// Whether the layout types an ASCII letter on the key where a US keyboard has A.
bool isLatin(xkb_keymap* keymap, xkb_layout_index_t layout) {
    constexpr std::uint8_t kAPosition = 38;
    const std::optional<QString> text = unshiftedText(keymap, kAPosition, layout);
    return text && !text->isEmpty() && isAscii(*text);
}

std::optional<QString> translate(xcb_connection_t* connection, std::uint8_t xKeycode) {
    if (xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                    nullptr) != 1) {
        return std::nullopt;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0) {
        return std::nullopt;
    }
    std::unique_ptr<xkb_context, XkbDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) {
        return std::nullopt;
    }
    std::unique_ptr<xkb_keymap, XkbDeleter> keymap(
        xkb_x11_keymap_new_from_device(context.get(), connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return std::nullopt;
    }
    std::unique_ptr<xkb_state, XkbDeleter> state(
        xkb_x11_state_new_from_device(keymap.get(), connection, device));
    if (!state) {
        return std::nullopt;
    }
    const xkb_layout_index_t active = xkb_state_key_get_layout(state.get(), xKeycode);
    if (active == XKB_LAYOUT_INVALID) {
        return std::nullopt;
    }
    // The active layout when it is a Latin one, else the first Latin layout the keymap holds, as a Cyrillic
    // or Greek layout usually sits next to one whose letters name the keys.
    xkb_layout_index_t layout = active;
    if (!isLatin(keymap.get(), active)) {
        for (xkb_layout_index_t candidate = 0; candidate < xkb_keymap_num_layouts(keymap.get());
             ++candidate) {
            if (isLatin(keymap.get(), candidate)) {
                layout = candidate;
                break;
            }
        }
    }
    return unshiftedText(keymap.get(), xKeycode, layout);
}

} // namespace

std::optional<QString> layoutCharacterForKeyCode(std::int64_t keyCode) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr) {
        return usCharacterForKeyCode(keyCode);
    }
    const std::optional<std::uint8_t> xKeycode = xKeycodeForKeyCode(keyCode);
    if (!xKeycode) {
        return std::nullopt;
    }
    return translate(connection, *xKeycode);
}

} // namespace huddlepod::x11
