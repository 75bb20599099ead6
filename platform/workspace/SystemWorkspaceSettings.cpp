// Reads the desktop's reduce-motion, high-contrast and dark-theme choices from GTK's settings files.
#include "platform/workspace/SystemWorkspaceSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace huddlepod {

namespace {

bool isTrue(const QString& value) {
    const QString text = value.trimmed().toLower();
    return text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("yes");
}

bool isFalse(const QString& value) {
    const QString text = value.trimmed().toLower();
    return text == QLatin1String("false") || text == QLatin1String("0") || text == QLatin1String("no");
}

bool isHighContrastTheme(const QString& theme) {
    return theme.contains(QLatin1String("highcontrast"), Qt::CaseInsensitive);
}

bool isDarkTheme(const QString& theme) {
    const QString lower = theme.toLower();
    // "Adwaita:dark" (GTK_THEME), "Adwaita-dark", "HighContrastInverse".
    return lower.endsWith(QLatin1String("dark")) || lower.endsWith(QLatin1String("inverse"));
}

} // namespace

SystemWorkspaceSettings::SystemWorkspaceSettings(QString configDirectory, QString themeOverride,
                                                 const DesktopSettingsPortal* portal)
    : portal_(portal)
    , configDirectory_(std::move(configDirectory))
    , themeOverride_(std::move(themeOverride)) {
    if (configDirectory_.isEmpty()) {
        configDirectory_ = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (configDirectory_.isEmpty()) {
            configDirectory_ = QDir::homePath() + QLatin1String("/.config");
        }
    }
    if (themeOverride_.isEmpty()) {
        themeOverride_ = qEnvironmentVariable("GTK_THEME");
    }
}

bool SystemWorkspaceSettings::reduceMotion() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().reduceMotion() : std::nullopt;
    return stated.value_or(current().reduceMotion);
}

bool SystemWorkspaceSettings::increaseContrast() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().increaseContrast() : std::nullopt;
    return stated.value_or(current().increaseContrast);
}

bool SystemWorkspaceSettings::prefersDarkAppearance() const {
    const std::optional<bool> stated = portal_ ? portal_->settings().prefersDark() : std::nullopt;
    return stated.value_or(current().prefersDark);
}

const SystemWorkspaceSettings::Values& SystemWorkspaceSettings::current() const {
    QString path;
    QDateTime modified;
    for (const char* folder : {"/gtk-4.0/settings.ini", "/gtk-3.0/settings.ini"}) {
        const QFileInfo info(configDirectory_ + QLatin1String(folder));
        if (info.isFile()) {
            path = info.filePath();
            modified = info.lastModified();
            break;
        }
    }
    if (!cacheValid_ || path != cachedPath_ || modified != cachedModified_) {
        cached_ = read(path);
        cachedPath_ = path;
        cachedModified_ = modified;
        cacheValid_ = true;
    }
    return cached_;
}

SystemWorkspaceSettings::Values SystemWorkspaceSettings::read(const QString& path) const {
    Values values;
    QString theme;
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        bool inSettings = false;
        while (!stream.atEnd()) {
            const QString line = stream.readLine().trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                inSettings = line == QLatin1String("[Settings]");
                continue;
            }
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (!inSettings || equals < 0) {
                continue;
            }
            const QString key = line.left(equals).trimmed();
            const QString value = line.mid(equals + 1).trimmed();
            if (key == QLatin1String("gtk-enable-animations")) {
                values.reduceMotion = isFalse(value);
            } else if (key == QLatin1String("gtk-application-prefer-dark-theme")) {
                values.prefersDark = values.prefersDark || isTrue(value);
            } else if (key == QLatin1String("gtk-theme-name")) {
                theme = value;
            }
        }
    }
    if (!themeOverride_.trimmed().isEmpty()) {
        theme = themeOverride_.trimmed();
    }
    values.increaseContrast = isHighContrastTheme(theme);
    values.prefersDark = values.prefersDark || isDarkTheme(theme);
    return values;
}

} // namespace huddlepod
