// Applies the resolved appearance to the QApplication: style, palette and font.
#include "ui/ApplyAppearance.h"

#include "ui/AppStyle.h"
#include "ui/Theme.h"

#include <QApplication>

namespace huddlepod {

Appearance resolvedAppearance(AppearancePreference preference, const WorkspaceSettings& workspace) {
    return forcedAppearance(preference)
        .value_or(workspace.prefersDarkAppearance() ? Appearance::dark : Appearance::light);
}

void applyAppearance(AppearancePreference preference, const WorkspaceSettings& workspace) {
    if (dynamic_cast<AppStyle*>(QApplication::style()) == nullptr)
        QApplication::setStyle(new AppStyle);
    QApplication::setFont(Theme::font(13));
    QApplication::setPalette(
        Theme::palette(resolvedAppearance(preference, workspace), workspace.increaseContrast()));
    // Qt posts the change to every widget; deliver it now so everything repaints in the new look at once.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationFontChange);
}

} // namespace huddlepod
