// The application's settings store: an INI file under $XDG_CONFIG_HOME/Huddlepod/.
#pragma once

#include <QSettings>

#include <memory>

namespace huddlepod {

class UserDefaults {
public:
    // $XDG_CONFIG_HOME/Huddlepod/Huddlepod.ini (~/.config when the variable is unset).
    static QString standardFilePath();
    // The store every part of the application shares; keys exactly as the application names them.
    static std::unique_ptr<QSettings> openStandard();
    // A store over a given INI file, for tests and tools.
    static std::unique_ptr<QSettings> open(const QString& filePath);
};

} // namespace huddlepod
