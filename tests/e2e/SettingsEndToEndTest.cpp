// The settings window in the real program under a private Xvfb: opened with Ctrl+, from the panel, and a new
// global shortcut recorded with real key presses, taking over from the old one and surviving a restart.
#include "tests/support/XServerHarness.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using huddlepod::test::XServerHarness;

class SettingsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.isRunning());
        ASSERT_TRUE(x.startTrayHost());
    }
    void TearDown() override {
        app.kill();
        app.waitForFinished();
    }

    void launch() {
        QProcessEnvironment env = x.environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        app.setProcessEnvironment(env);
        app.start(QStringLiteral(HUDDLEPOD_PROGRAM), {});
        ASSERT_TRUE(app.waitForStarted());
        // Ready once the tray icon's window exists.
        ASSERT_TRUE(XServerHarness::waitFor([this] {
            return !xdotool({"search", "--onlyvisible", "--classname", "^huddlepod$"}).isEmpty();
        }));
    }
    QString xdotool(const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(x.environment());
        process.start(QStringLiteral("xdotool"), arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    bool shown(const char* name) const {
        return !xdotool({"search", "--onlyvisible", "--name", name}).isEmpty();
    }
    bool waitShown(const char* name, bool expected) {
        return XServerHarness::waitFor([&] { return shown(name) == expected; });
    }
    QString storedShortcut() const {
        QSettings settings(home.filePath("config/Huddlepod/Huddlepod.ini"), QSettings::IniFormat);
        return settings.value("GlobalShortcuts_toggleSearch").toString();
    }

    XServerHarness x;
    QTemporaryDir home;
    QProcess app;
    static constexpr const char* panel = "^Huddlepod search$";
    static constexpr const char* settings = "^Huddlepod Settings$";
};

TEST_F(SettingsEndToEnd, aRecordedShortcutReplacesTheOldOneAndOutlivesARestart) {
    launch();
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitShown(panel, true));
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(waitShown(settings, true));
    ASSERT_TRUE(waitShown(panel, false));

    // The window gives its first focus past the recorder; Shift+Tab goes back to it and starts recording.
    xdotool({"key", "shift+Tab"});
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return storedShortcut().contains("\"carbonKeyCode\":38"); }))
        << storedShortcut().toStdString();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitShown(settings, false));

    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitShown(panel, true));
    xdotool({"key", "ctrl+alt+s"}); // no longer ours: had it toggled the panel, the next press would show it
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitShown(panel, false));

    TearDown();
    launch();
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitShown(panel, true));
}

} // namespace
