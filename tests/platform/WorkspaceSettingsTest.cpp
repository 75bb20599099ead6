// The desktop settings: the settings portal's answers over XSETTINGS and GTK's settings files, the fallback
// without a bus, following changes, and test replacements.
#include "platform/workspace/GtkThemeStyleSheet.h"
#include "platform/workspace/SystemWorkspaceSettings.h"
#include "platform/workspace/ThemeName.h"

#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QSaveFile>
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

// An XSETTINGS blob (least significant byte first) with the string settings given, each with its padding.
QByteArray xsettingsBlob(const std::vector<std::pair<QByteArray, QByteArray>>& strings) {
    const auto card32 = [](std::uint32_t value) {
        QByteArray bytes;
        for (int i = 0; i < 4; ++i) {
            bytes.append(char((value >> (8 * i)) & 0xff));
        }
        return bytes;
    };
    const auto padded = [](QByteArray bytes) { return bytes.append((4 - bytes.size() % 4) % 4, '\0'); };
    QByteArray blob = QByteArray(4, '\0') + card32(1) + card32(std::uint32_t(strings.size()));
    for (const auto& [name, value] : strings) {
        blob += QByteArray("\x01\x00", 2) + char(name.size()) + '\0' + padded(name) + card32(0) +
                card32(std::uint32_t(value.size())) + padded(value);
    }
    return blob;
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

TEST(ThemeName, darkWhenAWordOfItsNameIsDark) {
    const struct {
        const char* name;
        bool dark;
        bool highContrast;
    } cases[] = {
        {"Greybird-dark", true, false},      {"Adwaita-dark", true, false},
        {"Arc-Dark", true, false},           {"Yaru-dark", true, false},
        {"Mint-Y-Dark", true, false},        {"Mint-Y-Dark-Aqua", true, false},
        {"Adwaita:dark", true, false}, // GTK_THEME's variant
        {"BreezeDark", true, false},         {"Materia_dark compact", true, false},
        {"HighContrastInverse", true, true}, {"Greybird", false, false},
        {"Adwaita", false, false},           {"Arc-Darker", false, false}, // dark title bars on light content
        {"Darkroom", false, false},          {"Nordark", false, false},
        {"HighContrast", false, true},       {"", false, false},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(isDarkThemeName(QString::fromUtf8(row.name)), row.dark) << row.name;
        EXPECT_EQ(isHighContrastThemeName(QString::fromUtf8(row.name)), row.highContrast) << row.name;
    }
}

// A theme's own gtk.css, found where GTK looks, decides by the lightness of the window background it defines;
// the name decides where it has none (Adwaita-dark is built into GTK).
TEST(SystemWorkspaceSettings, aThemesOwnStyleSheetDecidesBeforeItsName) {
    QTemporaryDir data;
    const QStringList folders{data.filePath("user"), data.filePath("dot"), data.filePath("system")};
    const struct {
        const char* theme;
        std::vector<std::pair<const char*, QByteArray>> sheets; // path under the data folder, content
        bool dark;
    } cases[] = {
        {"Nordic-darker",
         {{"system/Nordic-darker/gtk-3.0/gtk.css", "@define-color theme_bg_color #2E3440;\n"}},
         true},
        {"Mist-dark", {{"system/Mist-dark/gtk-3.0/gtk.css", "@define-color theme_bg_color #888;"}}, false},
        {"Edge", {{"system/Edge/gtk-3.0/gtk.css", "@define-color theme_bg_color #777;"}}, true},
        // The user's copy before the system's; a definition in a comment counts for nothing.
        {"Solar",
         {{"dot/Solar/gtk-3.0/gtk.css",
           "/* @define-color theme_bg_color #000; */ @define-color theme_bg_color rgba(250, 250, 250, 0.9);"},
          {"system/Solar/gtk-3.0/gtk.css", "@define-color theme_bg_color #111111;"}},
         false},
        {"Quartz",
         {{"user/Quartz/gtk-3.20/gtk.css", "@define-color theme_bg_color rgb(12%, 12%, 12%);"}},
         true},
        // The newest GTK 3 folder of a theme, every even minor version down to gtk-3.0; GTK 4's only last.
        {"Dune",
         {{"system/Dune/gtk-3.0/gtk.css", "@define-color theme_bg_color #101010;"},
          {"system/Dune/gtk-3.18/gtk.css", "@define-color theme_bg_color #202020;"},
          {"system/Dune/gtk-3.24/gtk.css", "@define-color theme_bg_color #f0f0f0;"},
          {"system/Dune/gtk-4.0/gtk.css", "@define-color theme_bg_color #303030;"}},
         false},
        {"Reed",
         {{"system/Reed/gtk-3.0/gtk.css", "@define-color theme_bg_color #101010;"},
          {"system/Reed/gtk-3.19/gtk.css", "@define-color theme_bg_color #f0f0f0;"}},
         true},
        // A folder earlier in GTK's order wins with its oldest version over a later one's newest.
        {"Fern",
         {{"dot/Fern/gtk-3.0/gtk.css", "@define-color theme_bg_color #fafafa;"},
          {"system/Fern/gtk-3.24/gtk.css", "@define-color theme_bg_color #0a0a0a;"}},
         false},
        // A definition commented out after the one in force; percentages of 255.
        {"Slate",
         {{"system/Slate/gtk-3.0/gtk.css",
           "@define-color theme_bg_color #1a1a1a;\n/*\n@define-color theme_bg_color #fafafa;\n*/\n"}},
         true},
        {"Chalk",
         {{"system/Chalk/gtk-3.0/gtk.css", "@define-color theme_bg_color rgb(60%, 60%, 60%);"}},
         false},
        {"Coal",
         {{"system/Coal/gtk-3.0/gtk.css", "@define-color theme_bg_color rgba(20%, 90%, 30%, 0.5);"}},
         false},
        // GTK 4's sheet, through another colour, where there is no GTK 3 one.
        {"Midnight",
         {{"system/Midnight/gtk-4.0/gtk.css",
           "@define-color base #242424;\n@define-color window_bg_color @base;\n"}},
         true},
        // GTK_THEME's variant loads gtk-<variant>.css.
        {"Stone:light",
         {{"system/Stone/gtk-3.0/gtk.css", "@define-color theme_bg_color #202020;"},
          {"system/Stone/gtk-3.0/gtk-light.css", "@define-color theme_bg_color #f0f0f0;"}},
         false},
        // Forms not read, and no sheet at all: the name.
        {"Shade-dark",
         {{"system/Shade-dark/gtk-3.0/gtk.css", "@define-color theme_bg_color shade(#fff, 1.1);"}},
         true},
        {"Adwaita-dark", {}, true},
        {"Arc-Darker", {{"system/Arc-Darker/gtk-3.0/gtk.css", "@import url(\"gtk-main.css\");"}}, false},
    };
    QTemporaryDir config;
    for (const auto& row : cases) {
        for (const auto& [path, content] : row.sheets) {
            writeSettings(data.filePath(path), content);
        }
        const SystemWorkspaceSettings settings(config.path(), QString::fromUtf8(row.theme), nullptr, nullptr,
                                               nullptr, folders);
        EXPECT_EQ(settings.prefersDarkAppearance(), row.dark) << row.theme;
    }

    // A sheet changed on disk is read again.
    const SystemWorkspaceSettings nordic(config.path(), QStringLiteral("Nordic-darker"), nullptr, nullptr,
                                         nullptr, folders);
    EXPECT_TRUE(nordic.prefersDarkAppearance());
    writeSettings(data.filePath("system/Nordic-darker/gtk-3.0/gtk.css"),
                  "@define-color theme_bg_color #ECEFF4;");
    EXPECT_FALSE(nordic.prefersDarkAppearance());

    // GTK's folders: the user's data folder and ~/.themes, then the system's data folders.
    const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME"),
                     dirs = qgetenv("XDG_DATA_DIRS");
    qputenv("HOME", "/home/u");
    qputenv("XDG_DATA_HOME", "/home/u/data");
    qputenv("XDG_DATA_DIRS", "/opt/share:/usr/share");
    EXPECT_EQ(gtkThemeFolders(), QStringList({"/home/u/data/themes", "/home/u/.themes", "/opt/share/themes",
                                              "/usr/share/themes"}));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(gtkThemeFolders(), QStringList({"/home/u/.local/share/themes", "/home/u/.themes",
                                              "/usr/local/share/themes", "/usr/share/themes"}));
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", dataHome);
    qputenv("XDG_DATA_DIRS", dirs);
}

TEST(SystemWorkspaceSettings, xsettingsBeforeTheFileAndThePortalBeforeBoth) {
    QTemporaryDir config;
    writeSettings(config.filePath("gtk-3.0/settings.ini"),
                  "[Settings]\ngtk-theme-name=Adwaita\ngtk-enable-animations=false\n");
    DesktopSettingsPortal portal(DesktopSettingsPortal::Connection::none);
    XSettingsClient xsettings(XSettingsClient::Connection::none);
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "), &portal, &xsettings);
    const SystemWorkspaceSettings overridden(config.path(), QStringLiteral("Adwaita"), &portal, &xsettings);
    const struct {
        const char* name;
        std::optional<QByteArray> blob; // none: no manager
        std::optional<uint> colorScheme;
        Answers expected;
        bool overriddenDark;
    } steps[] = {
        {"the file alone", std::nullopt, std::nullopt, {true, false, false}, false},
        {"the manager's dark theme",
         xsettingsBlob({{"Net/ThemeName", "Greybird-dark"}}),
         std::nullopt,
         {true, false, true},
         false},
        {"the portal says light",
         xsettingsBlob({{"Net/ThemeName", "Greybird-dark"}}),
         2u,
         {true, false, false},
         false},
        {"the portal has no preference",
         xsettingsBlob({{"Net/ThemeName", "Greybird-dark"}}),
         0u,
         {true, false, true},
         false},
        {"the manager's light theme",
         xsettingsBlob({{"Net/ThemeName", "Greybird"}}),
         0u,
         {true, false, false},
         false},
        {"a high-contrast theme",
         xsettingsBlob({{"Net/ThemeName", "HighContrastInverse"}}),
         0u,
         {true, true, true},
         false},
        {"the manager gone", std::nullopt, 0u, {true, false, false}, false},
    };
    for (const auto& step : steps) {
        xsettings.update(step.blob ? std::optional<QByteArrayView>(*step.blob) : std::nullopt);
        portal.update(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                      step.colorScheme ? QVariant(*step.colorScheme) : QVariant());
        EXPECT_EQ(answers(settings), step.expected) << step.name;
        EXPECT_EQ(overridden.prefersDarkAppearance(), step.overriddenDark) << step.name; // GTK_THEME holds
    }
}

TEST(GtkSettingsFileWatcher, followsEditsRenamesAndFilesCreatedLater) {
    // The configuration folder itself does not exist yet.
    QTemporaryDir home;
    const QDir config(home.filePath("config"));
    GtkSettingsFileWatcher watcher(config.path());
    const SystemWorkspaceSettings settings(config.path(), QStringLiteral(" "), nullptr, nullptr, &watcher);
    QSignalSpy changed(&watcher, &GtkSettingsFileWatcher::changed);
    EXPECT_FALSE(settings.prefersDarkAppearance());

    const auto replace = [&](const char* file, const QByteArray& body) {
        // As editors and GTK's own tools save: a new file renamed over the old one.
        QDir().mkpath(QFileInfo(config.filePath(file)).path());
        QSaveFile save(config.filePath(file));
        ASSERT_TRUE(save.open(QIODevice::WriteOnly));
        save.write(body);
        ASSERT_TRUE(save.commit());
    };
    const struct {
        const char* name;
        std::function<void()> change;
        bool dark;
    } steps[] = {
        {"the folder created with gtk-3.0 and its file",
         [&] { replace("gtk-3.0/settings.ini", "[Settings]\ngtk-application-prefer-dark-theme=1\n"); }, true},
        {"renamed over",
         [&] { replace("gtk-3.0/settings.ini", "[Settings]\ngtk-application-prefer-dark-theme=0\n"); },
         false},
        {"edited in place",
         [&] {
             writeSettings(config.filePath("gtk-3.0/settings.ini"), "[Settings]\ngtk-theme-name=Yaru-dark\n");
         },
         true},
        {"gtk-4.0's file wins once it exists",
         [&] { replace("gtk-4.0/settings.ini", "[Settings]\ngtk-theme-name=Yaru\n"); }, false},
        {"gtk-4.0's file removed", [&] { QFile::remove(config.filePath("gtk-4.0/settings.ini")); }, true},
    };
    int announcements = 0;
    for (const auto& step : steps) {
        step.change();
        EXPECT_TRUE(changed.wait(5000)) << step.name;
        EXPECT_EQ(settings.prefersDarkAppearance(), step.dark) << step.name;
        announcements = changed.count();
    }
    // A file elsewhere in the folder announces nothing: the next announcement is the next real change.
    writeSettings(config.filePath("other.ini"), "[Settings]\ngtk-application-prefer-dark-theme=1\n");
    writeSettings(config.filePath("gtk-3.0/settings.ini"), "[Settings]\n");
    EXPECT_TRUE(changed.wait(5000));
    EXPECT_FALSE(settings.prefersDarkAppearance());
    EXPECT_EQ(changed.count(), announcements + 1);
}
