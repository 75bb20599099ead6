// The launch switches: the Ctrl+, check's five answers and the open-settings flip.
#include "app/DebugLaunch.h"

#include "../support/AsyncTest.h"

#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

// Stands in for the main menu: Ctrl+, opens the settings window.
class SettingsKey : public QObject {
public:
    explicit SettingsKey(std::function<void()> open)
        : open_(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Comma && key->modifiers() == Qt::ControlModifier) {
                open_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> open_;
};

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
    SettingsKey menu(open);
    EXPECT_FALSE(DebugLaunch::sendSettingsKeyEquivalent());
    qApp->installEventFilter(&menu);
    QObject context;
    DebugLaunch::scheduleLaunchSwitches(
        &context,
        {open, [&settings] { return &settings; }, [&](AppearancePreference p) { flipped = p; }, {}});
    const QStringList expected{
        QStringLiteral("[drive] READY-TO-CAPTURE settings"),
        QStringLiteral("[drive] ⌘, routed through the main menu: true"),
        QStringLiteral("[drive] settings window open: true"),
        QStringLiteral("[drive] closed; still open: false"),
        QStringLiteral("[drive] ⌘, again: true"),
        QStringLiteral("[drive] reopened: true"),
    };
    EXPECT_TRUE(test::waitUntil([&] { return logged(path).size() >= expected.size() + 1; }));
    qApp->removeEventFilter(&menu);
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
