// A global shortcut: a physical key plus modifiers, kept in the stored (hot-key) encoding.
#pragma once

#include "GlobalShortcuts/Key.h"
#include "GlobalShortcuts/Modifiers.h"

#include <QByteArray>
#include <QKeySequence>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

class QAction;
class QKeyEvent;
class QMenu;

namespace huddlepod::GlobalShortcuts {

struct Shortcut {
    std::int64_t carbonKeyCode = 0;
    std::int64_t carbonModifiers = 0;

    // Both keep only the four modifier bits.
    Shortcut(std::int64_t keyCode, std::int64_t modifiers);
    explicit Shortcut(Key key, ModifierFlags modifiers = {});

    // A key press or release (never a modifier key on its own); nothing for other events or unknown keys.
    static std::optional<Shortcut> fromKeyEvent(const QKeyEvent& event);

    // The stored JSON object {"carbonKeyCode":…,"carbonModifiers":…}. Reading keeps whatever modifier bits
    // the text holds; anything but an object with both integer members reads as nothing.
    QByteArray toJson() const;
    static std::optional<Shortcut> fromJson(const QByteArray& json);

    Key key() const { return Key(carbonKeyCode); }
    ModifierFlags modifiers() const { return modifierFlagsFromCarbon(carbonModifiers); }
    bool hasOnlyKnownModifiers() const { return (carbonModifiers & ~CarbonModifier::all) == 0; }

    // The desktop's names of the modifiers and the key joined by "+" ("Ctrl+Alt+S", "Shift+Super+Page Up");
    // U+FFFD in place of a key that has no name.
    QString description() const;
    // The key as shown: its name for keys without a character ("Return", "Left", "F5") and for the keypad's
    // ("Keypad 5"), else its character on the current layout capitalized; nothing when it has none.
    std::optional<QString> keyName() const;
    // The key's text for a menu: its character when it is one grapheme, else a space or a function-key
    // character.
    QString keyEquivalent() const;
    // The same combination as a Qt key sequence (empty for a key Qt cannot name).
    QKeySequence keySequence() const;
    // The key's character on the current layout (the US layout without a display); nothing when it has none.
    std::optional<QString> keyToCharacter() const;

    // The first action, depth-first through submenus, whose key sequence is this combination.
    QAction* menuItemWithMatchingShortcut(const QMenu& menu) const;

    bool operator==(const Shortcut&) const = default;
    auto operator<=>(const Shortcut&) const = default;
};

} // namespace huddlepod::GlobalShortcuts
