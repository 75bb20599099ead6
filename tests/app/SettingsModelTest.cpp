// Launch at login over a temporary autostart folder, and the settings model over a temporary store.
#include "app/SettingsModel.h"
#include "app/LoginItem.h"
#include "app/UpdaterController.h"
#include "platform/UserDefaults.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

namespace huddlepod {
namespace {

using State = LoginItem::State;

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

TEST(LoginItem, turnsOnAndOffThroughItsOwnEntryOnly) {
    QTemporaryDir dir;
    const QString autostart = dir.filePath(QStringLiteral("config/autostart"));
    const LoginItem item(autostart, QStringLiteral("/usr/bin/huddlepod"));
    EXPECT_EQ(item.state(), State::disabled);
    ASSERT_FALSE(item.set(true));
    EXPECT_EQ(item.state(), State::enabled);
    // Named and drawn as the installed menu entry is.
    EXPECT_EQ(contents(item.entryPath()), "[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=Huddlepod\n"
                                          "Exec=/usr/bin/huddlepod\n"
                                          "Icon=org.huddlepod.Huddlepod\n"
                                          "Terminal=false\n"
                                          "X-GNOME-Autostart-enabled=true\n");

    const QString otherEntry = autostart + QStringLiteral("/other.desktop");
    write(otherEntry, "[Desktop Entry]\nExec=other\n");
    ASSERT_FALSE(item.set(false));
    EXPECT_EQ(item.state(), State::disabled);
    EXPECT_FALSE(QFile::exists(item.entryPath()));
    EXPECT_EQ(contents(otherEntry), "[Desktop Entry]\nExec=other\n");
    EXPECT_FALSE(item.set(false)) << "turning off what is already off succeeds";

    // An entry switched off by the desktop counts as off, and so does one that starts another program (a
    // copy that has moved since); keys of other groups do not count.
    const std::vector<std::pair<QByteArray, State>> entries{
        {"[Desktop Entry]\nHidden=true\nExec=/usr/bin/huddlepod\n", State::disabled},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\nExec=/usr/bin/huddlepod\n", State::disabled},
        {"[Desktop Entry]\nExec=/usr/bin/huddlepod\n[Desktop Action a]\nHidden=true\n", State::enabled},
        {"[Desktop Entry]\nExec=/usr/bin/huddlepod --quiet\n", State::enabled},
        {"[Desktop Entry]\nExec=\"/usr/bin/huddlepod\"\n", State::enabled},
        {"[Desktop Entry]\nExec=/opt/old/huddlepod\n", State::disabled},
        {"[Desktop Entry]\nExec=/usr/bin/huddlepod2\n", State::disabled},
        {"[Desktop Entry]\nName=Huddlepod\n", State::disabled},
        {"[Desktop Entry]\n[Other]\nExec=/usr/bin/huddlepod\n", State::disabled},
    };
    for (const auto& [entry, expected] : entries) {
        write(item.entryPath(), entry);
        EXPECT_EQ(item.state(), expected) << entry.toStdString();
    }
    EXPECT_FALSE(item.set(true));
    EXPECT_EQ(item.state(), State::enabled) << "turning it on rewrites a stale entry";
    EXPECT_TRUE(contents(item.entryPath()).contains("\nExec=/usr/bin/huddlepod\n"));
    EXPECT_EQ(LoginItem(autostart, std::nullopt).state(), State::unavailable);
}

TEST(LoginItem, execLineQuotesAndEscapesAsDesktopEntriesRequire) {
    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral("/usr/bin/huddlepod"), QStringLiteral("/usr/bin/huddlepod")},
        {QStringLiteral("/opt/Huddle Pod/huddlepod"), QStringLiteral("\"/opt/Huddle Pod/huddlepod\"")},
        {QStringLiteral("/opt/a\"b/$c`d"), QStringLiteral("\"/opt/a\\\\\"b/\\\\$c\\\\`d\"")},
        {QStringLiteral("/opt/100%/hp"), QStringLiteral("/opt/100%%/hp")},
    };
    for (const auto& [program, exec] : cases) {
        EXPECT_EQ(LoginItem::execValue(program), exec) << program.toStdString();
        EXPECT_EQ(LoginItem::execProgram(exec), program) << "read back: " << exec.toStdString();
    }
    EXPECT_EQ(LoginItem::execProgram(QStringLiteral("\"/opt/x")), std::nullopt) << "an open quote";
}

TEST(LoginItem, failuresNameTheVerbAndTheSystemsReason) {
    QTemporaryDir dir;
    const LoginItem blocked(dir.path(), QStringLiteral("/bin/hp"));
    ASSERT_TRUE(QDir().mkpath(blocked.entryPath() + QStringLiteral("/inside")));
    EXPECT_EQ(blocked.set(false), QStringLiteral("Couldn't disable launch at login: Directory not empty"));

    // A folder under a regular file cannot be made, not even by root.
    write(dir.filePath(QStringLiteral("file")), "");
    EXPECT_EQ(LoginItem(dir.filePath(QStringLiteral("file/autostart")), QStringLiteral("/bin/hp")).set(true),
              QStringLiteral("Couldn't enable launch at login: Not a directory"));
    EXPECT_EQ(blocked.set(true),
              QStringLiteral("Couldn't enable launch at login: Filename refers to a directory"));
}

