// System-wide key grabs behind a small interface, so the hot-key logic above it runs against a fake in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod::x11 {

// A key of the app's vocabulary plus modifier bits in the app's stored encoding.
struct KeyCombination {
    std::int64_t keyCode = 0;
    std::int64_t modifiers = 0;
    bool operator==(const KeyCombination&) const = default;
};

namespace ModifierBits {
constexpr std::int64_t command = 0x100; // Super on X11
constexpr std::int64_t shift = 0x200;
constexpr std::int64_t option = 0x800; // Alt
constexpr std::int64_t control = 0x1000;
constexpr std::int64_t all = command | shift | option | control;
} // namespace ModifierBits

enum class KeyTransition { press, release };

class KeyGrabber {
public:
    // Returns true when the handler consumed the event (only honoured while all keys are watched).
    using Handler = std::function<bool(KeyCombination, KeyTransition)>;

    virtual ~KeyGrabber() = default;

    // Takes the combination system-wide; false when it cannot (held by another client, unknown key, other
    // modifier bits, no display). Grabbing a combination twice needs two ungrabs.
    virtual bool grab(KeyCombination combination) = 0;
    virtual void ungrab(KeyCombination combination) = 0;
    // Whether another client holds the combination; never true for one this grabber holds.
    virtual bool isHeldElsewhere(KeyCombination combination) = 0;
    // While on, every key press and release the application receives goes to the handler, which may consume
    // it (the way shortcuts keep working while one of our menus holds the keyboard).
    virtual void setWatchesAllKeys(bool watches) = 0;
    // Receives one press per physical press (auto-repeat suppressed) and the release, of grabbed
    // combinations.
    virtual void setHandler(Handler handler) = 0;
};

// A point on the root window, in the X server's device pixels.
struct RootPoint {
    int x = 0;
    int y = 0;
    bool operator==(const RootPoint&) const = default;
};

// While a grabber hands a key press to its handler: where the pointer was as the key went down (the event
// carries it, so nobody need ask the server). None at any other time.
std::optional<RootPoint> pointerAtPressBeingHandled();

// The X11 grabber on Qt's connection, or one whose grabs all fail quietly when the app has no X display.
std::unique_ptr<KeyGrabber> makeKeyGrabber();

// Combinations the X server keeps for itself (terminate, switch to a virtual terminal, video modes, grab
// breaks).
std::vector<KeyCombination> serverReservedCombinations();

} // namespace huddlepod::x11
