// Conversions between the modifier encodings.
#include "GlobalShortcuts/Modifiers.h"

#include <array>
#include <utility>

namespace huddlepod::GlobalShortcuts {

namespace {

constexpr std::array<std::pair<ModifierFlag, std::int64_t>, 4> kCarbonBits{{
    {ModifierFlag::command, CarbonModifier::command},
    {ModifierFlag::shift, CarbonModifier::shift},
    {ModifierFlag::option, CarbonModifier::option},
    {ModifierFlag::control, CarbonModifier::control},
}};

constexpr std::array<std::pair<ModifierFlag, Qt::KeyboardModifier>, 4> kQtBits{{
    {ModifierFlag::control, Qt::ControlModifier},
    {ModifierFlag::option, Qt::AltModifier},
    {ModifierFlag::shift, Qt::ShiftModifier},
    {ModifierFlag::command, Qt::MetaModifier},
}};

} // namespace

std::int64_t carbon(ModifierFlags flags) {
    std::int64_t bits = 0;
    for (const auto& [flag, bit] : kCarbonBits) {
        if (flags.testFlag(flag)) {
            bits |= bit;
        }
    }
    return bits;
}

ModifierFlags modifierFlagsFromCarbon(std::int64_t carbonModifiers) {
    ModifierFlags flags;
    for (const auto& [flag, bit] : kCarbonBits) {
        if ((carbonModifiers & bit) != 0) {
            flags |= flag;
        }
    }
    return flags;
}

QString description(ModifierFlags flags) {
    QString text;
    if (flags.testFlag(ModifierFlag::control)) {
        text += QChar(0x2303);
    }
    if (flags.testFlag(ModifierFlag::option)) {
        text += QChar(0x2325);
    }
    if (flags.testFlag(ModifierFlag::shift)) {
        text += QChar(0x21E7);
    }
    if (flags.testFlag(ModifierFlag::command)) {
        text += QChar(0x2318);
    }
    if (flags.testFlag(ModifierFlag::function)) {
        text += QString::fromUtf8("\U0001F310\uFE0E");
    }
    return text;
}

ModifierFlags modifierFlagsFromQt(Qt::KeyboardModifiers modifiers) {
    ModifierFlags flags;
    for (const auto& [flag, qtBit] : kQtBits) {
        if (modifiers.testFlag(qtBit)) {
            flags |= flag;
        }
    }
    return flags;
}

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags) {
    Qt::KeyboardModifiers modifiers;
    for (const auto& [flag, qtBit] : kQtBits) {
        if (flags.testFlag(flag)) {
            modifiers |= qtBit;
        }
    }
    return modifiers;
}

} // namespace huddlepod::GlobalShortcuts
