// The freedesktop settings portal (org.freedesktop.portal.Settings on the session bus): the desktop's colour
// scheme, contrast and motion preferences, read once and followed while the app runs.
#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

class QDBusVariant;

namespace huddlepod {

// What the portal said, per source; the accessors decide between sources.
struct PortalSettings {
    std::optional<uint> colorScheme;          // org.freedesktop.appearance color-scheme: 1 dark, 2 light
    std::optional<uint> contrast;             // org.freedesktop.appearance contrast: 1 higher
    std::optional<uint> reducedMotion;        // org.freedesktop.appearance reduced-motion: 1 reduced
    std::optional<bool> gnomeAnimations;      // org.gnome.desktop.interface enable-animations
    std::optional<bool> gnomeHighContrast;    // org.gnome.desktop.a11y.interface high-contrast
    std::optional<double> kdeAnimationFactor; // org.kde.kdeglobals.KDE AnimationDurationFactor: 0 is off

    // Absent where the desktop states no preference (then GTK's settings file decides).
    std::optional<bool> prefersDark() const;
    std::optional<bool> increaseContrast() const;
    std::optional<bool> reduceMotion() const;

    // Takes one setting as the portal reports it (values may come wrapped in D-Bus variants); returns whether
    // it is one of ours. A value of the wrong type clears the setting.
    bool apply(const QString& group, const QString& key, const QVariant& value);
    // Every setting of a ReadAll answer (namespace → key → value).
    void applyAll(const QMap<QString, QVariantMap>& groups);

    bool operator==(const PortalSettings&) const = default;
};

class DesktopSettingsPortal : public QObject {
    Q_OBJECT
public:
    // The namespaces asked for.
    static const QStringList groups;

    enum class Connection { sessionBus, none };

    // With sessionBus: reads the settings once (waiting at most timeoutMs) and follows SettingChanged. With
    // no session bus to reach, or none: stays empty, at once and silently.
    explicit DesktopSettingsPortal(Connection connection = Connection::sessionBus, int timeoutMs = 1000,
                                   QObject* parent = nullptr);

    const PortalSettings& settings() const { return settings_; }
    bool isConnected() const { return connected_; }

    // One setting changed (what SettingChanged delivers); emits changed() when it is ours.
    void update(const QString& group, const QString& key, const QVariant& value);

    // Whether a session bus address is known: DBUS_SESSION_BUS_ADDRESS, or the user bus socket under
    // XDG_RUNTIME_DIR. Without one, connecting could only fail, or start an autolaunch.
    static bool sessionBusReachable();

signals:
    void changed();

private slots:
    void onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    PortalSettings settings_;
    bool connected_ = false;
};

} // namespace huddlepod
