// The application's settings store: an INI file under $XDG_CONFIG_HOME/Huddlepod/.
#pragma once

#include <QObject>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace huddlepod {

// Whether the settings file took the last write, for whoever tells the user.
class UserDefaultsSaveStatus : public QObject {
    Q_OBJECT
public:
    // The system's reason why the last write failed; none once a write succeeds again.
    std::optional<QString> failure() const { return failure_; }

signals:
    void changed();

private:
    friend class UserDefaults;
    void record(std::optional<QString> failure);

    std::optional<QString> failure_;
};

class UserDefaults {
public:
    // $XDG_CONFIG_HOME/Huddlepod/Huddlepod.ini (~/.config when the variable is unset).
    static QString standardFilePath();
    // The store every part of the application shares; keys exactly as the application names them.
    static std::unique_ptr<QSettings> openStandard();
    // A store over a given INI file, for tests and tools.
    static std::unique_ptr<QSettings> open(const QString& filePath);

    // Writes what `settings` holds to its file and tells whether the file took it. The outcome goes to
    // saveStatus(); a failure is also written once on standard error (again only after a success).
    static bool save(QSettings& settings);
    static UserDefaultsSaveStatus& saveStatus();
    // Why a settings file cannot be written now, in the system's words; none when it can.
    static std::optional<QString> writeFailure(const QString& filePath);
};

} // namespace huddlepod
