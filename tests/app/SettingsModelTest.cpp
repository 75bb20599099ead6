// Launch at login over a temporary autostart folder, and the settings model over a temporary store.
#include "app/SettingsModel.h"
#include "app/LoginItem.h"
#include "platform/UserDefaults.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

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
    EXPECT_TRUE(contents(item.entryPath()).contains("\nExec=/usr/bin/huddlepod\n"));

    const QString otherEntry = autostart + QStringLiteral("/other.desktop");
    write(otherEntry, "[Desktop Entry]\nExec=other\n");
    ASSERT_FALSE(item.set(false));
    EXPECT_EQ(item.state(), State::disabled);
    EXPECT_FALSE(QFile::exists(item.entryPath()));
    EXPECT_EQ(contents(otherEntry), "[Desktop Entry]\nExec=other\n");
    EXPECT_FALSE(item.set(false)) << "turning off what is already off succeeds";

    // An entry switched off by the desktop counts as off; keys of other groups do not.
    const std::vector<std::pair<QByteArray, State>> entries{
        {"[Desktop Entry]\nHidden=true\n", State::disabled},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", State::disabled},
        {"[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n", State::enabled},
    };
    for (const auto& [entry, expected] : entries) {
        write(item.entryPath(), entry);
        EXPECT_EQ(item.state(), expected) << entry.toStdString();
    }
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
    }
}

TEST(LoginItem, failuresNameTheVerbAndTheSystemsReason) {
    QTemporaryDir dir;
    const LoginItem blocked(dir.path(), QStringLiteral("/bin/hp"));
    ASSERT_TRUE(QDir().mkpath(blocked.entryPath() + QStringLiteral("/inside")));
    EXPECT_EQ(blocked.set(false), QStringLiteral("Couldn't disable launch at login: Directory not empty"));

    if (geteuid() != 0) { // permissions do not stop root
        const QString readOnly = dir.filePath(QStringLiteral("readonly"));
        ASSERT_TRUE(QDir().mkpath(readOnly));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(LoginItem(readOnly, QStringLiteral("/bin/hp")).set(true),
                  QStringLiteral("Couldn't enable launch at login: Permission denied"));
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
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

} // namespace
} // namespace huddlepod
