// English texts of the shortcut recorder.
#include "GlobalShortcuts/RecorderTexts.h"

#include <array>
#include <utility>

namespace huddlepod::GlobalShortcuts {

QString localizedText(const QString& key) {
    static const std::array<std::pair<QString, QString>, 7> texts{{
        {QStringLiteral("record_shortcut"), QStringLiteral("Record Shortcut")},
        {QStringLiteral("press_shortcut"), QStringLiteral("Type Shortcut")},
        {QStringLiteral("keyboard_shortcut_used_by_menu_item"),
         QStringLiteral("The menu item “%1” already uses this shortcut.")},
        {QStringLiteral("keyboard_shortcut_used_by_system"),
         QStringLiteral("The desktop or another application already uses this shortcut.")},
        {QStringLiteral("keyboard_shortcuts_can_be_changed"),
         QStringLiteral("Desktop shortcuts can be changed in your desktop’s keyboard settings.")},
        {QStringLiteral("ok"), QStringLiteral("OK")},
        {QStringLiteral("force_use_shortcut"), QStringLiteral("Use Anyway")},
    }};
    for (const auto& [textKey, text] : texts) {
        if (textKey == key) {
            return text;
        }
    }
    return key;
}

} // namespace huddlepod::GlobalShortcuts
