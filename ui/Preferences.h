// Typed access to the two settings entries the application owns: the appearance and the hotkey-hint flag.
#pragma once

#include "ui/AppearancePreference.h"

class QSettings;

namespace huddlepod {

class Preferences {
public:
    static constexpr const char* appearanceKey = "appearance";
    static constexpr const char* hasSeenHotkeyHintKey = "hasSeenHotkeyHint";

    // Keeps the store (not owned); reads nothing yet.
    explicit Preferences(QSettings& defaults);

    // Absent or not exactly one of the raw values: system.
    AppearancePreference appearance() const;
    // System removes the entry, so the store never holds "system"; light and dark store their raw value.
    void setAppearance(AppearancePreference preference);

    // Absent: false.
    bool hasSeenHotkeyHint() const;
    void setHasSeenHotkeyHint(bool seen);

private:
    QSettings* defaults_;
};

} // namespace huddlepod
