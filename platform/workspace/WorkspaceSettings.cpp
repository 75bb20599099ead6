// The shared workspace settings and their test replacement.
#include "platform/workspace/WorkspaceSettings.h"

#include "platform/workspace/SystemWorkspaceSettings.h"

#include <QCoreApplication>
#include <QThread>

namespace huddlepod {

namespace {
const WorkspaceSettings* installedSettings = nullptr;
}

const WorkspaceSettings& WorkspaceSettings::shared() {
    if (installedSettings != nullptr) {
        return *installedSettings;
    }
    static const SystemWorkspaceSettings system = [] {
        // The portal needs the application's event loop; it goes with the application object.
        QCoreApplication* application = QCoreApplication::instance();
        if (application == nullptr || application->thread() != QThread::currentThread()) {
            return SystemWorkspaceSettings();
        }
        auto* portal =
            new DesktopSettingsPortal(DesktopSettingsPortal::Connection::sessionBus, 1000, application);
        auto* xsettings = new XSettingsClient(XSettingsClient::Connection::qt, application);
        auto* file =
            new GtkSettingsFileWatcher(SystemWorkspaceSettings::defaultConfigDirectory(), application);
        QObject::connect(portal, &DesktopSettingsPortal::changed, &notifier(),
                         &WorkspaceSettingsNotifier::changed);
        QObject::connect(xsettings, &XSettingsClient::changed, &notifier(),
                         &WorkspaceSettingsNotifier::changed);
        QObject::connect(file, &GtkSettingsFileWatcher::changed, &notifier(),
                         &WorkspaceSettingsNotifier::changed);
        return SystemWorkspaceSettings({}, {}, portal, xsettings, file);
    }();
    return system;
}

void WorkspaceSettings::install(const WorkspaceSettings* replacement) {
    installedSettings = replacement;
    emit notifier().changed();
}

WorkspaceSettingsNotifier& WorkspaceSettings::notifier() {
    static WorkspaceSettingsNotifier instance;
    return instance;
}

ScopedWorkspaceSettings::ScopedWorkspaceSettings()
    : previous_(installedSettings) {
    install(this);
}

ScopedWorkspaceSettings::~ScopedWorkspaceSettings() {
    install(previous_);
}

} // namespace huddlepod
