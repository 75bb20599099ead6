// Applies the resolved appearance to the QApplication: style, palette and font.
#include "ui/ApplyAppearance.h"

#include "ui/Theme.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>

namespace huddlepod {

namespace {

// Fusion without the desktop theme's icons on dialog buttons: the app draws its own symbols.
class AppStyle : public QProxyStyle {
public:
    AppStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

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
