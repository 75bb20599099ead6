// Conversions between the modifier encodings.
#include "GlobalShortcuts/Modifiers.h"

#include <QStringList>

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
    static const std::array<std::pair<ModifierFlag, QString>, 5> names{{
        {ModifierFlag::control, QStringLiteral("Ctrl")},
        {ModifierFlag::option, QStringLiteral("Alt")},
        {ModifierFlag::shift, QStringLiteral("Shift")},
        {ModifierFlag::command, QStringLiteral("Super")},
        {ModifierFlag::function, QStringLiteral("Fn")},
    }};
    QStringList parts;
    for (const auto& [flag, name] : names) {
        if (flags.testFlag(flag)) {
            parts += name;
        }
    }
    return parts.join(QLatin1Char('+'));
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
