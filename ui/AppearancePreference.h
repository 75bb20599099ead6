// The user's appearance choice: follow the system, or always light, or always dark.
#pragma once

#include "ui/Appearance.h"

#include <QString>

#include <array>
#include <optional>
#include <type_traits>

namespace huddlepod {

enum class AppearancePreference { system, light, dark };

inline constexpr std::array<AppearancePreference, 3> allAppearancePreferences{
    AppearancePreference::system, AppearancePreference::light, AppearancePreference::dark};

// The order the settings show them in; with title() this makes the type a toggle option.
inline const std::array<AppearancePreference, 3>& allCases(std::type_identity<AppearancePreference>) {
    return allAppearancePreferences;
}

// "system", "light", "dark": the stored text and the identity.
QString rawValue(AppearancePreference preference);
// Exactly one of the three raw values, case-sensitive; anything else is no preference.
std::optional<AppearancePreference> appearancePreferenceFromRawValue(const QString& text);
// "System", "Light", "Dark".
QString title(AppearancePreference preference);
// The appearance to force on the application; none means follow the system.
std::optional<Appearance> forcedAppearance(AppearancePreference preference);

} // namespace huddlepod
