// A GTK theme's own style sheet: where GTK finds it, and whether the window background it defines is dark.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace huddlepod {

// The folders GTK looks for themes in, in its order: $XDG_DATA_HOME/themes (else ~/.local/share/themes) and
// ~/.themes, then themes/ under each of $XDG_DATA_DIRS (else /usr/local/share and /usr/share).
QStringList gtkThemeFolders();

// The style sheet GTK 3 loads for a theme: gtk.css (gtk-<variant>.css for GTK_THEME's "Name:variant") under
// gtk-3.24, gtk-3.22, … gtk-3.0 of the theme in the first folder that has one; else GTK 4's, under gtk-4.0.
// Empty when no folder has either.
QString gtkThemeStyleSheetPath(const QString& themeName, const QStringList& folders);

// Whether the window background a style sheet defines is dark (HSL lightness below half): the colour of
// @define-color theme_bg_color, else window_bg_color, read as #rgb, #rrggbb, rgb() or rgba(), or through
// another colour the sheet defines. None when it defines neither in those forms (shade(), mix(), only an
// @import).
std::optional<bool> styleSheetIsDark(const QString& styleSheet);

} // namespace huddlepod
