// Raw values, titles and forced appearances of the appearance preference.
#include "ui/AppearancePreference.h"

namespace huddlepod {

QString rawValue(AppearancePreference preference) {
    switch (preference) {
    case AppearancePreference::system:
        return QStringLiteral("system");
    case AppearancePreference::light:
        return QStringLiteral("light");
    case AppearancePreference::dark:
        return QStringLiteral("dark");
    }
    return QStringLiteral("system");
}

std::optional<AppearancePreference> appearancePreferenceFromRawValue(const QString& text) {
    for (const AppearancePreference preference : allAppearancePreferences) {
        if (rawValue(preference) == text) {
            return preference;
        }
    }
    return std::nullopt;
}

QString title(AppearancePreference preference) {
    switch (preference) {
    case AppearancePreference::system:
        return QStringLiteral("System");
    case AppearancePreference::light:
        return QStringLiteral("Light");
    case AppearancePreference::dark:
        return QStringLiteral("Dark");
    }
    return QStringLiteral("System");
}

std::optional<Appearance> forcedAppearance(AppearancePreference preference) {
    switch (preference) {
    case AppearancePreference::system:
        return std::nullopt;
    case AppearancePreference::light:
        return Appearance::light;
    case AppearancePreference::dark:
        return Appearance::dark;
    }
    return std::nullopt;
}

} // namespace huddlepod
