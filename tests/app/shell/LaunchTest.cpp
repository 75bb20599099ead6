// The launch sequence's order, the open-on-launch switch and the closures it hands out.
#include "app/AppDelegate.h"
#include "tests/app/shell/ShellTestSupport.h"

#include <QMenu>

#include <gtest/gtest.h>

#include <tuple>

using namespace huddlepod;

namespace {

class LaunchTest : public ::testing::Test {
protected:
    // Every seam appends its step to the log.
    AppDelegate::LaunchServices services(std::optional<QString> openOnLaunch) {
        AppDelegate::LaunchServices s;
        s.defaults = fixture.defaults.get();
        const auto step = [this](const char* name) { return [this, name](auto&&...) { log << name; }; };
        s.installMainMenu = [this](AppDelegate&) -> MainMenu* {
            log << "main menu";
            return nullptr;
        };
        s.applyStoredAppearance = step("stored appearance");
        s.applyRequestedAppearance = step("requested appearance");
        s.createBackdrop = step("backdrop");
        s.makePanelController = [this](PanelController::AnchorProvider anchor) {
            log << "panel controller";
            anchorProvider = anchor;
            PanelController::Environment environment = fixture.environment();
            environment.cursor = [this] {
                ++pointerQueries;
                return QPoint(10, 10);
            };
            return std::make_unique<PanelController>(std::move(environment));
        };
        s.createSettingsModel = step("settings model");
        s.createUpdater = step("updater");
        s.createSettingsController = step("settings controller");
        s.makeStatusItem = [this](std::function<void()> onClick, StatusItemController::MenuProvider menu) {
            log << "status item";
            trayClick = onClick;
            menuProvider = menu;
            if (!tray) {
                return std::unique_ptr<StatusItemController>();
            }
            return std::make_unique<StatusItemController>(std::move(tray), onClick, menu,
                                                          [](const QByteArray&) {});
        };
        s.logLaunchMilestone = [this](const QString& milestone) { log << "milestone " + milestone; };
        s.registerToggleShortcut = [this](std::function<void(std::optional<QPoint>)> action) {
            log << "shortcut";
            shortcut = action;
        };
        s.environment = [openOnLaunch](const QString& name) {
            return name == "HUDDLEPOD_OPEN_ON_LAUNCH" ? openOnLaunch : std::nullopt;
        };
        s.schedule = [this](std::chrono::milliseconds delay, std::function<void()> action) {
            log << QStringLiteral("schedule %1 ms").arg(delay.count());
            scheduled = action;
        };
        s.scheduleLaunchSwitches = step("launch switches");
        s.runDebugScript = step("debug script");
        return s;
    }

    huddlepod::testing::ShellFixture fixture;
    QStringList log;
    PanelController::AnchorProvider anchorProvider;
    std::function<void()> trayClick, scheduled;
    std::function<void(std::optional<QPoint>)> shortcut;
    int pointerQueries = 0;
    StatusItemController::MenuProvider menuProvider;
    std::unique_ptr<huddlepod::testing::FakeTray> tray; // a status item over it when set
};

} // namespace

TEST_F(LaunchTest, buildsTheShellInOrderAndSchedulesNothingByDefault) {
    AppDelegate delegate(services(std::nullopt));
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(log, QStringList({"main menu", "stored appearance", "requested appearance", "backdrop",
                                "panel controller", "settings model", "updater", "settings controller",
                                "status item", "milestone status item visible", "shortcut", "launch switches",
                                "debug script"}));
    EXPECT_FALSE(scheduled);
    EXPECT_EQ(anchorProvider(), std::nullopt); // no status item to ask

    // The tray click and the shortcut toggle the one panel; the menu provider builds a fresh menu.
    PanelController& panel = *delegate.panelController();
    trayClick();
    EXPECT_TRUE(panel.isVisible());
    shortcut(std::nullopt);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(menuProvider()->actions().size(), 4);

    panel.show();
    delegate.applicationWillTerminate();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(panel.hasMonitors());
}

