// Opens the application's INI settings store and checks that its writes reach the file.
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace huddlepod {

namespace {

QString systemReason(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

} // namespace

void UserDefaultsSaveStatus::record(std::optional<QString> failure) {
    if (failure == failure_) {
        return;
    }
    if (failure && !failure_) {
        std::fprintf(stderr, "huddlepod: Couldn't save settings: %s\n", qUtf8Printable(*failure));
    }
    failure_ = std::move(failure);
    emit changed();
}

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

bool UserDefaults::save(QSettings& settings) {
    settings.sync();
    // QSettings keeps an error status for good, so after one failure the file itself is asked again.
    std::optional<QString> failure;
    if (settings.status() != QSettings::NoError) {
        failure = writeFailure(settings.fileName());
    }
    saveStatus().record(failure);
    return !failure;
}

UserDefaultsSaveStatus& UserDefaults::saveStatus() {
    static UserDefaultsSaveStatus status;
    return status;
}

std::optional<QString> UserDefaults::writeFailure(const QString& filePath) {
    // What QSettings needs: the folder, the file open for writing, and a new file beside it to swap in.
    const QString folder = QFileInfo(filePath).absolutePath();
    std::error_code error;
    std::filesystem::create_directories(folder.toStdString(), error);
    if (error) {
        return QString::fromStdString(error.message());
    }
    const QByteArray file = QFile::encodeName(filePath);
    if (::access(file.constData(), F_OK) == 0) {
        const int descriptor = ::open(file.constData(), O_WRONLY | O_CLOEXEC);
        if (descriptor < 0) {
            return systemReason(errno);
        }
        ::close(descriptor);
    }
    QByteArray probe = QFile::encodeName(folder) + "/.Huddlepod.ini.XXXXXX";
    const int descriptor = ::mkostemp(probe.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return systemReason(errno);
    }
    ::close(descriptor);
    ::unlink(probe.constData());
    return std::nullopt;
}

} // namespace huddlepod
