// Parses GTK's settings.ini and follows it with a file-system watcher.
#include "platform/workspace/GtkSettingsFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace huddlepod {

namespace {

std::optional<bool> flag(const QString& value) {
    const QString text = value.trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1") || text == QLatin1String("yes")) {
        return true;
    }
    if (text == QLatin1String("false") || text == QLatin1String("0") || text == QLatin1String("no")) {
        return false;
    }
    return std::nullopt;
}

const char* const settingsFiles[] = {"/gtk-4.0/settings.ini", "/gtk-3.0/settings.ini"};

} // namespace

QString gtkSettingsPath(const QString& configDirectory) {
    for (const char* file : settingsFiles) {
        const QFileInfo info(configDirectory + QLatin1String(file));
        if (info.isFile()) {
            return info.filePath();
        }
    }
    return {};
}

GtkFileSettings readGtkSettingsFile(const QString& path) {
    GtkFileSettings settings;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return settings;
    }
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
            settings.enableAnimations = flag(value);
        } else if (key == QLatin1String("gtk-application-prefer-dark-theme")) {
            settings.preferDark = flag(value);
        } else if (key == QLatin1String("gtk-theme-name")) {
            settings.themeName = value;
        }
    }
    return settings;
}

GtkSettingsFileWatcher::GtkSettingsFileWatcher(QString configDirectory, QObject* parent)
    : QObject(parent)
    , configDirectory_(std::move(configDirectory)) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &GtkSettingsFileWatcher::reread);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &GtkSettingsFileWatcher::reread);
    watchWhatExists();
    settings_ = readGtkSettingsFile(gtkSettingsPath(configDirectory_));
}

void GtkSettingsFileWatcher::watchWhatExists() {
    // Until the configuration folder exists, the nearest folder above it that does.
    QString nearest = configDirectory_;
    while (!QFileInfo::exists(nearest) && QFileInfo(nearest).path() != nearest) {
        nearest = QFileInfo(nearest).path();
    }
    QStringList directories{nearest};
    QStringList files;
    for (const char* file : settingsFiles) {
        const QString path = configDirectory_ + QLatin1String(file);
        directories << QFileInfo(path).path();
        files << path;
    }
    // A folder no longer wanted (the one above, once the configuration folder exists) is dropped. A file
    // renamed over the old one is another file: its watch is made afresh.
    QStringList stale = watcher_.files();
    for (const QString& directory : watcher_.directories()) {
        if (!directories.contains(directory)) {
            stale << directory;
        }
    }
    if (!stale.isEmpty()) {
        watcher_.removePaths(stale);
    }
    const QStringList watched = watcher_.directories();
    for (const QString& path : directories + files) {
        if (!watched.contains(path) && QFileInfo::exists(path)) {
            watcher_.addPath(path);
        }
    }
}

void GtkSettingsFileWatcher::reread() {
    watchWhatExists();
    const GtkFileSettings settings = readGtkSettingsFile(gtkSettingsPath(configDirectory_));
    if (settings != settings_) {
        settings_ = settings;
        emit changed();
    }
}

} // namespace huddlepod