TEST_F(LaunchTest, opensThePanelOnLaunchOnlyForANumberOfSecondsATimerCanHold) {
    for (const auto& [text, expected] :
         std::vector<std::pair<QString, QString>>{{"0.5", "schedule 500 ms"},
                                                  {"0", "schedule 0 ms"},
                                                  {"-2", "schedule 0 ms"},
                                                  {"2000000", "schedule 2000000000 ms"},
                                                  {"soon", ""},
                                                  {"1.5s", ""},
                                                  {"", ""},
                                                  {" 0.5", ""},
                                                  {"0.5 ", ""},
                                                  {"1e300", ""},
                                                  {"1e9", ""}}) {
        log.clear();
        scheduled = nullptr;
        AppDelegate delegate(services(text));
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(log.filter("schedule").join(""), expected) << text.toStdString();
        if (scheduled) {
            scheduled();
            EXPECT_TRUE(delegate.panelController()->isVisible());
        }
    }
}

TEST_F(LaunchTest, aClickOnTheIconJustAfterAClickElsewhereIsSwallowedOnlyWhereTheTrayHidesTheIconsPlace) {
    using namespace std::chrono_literals;
    // Where the tray says the icon is (none on a StatusNotifier tray), the time from a click elsewhere that
    // hid the panel to the icon's click, and whether that click opens the panel.
    const std::vector<std::tuple<std::optional<QRect>, std::chrono::milliseconds, bool>> cases{
        {QRect(700, 0, 24, 24), 300ms, true}, // on the 800×800 screen
        {QRect(700, 0, 24, 24), 0ms, true},
        {std::nullopt, 300ms, false}, // the release of the very press that hid it
        {std::nullopt, 599ms, false},
        {std::nullopt, 600ms, true},
        {QRect(-500, -500, 24, 24), 300ms, false}, // off every screen: as good as unknown
    };
    for (const auto& [icon, after, opens] : cases) {
        tray = std::make_unique<huddlepod::testing::FakeTray>();
        auto& fake = *tray;
        fake.rect = icon;
        AppDelegate delegate(services(std::nullopt));
        delegate.applicationDidFinishLaunching();
        PanelController& panel = *delegate.panelController();
        panel.show();
        panel.hideAfterClickElsewhere();
        ASSERT_FALSE(panel.isVisible());
        fixture.clock->advance(after);
        fake.handler({TrayIcon::Button::left, false, QPoint(710, 12)});
        EXPECT_EQ(panel.isVisible(), opens) << after.count() << (icon ? " known" : " unknown");
    }
}

TEST_F(LaunchTest, theKeyPressOrClickBehindAShowTellsWhereThePointerWas) {
    // Two screens and no icon place: the pointer chooses the screen, and nobody need ask where it is.
    fixture.screens = {huddlepod::testing::wholeScreen(QRect(0, 0, 1280, 800)),
                       huddlepod::testing::wholeScreen(QRect(1280, 0, 1920, 1080))};
    fixture.anchor = std::nullopt;
    const struct {
        const char* name;
        bool byClick;
        std::optional<QPoint> pointer;
        int queries;
        QPoint at;
    } rows[] = {
        {"shortcut, pointer on the right", false, QPoint(2000, 500), 0, QPoint(2020, 6)},
        {"shortcut, pointer on the left", false, QPoint(100, 500), 0, QPoint(420, 6)},
        {"shortcut, pointer unknown", false, std::nullopt, 1, QPoint(420, 6)},
        {"click on an icon the tray does not place", true, QPoint(2000, 12), 0, QPoint(2020, 6)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tray = std::make_unique<huddlepod::testing::FakeTray>();
        auto& fake = *tray;
        AppDelegate delegate(services(std::nullopt));
        delegate.applicationDidFinishLaunching();
        pointerQueries = 0;
        if (row.byClick) {
            fake.handler({TrayIcon::Button::left, false, *row.pointer});
        } else {
            shortcut(row.pointer);
        }
        ASSERT_TRUE(delegate.panelController()->isVisible());
        EXPECT_EQ(pointerQueries, row.queries);
        EXPECT_EQ(delegate.panelController()->panel()->pos(), row.at);
    }
}

TEST_F(LaunchTest, aLaterStartShowsThePanelAndLeavesAnOpenOneAsItIs) {
    AppDelegate delegate(services(std::nullopt));
    delegate.showPanel(); // before the launch there is no panel yet
    delegate.applicationDidFinishLaunching();
    PanelController& panel = *delegate.panelController();
    delegate.showPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.session().revision(), 1);

    // Shown again, it would lose what the user typed; toggled, it would hide.
    panel.searchModel().setQuery(QStringLiteral("Smith"));
    delegate.showPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.searchModel().query(), QStringLiteral("Smith"));
    EXPECT_EQ(panel.session().revision(), 1);

    panel.hide();
    delegate.showPanel();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.searchModel().query(), QString());
}
