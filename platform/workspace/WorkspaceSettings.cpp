// The shared workspace settings and their test replacement.
#include "platform/workspace/WorkspaceSettings.h"

#include "platform/workspace/SystemWorkspaceSettings.h"

namespace huddlepod {

namespace {
const WorkspaceSettings* installedSettings = nullptr;
}

const WorkspaceSettings& WorkspaceSettings::shared() {
    if (installedSettings != nullptr) {
        return *installedSettings;
    }
    static const SystemWorkspaceSettings system;
    return system;
}

void WorkspaceSettings::install(const WorkspaceSettings* replacement) {
    installedSettings = replacement;
}

ScopedWorkspaceSettings::ScopedWorkspaceSettings()
    : previous_(installedSettings) {
    install(this);
}

ScopedWorkspaceSettings::~ScopedWorkspaceSettings() {
    install(previous_);
}

} // namespace huddlepod
