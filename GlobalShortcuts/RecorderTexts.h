// The recorder's user-visible texts, compiled in (there is no resource bundle to look them up in).
#pragma once

#include <QString>

namespace huddlepod::GlobalShortcuts {

// The text for one of the recorder's keys ("record_shortcut", "press_shortcut",
// "keyboard_shortcut_used_by_menu_item" (one argument, %1: the menu item's title),
// "keyboard_shortcut_used_by_system", "keyboard_shortcuts_can_be_changed", "ok", "force_use_shortcut"); the
// key itself for an unknown key.
QString localizedText(const QString& key);

} // namespace huddlepod::GlobalShortcuts
