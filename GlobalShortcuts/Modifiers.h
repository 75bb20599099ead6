// Modifier flags as key events carry them, their conversion to the stored (hot-key) bits, and their glyphs.
#pragma once

#include <QFlags>
#include <QString>

#include <cstdint>

namespace huddlepod::GlobalShortcuts {

enum class ModifierFlag : std::uint32_t {
    capsLock = 1U << 16,
    shift = 1U << 17,
    control = 1U << 18,
    option = 1U << 19,  // Alt
    command = 1U << 20, // Super
    numericPad = 1U << 21,
    help = 1U << 22,
    function = 1U << 23,
};
Q_DECLARE_FLAGS(ModifierFlags, ModifierFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(ModifierFlags)

// Stored modifier bits; only these four take part, every other bit is dropped either way.
namespace CarbonModifier {
constexpr std::int64_t command = 0x100;
constexpr std::int64_t shift = 0x200;
constexpr std::int64_t option = 0x800;
constexpr std::int64_t control = 0x1000;
constexpr std::int64_t all = command | shift | option | control;
} // namespace CarbonModifier

std::int64_t carbon(ModifierFlags flags);
ModifierFlags modifierFlagsFromCarbon(std::int64_t carbonModifiers);

// The desktop's names of the set modifiers in the order Ctrl, Alt, Shift, Super, Fn, joined by "+"
// ("Ctrl+Alt"); empty for none.
QString description(ModifierFlags flags);

// Qt's modifiers: Ctrl is control, Alt option, Shift shift and Meta (Super on X11) command.
ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(ModifierFlags flags);

} // namespace huddlepod::GlobalShortcuts
