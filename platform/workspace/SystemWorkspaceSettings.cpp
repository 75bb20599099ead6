// Decides the desktop's reduce-motion, high-contrast and dark choices between the portal, XSETTINGS and GTK's
// settings file.
#include "platform/workspace/SystemWorkspaceSettings.h"

#include "platform/workspace/GtkThemeStyleSheet.h"
#include "platform/workspace/ThemeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace huddlepod {

SystemWorkspaceSettings::SystemWorkspaceSettings(QString configDirectory, QString themeOverride,
                                                 const DesktopSettingsPortal* portal,
                                                 const XSettingsClient* xsettings,
                                                 const GtkSettingsFileWatcher* file, QStringList themeFolders)
    : portal_(portal)
    , xsettings_(xsettings)
    , file_(file)
    , configDirectory_(std::move(configDirectory))
    , themeOverride_(std::move(themeOverride))
    , themeFolders_(std::move(themeFolders)) {
    if (configDirectory_.isEmpty()) {
        configDirectory_ = defaultConfigDirectory();
    }
    if (themeOverride_.isEmpty()) {
        themeOverride_ = qEnvironmentVariable("GTK_THEME");
    }
    if (themeFolders_.isEmpty()) {
        themeFolders_ = gtkThemeFolders();
    }
}

QString SystemWorkspaceSettings::defaultConfigDirectory() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return configured.isEmpty() ? QDir::homePath() + QLatin1String("/.config") : configured;
}

bool SystemWorkspaceSettings::reduceMotion() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().reduceMotion() : std::nullopt;
    return stated.value_or(!gtk().enableAnimations);
}

bool SystemWorkspaceSettings::increaseContrast() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().increaseContrast() : std::nullopt;
    return stated.value_or(isHighContrastThemeName(gtk().themeName));
}

bool SystemWorkspaceSettings::prefersDarkAppearance() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().prefersDark() : std::nullopt;
    if (stated) {
        return *stated;
    }
    const GtkValues values = gtk();
    return values.preferDark || isDarkTheme(values.themeName);
}

bool SystemWorkspaceSettings::isDarkTheme(const QString& themeName) const {
    const QString path = gtkThemeStyleSheetPath(themeName, themeFolders_);
    if (path.isEmpty()) {
        return isDarkThemeName(themeName);
    }
    const FileStamp stamp = FileStamp::of(path);
    if (stamp != styleSheetStamp_) {
        QFile file(path);
        styleSheetDark_ = file.open(QIODevice::ReadOnly) ? styleSheetIsDark(QString::fromUtf8(file.readAll()))
                                                         : std::nullopt;
        styleSheetStamp_ = stamp;
    }
    return styleSheetDark_.value_or(isDarkThemeName(themeName));
}

SystemWorkspaceSettings::FileStamp SystemWorkspaceSettings::FileStamp::of(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    const QFileInfo info(path);
    return {path, info.lastModified(), info.size()};
}

SystemWorkspaceSettings::GtkValues SystemWorkspaceSettings::gtk() const {
    const XSettingsValues published = xsettings_ ? xsettings_->values() : XSettingsValues{};
    const GtkFileSettings& file = fileSettings();
    GtkValues values;
    values.themeName = themeOverride_.trimmed();
    if (values.themeName.isEmpty()) {
        values.themeName = published.themeName.value_or(file.themeName.value_or(QString()));
    }
    values.preferDark = published.preferDark.value_or(file.preferDark.value_or(false));
    values.enableAnimations = published.enableAnimations.value_or(file.enableAnimations.value_or(true));
    return values;
}

const GtkFileSettings& SystemWorkspaceSettings::fileSettings() const {
    if (file_) {
        return file_->settings();
    }
    const QString path = gtkSettingsPath(configDirectory_);
    const FileStamp stamp = FileStamp::of(path);
    if (stamp != cachedStamp_) {
        cached_ = readGtkSettingsFile(path);
        cachedStamp_ = stamp;
    }
    return cached_;
}

} // namespace huddlepod
