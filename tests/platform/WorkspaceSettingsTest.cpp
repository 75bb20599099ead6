// The desktop settings: the settings portal's answers over GTK's settings files, the fallback without a bus,
// following changes, and test replacements.
#include "platform/workspace/SystemWorkspaceSettings.h"

#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

void writeSettings(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(body);
}

struct Answers {
    bool reduceMotion, increaseContrast, prefersDark;
    bool operator==(const Answers&) const = default;
};

Answers answers(const WorkspaceSettings& settings) {
    return {settings.reduceMotion(), settings.increaseContrast(), settings.prefersDarkAppearance()};
}

} // namespace

TEST(SystemWorkspaceSettings, gtkFilesAndThemeOverride) {
    const struct {
        const char* gtk3;
        const char* gtk4;
        const char* theme;
        Answers expected;
    } cases[] = {
        {"[Settings]\ngtk-enable-animations=false\ngtk-theme-name=HighContrastInverse\n",
         nullptr,
         " ",
         {true, true, true}},
        // gtk-4.0 wins; keys outside [Settings] are ignored.
        {"[Settings]\ngtk-enable-animations=0\n",
         "[Other]\ngtk-enable-animations=false\n[Settings]\ngtk-application-prefer-dark-theme=1\n",
         " ",
         {false, false, true}},
        {"[Settings]\ngtk-theme-name=Adwaita\n", nullptr, "Adwaita:dark", {false, false, true}},
    };
    for (const auto& row : cases) {
        QTemporaryDir config;
        if (row.gtk3 != nullptr) {
            writeSettings(config.filePath("gtk-3.0/settings.ini"), row.gtk3);
        }
        if (row.gtk4 != nullptr) {
            writeSettings(config.filePath("gtk-4.0/settings.ini"), row.gtk4);
        }
        EXPECT_EQ(answers(SystemWorkspaceSettings(config.path(), QString::fromUtf8(row.theme))), row.expected)
            << row.theme;
    }
}

TEST(SystemWorkspaceSettings, portalWinsWhereItStatesAPreferenceAndIsFollowed) {
    QTemporaryDir config;
    writeSettings(config.filePath("gtk-3.0/settings.ini"),
                  "[Settings]\ngtk-enable-animations=false\ngtk-theme-name=Adwaita-dark\n");
    DesktopSettingsPortal portal(DesktopSettingsPortal::Connection::none);
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "), &portal);
    EXPECT_EQ(answers(settings), (Answers{true, false, true})); // nothing stated: the file
    QSignalSpy changed(&portal, &DesktopSettingsPortal::changed);
    const QVariant light = QVariant::fromValue(QDBusVariant(2u)); // as SettingChanged delivers it
    const struct {
        const char* group;
        const char* key;
        QVariant value;
        Answers expected;
    } steps[] = {
        {"org.freedesktop.appearance", "color-scheme", light, {true, false, false}},
        {"org.freedesktop.appearance", "color-scheme", 0u, {true, false, true}}, // no preference
        {"org.kde.kdeglobals.KDE", "AnimationDurationFactor", 0.5, {false, false, true}},
        {"org.gnome.desktop.interface", "enable-animations", false, {true, false, true}},
        {"org.freedesktop.appearance", "reduced-motion", 0u, {false, false, true}}, // freedesktop's wins
        {"org.gnome.desktop.a11y.interface", "high-contrast", true, {false, true, true}},
        {"org.freedesktop.appearance", "contrast", QStringLiteral("0"), {false, true, true}}, // mistyped
        {"org.gnome.desktop.interface", "gtk-theme", 1, {false, true, true}},                 // not ours
    };
    for (const auto& step : steps) {
        portal.update(QLatin1String(step.group), QLatin1String(step.key), step.value);
        EXPECT_EQ(answers(settings), step.expected) << step.key;
    }
    EXPECT_EQ(changed.count(), 6);
}

TEST(DesktopSettingsPortal, withoutASessionBusStaysEmptyAtOnce) {
    QTemporaryDir runtime;
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const DesktopSettingsPortal portal;
    EXPECT_FALSE(portal.isConnected());
    EXPECT_EQ(portal.settings(), PortalSettings{});
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtimeDir);
}

TEST(WorkspaceSettings, scopedReplacementIsSharedAnnouncedAndRestored) {
    const WorkspaceSettings* system = &WorkspaceSettings::shared();
    QSignalSpy changed(&WorkspaceSettings::notifier(), &WorkspaceSettingsNotifier::changed);
    {
        ScopedWorkspaceSettings fixed;
        fixed.reduceMotionValue = true;
        EXPECT_TRUE(WorkspaceSettings::shared().reduceMotion());
        EXPECT_EQ(&WorkspaceSettings::shared(), &fixed);
    }
    EXPECT_EQ(&WorkspaceSettings::shared(), system);
    EXPECT_EQ(changed.count(), 2);
}
