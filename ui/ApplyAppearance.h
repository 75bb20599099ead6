// Puts an appearance choice into effect for the whole application at once.
#pragma once

#include "platform/workspace/WorkspaceSettings.h"
#include "ui/AppearancePreference.h"

namespace huddlepod {

// The forced appearance, or for system the desktop's preference.
Appearance resolvedAppearance(AppearancePreference preference,
                              const WorkspaceSettings& workspace = WorkspaceSettings::shared());

// Fusion, our palette for the resolved appearance and Lato, set on the application object; every widget
// repaints at once. Needs a QApplication.
void applyAppearance(AppearancePreference preference,
                     const WorkspaceSettings& workspace = WorkspaceSettings::shared());

} // namespace huddlepod
