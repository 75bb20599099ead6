// The autostart entry: written whole through a temporary file, removed to turn launch at login off.
#include "app/LoginItem.h"

#include "platform/BundleInformation.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace huddlepod {

namespace {

std::optional<QString> failure(bool enabled, const QString& reason) {
    return QStringLiteral("Couldn't ") + (enabled ? QStringLiteral("enable") : QStringLiteral("disable")) +
           QStringLiteral(" launch at login: ") + reason;
}

QString systemReason(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

// The value of a key in the [Desktop Entry] group, or none.
std::optional<QString> entryValue(const QByteArray& contents, const QByteArray& key) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0 || line.left(equals).trimmed() != key) {
            continue;
        }
        return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return std::nullopt;
}

// Whether an entry's program is this one: the same path, or the same file under another name. A bare name
// is looked up on the PATH, as the desktop does.
bool isSameProgram(QString entry, const QString& ours) {
    if (entry == ours) {
        return true;
    }
    if (!entry.contains(QLatin1Char('/'))) {
        entry = QStandardPaths::findExecutable(entry);
    }
    const QString canonical = QFileInfo(entry).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(ours).canonicalFilePath();
}

} // namespace

QString LoginItem::standardAutostartDirectory() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/autostart");
}

std::optional<QString> LoginItem::currentProgram() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty() || !QFileInfo(path).isExecutable()) {
        return std::nullopt;
    }
    return path;
}

LoginItem::LoginItem()
    : LoginItem(standardAutostartDirectory(), currentProgram()) {}

LoginItem::LoginItem(QString autostartDirectory, std::optional<QString> program)
    : directory_(std::move(autostartDirectory))
    , program_(std::move(program)) {}

QString LoginItem::entryPath() const {
    return directory_ + QLatin1Char('/') + QLatin1String(entryFileName);
}

LoginItem::State LoginItem::state() const {
    if (!program_) {
        return State::unavailable;
    }
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return State::disabled;
    }
    const QByteArray contents = file.read(64 * 1024);
    if (entryValue(contents, "Hidden") == QStringLiteral("true") ||
        entryValue(contents, "X-GNOME-Autostart-enabled") == QStringLiteral("false")) {
        return State::disabled;
    }
    // An entry left behind by a copy that has moved since starts nothing of ours.
    const std::optional<QString> exec = entryValue(contents, "Exec");
    const std::optional<QString> program = exec ? execProgram(*exec) : std::nullopt;
    return program && isSameProgram(*program, *program_) ? State::enabled : State::disabled;
}

QString LoginItem::execValue(const QString& program) {
    // An argument holding a reserved character is quoted, and inside the quotes " ` $ \ are escaped.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument = program;
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); })) {
        argument.clear();
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                argument += QLatin1Char('\\');
            }
            argument += c;
        }
        argument = QLatin1Char('"') + argument + QLatin1Char('"');
    }
    // "%" starts a field code; then the value as a whole escapes backslashes and line breaks.
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    argument.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    argument.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    argument.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    argument.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return argument;
}

std::optional<QString> LoginItem::execProgram(const QString& value) {
    // First the value's own escapes, then the quoting of arguments.
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            unescaped += c;
            continue;
        }
        const QChar next = value.at(++i);
        const qsizetype known = QStringLiteral("sntr").indexOf(next);
        unescaped += known >= 0 ? QStringLiteral(" \n\t\r").at(known) : next;
    }
    QString program;
    qsizetype i = 0;
    while (i < unescaped.size() && unescaped.at(i).isSpace()) {
        ++i;
    }
    bool quoted = false;
    for (; i < unescaped.size(); ++i) {
        const QChar c = unescaped.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < unescaped.size()) {
            program += unescaped.at(++i);
        } else if (!quoted && c.isSpace()) {
            break;
        } else if (c == QLatin1Char('%') && i + 1 < unescaped.size() &&
                   unescaped.at(i + 1) == QLatin1Char('%')) {
            program += c;
            ++i;
        } else {
            program += c;
        }
    }
    if (quoted || program.isEmpty()) {
        return std::nullopt;
    }
    return program;
}

std::optional<QString> LoginItem::set(bool enabled) const {
    if (!enabled) {
        std::error_code error;
        std::filesystem::remove(entryPath().toStdString(), error);
        if (error) {
            return failure(false, QString::fromStdString(error.message()));
        }
        return std::nullopt;
    }
    if (!program_) {
        return failure(true, QStringLiteral("this program's location is unknown"));
    }
    std::error_code error;
    std::filesystem::create_directories(directory_.toStdString(), error);
    if (error) {
        return failure(true, QString::fromStdString(error.message()));
    }
    QSaveFile file(entryPath());
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        return failure(true, errno != 0 ? systemReason(errno) : file.errorString());
    }
    // Named and drawn as the menu entry is.
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Huddlepod\n"
                       "Exec=%1\n"
                       "Icon=%2\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n")
            .arg(execValue(*program_),
                 bundleValue(QStringLiteral("CFBundleIdentifier")).value_or(QStringLiteral("huddlepod")));
    file.write(entry.toUtf8());
    errno = 0;
    if (!file.commit()) {
        return failure(true, errno != 0 ? systemReason(errno) : file.errorString());
    }
    return std::nullopt;
}

void LoginItem::openSystemSettings() const {
    QDir().mkpath(directory_);
    QDesktopServices::openUrl(QUrl::fromLocalFile(directory_));
}

} // namespace huddlepod
