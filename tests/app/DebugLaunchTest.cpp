// The launch switches: the Ctrl+, check's five answers and the open-settings flip.
#include "app/DebugLaunch.h"
#include "app/MainMenu.h"

#include "../support/AsyncTest.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

QStringList logged(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                          : QStringList();
}

} // namespace

TEST(DebugLaunch, theSettingsSwitchesOpenFlipAndCheckTheKeyEquivalent) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.log"));
    qputenv("HUDDLEPOD_DEBUG_LOG", path.toUtf8());
    qputenv("HUDDLEPOD_OPEN_SETTINGS", "0");
    qputenv("HUDDLEPOD_FLIP_APPEARANCE", "dark");
    qputenv("HUDDLEPOD_COMMA", "0.01");

    QWidget settings;
    std::optional<AppearancePreference> flipped;
    const auto open = [&settings] { settings.show(); };
    EXPECT_FALSE(DebugLaunch::sendSettingsKeyEquivalent());
    const std::unique_ptr<MainMenu> menu(MainMenu::install(open, [] {}));
    QObject context;
    DebugLaunch::scheduleLaunchSwitches(
        &context,
        {open, [&settings] { return &settings; }, [&](AppearancePreference p) { flipped = p; }, {}});
    const QStringList expected{"[drive] READY-TO-CAPTURE settings",
                               "[drive] ⌘, routed through the main menu: true",
                               "[drive] settings window open: true",
                               "[drive] closed; still open: false",
                               "[drive] ⌘, again: true",
                               "[drive] reopened: true"};
    EXPECT_TRUE(test::waitUntil([&] { return logged(path).size() >= expected.size() + 1; }));
    for (const char* name :
         {"HUDDLEPOD_DEBUG_LOG", "HUDDLEPOD_OPEN_SETTINGS", "HUDDLEPOD_FLIP_APPEARANCE", "HUDDLEPOD_COMMA"}) {
        qunsetenv(name);
    }
    QStringList lines = logged(path);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.takeFirst().startsWith(QStringLiteral("[drive] memory settings window open")));
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(flipped, AppearancePreference::dark);
}
