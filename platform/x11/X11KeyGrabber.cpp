// Grabs every lock variant of a combination at once, checks the grabs, and turns key events back into
// combinations.
#include "platform/x11/X11KeyGrabber.h"

#include "platform/x11/KeyCodes.h"
#include "platform/x11/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb_keysyms.h>
// xkb.h names a struct member `explicit`.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <array>
#include <cstdlib>
#include <utility>

namespace huddlepod::x11 {

namespace {

std::optional<RootPoint> pressBeingHandledAt;

constexpr xcb_keysym_t kNumLockKeysym = 0xff7f;
constexpr std::uint16_t kDefaultNumLockMask = XCB_MOD_MASK_2;
constexpr std::uint16_t kModifierMask =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// The modifier bit Num Lock sets in this server's modifier mapping.
std::uint16_t findNumLockMask(xcb_connection_t* connection) {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    if (symbols == nullptr) {
        return kDefaultNumLockMask;
    }
    xcb_keycode_t* numLockKeycodes = xcb_key_symbols_get_keycode(symbols, kNumLockKeysym);
    xcb_key_symbols_free(symbols);
    if (numLockKeycodes == nullptr) {
        return kDefaultNumLockMask;
    }
    std::uint16_t mask = kDefaultNumLockMask;
    xcb_get_modifier_mapping_reply_t* mapping =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (mapping != nullptr) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping);
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                for (const xcb_keycode_t* k = numLockKeycodes; keycode != 0 && *k != XCB_NO_SYMBOL; ++k) {
                    if (*k == keycode) {
                        mask = static_cast<std::uint16_t>(1U << modifier);
                    }
                }
            }
        }
        std::free(mapping);
    }
    std::free(numLockKeycodes);
    return mask;
}

// Holding a key then sends presses without releases in between, which the press bookkeeping drops.
void enableDetectableAutoRepeat(xcb_connection_t* connection) {
    std::free(xcb_xkb_use_extension_reply(connection, xcb_xkb_use_extension(connection, 1, 0), nullptr));
    std::free(xcb_xkb_per_client_flags_reply(
        connection,
        xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                 XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
        nullptr));
}

class NullKeyGrabber final : public KeyGrabber {
public:
    bool grab(KeyCombination) override { return false; }
    void ungrab(KeyCombination) override {}
    bool isHeldElsewhere(KeyCombination) override { return false; }
    void setWatchesAllKeys(bool) override {}
    void setHandler(Handler) override {}
};

} // namespace