class Settings : public ::testing::Test {
protected:
    SettingsModel& makeModel(std::optional<QString> program = QStringLiteral("/bin/hp")) {
        SettingsModel::Environment environment;
        environment.defaults = store.get();
        environment.loginItem = LoginItem(autostart, std::move(program));
        environment.onResetPanelPosition = [this] { detached = false; };
        environment.isPanelDetached = [this] { return detached; };
        environment.applyAppearance = [this](AppearancePreference p) { applied.push_back(p); };
        model.emplace(std::move(environment));
        return *model;
    }

    QTemporaryDir dir;
    QString autostart = dir.filePath(QStringLiteral("autostart"));
    std::unique_ptr<QSettings> store = UserDefaults::open(dir.filePath(QStringLiteral("Huddlepod.ini")));
    bool detached = true;
    std::vector<AppearancePreference> applied;
    std::optional<SettingsModel> model;
};

TEST_F(Settings, appearanceIsStoredAndAppliedOnlyWhenItChanges) {
    store->setValue(QStringLiteral("appearance"), QStringLiteral("dark"));
    SettingsModel& settings = makeModel();
    EXPECT_EQ(settings.appearance(), AppearancePreference::dark);
    settings.setAppearance(AppearancePreference::dark);
    EXPECT_TRUE(applied.empty()) << "reading at start and choosing the same again apply nothing";

    settings.setAppearance(AppearancePreference::light);
    EXPECT_EQ(store->value(QStringLiteral("appearance")).toString(), QStringLiteral("light"));
    settings.setAppearance(AppearancePreference::system);
    EXPECT_FALSE(store->contains(QStringLiteral("appearance")));
    emit WorkspaceSettings::notifier().changed(); // the desktop turned dark: "System" is applied again

    store->setValue(QStringLiteral("appearance"), QStringLiteral("dark")); // another writer
    settings.refresh();
    EXPECT_EQ(settings.appearance(), AppearancePreference::dark);
    EXPECT_EQ(applied, (std::vector{AppearancePreference::light, AppearancePreference::system,
                                    AppearancePreference::system, AppearancePreference::dark}));
}

TEST_F(Settings, refreshReadsWhetherThePanelIsDetachedAgainAndTellsTheForm) {
    detached = false;
    SettingsModel& settings = makeModel();
    int changes = 0;
    QObject::connect(&settings, &SettingsModel::changed, [&changes] { ++changes; });
    // The panel detached or not before the refresh, then the model's flag and the changes told so far.
    const std::vector<std::tuple<bool, bool, int>> refreshes{
        {true, true, 1},   // dragged away while the window was closed
        {true, true, 1},   // nothing new: nothing told
        {false, false, 2}, // attached again from the tray menu
    };
    for (const auto& [panel, shown, told] : refreshes) {
        detached = panel;
        settings.refresh();
        EXPECT_EQ(settings.isPanelDetached(), shown);
        EXPECT_EQ(changes, told);
    }
}

TEST_F(Settings, aWriteTheFileRefusesIsReportedWithTheSystemsReasonAndOnceOnStandardError) {
    // A folder under a regular file cannot be made, not even by root.
    const QString config = dir.filePath(QStringLiteral("config"));
    store = UserDefaults::open(config + QStringLiteral("/Huddlepod.ini"));
    SettingsModel& settings = makeModel();
    UpdaterController::Environment updates;
    updates.defaults = store.get();
    UpdaterController updater(std::move(updates));
    Preferences preferences(*store);
    const auto block = [&] {
        QDir(config).removeRecursively();
        write(config, "");
    };

    const std::vector<std::pair<const char*, std::function<void()>>> writes{
        {"appearance", [&] { settings.setAppearance(AppearancePreference::light); }},
        {"automatic update checks", [&] { updater.setAutomaticallyChecksForUpdates(true); }},
        {"hotkey hint", [&] { preferences.setHasSeenHotkeyHint(true); }},
    };
    ::testing::internal::CaptureStderr();
    for (const auto& [name, change] : writes) {
        block();
        change();
        change();
        EXPECT_EQ(settings.errorMessage(), QStringLiteral("Couldn't save settings: Not a directory")) << name;
        ASSERT_TRUE(QFile::remove(config));
        preferences.setHasSeenHotkeyHint(false);
        EXPECT_EQ(settings.errorMessage(), std::nullopt) << name << ": a write that succeeds ends it";
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "huddlepod: Couldn't save settings: Not a directory\n"
              "huddlepod: Couldn't save settings: Not a directory\n"
              "huddlepod: Couldn't save settings: Not a directory\n")
        << "once for each run of failures";

    block();
    settings.setAppearance(AppearancePreference::dark);
    settings.setLaunchAtLogin(true);
    EXPECT_EQ(settings.errorMessage(), QStringLiteral("Couldn't save settings: Not a directory"))
        << "a login item that works leaves the failed write shown";
    ASSERT_TRUE(QFile::remove(config));
    preferences.setHasSeenHotkeyHint(false);
}

} // namespace
} // namespace huddlepod
