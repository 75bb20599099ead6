// The desktop's settings as GTK-based desktops publish them in their settings.ini files.
#pragma once

#include "platform/workspace/WorkspaceSettings.h"

#include <QDateTime>
#include <QString>

namespace huddlepod {

// Reads [Settings] of $XDG_CONFIG_HOME/gtk-4.0/settings.ini, then gtk-3.0 (the first file that exists wins):
// gtk-enable-animations=false means reduce motion; a HighContrast theme means increase contrast;
// gtk-application-prefer-dark-theme or a dark theme name means dark. GTK_THEME overrides the theme name.
// Parsed answers are kept until the file's modification time changes.
class SystemWorkspaceSettings : public WorkspaceSettings {
public:
    // configDirectory empty: $XDG_CONFIG_HOME, else ~/.config. themeOverride empty: the GTK_THEME variable
    // (blank: no override).
    explicit SystemWorkspaceSettings(QString configDirectory = {}, QString themeOverride = {});

    bool reduceMotion() const override { return current().reduceMotion; }
    bool increaseContrast() const override { return current().increaseContrast; }
    bool prefersDarkAppearance() const override { return current().prefersDark; }

private:
    struct Values {
        bool reduceMotion = false;
        bool increaseContrast = false;
        bool prefersDark = false;
    };

    const Values& current() const;
    Values read(const QString& path) const;

    QString configDirectory_;
    QString themeOverride_;
    mutable QString cachedPath_;
    mutable QDateTime cachedModified_;
    mutable bool cacheValid_ = false;
    mutable Values cached_;
};

} // namespace huddlepod
