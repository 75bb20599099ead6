// The application's icon from the PNGs drawn from huddlepod.svg at build time, and its desktop file name.
#include "app/desktop/ApplicationIdentity.h"

#include "app/StatusItemController.h"
#include "platform/BundleInformation.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace huddlepod {

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/huddlepod/icon/%1x%1/%2.png").arg(size).arg(desktopFileName());
        if (QFileInfo::exists(path)) {
            icon.addFile(path, QSize(size, size));
        }
    }
    // Built without rsvg-convert: the football the tray shows.
    return icon.isNull() ? StatusItemController::icon() : icon;
}

QString desktopFileName() {
    return bundleValue(QStringLiteral("CFBundleIdentifier"))
        .value_or(QStringLiteral("org.huddlepod.Huddlepod"));
}

void applyApplicationIdentity() {
    QGuiApplication::setDesktopFileName(desktopFileName());
    QGuiApplication::setWindowIcon(applicationIcon());
}

} // namespace huddlepod
