// What a GTK theme's name says about its look.
#pragma once

#include <QString>

namespace huddlepod {

// Dark when a word of the name is "dark" (or "inverse", as in HighContrastInverse), in any case. Words are
// split at anything but letters and digits and where a lowercase letter meets an uppercase one: Adwaita-dark,
// Greybird-dark, Arc-Dark, Mint-Y-Dark-Aqua, BreezeDark and GTK_THEME's Adwaita:dark are dark; Adwaita,
// Greybird, and Arc-Darker (only its title bars are dark) are not.
bool isDarkThemeName(const QString& name);
// HighContrast and HighContrastInverse, in any case.
bool isHighContrastThemeName(const QString& name);

} // namespace huddlepod
