// One table maps each key of the app's vocabulary to its PC key, its Qt key and its US character; two more
// name the keysyms of Qt keys.
#include "platform/x11/KeyCodes.h"

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

#include <Qt>
#include <array>
#include <utility>

namespace huddlepod::x11 {

namespace {

struct KeyRow {
    std::int64_t keyCode;
    int evdev;
    int qtKey;
    bool keypad;
    const char* us;
};

// X keycodes are evdev codes plus 8. Keys a PC board lacks map to their positional twins: the
// Mac's help key sits where Insert is, keypad clear where Num Lock is.
constexpr std::array kRows{
    KeyRow{0, KEY_A, Qt::Key_A, false, "a"},
    KeyRow{1, KEY_S, Qt::Key_S, false, "s"},
    KeyRow{2, KEY_D, Qt::Key_D, false, "d"},
    KeyRow{3, KEY_F, Qt::Key_F, false, "f"},
    KeyRow{4, KEY_H, Qt::Key_H, false, "h"},
    KeyRow{5, KEY_G, Qt::Key_G, false, "g"},
    KeyRow{6, KEY_Z, Qt::Key_Z, false, "z"},
    KeyRow{7, KEY_X, Qt::Key_X, false, "x"},
    KeyRow{8, KEY_C, Qt::Key_C, false, "c"},
    KeyRow{9, KEY_V, Qt::Key_V, false, "v"},
    KeyRow{10, KEY_102ND, Qt::Key_Less, false, "<"},
    KeyRow{11, KEY_B, Qt::Key_B, false, "b"},
    KeyRow{12, KEY_Q, Qt::Key_Q, false, "q"},
    KeyRow{13, KEY_W, Qt::Key_W, false, "w"},
    KeyRow{14, KEY_E, Qt::Key_E, false, "e"},
    KeyRow{15, KEY_R, Qt::Key_R, false, "r"},
    KeyRow{16, KEY_Y, Qt::Key_Y, false, "y"},
    KeyRow{17, KEY_T, Qt::Key_T, false, "t"},
    KeyRow{18, KEY_1, Qt::Key_1, false, "1"},
    KeyRow{19, KEY_2, Qt::Key_2, false, "2"},
    KeyRow{20, KEY_3, Qt::Key_3, false, "3"},
    KeyRow{21, KEY_4, Qt::Key_4, false, "4"},
    KeyRow{22, KEY_6, Qt::Key_6, false, "6"},
    KeyRow{23, KEY_5, Qt::Key_5, false, "5"},
    KeyRow{24, KEY_EQUAL, Qt::Key_Equal, false, "="},
    KeyRow{25, KEY_9, Qt::Key_9, false, "9"},
    KeyRow{26, KEY_7, Qt::Key_7, false, "7"},
    KeyRow{27, KEY_MINUS, Qt::Key_Minus, false, "-"},
    KeyRow{28, KEY_8, Qt::Key_8, false, "8"},
    KeyRow{29, KEY_0, Qt::Key_0, false, "0"},
    KeyRow{30, KEY_RIGHTBRACE, Qt::Key_BracketRight, false, "]"},
    KeyRow{31, KEY_O, Qt::Key_O, false, "o"},
    KeyRow{32, KEY_U, Qt::Key_U, false, "u"},
    KeyRow{33, KEY_LEFTBRACE, Qt::Key_BracketLeft, false, "["},
    KeyRow{34, KEY_I, Qt::Key_I, false, "i"},
    KeyRow{35, KEY_P, Qt::Key_P, false, "p"},
    KeyRow{36, KEY_ENTER, Qt::Key_Return, false, "\r"},
    KeyRow{37, KEY_L, Qt::Key_L, false, "l"},
    KeyRow{38, KEY_J, Qt::Key_J, false, "j"},
    KeyRow{39, KEY_APOSTROPHE, Qt::Key_Apostrophe, false, "'"},
    KeyRow{40, KEY_K, Qt::Key_K, false, "k"},
    KeyRow{41, KEY_SEMICOLON, Qt::Key_Semicolon, false, ";"},
    KeyRow{42, KEY_BACKSLASH, Qt::Key_Backslash, false, "\\"},
    KeyRow{43, KEY_COMMA, Qt::Key_Comma, false, ","},
    KeyRow{44, KEY_SLASH, Qt::Key_Slash, false, "/"},
    KeyRow{45, KEY_N, Qt::Key_N, false, "n"},
    KeyRow{46, KEY_M, Qt::Key_M, false, "m"},
    KeyRow{47, KEY_DOT, Qt::Key_Period, false, "."},
    KeyRow{48, KEY_TAB, Qt::Key_Tab, false, "\t"},
    KeyRow{49, KEY_SPACE, Qt::Key_Space, false, " "},
    KeyRow{50, KEY_GRAVE, Qt::Key_QuoteLeft, false, "`"},
    KeyRow{51, KEY_BACKSPACE, Qt::Key_Backspace, false, "\b"},
    KeyRow{53, KEY_ESC, Qt::Key_Escape, false, "\x1b"},
    KeyRow{54, KEY_RIGHTMETA, Qt::Key_Meta, false, ""},
    KeyRow{55, KEY_LEFTMETA, Qt::Key_Meta, false, ""},
    KeyRow{56, KEY_LEFTSHIFT, Qt::Key_Shift, false, ""},
    KeyRow{57, KEY_CAPSLOCK, Qt::Key_CapsLock, false, ""},
    KeyRow{58, KEY_LEFTALT, Qt::Key_Alt, false, ""},
    KeyRow{59, KEY_LEFTCTRL, Qt::Key_Control, false, ""},
    KeyRow{60, KEY_RIGHTSHIFT, Qt::Key_Shift, false, ""},
    KeyRow{61, KEY_RIGHTALT, Qt::Key_AltGr, false, ""},
    KeyRow{62, KEY_RIGHTCTRL, Qt::Key_Control, false, ""},
    KeyRow{64, KEY_F17, Qt::Key_F17, false, ""},
    KeyRow{65, KEY_KPDOT, Qt::Key_Period, true, "."},
    KeyRow{67, KEY_KPASTERISK, Qt::Key_Asterisk, true, "*"},
    KeyRow{69, KEY_KPPLUS, Qt::Key_Plus, true, "+"},
    KeyRow{71, KEY_NUMLOCK, Qt::Key_Clear, true, ""},
    KeyRow{72, KEY_VOLUMEUP, Qt::Key_VolumeUp, false, ""},
    KeyRow{73, KEY_VOLUMEDOWN, Qt::Key_VolumeDown, false, ""},
    KeyRow{74, KEY_MUTE, Qt::Key_VolumeMute, false, ""},
    KeyRow{75, KEY_KPSLASH, Qt::Key_Slash, true, "/"},
    KeyRow{76, KEY_KPENTER, Qt::Key_Enter, true, "\r"},
    KeyRow{78, KEY_KPMINUS, Qt::Key_Minus, true, "-"},
    KeyRow{79, KEY_F18, Qt::Key_F18, false, ""},
    KeyRow{80, KEY_F19, Qt::Key_F19, false, ""},
    KeyRow{81, KEY_KPEQUAL, Qt::Key_Equal, true, "="},
    KeyRow{82, KEY_KP0, Qt::Key_0, true, "0"},
    KeyRow{83, KEY_KP1, Qt::Key_1, true, "1"},
    KeyRow{84, KEY_KP2, Qt::Key_2, true, "2"},
    KeyRow{85, KEY_KP3, Qt::Key_3, true, "3"},
    KeyRow{86, KEY_KP4, Qt::Key_4, true, "4"},
    KeyRow{87, KEY_KP5, Qt::Key_5, true, "5"},
    KeyRow{88, KEY_KP6, Qt::Key_6, true, "6"},
    KeyRow{89, KEY_KP7, Qt::Key_7, true, "7"},
    KeyRow{90, KEY_F20, Qt::Key_F20, false, ""},
    KeyRow{91, KEY_KP8, Qt::Key_8, true, "8"},
    KeyRow{92, KEY_KP9, Qt::Key_9, true, "9"},
    KeyRow{96, KEY_F5, Qt::Key_F5, false, ""},
    KeyRow{97, KEY_F6, Qt::Key_F6, false, ""},
    KeyRow{98, KEY_F7, Qt::Key_F7, false, ""},
    KeyRow{99, KEY_F3, Qt::Key_F3, false, ""},
    KeyRow{100, KEY_F8, Qt::Key_F8, false, ""},
    KeyRow{101, KEY_F9, Qt::Key_F9, false, ""},
    KeyRow{103, KEY_F11, Qt::Key_F11, false, ""},
    KeyRow{105, KEY_F13, Qt::Key_F13, false, ""},
    KeyRow{106, KEY_F16, Qt::Key_F16, false, ""},
    KeyRow{107, KEY_F14, Qt::Key_F14, false, ""},
    KeyRow{109, KEY_F10, Qt::Key_F10, false, ""},
    KeyRow{111, KEY_F12, Qt::Key_F12, false, ""},
    KeyRow{113, KEY_F15, Qt::Key_F15, false, ""},
    KeyRow{114, KEY_INSERT, Qt::Key_Insert, false, ""},
    KeyRow{115, KEY_HOME, Qt::Key_Home, false, ""},
    KeyRow{116, KEY_PAGEUP, Qt::Key_PageUp, false, ""},
    KeyRow{117, KEY_DELETE, Qt::Key_Delete, false, ""},
    KeyRow{118, KEY_F4, Qt::Key_F4, false, ""},
    KeyRow{119, KEY_END, Qt::Key_End, false, ""},
    KeyRow{120, KEY_F2, Qt::Key_F2, false, ""},
    KeyRow{121, KEY_PAGEDOWN, Qt::Key_PageDown, false, ""},
    KeyRow{122, KEY_F1, Qt::Key_F1, false, ""},
    KeyRow{123, KEY_LEFT, Qt::Key_Left, false, ""},
    KeyRow{124, KEY_RIGHT, Qt::Key_Right, false, ""},
    KeyRow{125, KEY_DOWN, Qt::Key_Down, false, ""},
    KeyRow{126, KEY_UP, Qt::Key_Up, false, ""},
};

constexpr int kEvdevToX = 8;

// Keysym names of the keys that type no character; where X has two names for one keysym (Prior and
// Page_Up), the one desktops show.
constexpr std::array<std::pair<int, const char*>, 32> kNamedKeysyms{{
    {Qt::Key_Escape, "Escape"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Backtab, "ISO_Left_Tab"},
    {Qt::Key_Backspace, "BackSpace"},
    {Qt::Key_Return, "Return"},
    {Qt::Key_Enter, "KP_Enter"},
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_Print, "Print"},
    {Qt::Key_Clear, "Clear"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Down, "Down"},
    {Qt::Key_PageUp, "Page_Up"},
    {Qt::Key_PageDown, "Page_Down"},
    {Qt::Key_Shift, "Shift_L"},
    {Qt::Key_Control, "Control_L"},
    {Qt::Key_Meta, "Super_L"},
    {Qt::Key_Alt, "Alt_L"},
    {Qt::Key_AltGr, "ISO_Level3_Shift"},
    {Qt::Key_CapsLock, "Caps_Lock"},
    {Qt::Key_NumLock, "Num_Lock"},
    {Qt::Key_ScrollLock, "Scroll_Lock"},
    {Qt::Key_Menu, "Menu"},
    {Qt::Key_Help, "Help"},
    {Qt::Key_VolumeDown, "XF86AudioLowerVolume"},
    {Qt::Key_VolumeMute, "XF86AudioMute"},
    {Qt::Key_VolumeUp, "XF86AudioRaiseVolume"},
}};

// The keypad's keys, told apart from the main keys only by Qt's keypad modifier. Keypad clear is the key
// where Num Lock is.
constexpr std::array<std::pair<int, const char*>, 9> kKeypadKeysyms{{
    {Qt::Key_Period, "KP_Decimal"},
    {Qt::Key_Comma, "KP_Separator"},
    {Qt::Key_Asterisk, "KP_Multiply"},
    {Qt::Key_Plus, "KP_Add"},
    {Qt::Key_Minus, "KP_Subtract"},
    {Qt::Key_Slash, "KP_Divide"},
    {Qt::Key_Equal, "KP_Equal"},
    {Qt::Key_Enter, "KP_Enter"},
    {Qt::Key_Clear, "Num_Lock"},
}};

std::optional<QString> nameIn(const auto& table, int qtKey) {
    for (const auto& [key, name] : table) {
        if (key == qtKey) {
            return QString::fromLatin1(name);
        }
    }
    return std::nullopt;
}

const KeyRow* rowForKeyCode(std::int64_t keyCode) {
    for (const KeyRow& row : kRows) {
        if (row.keyCode == keyCode) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

std::optional<std::uint8_t> xKeycodeForKeyCode(std::int64_t keyCode) {
    const KeyRow* row = rowForKeyCode(keyCode);
    if (row == nullptr || row->evdev + kEvdevToX > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(row->evdev + kEvdevToX);
}

std::optional<std::int64_t> keyCodeForXKeycode(std::uint8_t xKeycode) {
    for (const KeyRow& row : kRows) {
        if (row.evdev + kEvdevToX == xKeycode) {
            return row.keyCode;
        }
    }
    return std::nullopt;
}

std::optional<QString> usCharacterForKeyCode(std::int64_t keyCode) {
    const KeyRow* row = rowForKeyCode(keyCode);
    if (row == nullptr) {
        return std::nullopt;
    }
    return QString::fromLatin1(row->us);
}

std::optional<int> qtKeyForKeyCode(std::int64_t keyCode) {
    const KeyRow* row = rowForKeyCode(keyCode);
    return row == nullptr ? std::nullopt : std::optional<int>(row->qtKey);
}

bool isKeypadKeyCode(std::int64_t keyCode) {
    const KeyRow* row = rowForKeyCode(keyCode);
    return row != nullptr && row->keypad;
}

std::optional<std::int64_t> keyCodeForQtKey(int qtKey, bool keypad) {
    for (const KeyRow& row : kRows) {
        if (row.qtKey == qtKey && row.keypad == keypad) {
            return row.keyCode;
        }
    }
    return std::nullopt;
}

std::optional<QString> keysymNameForQtKey(int qtKey, bool keypad) {
    if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return QStringLiteral("KP_%1").arg(qtKey - Qt::Key_0);
    }
    if (keypad) {
        if (std::optional<QString> name = nameIn(kKeypadKeysyms, qtKey)) {
            return name;
        }
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35) {
        return QStringLiteral("F%1").arg(qtKey - Qt::Key_F1 + 1);
    }
    if (std::optional<QString> name = nameIn(kNamedKeysyms, qtKey)) {
        return name;
    }
    if (qtKey <= 0 || qtKey >= Qt::Key_Escape) {
        return std::nullopt;
    }
    // A key that types a character is numbered by it (upper case for letters), and so is its keysym.
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(static_cast<std::uint32_t>(qtKey));
    std::array<char, 64> name{};
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name.data(), name.size()) <= 0) {
        return std::nullopt;
    }
    return QString::fromLatin1(name.data());
}

} // namespace huddlepod::x11
