// The settings window in the real program under a private Xvfb: opened with Ctrl+, from the panel, and a new
// global shortcut recorded with real key presses, taking over from the old one and surviving a restart.
#include "tests/e2e/ProgramUnderX.h"

namespace {

using huddlepod::test::XServerHarness;

class SettingsEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    bool waitSettings(bool shown) {
        return XServerHarness::waitFor([&] {
            return window({"--name", "^Huddlepod Settings$"}).has_value() == shown;
        });
    }
    QString storedShortcut() const { return stored("GlobalShortcuts_toggleSearch").toString(); }
};

TEST_F(SettingsEndToEnd, aRecordedShortcutReplacesTheOldOneAndOutlivesARestart) {
    launch();
    xdotool({"key", "ctrl+alt+s"});
    ASSERT_TRUE(waitPanel(true));
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(waitSettings(true));
    ASSERT_TRUE(waitPanel(false));

    // The window gives its first focus past the recorder; Shift+Tab goes back to it and starts recording.
    xdotool({"key", "shift+Tab"});
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return storedShortcut().contains("\"carbonKeyCode\":38"); }))
        << storedShortcut().toStdString();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(waitSettings(false));

    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(true));
    xdotool({"key", "ctrl+alt+s"}); // no longer ours: had it toggled the panel, the next press would show it
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(false));

    TearDown();
    launch();
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(waitPanel(true));
}

} // namespace
