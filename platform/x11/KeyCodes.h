// The app's key vocabulary (virtual key codes of a physical ANSI keyboard) mapped to X11 keycodes, Qt keys
// and the characters a US layout gives; and Qt keys to the names X gives their keysyms.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace huddlepod::x11 {

// The X keycode (evdev + 8) of the physical key, or nothing for a code without a key on a PC keyboard.
std::optional<std::uint8_t> xKeycodeForKeyCode(std::int64_t keyCode);
std::optional<std::int64_t> keyCodeForXKeycode(std::uint8_t xKeycode);

// The character the key gives on a US layout without modifiers; empty for keys that type nothing.
std::optional<QString> usCharacterForKeyCode(std::int64_t keyCode);

// Qt keys: keypad keys are told apart by Qt's keypad modifier.
std::optional<int> qtKeyForKeyCode(std::int64_t keyCode);
bool isKeypadKeyCode(std::int64_t keyCode);
std::optional<std::int64_t> keyCodeForQtKey(int qtKey, bool keypad);

// The X keysym name of a Qt key ("comma", "Q", "Page_Up", "KP_Add"), as desktops name keys in the shortcuts
// they read; nothing for a key X has no keysym for.
std::optional<QString> keysymNameForQtKey(int qtKey, bool keypad);

} // namespace huddlepod::x11
