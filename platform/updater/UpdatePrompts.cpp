// Short texts of our own for the three outcomes of a check.
#include "platform/updater/UpdatePrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace huddlepod {

UpdaterController::Prompts systemUpdatePrompts() {
    UpdaterController::Prompts prompts;
    prompts.offerUpdate = [](const UpdateCheckResult& result, const QString& currentVersion) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Software Update"),
                        QStringLiteral("Huddlepod %1 is available.").arg(result.version),
                        QMessageBox::NoButton, QApplication::activeWindow());
        box.setInformativeText(QStringLiteral("You have version %1. The download page opens in your browser.")
                                   .arg(currentVersion));
        QPushButton* open = box.addButton(QStringLiteral("Open Download Page"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
        box.setDefaultButton(open);
        box.exec();
        return box.clickedButton() == open;
    };
    prompts.upToDate = [](const UpdateCheckResult&, const QString& currentVersion) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Software Update"),
                        QStringLiteral("Huddlepod is up to date."), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setInformativeText(QStringLiteral("Version %1 is the newest version.").arg(currentVersion));
        box.exec();
    };
    prompts.couldNotCheck = [](const UpdateCheckResult& result) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Software Update"),
                        QStringLiteral("Huddlepod couldn’t check for updates."), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.setInformativeText(result.failureReason);
        box.exec();
    };
    prompts.openPage = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    return prompts;
}

} // namespace huddlepod
