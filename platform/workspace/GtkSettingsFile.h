// GTK's own settings file ($XDG_CONFIG_HOME/gtk-4.0/settings.ini, else gtk-3.0's), read and watched.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <optional>

namespace huddlepod {

// What [Settings] states; absent where it does not.
struct GtkFileSettings {
    std::optional<QString> themeName;     // gtk-theme-name
    std::optional<bool> preferDark;       // gtk-application-prefer-dark-theme
    std::optional<bool> enableAnimations; // gtk-enable-animations
    bool operator==(const GtkFileSettings&) const = default;
};

// The first of gtk-4.0/settings.ini and gtk-3.0/settings.ini under configDirectory that exists; empty when
// neither does.
QString gtkSettingsPath(const QString& configDirectory);
// Its settings; none stated when it cannot be read.
GtkFileSettings readGtkSettingsFile(const QString& path);

// Follows the file while the app runs: an edit in place, a new file renamed over it, a file (or its folder)
// created later (the configuration folder too), and removal. Watches the files and their folders, up to
// configDirectory, or the nearest folder above it that exists.
class GtkSettingsFileWatcher : public QObject {
    Q_OBJECT
public:
    explicit GtkSettingsFileWatcher(QString configDirectory, QObject* parent = nullptr);

    const GtkFileSettings& settings() const { return settings_; }

signals:
    // What the file states changed.
    void changed();

private:
    void reread();
    void watchWhatExists();

    QString configDirectory_;
    QFileSystemWatcher watcher_;
    GtkFileSettings settings_;
};

} // namespace huddlepod
