// Reads and writes the appearance and hotkey-hint entries of the settings store.
#include "ui/Preferences.h"

#include "platform/UserDefaults.h"

#include <QSettings>

namespace huddlepod {

Preferences::Preferences(QSettings& defaults)
    : defaults_(&defaults) {}

AppearancePreference Preferences::appearance() const {
    const QVariant stored = defaults_->value(QLatin1String(appearanceKey));
    if (!stored.isValid()) {
        return AppearancePreference::system;
    }
    return appearancePreferenceFromRawValue(stored.toString()).value_or(AppearancePreference::system);
}

void Preferences::setAppearance(AppearancePreference preference) {
    if (preference == AppearancePreference::system) {
        defaults_->remove(QLatin1String(appearanceKey));
    } else {
        defaults_->setValue(QLatin1String(appearanceKey), rawValue(preference));
    }
    UserDefaults::save(*defaults_);
}

bool Preferences::hasSeenHotkeyHint() const {
    return defaults_->value(QLatin1String(hasSeenHotkeyHintKey)).toBool();
}

void Preferences::setHasSeenHotkeyHint(bool seen) {
    defaults_->setValue(QLatin1String(hasSeenHotkeyHintKey), seen);
    UserDefaults::save(*defaults_);
}

} // namespace huddlepod
