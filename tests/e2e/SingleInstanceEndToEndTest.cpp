// Starting the program again while it runs on the same desktop (from the menu, say): the later start hands
// over to the running copy, which shows its panel, and exits; the tray keeps one icon.
#include "tests/e2e/ProgramUnderX.h"

#include <QElapsedTimer>

#include <csignal>

namespace {

using huddlepod::test::XServerHarness;

class SingleInstanceEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    // Starts another copy as the first was started.
    std::unique_ptr<QProcess> startAnother() {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(programEnvironment());
        process->start(program, {});
        return process;
    }
    // The tray's icons of ours: windows of our class no wider than an icon.
    int trayIcons() const {
        int icons = 0;
        for (const QString& id :
             xdotool({"search", "--onlyvisible", "--classname", "^huddlepod$"}).split('\n')) {
            const QString width =
                xdotool({"getwindowgeometry", "--shell", id}).section("WIDTH=", 1).section('\n', 0, 0);
            icons += !id.isEmpty() && width.toInt() <= 64 ? 1 : 0;
        }
        return icons;
    }
    int readyLines() const { return static_cast<int>(errors.count("[huddlepod] hotkey → typeable field: ")); }

    static constexpr const char* handedOver = "Huddlepod is already running here; showing its panel.\n";
};

} // namespace

TEST_F(SingleInstanceEndToEnd, aLaterStartShowsTheRunningCopysPanelAndExits) {
    launch();
    ASSERT_FALSE(panel().has_value());

    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(60000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().endsWith(handedOver));
    ASSERT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_TRUE(panel().has_value());

    // Asked again while the panel is open, the running copy leaves it open.
    const std::unique_ptr<QProcess> third = startAnother();
    ASSERT_TRUE(third->waitForFinished(60000));
    EXPECT_TRUE(third->readAllStandardError().endsWith(handedOver));
    EXPECT_FALSE(XServerHarness::waitFor([this] { return !panel(); }, std::chrono::seconds(1)));
    EXPECT_EQ(trayIcons(), 1);
    EXPECT_EQ(app.state(), QProcess::Running);
}

TEST_F(SingleInstanceEndToEnd, underAWindowManagerTheShownPanelTakesTheKeyboard) {
    ASSERT_TRUE(x.startWindowManager());
    launch();
    // The user was last busy in another window, then chose Huddlepod in the menu.
    x.start("xev", {"-name", "busy"});
    ASSERT_TRUE(XServerHarness::waitFor([this] { return window({"--name", "^busy$"}).has_value(); }));
    const QPoint busy = window({"--name", "^busy$"})->center();
    xdotool({"mousemove", QString::number(busy.x()), QString::number(busy.y()), "click", "1"});
    const auto active = [this] { return xdotool({"getactivewindow", "getwindowname"}); };
    ASSERT_TRUE(XServerHarness::waitFor([&] { return active() == "busy"; }));

    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(60000));
    ASSERT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_TRUE(XServerHarness::waitFor([&] { return active() == "Huddlepod search"; }))
        << active().toStdString();
}

// A stopped copy cannot answer: a later start says so (after about a second) and does not run beside it; once
// the copy runs again, the request of the start that gave up does not open the panel, the next start's does.
TEST_F(SingleInstanceEndToEnd, aStartNeverRunsBesideAStoppedCopy) {
    launch();
    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGSTOP), 0);

    QElapsedTimer started;
    started.start();
    const std::unique_ptr<QProcess> second = startAnother();
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_LT(started.elapsed(), 2000);
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(second->readAllStandardError().endsWith(
        "Huddlepod is already running here but cannot be asked to show its panel (it does not answer).\n"));
    EXPECT_EQ(trayIcons(), 1);

    ASSERT_EQ(::kill(static_cast<pid_t>(app.processId()), SIGCONT), 0);
    EXPECT_FALSE(XServerHarness::waitFor([this] { return panel().has_value(); }, std::chrono::seconds(2)));
    EXPECT_EQ(readyLines(), 0);
    // Running again, it hears the next start.
    const std::unique_ptr<QProcess> next = startAnother();
    ASSERT_TRUE(next->waitForFinished(30000));
    EXPECT_EQ(next->exitCode(), 0);
    EXPECT_TRUE(XServerHarness::waitFor([this] { return readyLines() == 1; })) << errors.toStdString();
    EXPECT_EQ(trayIcons(), 1);
}
