// The desktop's accessibility and appearance settings that the views read: reduce motion, increase contrast,
// dark.
#pragma once

#include <QObject>

#include <memory>

namespace huddlepod {

// Tells whoever applies the settings (the palette, the system appearance) that the desktop changed them.
class WorkspaceSettingsNotifier : public QObject {
    Q_OBJECT
signals:
    void changed();
};

// Read afresh whenever an animation starts or a colour is resolved, so a change on the desktop takes effect
// at once; notifier() says when something changed, for what is applied once (the application palette).
class WorkspaceSettings {
public:
    virtual ~WorkspaceSettings() = default;

    virtual bool reduceMotion() const = 0;
    virtual bool increaseContrast() const = 0;
    // What the desktop itself prefers; the "system" appearance follows it.
    virtual bool prefersDarkAppearance() const = 0;

    // The settings the views read: the desktop's own unless a replacement is installed (tests, debug runs).
    static const WorkspaceSettings& shared();
    // Installs a replacement until it is removed with nullptr; the caller keeps it alive meanwhile.
    static void install(const WorkspaceSettings* replacement);
    // Emits changed() when the desktop's settings change (and when a replacement is installed or removed).
    static WorkspaceSettingsNotifier& notifier();
};

// Fixed answers, for tests and for runs that pin the settings.
class FixedWorkspaceSettings : public WorkspaceSettings {
public:
    bool reduceMotionValue = false;
    bool increaseContrastValue = false;
    bool prefersDarkValue = false;

    bool reduceMotion() const override { return reduceMotionValue; }
    bool increaseContrast() const override { return increaseContrastValue; }
    bool prefersDarkAppearance() const override { return prefersDarkValue; }
};

// Installs fixed settings for the lifetime of the object and restores the previous ones afterwards.
class ScopedWorkspaceSettings : public FixedWorkspaceSettings {
public:
    ScopedWorkspaceSettings();
    ~ScopedWorkspaceSettings() override;
    ScopedWorkspaceSettings(const ScopedWorkspaceSettings&) = delete;
    ScopedWorkspaceSettings& operator=(const ScopedWorkspaceSettings&) = delete;

private:
    const WorkspaceSettings* previous_;
};

} // namespace huddlepod
