// The desktop's settings: the freedesktop settings portal where it states them, else GTK's settings.ini.
#pragma once

#include "platform/workspace/DesktopSettingsPortal.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QDateTime>
#include <QPointer>
#include <QString>

namespace huddlepod {

// Reads [Settings] of $XDG_CONFIG_HOME/gtk-4.0/settings.ini, then gtk-3.0 (the first file that exists wins):
// gtk-enable-animations=false means reduce motion; a HighContrast theme means increase contrast;
// gtk-application-prefer-dark-theme or a dark theme name means dark. GTK_THEME overrides the theme name.
// Parsed answers are kept until the file's modification time changes. What the portal states (current
// desktops keep these settings there) wins over the file.
class SystemWorkspaceSettings : public WorkspaceSettings {
public:
    // configDirectory empty: $XDG_CONFIG_HOME, else ~/.config. themeOverride empty: the GTK_THEME variable
    // (blank: no override). portal: none means the file alone.
    explicit SystemWorkspaceSettings(QString configDirectory = {}, QString themeOverride = {},
                                     const DesktopSettingsPortal* portal = nullptr);

    bool reduceMotion() const override;
    bool increaseContrast() const override;
    bool prefersDarkAppearance() const override;

private:
    struct Values {
        bool reduceMotion = false;
        bool increaseContrast = false;
        bool prefersDark = false;
    };

    const Values& current() const;
    Values read(const QString& path) const;

    QPointer<const DesktopSettingsPortal> portal_;
    QString configDirectory_;
    QString themeOverride_;
    mutable QString cachedPath_;
    mutable QDateTime cachedModified_;
    mutable bool cacheValid_ = false;
    mutable Values cached_;
};

} // namespace huddlepod