X11KeyGrabber::X11KeyGrabber(xcb_connection_t* connection)
    : connection_(connection)
    , root_(rootWindow(connection))
    , numLockMask_(findNumLockMask(connection)) {
    enableDetectableAutoRepeat(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyGrabber::~X11KeyGrabber() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    for (const auto& [grab, count] : grabs_) {
        ungrabAllLockVariants(grab);
    }
    xcb_flush(connection_);
}

std::optional<X11KeyGrabber::XGrab> X11KeyGrabber::toX(KeyCombination combination) const {
    if ((combination.modifiers & ~ModifierBits::all) != 0) {
        return std::nullopt;
    }
    const std::optional<std::uint8_t> keycode = xKeycodeForKeyCode(combination.keyCode);
    if (!keycode) {
        return std::nullopt;
    }
    std::uint16_t mask = 0;
    const auto m = combination.modifiers;
    mask |= (m & ModifierBits::shift) != 0 ? XCB_MOD_MASK_SHIFT : 0;
    mask |= (m & ModifierBits::control) != 0 ? XCB_MOD_MASK_CONTROL : 0;
    mask |= (m & ModifierBits::option) != 0 ? XCB_MOD_MASK_1 : 0;
    mask |= (m & ModifierBits::command) != 0 ? XCB_MOD_MASK_4 : 0;
    return XGrab{*keycode, mask};
}

std::int64_t X11KeyGrabber::modifiersFromX(std::uint16_t state) const {
    std::int64_t modifiers = 0;
    modifiers |= (state & XCB_MOD_MASK_SHIFT) != 0 ? ModifierBits::shift : 0;
    modifiers |= (state & XCB_MOD_MASK_CONTROL) != 0 ? ModifierBits::control : 0;
    modifiers |= (state & XCB_MOD_MASK_1) != 0 ? ModifierBits::option : 0;
    modifiers |= (state & XCB_MOD_MASK_4) != 0 ? ModifierBits::command : 0;
    return modifiers;
}

bool X11KeyGrabber::grabAllLockVariants(XGrab grab) {
    const std::array<std::uint16_t, 4> locks{0, XCB_MOD_MASK_LOCK, numLockMask_,
                                             static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
    std::array<xcb_void_cookie_t, 4> cookies{};
    for (std::size_t i = 0; i < locks.size(); ++i) {
        cookies[i] = xcb_grab_key_checked(connection_, 0, root_, grab.second | locks[i], grab.first,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool allTaken = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            allTaken = false;
            std::free(error);
        }
    }
    if (!allTaken) {
        ungrabAllLockVariants(grab); // releases only our own variants; another client's stay
    }
    return allTaken;
}

void X11KeyGrabber::ungrabAllLockVariants(XGrab grab) {
    const std::array<std::uint16_t, 4> locks{0, XCB_MOD_MASK_LOCK, numLockMask_,
                                             static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
    for (const std::uint16_t lock : locks) {
        xcb_ungrab_key(connection_, grab.first, root_, grab.second | lock);
    }
    xcb_flush(connection_);
}

bool X11KeyGrabber::grab(KeyCombination combination) {
    const std::optional<XGrab> x = toX(combination);
    if (!x) {
        return false;
    }
    if (auto it = grabs_.find(*x); it != grabs_.end()) {
        ++it->second;
        return true;
    }
    if (!grabAllLockVariants(*x)) {
        return false;
    }
    grabs_[*x] = 1;
    return true;
}

void X11KeyGrabber::ungrab(KeyCombination combination) {
    const std::optional<XGrab> x = toX(combination);
    auto it = x ? grabs_.find(*x) : grabs_.end();
    if (it == grabs_.end()) {
        return;
    }
    if (--it->second == 0) {
        ungrabAllLockVariants(it->first);
        grabs_.erase(it);
    }
}

bool X11KeyGrabber::isHeldElsewhere(KeyCombination combination) {
    const std::optional<XGrab> x = toX(combination);
    if (!x || grabs_.contains(*x)) {
        return false;
    }
    if (!grabAllLockVariants(*x)) {
        return true;
    }
    ungrabAllLockVariants(*x);
    return false;
}

bool X11KeyGrabber::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS) {
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        const bool fromGrab =
            key->event == root_ && grabs_.contains(XGrab{key->detail, key->state & kModifierMask});
        // A handler may run the event loop, and meet another press there.
        const std::optional<RootPoint> outer =
            std::exchange(pressBeingHandledAt, RootPoint{key->root_x, key->root_y});
        const bool consumed = handlePress(key->detail, key->state, fromGrab);
        pressBeingHandledAt = outer;
        return consumed;
    }
    if (type == XCB_KEY_RELEASE) {
        auto* key = reinterpret_cast<xcb_key_release_event_t*>(event);
        return handleRelease(key->detail);
    }
    return false;
}

bool X11KeyGrabber::handlePress(std::uint8_t keycode, std::uint16_t state, bool fromGrab) {
    if (auto it = pressed_.find(keycode); it != pressed_.end()) {
        return it->second.consumed; // auto-repeat of a key already reported
    }
    if (!fromGrab && !watchesAllKeys_) {
        return false;
    }
    const std::optional<std::int64_t> keyCode = keyCodeForXKeycode(keycode);
    if (!keyCode) {
        return false;
    }
    const KeyCombination combination{*keyCode, modifiersFromX(state)};
    const bool consumed = handler_ ? handler_(combination, KeyTransition::press) : false;
    // Grabbed events still reach Qt, which only advances its user time with them.
    pressed_[keycode] = Pressed{combination, !fromGrab && consumed};
    return pressed_[keycode].consumed;
}

bool X11KeyGrabber::handleRelease(std::uint8_t keycode) {
    auto it = pressed_.find(keycode);
    if (it == pressed_.end()) {
        return false;
    }
    const Pressed pressed = it->second;
    pressed_.erase(it);
    if (handler_) {
        handler_(pressed.combination, KeyTransition::release);
    }
    return pressed.consumed;
}

std::optional<RootPoint> pointerAtPressBeingHandled() {
    return pressBeingHandledAt;
}

std::unique_ptr<KeyGrabber> makeKeyGrabber() {
    if (xcb_connection_t* connection = qtConnection()) {
        return std::make_unique<X11KeyGrabber>(connection);
    }
    return std::make_unique<NullKeyGrabber>();
}

std::vector<KeyCombination> serverReservedCombinations() {
    constexpr std::int64_t controlOption = ModifierBits::control | ModifierBits::option;
    constexpr std::array<std::int64_t, 17> keys{
        51,                                                     // delete (backspace): terminate the server
        122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, // F1 to F12: switch to a virtual terminal
        69,  78,                                                // keypad plus and minus: video modes
        67,  75, // keypad multiply and divide: grab breaks and logs
    };
    std::vector<KeyCombination> combinations;
    combinations.reserve(keys.size());
    for (const std::int64_t key : keys) {
        combinations.push_back(KeyCombination{key, controlOption});
    }
    return combinations;
}

} // namespace huddlepod::x11
