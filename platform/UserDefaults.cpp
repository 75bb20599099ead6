// Opens the application's INI settings store.
#include "platform/UserDefaults.h"

#include <QDir>

namespace huddlepod {

QString UserDefaults::standardFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QLatin1String("/.config");
    }
    return base + QLatin1String("/Huddlepod/Huddlepod.ini");
}

std::unique_ptr<QSettings> UserDefaults::openStandard() {
    return open(standardFilePath());
}

std::unique_ptr<QSettings> UserDefaults::open(const QString& filePath) {
    return std::make_unique<QSettings>(filePath, QSettings::IniFormat);
}

} // namespace huddlepod
