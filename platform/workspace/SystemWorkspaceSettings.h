// The desktop's settings: the freedesktop settings portal where it states them, else the XSETTINGS manager's
// (XFCE, MATE, Cinnamon), else GTK's settings.ini.
#pragma once

#include "platform/workspace/DesktopSettingsPortal.h"
#include "platform/workspace/GtkSettingsFile.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "platform/workspace/XSettingsClient.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

namespace huddlepod {

// GTK's theme settings come from the XSETTINGS manager where it publishes them, else from [Settings] of
// $XDG_CONFIG_HOME/gtk-4.0/settings.ini, then gtk-3.0 (the first file that exists wins), key by key as GTK
// takes them; GTK_THEME overrides the theme name. Animations off means reduce motion; a HighContrast theme
// means increase contrast; prefer-dark or a dark theme means dark: dark by the window background its own
// gtk.css defines, else by its name (themes built into GTK, such as Adwaita-dark, have no file). What the
// portal states (current desktops keep these settings there) wins over all of them.
class SystemWorkspaceSettings : public WorkspaceSettings {
public:
    // configDirectory empty: $XDG_CONFIG_HOME, else ~/.config. themeOverride empty: the GTK_THEME variable
    // (blank: no override). portal and xsettings: none means without that source. file: the file as
    // followed; none means it is read when asked, again whenever its modification time changes.
    // themeFolders empty: GTK's (gtkThemeFolders()); a theme's gtk.css is read again when it changes.
    explicit SystemWorkspaceSettings(QString configDirectory = {}, QString themeOverride = {},
                                     const DesktopSettingsPortal* portal = nullptr,
                                     const XSettingsClient* xsettings = nullptr,
                                     const GtkSettingsFileWatcher* file = nullptr,
                                     QStringList themeFolders = {});

    bool reduceMotion() const override;
    bool increaseContrast() const override;
    bool prefersDarkAppearance() const override;

    // $XDG_CONFIG_HOME, else ~/.config.
    static QString defaultConfigDirectory();

private:
    // The theme name and flags GTK would use.
    struct GtkValues {
        QString themeName;
        bool preferDark = false;
        bool enableAnimations = true;
    };

    // A file as last read: its path, modification time and size.
    struct FileStamp {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        bool operator==(const FileStamp&) const = default;
        static FileStamp of(const QString& path);
    };

    GtkValues gtk() const;
    const GtkFileSettings& fileSettings() const;
    bool isDarkTheme(const QString& themeName) const;

    QPointer<const DesktopSettingsPortal> portal_;
    QPointer<const XSettingsClient> xsettings_;
    QPointer<const GtkSettingsFileWatcher> file_;
    QString configDirectory_;
    QString themeOverride_;
    QStringList themeFolders_;
    mutable std::optional<FileStamp> cachedStamp_;
    mutable GtkFileSettings cached_;
    mutable std::optional<FileStamp> styleSheetStamp_;
    mutable std::optional<bool> styleSheetDark_;
};

} // namespace huddlepod
