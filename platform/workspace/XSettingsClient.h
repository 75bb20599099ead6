// The desktop's settings as an XSETTINGS manager publishes them (XFCE's, MATE's and Cinnamon's settings
// daemons), read on Qt's X connection and followed while the app runs.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace huddlepod {

// The settings of ours among what the manager publishes; absent where it publishes none (or a value of
// another type).
struct XSettingsValues {
    std::optional<QString> themeName;     // Net/ThemeName
    std::optional<bool> preferDark;       // Gtk/ApplicationPreferDarkTheme
    std::optional<bool> enableAnimations; // Gtk/EnableAnimations
    bool operator==(const XSettingsValues&) const = default;
};

class XSettingsClient : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    enum class Connection { qt, none };

    // With qt on X11: reads the settings of the screen's manager (_XSETTINGS_S<screen>) and follows them: a
    // change of its _XSETTINGS_SETTINGS property, a new manager announcing itself (MANAGER on the root
    // window), the manager going away. Elsewhere, or with none: no values, at once.
    explicit XSettingsClient(Connection connection = Connection::qt, QObject* parent = nullptr);
    ~XSettingsClient() override;

    const XSettingsValues& values() const { return values_; }

    // Takes the manager's property as it now reads (none: no manager); a blob that does not parse counts as
    // no settings. Emits changed() when our values differ.
    void update(std::optional<QByteArrayView> blob);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void changed();

private:
    // Finds the manager, watches its window and reads its settings.
    void refresh();

    XSettingsValues values_;
    bool following_ = false;
    std::uint32_t selection_ = 0;
    std::uint32_t settingsAtom_ = 0;
    std::uint32_t managerAtom_ = 0;
    std::uint32_t owner_ = 0;
    std::uint32_t addedRootMask_ = 0;
    bool refreshQueued_ = false;
};

} // namespace huddlepod
